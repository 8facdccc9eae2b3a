#pragma once

#include <string>

namespace skyloom::core {

// A number as the program prints it: at most 15 significant decimal digits, the
// text a user sees for it. Every rounding below decides on these digits and not
// on the binary value, so 2.675 (stored a hair below 2.675) rounds as the 2.675
// it is shown as, and 0.1235 keeps its visible 5.
struct DecimalDigits {
    bool negative = false;
    // Significant digits without leading or trailing zeros; empty for zero.
    std::string digits;
    // Power of ten of the first digit: 1234.5 is "12345" with exponent 3,
    // 0.00123 is "123" with exponent -3.
    int exponent = 0;

    bool isZero() const { return digits.empty(); }
};

// Shortest text that reads back to the same value, cut to `significant` digits
// (15 for a double as the program prints it, 7 for a single). x must be finite.
DecimalDigits decimalDigits(double x, int significant = 15);
// The nearest double to the digits.
double toDouble(const DecimalDigits& d);

enum class HalfRule {
    ToEven,        // 68.5 -> 68, 69.5 -> 70
    AwayFromZero,  // 68.5 -> 69, -68.5 -> -69
};

// The digits of x rounded to `decimals` places after the point (a negative count
// rounds to tens, hundreds, ...). A value that rounds to zero keeps its sign flag,
// so a display can still show it as negative.
DecimalDigits roundedDigits(double x, int decimals, HalfRule rule);
DecimalDigits roundedDigits(DecimalDigits d, int decimals, HalfRule rule);

// Round to `decimals` places, an exact half going to the even neighbour (the
// rounding of the statistics and of every whole-number conversion).
double roundHalfEven(double x, int decimals = 0);
// Round to `decimals` places, an exact half going away from zero (the nearest
// value of a stored input and of the shown digits of a display format).
double roundHalfAwayFromZero(double x, int decimals = 0);

// Result rounding of the stored analysis figures, done on the printed digits:
// variant A keeps three significant digits, rounding up when the fourth is 5 or
// more (with carry: 999.7 -> 1000); variant B keeps only two when the first
// significant digit is 5 or more (0.955 -> 0.96) and is variant A otherwise.
// The sign is kept; zero stays zero.
double roundSignificantA(double x);
double roundSignificantB(double x);

}  // namespace skyloom::core
