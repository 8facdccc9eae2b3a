#include <gtest/gtest.h>

#include "core/TypedNumber.h"

using skyloom::core::expectedNumberText;
using skyloom::core::SensibleRange;
using skyloom::core::typedNumber;

TEST(TypedNumber, onlyAWholeNumberIsANumber) {
    struct Case {
        const char* typed;
        std::optional<double> value;
    } const cases[] = {
        {"50", 50},        {" 12.5 ", 12.5}, {"-3", -3},      {"+0.25", 0.25}, {".5", 0.5},
        {"5.", 5},         {"1E+30", 1e30},  {"2e-3", 0.002}, {"abc", {}},     {"", {}},
        {"12kw", 12},      {"1e400", {}},    {"1e", {}},      {"inf", {}},     {"nan", {}},
        {"0x10", {}},      {"2.50 MWh", 2.5}, {"80 %", 80},     {"abc 5", {}},      {"1,000", {}},    {"-", {}},       {".", {}},       {"5 5", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(typedNumber(c.typed), c.value) << '"' << c.typed << '"';
}

TEST(TypedNumber, expectedTextNamesTheRangeInOneLine) {
    EXPECT_EQ(expectedNumberText({0, 1000000, "kW"}), "Please enter a number from 0 to 1,000,000 kW.");
    EXPECT_EQ(expectedNumberText({0.2, 100, ""}), "Please enter a number from 0.2 to 100.");
    EXPECT_EQ(expectedNumberText({1, 999999999, "", true}), "Please enter a whole number from 1 to 999,999,999.");
    const SensibleRange whole{1, 10, "", true};
    EXPECT_TRUE(whole.contains(10));
    EXPECT_FALSE(whole.contains(2.5));
    EXPECT_FALSE(whole.contains(11));
}
