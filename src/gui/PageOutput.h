#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skyloom::core { class Prompter; }

namespace skyloom::gui {

// The output codes recorded with the analysis when a page is printed, copied or saved.
enum class PageOutputCode { MainLandscape = 1, MainPortrait = 2, MainClipboard = 3, Help = 4, MainBitmap = 5 };

// The file name of a typed bitmap name: a final "." is removed and ".bmp"
// appended unless the name already ends in ".BMP" in any letter case. nullopt
// for a name with a forbidden character.
std::optional<std::string> bitmapFileName(std::string_view typed);

// Asks "What filename do you want to save the Page as?" (default proposed) until
// the answer names a file that does not exist in appDir; nullopt when cancelled.
// Returns the full path.
std::optional<std::string> askBitmapPath(core::Prompter& prompter, const std::string& appDir,
                                         const std::string& proposed);

// Fitted placement of a picture on a printable area: aspect kept, 93 per cent of
// the limiting side, centred.
struct PagePlacement {
    double left = 0, top = 0, width = 0, height = 0;
};
PagePlacement fitToPage(double pictureWidth, double pictureHeight, double pageWidth, double pageHeight);

}  // namespace skyloom::gui
