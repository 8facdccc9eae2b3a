#pragma once

namespace skyloom::gui {

// The data-distribution colour of a DataColor slider value: RGB(v + 240, v + 239, v + 240),
// each part kept inside 0..255.
struct Rgb {
    int r = 0, g = 0, b = 0;
};
Rgb dataDistributionColor(int sliderValue);

}  // namespace skyloom::gui
