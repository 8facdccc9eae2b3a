#pragma once

#include <QDialog>

class QTextBrowser;

namespace skyloom::gui {

// The help window `HelpForm`: the user guide of the program, printable.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }
    // The guide as HTML.
    static QString guideHtml();

public slots:
    void printGuide();

private:
    QTextBrowser* browser_ = nullptr;
};

}  // namespace skyloom::gui
