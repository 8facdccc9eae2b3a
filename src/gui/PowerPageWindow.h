#pragma once

#include <memory>

#include <QString>
#include <QWidget>

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;

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

private:
    class Observer;
    void buildGeneratorBlock(QGridLayout* grid);
    void buildResultBlock(QGridLayout* grid);
    void showGenerator();
    void showFigures();
    void chooseFromList(int index);

    session::PowerPage& page_;
    std::unique_ptr<Observer> observer_;
    std::unique_ptr<power::GeneratorStore> store_;
    std::unique_ptr<session::GeneratorCommands> commands_;
    QComboBox* generatorsDD_ = nullptr;
    QPushButton* recalculate_ = nullptr;
    bool filling_ = false;
    bool quiet_ = false;
};

}  // namespace skyloom::gui
