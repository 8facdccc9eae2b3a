#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <QWidget>

#include "power/GeneratorRecord.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace skyloom::power {
class GeneratorStore;
}
namespace skyloom::session {
class GeneratorCommands;
class PowerPage;
}  // namespace skyloom::session

namespace skyloom::gui {

// The Power Page: the current generator with its curve and fields, the energy
// and money figures of the last run and the inputs that rerun them, and the ID
// and time of the analysis record that run saved. Every figure is a label named
// after its field ("Pusage", "AnID", ...); the click targets run the generator
// commands or the energy inputs through the session's prompter.
class PowerPageWindow : public QWidget {
    Q_OBJECT
public:
    explicit PowerPageWindow(session::PowerPage& page, QWidget* parent = nullptr);
    ~PowerPageWindow() override;

    session::GeneratorCommands& generators() { return *commands_; }
    QComboBox* generatorsDD() const { return generatorsDD_; }
    // "Click here to Recalculate this Analysis", shown while the curve changed since the last run.
    QPushButton* recalculateButton() const { return recalculate_; }
    // The label of a field by its name; nullptr when there is none.
    QLabel* field(const QString& name) const;
    // Runs the click target of that field as a mouse click would; false when
    // the name is no click target.
    bool clickField(const QString& name);
    // Refills the list and every figure from the generator commands and the page.
    void refresh();
    // Reruns the analysis of the current site (after a change of generator,
    // height, cut-out or grid limit) and shows its results.
    void rerunAnalysis();

    // "dddd mmmm d, yyyy  HH:MM:SS am/pm" of a stored "yyyy-mm-dd hh:mm:ss".
    static QString analysisTimeText(const QString& stored);

    // A button of the page by its control name ("NewCurve", "CopyCurve", ...).
    QPushButton* button(const QString& name) const;
    // `AnalCom`: the comment of the analysis shown; written to it when it changed.
    QLineEdit* commentField() const { return comment_; }
    void saveComment();
    // The edit buttons, hidden while the page is captured.
    QList<QWidget*> editButtons() const;
    // The area beside (or, on a narrow screen, below) the figures that holds the graphs.
    bool graphsBesideFigures() const { return graphsBeside_; }
    QVBoxLayout* graphsLayout() const { return graphsLayout_; }
    // The generator a Shift-click on the list chose to draw over the current curve.
    const std::optional<power::GeneratorRecord>& comparisonCurve() const { return comparison_; }

signals:
    // Figures or the curve changed: the graphs are drawn again.
    void resultsShown();
    // `WindResourceBut`: the "Wind Resource" window at the height of interest.
    void windResourceRequested();
    // An analysis was added to the current study: the study grid shows it.
    void studyChanged();

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    class Observer;
    // Puts the graphs beside the figures when the page is wide enough, else under them.
    void keepTextWhole();
    void placeGraphs(bool beside);
    int figuresWidth() const;
    void buildGeneratorBlock(QGridLayout* grid);
    void buildResultBlock(QGridLayout* grid);
    void buildAnalysisBlock(QGridLayout* grid);
    void showGenerator();
    void showFigures();
    void showStudyIndicator();
    void chooseFromList(int index);
    QPushButton* addButton(const char* name, const QString& caption, const std::function<void()>& action);

    session::PowerPage& page_;
    std::unique_ptr<Observer> observer_;
    std::unique_ptr<power::GeneratorStore> store_;
    std::unique_ptr<session::GeneratorCommands> commands_;
    QComboBox* generatorsDD_ = nullptr;
    QPushButton* recalculate_ = nullptr;
    QLineEdit* comment_ = nullptr;
    QVBoxLayout* graphsLayout_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QGridLayout* grid_ = nullptr;
    QWidget* graphs_ = nullptr;
    bool graphsBeside_ = true;
    bool sized_ = false;
    QWidget* buttonRow_ = nullptr;
    std::optional<power::GeneratorRecord> comparison_;
    long long commentKey_ = -1;
    int unitsListener_ = 0;
    bool filling_ = false;
    bool figuresDirty_ = false;
    bool quiet_ = false;
};

}  // namespace skyloom::gui
