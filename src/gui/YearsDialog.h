#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QTableWidget;

namespace skyloom::session { class YearsWindow; }

namespace skyloom::gui {

// The years window (`Years`): the order list, the chosen station's years with
// their `Selected` marks, the 2007-2008 box and the value of the order.
// "Continue" goes on with the request, "Cancel E-mail" ends it.
class YearsDialog : public QDialog {
    Q_OBJECT
public:
    YearsDialog(session::YearsWindow& years, QWidget* parent = nullptr);

    QListWidget* lineList() const { return lines_; }
    QTableWidget* grid() const { return grid_; }
    QCheckBox* check0708() const { return check0708_; }
    QLabel* valueLabel() const { return value_; }

private:
    void showLines();
    void showLine(int index);

    session::YearsWindow& years_;
    QListWidget* lines_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QCheckBox* check0708_ = nullptr;
    QLabel* site_ = nullptr;
    QLabel* value_ = nullptr;
    bool filling_ = false;
};

}  // namespace skyloom::gui
