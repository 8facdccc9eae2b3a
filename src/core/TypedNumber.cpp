#include "core/TypedNumber.h"

#include <cctype>
#include <cmath>

#include "core/Formats.h"
#include "core/Text.h"

namespace skyloom::core {

std::optional<double> typedNumber(std::string_view text) {
    const std::string t = trim(text);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t exponent = 0;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++exponent;
        if (exponent == 0) return std::nullopt;
    }
    // A unit word may follow the number ("2.50 MWh", "12kW", "80 %"), nothing else.
    const std::size_t end = i;
    while (i < t.size() && t[i] == ' ') ++i;
    for (; i < t.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        if (!(std::isalpha(c) || c == '/' || c == '%' || c == '$' || c == '.' || c == ' ')) return std::nullopt;
    }
    double v = 0;
    if (!parseNumber(t.substr(0, end), v) || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool SensibleRange::contains(double v) const {
    return v >= lo && v <= hi && (!wholeNumbers || v == std::floor(v));
}

std::string expectedNumberText(const SensibleRange& range) {
    auto shown = [](double v) {
        return std::fabs(v) >= 1000 && v == std::floor(v) ? formatNumber(v, "#,##0") : formatPlain(v);
    };
    std::string text = std::string("Please enter a ") + (range.wholeNumbers ? "whole number" : "number") + " from " +
                       shown(range.lo) + " to " + shown(range.hi);
    if (!range.unit.empty()) text += " " + std::string(range.unit);
    return text + ".";
}

}  // namespace skyloom::core
