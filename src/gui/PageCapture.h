#pragma once

#include <functional>
#include <string>

#include <QList>
#include <QPixmap>
#include <QString>

class QScrollArea;
class QWidget;

namespace skyloom::core { class Prompter; }
namespace skyloom::session { class AnalysisCommands; }


namespace skyloom::gui {

// What one page gives its outputs: the window, the edit buttons that never show
// in a capture, a scrolled column shown whole (the picture grows by what is out
// of view), a switch for the map's white dot and site tip, and the start of the
// proposed bitmap name ("Main Page Analysis ", "Power Page Analysis ").
struct CapturedPage {
    QWidget* window = nullptr;
    QList<QWidget*> editButtons;
    QScrollArea* unrolled = nullptr;
    std::function<void(bool capturing)> capturing;
    std::string bitmapBase;
};

enum class PageOutputKind { PrintLandscape, PrintPortrait, Clipboard, Bitmap };

// The picture of the page as the user sees it, without the edit buttons and the dot.
QPixmap capturePage(const CapturedPage& page);

// Prints the picture fitted to one page. Without an installed printer the page
// goes to a PDF file instead (pdfPath, made unique with " (2)", " (3)", ...); the
// file written is returned, empty when a printer took it or nothing was printed.
QString printPicture(const QPixmap& picture, bool landscape, const QString& pdfPath, bool* ok = nullptr);

// One output command of a page: capture, print / copy / save as a bitmap in the
// program folder, then save the current analysis with `code` as its Print code.
// A cancelled bitmap name ends the command without saving. `shownId` names the
// analysis in the proposed bitmap name. Returns false when nothing was output.
bool outputPage(const CapturedPage& page, PageOutputKind kind, int code, session::AnalysisCommands& analyses,
                core::Prompter& prompter, const std::string& appDir, long long shownId);

// True when output should go to a PDF file: no printer is installed, or the
// SKYLOOM_PRINT_TO_PDF environment variable is set.
bool printToPdf();

}  // namespace skyloom::gui
