#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>

#include "core/Rounding.h"

using namespace skyloom::core;

namespace {
struct Case {
    double value;
    int decimals;
    double rounded;
};

void expectRounded(double (*round)(double, int), std::initializer_list<Case> cases) {
    for (const auto& c : cases) EXPECT_EQ(round(c.value, c.decimals), c.rounded) << c.value << " to " << c.decimals;
}

void expectRounded(double (*round)(double), std::initializer_list<std::pair<double, double>> cases) {
    for (const auto& [value, rounded] : cases) EXPECT_EQ(round(value), rounded) << value;
}

// Sign, digits and exponent.
std::tuple<bool, std::string, int> parts(const DecimalDigits& d) { return {d.negative, d.digits, d.exponent}; }
}  // namespace

TEST(Rounding, printedDigitsHideBinaryNoise) {
    EXPECT_EQ(parts(decimalDigits(1234.5)), std::make_tuple(false, "12345", 3));
    EXPECT_EQ(parts(decimalDigits(-0.00123)), std::make_tuple(true, "123", -3));
    EXPECT_EQ(decimalDigits(0.1 + 0.2).digits, "3");  // 0.30000000000000004 is shown as 0.3
    EXPECT_EQ(decimalDigits(2.675).digits, "2675");     // stored as 2.67499999999999982236431605997495353221893310546875
    EXPECT_EQ(decimalDigits(1.0 / 3.0).digits, std::string(15, '3'));
    EXPECT_TRUE(decimalDigits(0.0).isZero());
    EXPECT_TRUE(decimalDigits(-0.0).isZero());
    EXPECT_EQ(parts(decimalDigits(100.0)), std::make_tuple(false, "1", 2));
    // A single-precision value read with the 7 digits it is printed with.
    EXPECT_EQ(decimalDigits(static_cast<double>(0.955f), 7).digits, "955");
    EXPECT_EQ(decimalDigits(static_cast<double>(0.955f)).digits, "954999983310699");
    // ... and the digits read back to the nearest double.
    EXPECT_EQ(toDouble(decimalDigits(1013.25)), 1013.25);
    EXPECT_EQ(toDouble(decimalDigits(-0.00123)), -0.00123);
    EXPECT_EQ(toDouble(DecimalDigits{}), 0.0);
    EXPECT_EQ(toDouble(DecimalDigits{false, "1", 400}), HUGE_VAL);
}

TEST(Rounding, halfEvenDecidesOnTheShownDigits) {
    expectRounded(roundHalfEven, {
        // The histogram bins: 68.5 knots counts in bin 68, 69.5 in bin 70; the median
        // position of one sounding: 0.5 reads row 0.
        {68.5, 0, 68.0}, {69.5, 0, 70.0}, {0.5, 0, 0.0}, {1.5, 0, 2.0}, {2.5, 0, 2.0}, {-68.5, 0, -68.0},
        {-69.5, 0, -70.0},
        // Anything past the half goes up whatever the parity.
        {68.500001, 0, 69.0}, {68.499999, 0, 68.0}, {0.4, 0, 0.0},
        {0.125, 2, 0.12}, {0.135, 2, 0.14}, {0.25, 1, 0.2}, {0.35, 1, 0.4},  // 0.35 is stored a hair below
        {2.675, 2, 2.68},  // 7 is odd, so the shown half goes up
        {2.665, 2, 2.66}, {1.005, 2, 1.0}, {12.345, 1, 12.3},
        {0.05, 1, 0.0},  // the kept digit is an implicit even 0
        {0.15, 1, 0.2}, {0.004, 1, 0.0}, {9.95, 1, 10.0}, {99.96, 1, 100.0},  // carry through the nines
        {-2.675, 2, -2.68}, {100.0 * 1.0 / 3.0, 1, 33.3}, {12.25, 1, 12.2},  // percent shares
        // To hundreds, and nothing to round: the value comes back as it is.
        {1250.0, -2, 1200.0}, {1350.0, -2, 1400.0}, {123.456, 10, 123.456}, {1e20, 2, 1e20},
    });
    EXPECT_TRUE(std::isnan(roundHalfEven(std::numeric_limits<double>::quiet_NaN(), 1)));
}

TEST(Rounding, halfAwayFromZeroForStoredInputs) {
    expectRounded(roundHalfAwayFromZero, {
        {68.5, 0, 69.0}, {-68.5, 0, -69.0}, {0.5, 0, 1.0}, {0.125, 2, 0.13}, {2.675, 2, 2.68}, {1.005, 2, 1.01},
        {0.285, 2, 0.29}, {1013.245, 2, 1013.25}, {-0.004, 2, 0.0},
        {12.3449, 2, 12.34},        // only the next digit decides
        {10 / 0.514444, 2, 19.44},  // a speed of 10 m/s kept as knots with 2 decimals
        {0.123456, 4, 0.1235},      // 4 decimals of a price per kWh
        {1250.0, -2, 1300.0}, {0.0, 2, 0.0}, {HUGE_VAL, 1, HUGE_VAL},
    });
}

TEST(Rounding, roundedDigitsKeepTheSignOfAValueThatVanishes) {
    const DecimalDigits vanished = roundedDigits(-0.004, 2, HalfRule::AwayFromZero);
    EXPECT_EQ(std::tie(vanished.negative, vanished.digits), std::make_tuple(true, ""));
    EXPECT_EQ(parts(roundedDigits(9.995, 2, HalfRule::AwayFromZero)), std::make_tuple(false, "1", 1));
}

TEST(Rounding, significantVariantAKeepsThreeDigits) {
    expectRounded(roundSignificantA, {
        {1234.5, 1230.0}, {9876.0, 9880.0}, {0.0012345, 0.00123}, {999.7, 1000.0}, {0.0, 0.0}, {-0.0, 0.0},
        {-1234.5, -1230.0}, {-999.7, -1000.0}, {-0.0012355, -0.00124},
        // Fewer than four digits: unchanged.
        {5.0, 5.0}, {12.0, 12.0}, {123.0, 123.0}, {0.5, 0.5},
        // The fourth digit alone decides, and the shown digits count: 0.1235 is
        // stored a hair below, but its text carries the 5.
        {12349.0, 12300.0}, {12350.0, 12400.0}, {0.1235, 0.124},
        // Carries that gain a place in front, also below 1.
        {99.95, 100.0}, {0.9995, 1.0}, {199.96, 200.0},
        // Numbers printed in exponent form are handled on their plain digits.
        {1.2345e20, 1.23e20}, {1.2355e-20, 1.24e-20}, {1234567.0, 1230000.0}, {HUGE_VAL, HUGE_VAL},
    });
}

TEST(Rounding, significantVariantBKeepsTwoDigitsFromFiveUp) {
    expectRounded(roundSignificantB, {
        {5678.0, 5700.0}, {0.955, 0.96}, {99.6, 100.0}, {1234.5, 1230.0},
        // First digit below 5: exactly variant A.
        {4999.0, 5000.0}, {0.0012345, 0.00123}, {499.7, 500.0},
        // First digit 5 or more: the third digit rounds the second.
        {5.5, 5.5}, {5.55, 5.6}, {5.549, 5.5}, {0.0549, 0.055}, {96.5, 97.0}, {995.0, 1000.0}, {95.0, 95.0},
        {-5678.0, -5700.0}, {-0.955, -0.96}, {0.0, 0.0},
    });
    EXPECT_TRUE(std::isnan(roundSignificantB(std::numeric_limits<double>::quiet_NaN())));
}
