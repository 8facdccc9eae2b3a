#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skyloom::core {

// What a user types into a number box. A number is blanks, an optional sign,
// digits with at most one decimal point, an optional exponent, and perhaps a
// unit word ("2.50 MWh", "12kW"); anything else ("abc", "1,000", "1e400", which
// no double holds) is no number at all and must never be read as 0.
std::optional<double> typedNumber(std::string_view text);

// The sensible values of a box whose fixed rules leave its top (or all of it) open,
// in the words of the box's unit ("kW", "$ per kWh per year"; may be empty).
struct SensibleRange {
    SensibleRange() = default;
    SensibleRange(double low, double high, std::string_view unitWords = {}, bool whole = false)
        : lo(low), hi(high), unit(unitWords), wholeNumbers(whole) {}
    double lo = 0;
    double hi = 0;
    std::string_view unit;
    bool wholeNumbers = false;
    bool contains(double v) const;
};

// The one line that says what a box expects, for an answer that is no number or
// lies outside its sensible range: "Please enter a number from 0 to 1,000,000 kW."
std::string expectedNumberText(const SensibleRange& range);

}  // namespace skyloom::core
