#include "core/Rounding.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

namespace skyloom::core {

namespace {

// Rounds d in place so that no digit below the place 10^lowestPlace remains.
void roundAtPlace(DecimalDigits& d, int lowestPlace, HalfRule rule) {
    if (d.isZero()) return;
    // Number of leading digits whose place is at or above lowestPlace.
    const long long keep = static_cast<long long>(d.exponent) - lowestPlace + 1;
    if (keep >= static_cast<long long>(d.digits.size())) return;
    if (keep < 0) {  // even the first digit lies below the half place
        d.digits.clear();
        d.exponent = 0;
        return;
    }
    const auto k = static_cast<std::size_t>(keep);
    const char next = d.digits[k];
    const bool moreAfterNext = d.digits.size() > k + 1;  // no trailing zeros are kept
    const bool lastKeptOdd = k > 0 && ((d.digits[k - 1] - '0') % 2 == 1);
    bool up = next > '5';
    if (next == '5') up = moreAfterNext || rule == HalfRule::AwayFromZero || lastKeptOdd;

    d.digits.resize(k);
    if (up) {
        std::size_t i = k;
        while (i > 0 && d.digits[i - 1] == '9') {
            d.digits[i - 1] = '0';
            --i;
        }
        if (i > 0) {
            ++d.digits[i - 1];
        } else {  // carry ran out of the first digit: one more place in front
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exponent = 0;
}

double significantRounding(double x, bool variantB) {
    if (!std::isfinite(x)) return x;
    DecimalDigits d = decimalDigits(x);
    if (d.isZero()) return 0.0;
    const int keep = (variantB && d.digits[0] >= '5') ? 2 : 3;
    roundAtPlace(d, d.exponent - keep + 1, HalfRule::AwayFromZero);
    return toDouble(d);
}

}  // namespace

DecimalDigits decimalDigits(double x, int significant) {
    DecimalDigits d;
    if (significant < 1) significant = 1;
    if (significant > 17) significant = 17;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific,
                                   significant - 1);
    std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    if (!text.empty() && text.front() == '-') {
        d.negative = true;
        text.remove_prefix(1);
    }
    const auto e = text.find('e');
    for (char c : text.substr(0, e))
        if (c != '.') d.digits.push_back(c);
    int exponent = 0;
    std::string_view expText = text.substr(e + 1);
    if (!expText.empty() && expText.front() == '+') expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
    d.exponent = exponent;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exponent = 0;
    return d;
}

double toDouble(const DecimalDigits& d) {
    if (d.isZero()) return 0.0;
    std::string text;
    if (d.negative) text.push_back('-');
    text.push_back(d.digits[0]);
    if (d.digits.size() > 1) {
        text.push_back('.');
        text.append(d.digits, 1);
    }
    text.push_back('e');
    text += std::to_string(d.exponent);
    double value = 0.0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec == std::errc::result_out_of_range) {  // past the range of a double
        const double magnitude = d.exponent < 0 ? 0.0 : HUGE_VAL;
        return d.negative ? -magnitude : magnitude;
    }
    return value;
}

DecimalDigits roundedDigits(double x, int decimals, HalfRule rule) {
    return roundedDigits(decimalDigits(x), decimals, rule);
}

DecimalDigits roundedDigits(DecimalDigits d, int decimals, HalfRule rule) {
    roundAtPlace(d, -decimals, rule);
    return d;
}

double roundHalfEven(double x, int decimals) {
    if (!std::isfinite(x)) return x;
    return toDouble(roundedDigits(x, decimals, HalfRule::ToEven));
}

double roundHalfAwayFromZero(double x, int decimals) {
    if (!std::isfinite(x)) return x;
    return toDouble(roundedDigits(x, decimals, HalfRule::AwayFromZero));
}

double roundSignificantA(double x) { return significantRounding(x, false); }

double roundSignificantB(double x) { return significantRounding(x, true); }

}  // namespace skyloom::core
