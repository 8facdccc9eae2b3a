#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "core/Dates.h"
#include "core/Formats.h"

using namespace skyloom::core;

namespace {
struct NumberCase {
    double value;
    const char* pattern;
    const char* shown;
};

void expectShown(std::initializer_list<NumberCase> cases) {
    for (const auto& c : cases)
        EXPECT_EQ(formatNumber(c.value, c.pattern), c.shown) << c.value << " in \"" << c.pattern << "\"";
}
}  // namespace

TEST(Formats, digitPlacesRoundHalfAwayFromZeroOnTheShownDigits) {
    expectShown({
        {2.5, "0", "3"}, {3.5, "0", "4"}, {-2.5, "0", "-3"}, {0.0, "0", "0"}, {1234.4, "0", "1234"},
        {0.05, "0.0", "0.1"}, {12.25, "0.0", "12.3"}, {0.0, "0.0", "0.0"}, {1.0, "0.00", "1.00"},
        {2.675, "0.00", "2.68"}, {1.005, "0.00", "1.01"}, {1234.567, "0.00", "1234.57"},
        {0.03 + 0.2, "0.00", "0.23"},  // Frame advance label
        {0.12345, "0.0000", "0.1235"}, {0.00004, "0.0000", "0.0000"}, {-37.8136, "0.00", "-37.81"},
        // A negative value shown as zero keeps its sign.
        {-0.001, "0.00", "-0.00"}, {-0.04, "#.#", "-."}, {-0.0, "0.00", "0.00"},
        // Leading zeros to a fixed width; wider values are never cut.
        {42.0, "00000", "00042"}, {0.0, "00000", "00000"}, {12.5, "00000", "00013"},
        {123456.0, "00000", "123456"}, {7.0, "000000", "000007"}, {1234567.0, "000000", "1234567"},
        // Optional digits: nothing below one, the point stays.
        {0.04, "#.#", "."}, {0.0, "#.#", "."}, {0.06, "#.#", ".1"}, {0.96, "#.#", "1."}, {12.34, "#.#", "12.3"},
        {12.0, "#.#", "12."}, {0.12345, "#.####", ".1235"}, {0.1, "#.####", ".1"}, {0.0, "#.####", "."},
        {-0.05, "#.####", "-.05"}, {3.46, "#.0", "3.5"}, {0.5, "#.0", ".5"}, {0.0, "#.0", ".0"},
        {24.0, "#.0", "24.0"},  // program version in the captions
        {12.34, "##.0", "12.3"}, {123.45, "##.0", "123.5"}, {0.45, "##.0", ".5"}, {0.4, "#", ""}, {0.5, "#", "1"},
        {27.0, "#", "27"}, {0.05, "0.####", "0.05"}, {1.0, "0.####", "1."}, {0.0, "0.####", "0."},
        {0.12345, "0.####", "0.1235"},
        // Mixed places.
        {0.4, "#0", "0"}, {12.5, "#0", "13"}, {1234.0, "#0", "1234"}, {0.5, "#0.00", "0.50"},
        {12.345, "#0.00", "12.35"}, {0.0, "##0.00", "0.00"}, {1234.5, "##0.00", "1234.50"},
    });
}

TEST(Formats, thousandsCurrencyAndPercent) {
    expectShown({
        {0.0, "#,###", ""}, {12.0, "#,###", "12"}, {999.5, "#,###", "1,000"}, {1234567.0, "#,###", "1,234,567"},
        {-1234.0, "#,###", "-1,234"}, {0.0, "#,###,##0", "0"}, {1000.0, "#,###,##0", "1,000"},
        {1234567.5, "#,###,##0", "1,234,568"}, {0.0, "##,###,##0", "0"},
        {123456789012.0, "#,###,###", "123,456,789,012"}, {1e15, "#,###", "1,000,000,000,000,000"},
        {4500.0, "###,##0", "4,500"}, {0.0, "###,##0", "0"}, {1234.5, "#,###,###.##", "1,234.5"},
        {1234.0, "#,###,###.##", "1,234."}, {0.004, "#,###,###.##", "."}, {999999.999, "#,###,###.##", "1,000,000."},
        // Change report numbers.
        {1234.5678901, "###,###,###.######", "1,234.56789"}, {0.1234565, "###,###,###.######", ".123457"},
        {0.0000004, "###,###,###.######", "."}, {1230.0, "###,###,###.######", "1,230."},
        {-0.96, "###,###,###.######", "-.96"},
        // Currency.
        {1234567.8, "$#,###,##0", "$1,234,568"}, {0.0, "$#,###,##0", "$0"}, {-1500.0, "$#,###,##0", "-$1,500"},
        {25000.0, "$##,###,##0", "$25,000"}, {300.0 * 7.5, "###,##0", "2,250"},
        // Percent multiplies by a hundred.
        {0.1234, "0.0%", "12.3%"}, {0.05, "0.0%", "5.0%"}, {0.0, "0.0%", "0.0%"}, {1.0, "0.0%", "100.0%"},
        {0.00125, "0.0%", "0.1%"}, {0.00155, "0.0%", "0.2%"}, {0.5, "#0%", "50%"}, {0.005, "#0%", "1%"},
        {0.004, "#0%", "0%"}, {3.0 / 7.0, "#0.0%", "42.9%"}, {0.0, "#0.0%", "0.0%"}, {0.0123, "0.0%", "1.2%"},
    });
}

