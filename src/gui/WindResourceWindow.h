#pragma once

#include <QPixmap>
#include <QWidget>

#include "display/ResourceGraphModel.h"
#include "session/WindResourceRun.h"

class QLabel;
class QPushButton;

namespace skyloom::session {
class PowerPage;
}

namespace skyloom::gui {

// Paints the resource figures through WindResourceRenderer.
class WindResourceCanvas : public QWidget {
    Q_OBJECT
public:
    explicit WindResourceCanvas(QWidget* parent = nullptr);
    void setGraphs(display::ResourceGraphs g);
    const display::ResourceGraphs& graphs() const { return graphs_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    display::ResourceGraphs graphs_;
};

// The "Wind Resource" window: the rose, the distribution with both Weibull fits,
// the shear profile, the months, the years with their trend and the P50/P90
// table of the site the Power Page analyses, at a height of the user's choice,
// in the display units. It follows the site, the period, the units and the
// height of interest the user picks elsewhere; it prints, saves its picture and
// saves its figures as CSV.
class WindResourceWindow : public QWidget {
    Q_OBJECT
public:
    explicit WindResourceWindow(session::PowerPage& page, QWidget* parent = nullptr);
    ~WindResourceWindow() override;

    // Shows the resource at a height in feet.
    void showAt(double heightFeet);
    // Computes again for the page's site, period, units and generator; a changed
    // height of interest is followed.
    void refresh();
    double heightFeet() const { return heightFeet_; }
    const session::WindResourceRun& run() const { return run_; }
    const display::ResourceGraphs& graphs() const { return canvas_->graphs(); }
    WindResourceCanvas* canvas() const { return canvas_; }
    QPushButton* button(const QString& name) const;

    // The height button: asks for a height (0 to 5000 feet) and shows it.
    void askHeight();
    // The window as a picture, without its buttons.
    QPixmap picture();
    // Prints the picture fitted to a page (to a PDF file in the program folder
    // without a printer); false when nothing was printed.
    bool print(bool landscape);
    // Saves the picture as a bitmap file in the program folder (name asked).
    bool savePicture();
    // Saves the figures as a CSV file (name asked), written whole.
    bool saveCsv();

private:
    QPushButton* addButton(const char* name, const QString& caption);
    std::string proposedName(const std::string& extension) const;
    // The display units of the program, as the pages show them.
    sounding::Units shownUnits() const;

    session::PowerPage& page_;
    double heightFeet_ = 0;
    double followedHeight_ = -1;
    session::WindResourceRun run_;
    QLabel* heading_ = nullptr;
    QPushButton* height_ = nullptr;
    QWidget* buttons_ = nullptr;
    WindResourceCanvas* canvas_ = nullptr;
    int unitsListener_ = 0;
};

}  // namespace skyloom::gui
