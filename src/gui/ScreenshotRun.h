#pragma once

#include <QString>

namespace skyloom::gui {

class MainWindow;

// A scripted run for the documentation pictures (tools/screenshots): the Main
// Page fills the screen, the station is analysed with the generator (the first
// supplied one when none is named), the Power Page is opened at the size of the
// screen, and pictures of the Analysis page, the Power Page and the Order Data
// page are saved as PNG files into folder. Ends the program when done; the exit
// code says whether every picture was written.
struct ScreenshotRun {
    QString folder;
    long station = 0;
    QString generator;
    // Starts the run once the event loop runs.
    void start(MainWindow& window) const;
};

}  // namespace skyloom::gui
