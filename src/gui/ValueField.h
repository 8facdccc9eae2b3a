#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skyloom::core { class Prompter; }

namespace skyloom::gui {

// A value field of the pages: a click opens an input box holding the current
// text. An empty answer cancels, an answer outside lo..hi is refused with
// rangeMessage and asked again, an answer equal to the current value does
// nothing. Returns the new value, or nullopt when nothing is to change.
// Plain C++ (no Qt) so that the rules run the same under a scripted prompter.
struct ValueFieldRule {
    std::string prompt;
    double lo = 0;
    double hi = 0;
    std::string rangeMessage;
};

std::optional<double> askValueField(core::Prompter& prompter, const ValueFieldRule& rule,
                                    std::string_view currentText);

// The settings dialog's three value fields.
const ValueFieldRule& storageCostRule();
const ValueFieldRule& stateOfChargeRule();
const ValueFieldRule& dotSizeRule();

// The data-distribution colour of a DataColor slider value: RGB(v + 240, v + 239, v + 240),
// each part kept inside 0..255.
struct Rgb {
    int r = 0, g = 0, b = 0;
};
Rgb dataDistributionColor(int sliderValue);

}  // namespace skyloom::gui
