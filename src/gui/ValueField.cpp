#include "gui/ValueField.h"

#include <algorithm>

namespace skyloom::gui {

Rgb dataDistributionColor(int v) {
    auto c = [](int x) { return std::clamp(x, 0, 255); };
    return {c(v + 240), c(v + 239), c(v + 240)};
}

}  // namespace skyloom::gui