TEST(Formats, literalTextAndTheEmptyPattern) {
    expectShown({{12.5, "0.0\" kW\"", "12.5 kW"}, {3.0, "\\#0", "#3"}, {3.0, "x", "x"},
                 {0.25, "", "0.25"}, {-3.0, "", "-3"}});
    EXPECT_THROW(formatNumber(3.0, "0-0"), std::invalid_argument);
    EXPECT_THROW(formatNumber(3.0, "0.0.0"), std::invalid_argument);
}

TEST(Formats, plainFormForSqlAndCsvAndTheGeneratorFile) {
    const std::pair<double, const char*> plain[] = {
        {12.0, "12"}, {0.5, "0.5"}, {-0.5, "-0.5"}, {1013.25, "1013.25"}, {0.0, "0"}, {-0.0, "0"}, {100.0, "100"},
        {0.1 + 0.2, "0.3"}, {1.0 / 3.0, "0.333333333333333"}, {2.0 / 3.0, "0.666666666666667"},
        {-37.8136, "-37.8136"}, {123456789012345.0, "123456789012345"}, {1e15, "1E+15"}, {-2.5e16, "-2.5E+16"},
        {1e100, "1E+100"}, {0.00001, "0.00001"}, {0.0000015, "1.5E-06"}, {HUGE_VAL, "Inf"}};
    for (const auto& [v, text] : plain) EXPECT_EQ(formatPlain(v), text) << v;
    const std::pair<double, const char*> generator[] = {
        {1013.25, " 1013.25 "}, {0.5, " .5 "}, {-0.5, "-.5 "}, {-3.0, "-3 "}, {0.0, " 0 "},
        {15.0, " 15 "}, {150 / 10.0, " 15 "}, {0.05, " .05 "}, {25000.0, " 25000 "}, {1e15, " 1E+15 "}};
    for (const auto& [v, text] : generator) EXPECT_EQ(formatVbStr(v), text) << v;
}

TEST(Formats, singlePrecisionValuesWithSevenDigits) {
    const double widened = static_cast<double>(15.2f);
    EXPECT_EQ(formatPlain(widened), "15.1999998092651");
    EXPECT_EQ(formatPlain(widened, 7), "15.2");
    EXPECT_EQ(formatPlain(static_cast<double>(1234567.8f), 7), "1234568");
    EXPECT_EQ(formatVbStr(static_cast<double>(-0.7f), 7), "-.7 ");
}

TEST(Formats, dateAndTimePatterns) {
    const Days sat = makeDate(2019, 1, 5);
    const char* twelve = "dddd mmmm d, yyyy  HH:MM:SS am/pm";
    struct {
        Days day;
        int h, m, s;
        const char* pattern;
        const char* shown;
    } cases[] = {
        {sat, 0, 0, 0, "dd-mmm-yyyy", "05-Jan-2019"}, {sat, 0, 0, 0, "mmm d, yyyy", "Jan 5, 2019"},
        {sat, 0, 0, 0, "dddd mmm-dd-yyyy", "Saturday Jan-05-2019"},
        // Upper-case letters mean the same; month names keep their own case.
        {sat, 0, 0, 0, "MMM-DD-YYYY", "Jan-05-2019"}, {makeDate(2018, 12, 31), 0, 0, 0, "MMM-DD-YYYY", "Dec-31-2018"},
        {sat, 0, 0, 0, "m/d/yy", "1/5/19"}, {sat, 0, 0, 0, "ddd mm", "Sat 01"},
        {makeDate(1930, 1, 1), 0, 0, 0, "dddd dd-mmm-yyyy", "Wednesday 01-Jan-1930"},
        {makeDate(2000, 2, 29), 0, 0, 0, "dddd mmmm d, yyyy", "Tuesday February 29, 2000"},
        // "m" next to an hour or a second is minutes; hours run 0..23 without am/pm.
        {sat, 13, 5, 0, "mmm d, yyyy hh:mm", "Jan 5, 2019 13:05"},
        {sat, 0, 0, 0, "mmm d, yyyy hh:mm", "Jan 5, 2019 00:00"},
        {sat, 23, 59, 7, "hh:nn:ss", "23:59:07"}, {sat, 7, 3, 9, "h:m:s", "7:3:9"},
        {sat, 13, 5, 9, twelve, "Saturday January 5, 2019  01:05:09 pm"},
        {sat, 0, 30, 0, twelve, "Saturday January 5, 2019  12:30:00 am"},
        {sat, 12, 0, 0, twelve, "Saturday January 5, 2019  12:00:00 pm"},
        {sat, 11, 59, 59, twelve, "Saturday January 5, 2019  11:59:59 am"},
        {sat, 23, 0, 0, "h AM/PM", "11 PM"}, {sat, 9, 0, 0, "h a/p", "9 a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatDateTime(c.day, c.h, c.m, c.s, c.pattern), c.shown) << c.pattern;
    EXPECT_EQ(formatDate(sat, "mmm d, yyyy hh:mm"), "Jan 5, 2019 00:00");
}

TEST(Formats, everyMonthAndWeekdayName) {
    const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                            "July",    "August",   "September", "October", "November", "December"};
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(formatDate(makeDate(2021, m, 1), "mmmm"), months[m - 1]);
        EXPECT_EQ(formatDate(makeDate(2021, m, 1), "mmm"), std::string(months[m - 1]).substr(0, 3));
    }
    // 6 to 12 January 2019 run from Sunday to Saturday.
    const char* days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(formatDate(makeDate(2019, 1, 6 + i), "dddd"), days[i]);
}
