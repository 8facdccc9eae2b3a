#include "gui/PageOutput.h"

#include <algorithm>
#include <filesystem>

#include "core/Prompter.h"
#include "core/Text.h"

namespace skyloom::gui {

std::optional<std::string> bitmapFileName(std::string_view typed) {
    std::string name = core::trim(typed);
    if (name.empty() || !core::isLegalName(name)) return std::nullopt;
    if (name.back() == '.') name.pop_back();
    if (!core::endsWith(core::toUpper(name), ".BMP")) name += ".bmp";
    return name;
}

std::optional<std::string> askBitmapPath(core::Prompter& prompter, const std::string& appDir,
                                         const std::string& proposed) {
    std::string current = proposed;
    for (;;) {
        std::optional<std::string> answer = prompter.input("What filename do you want to save the Page as?", current);
        if (!answer || core::trim(*answer).empty()) return std::nullopt;
        std::optional<std::string> name = bitmapFileName(*answer);
        if (!name) {
            prompter.message("Bad name, please do not include / ? < > \\ : * | or double quote");
            continue;
        }
        std::string path = appDir + *name;
        if (std::filesystem::exists(path)) {
            prompter.message("A file with this name exists, try again: " + *name);
            current = *answer;
            continue;
        }
        return path;
    }
}

PagePlacement fitToPage(double pw, double ph, double pageW, double pageH) {
    if (pw <= 0 || ph <= 0) return {};
    double scale = std::min(0.93 * pageW / pw, 0.93 * pageH / ph);
    double w = pw * scale, h = ph * scale;
    return {(pageW - w) / 2.0, (pageH - h) / 2.0, w, h};
}

}  // namespace skyloom::gui
