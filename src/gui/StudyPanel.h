#pragma once

#include <functional>
#include <vector>

#include <QAbstractTableModel>
#include <QTableView>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace skyloom::session { class StudyCommands; }

namespace skyloom::gui {

// The study grid's rows (`anals` of the current study): captions with the sort
// marks, texts in the columns' formats.
class StudyGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StudyGridModel(session::StudyCommands& studies, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The comment cell is edited in place and stored with its analysis.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // The rows changed in the study commands.
    void reload();
    long long keyOf(int row) const;
    long long wmoOf(int row) const;

private:
    session::StudyCommands& studies_;
};

// The grid `AG`: typing goes to the study commands' typing rules.
class StudyGridView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;
    // A printable key typed in a cell; true lets it into the cell (starting the edit).
    std::function<bool(int row, int column, char key)> onTyped;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

// The study panel of the Analysis page.
class StudyPanel : public QWidget {
    Q_OBJECT
public:
    StudyPanel(session::StudyCommands& studies, QWidget* parent = nullptr);

    // Shows the current study: labels, grid rows and position, study list.
    void refresh();
    StudyGridModel* model() const { return model_; }
    StudyGridView* grid() const { return grid_; }
    QLabel* ninLab() const { return ninLab_; }
    QPushButton* studyLab() const { return studyLab_; }
    QListWidget* studyList() const { return list_; }

signals:
    // A grid row was picked: the analysis with this ID is recalled.
    void recallRequested(long long key);
    // The stations of the listed analyses, after a heading click.
    void sitesListed(const std::vector<long long>& wmos);

private:
    void headingClicked(int section);

    session::StudyCommands& studies_;
    StudyGridModel* model_ = nullptr;
    StudyGridView* grid_ = nullptr;
    QPushButton* studyLab_ = nullptr;
    QLabel* studyNumLab_ = nullptr;
    QLabel* ninLab_ = nullptr;
    QListWidget* list_ = nullptr;
};

}  // namespace skyloom::gui
