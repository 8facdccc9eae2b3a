#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "core/Dates.h"
#include "core/Formats.h"

using namespace skyloom::core;

TEST(Formats, forcedDigits) {
    EXPECT_EQ(formatNumber(2.5, "0"), "3");  // shown digits round half away from zero
    EXPECT_EQ(formatNumber(3.5, "0"), "4");
    EXPECT_EQ(formatNumber(-2.5, "0"), "-3");
    EXPECT_EQ(formatNumber(0.0, "0"), "0");
    EXPECT_EQ(formatNumber(1234.4, "0"), "1234");
    EXPECT_EQ(formatNumber(0.05, "0.0"), "0.1");
    EXPECT_EQ(formatNumber(12.25, "0.0"), "12.3");
    EXPECT_EQ(formatNumber(0.0, "0.0"), "0.0");
    EXPECT_EQ(formatNumber(1.0, "0.00"), "1.00");
    EXPECT_EQ(formatNumber(2.675, "0.00"), "2.68");
    EXPECT_EQ(formatNumber(1.005, "0.00"), "1.01");
    EXPECT_EQ(formatNumber(1234.567, "0.00"), "1234.57");
    EXPECT_EQ(formatNumber(0.03 + 0.2, "0.00"), "0.23");  // Frame advance label
    EXPECT_EQ(formatNumber(0.12345, "0.0000"), "0.1235");
    EXPECT_EQ(formatNumber(0.00004, "0.0000"), "0.0000");
    EXPECT_EQ(formatNumber(-37.8136, "0.00"), "-37.81");  // a latitude
}

TEST(Formats, negativeValueShownAsZeroKeepsItsSign) {
    EXPECT_EQ(formatNumber(-0.001, "0.00"), "-0.00");
    EXPECT_EQ(formatNumber(-0.04, "#.#"), "-.");
    EXPECT_EQ(formatNumber(-0.0, "0.00"), "0.00");
}

TEST(Formats, leadingZerosToAFixedWidth) {
    EXPECT_EQ(formatNumber(42.0, "00000"), "00042");
    EXPECT_EQ(formatNumber(0.0, "00000"), "00000");
    EXPECT_EQ(formatNumber(12.5, "00000"), "00013");
    EXPECT_EQ(formatNumber(123456.0, "00000"), "123456");  // wider values are never cut
    EXPECT_EQ(formatNumber(7.0, "000000"), "000007");
    EXPECT_EQ(formatNumber(1234567.0, "000000"), "1234567");
}

TEST(Formats, optionalDigitsBelowOne) {
    EXPECT_EQ(formatNumber(0.04, "#.#"), ".");
    EXPECT_EQ(formatNumber(0.0, "#.#"), ".");
    EXPECT_EQ(formatNumber(0.06, "#.#"), ".1");
    EXPECT_EQ(formatNumber(0.96, "#.#"), "1.");
    EXPECT_EQ(formatNumber(12.34, "#.#"), "12.3");
    EXPECT_EQ(formatNumber(12.0, "#.#"), "12.");  // the point stays
    EXPECT_EQ(formatNumber(0.12345, "#.####"), ".1235");
    EXPECT_EQ(formatNumber(0.1, "#.####"), ".1");
    EXPECT_EQ(formatNumber(0.0, "#.####"), ".");
    EXPECT_EQ(formatNumber(-0.05, "#.####"), "-.05");
    EXPECT_EQ(formatNumber(3.46, "#.0"), "3.5");
    EXPECT_EQ(formatNumber(0.5, "#.0"), ".5");
    EXPECT_EQ(formatNumber(0.0, "#.0"), ".0");
    EXPECT_EQ(formatNumber(24.0, "#.0"), "24.0");  // program version in the captions
    EXPECT_EQ(formatNumber(12.34, "##.0"), "12.3");
    EXPECT_EQ(formatNumber(123.45, "##.0"), "123.5");
    EXPECT_EQ(formatNumber(0.45, "##.0"), ".5");
    EXPECT_EQ(formatNumber(0.4, "#"), "");
    EXPECT_EQ(formatNumber(0.5, "#"), "1");
    EXPECT_EQ(formatNumber(27.0, "#"), "27");
    EXPECT_EQ(formatNumber(0.05, "0.####"), "0.05");
    EXPECT_EQ(formatNumber(1.0, "0.####"), "1.");
    EXPECT_EQ(formatNumber(0.0, "0.####"), "0.");
    EXPECT_EQ(formatNumber(0.12345, "0.####"), "0.1235");
}

TEST(Formats, mixedDigitPlaces) {
    EXPECT_EQ(formatNumber(0.4, "#0"), "0");
    EXPECT_EQ(formatNumber(12.5, "#0"), "13");
    EXPECT_EQ(formatNumber(1234.0, "#0"), "1234");
    EXPECT_EQ(formatNumber(0.5, "#0.00"), "0.50");
    EXPECT_EQ(formatNumber(12.345, "#0.00"), "12.35");
    EXPECT_EQ(formatNumber(0.0, "##0.00"), "0.00");
    EXPECT_EQ(formatNumber(1234.5, "##0.00"), "1234.50");
}

TEST(Formats, thousandsGrouping) {
    EXPECT_EQ(formatNumber(0.0, "#,###"), "");
    EXPECT_EQ(formatNumber(12.0, "#,###"), "12");
    EXPECT_EQ(formatNumber(999.5, "#,###"), "1,000");
    EXPECT_EQ(formatNumber(1234567.0, "#,###"), "1,234,567");
    EXPECT_EQ(formatNumber(-1234.0, "#,###"), "-1,234");
    EXPECT_EQ(formatNumber(0.0, "#,###,##0"), "0");
    EXPECT_EQ(formatNumber(1000.0, "#,###,##0"), "1,000");
    EXPECT_EQ(formatNumber(1234567.5, "#,###,##0"), "1,234,568");
    EXPECT_EQ(formatNumber(0.0, "##,###,##0"), "0");
    EXPECT_EQ(formatNumber(123456789012.0, "#,###,###"), "123,456,789,012");
    EXPECT_EQ(formatNumber(1e15, "#,###"), "1,000,000,000,000,000");
    EXPECT_EQ(formatNumber(4500.0, "###,##0"), "4,500");
    EXPECT_EQ(formatNumber(0.0, "###,##0"), "0");
    EXPECT_EQ(formatNumber(1234.5, "#,###,###.##"), "1,234.5");
    EXPECT_EQ(formatNumber(1234.0, "#,###,###.##"), "1,234.");
    EXPECT_EQ(formatNumber(0.004, "#,###,###.##"), ".");
    EXPECT_EQ(formatNumber(999999.999, "#,###,###.##"), "1,000,000.");
}

TEST(Formats, changeReportNumbers) {
    EXPECT_EQ(formatNumber(1234.5678901, "###,###,###.######"), "1,234.56789");
    EXPECT_EQ(formatNumber(0.1234565, "###,###,###.######"), ".123457");
    EXPECT_EQ(formatNumber(0.0000004, "###,###,###.######"), ".");
    EXPECT_EQ(formatNumber(1230.0, "###,###,###.######"), "1,230.");
    EXPECT_EQ(formatNumber(-0.96, "###,###,###.######"), "-.96");
}

TEST(Formats, currency) {
    EXPECT_EQ(formatNumber(1234567.8, "$#,###,##0"), "$1,234,568");
    EXPECT_EQ(formatNumber(0.0, "$#,###,##0"), "$0");
    EXPECT_EQ(formatNumber(-1500.0, "$#,###,##0"), "-$1,500");
    EXPECT_EQ(formatNumber(25000.0, "$##,###,##0"), "$25,000");
    EXPECT_EQ(formatNumber(300.0 * 7.5, "###,##0"), "2,250");
}

TEST(Formats, percentMultipliesByHundred) {
    EXPECT_EQ(formatNumber(0.1234, "0.0%"), "12.3%");
    EXPECT_EQ(formatNumber(0.05, "0.0%"), "5.0%");
    EXPECT_EQ(formatNumber(0.0, "0.0%"), "0.0%");
    EXPECT_EQ(formatNumber(1.0, "0.0%"), "100.0%");
    EXPECT_EQ(formatNumber(0.00125, "0.0%"), "0.1%");
    EXPECT_EQ(formatNumber(0.00155, "0.0%"), "0.2%");
    EXPECT_EQ(formatNumber(0.5, "#0%"), "50%");
    EXPECT_EQ(formatNumber(0.005, "#0%"), "1%");
    EXPECT_EQ(formatNumber(0.004, "#0%"), "0%");
    EXPECT_EQ(formatNumber(3.0 / 7.0, "#0.0%"), "42.9%");
    EXPECT_EQ(formatNumber(0.0, "#0.0%"), "0.0%");
    EXPECT_EQ(formatNumber(0.0123, "0.0%"), "1.2%");
}

TEST(Formats, literalTextAroundTheDigits) {
    EXPECT_EQ(formatNumber(12.5, "0.0\" kW\""), "12.5 kW");
    EXPECT_EQ(formatNumber(3.0, "\\#0"), "#3");
    EXPECT_EQ(formatNumber(3.0, "x"), "x");
    EXPECT_THROW(formatNumber(3.0, "0-0"), std::invalid_argument);
    EXPECT_THROW(formatNumber(3.0, "0.0.0"), std::invalid_argument);
}

TEST(Formats, emptyPatternIsThePlainForm) {
    EXPECT_EQ(formatNumber(0.25, ""), "0.25");
    EXPECT_EQ(formatNumber(-3.0, ""), "-3");
}

TEST(Formats, plainFormForSqlAndCsv) {
    EXPECT_EQ(formatPlain(12.0), "12");
    EXPECT_EQ(formatPlain(0.5), "0.5");
    EXPECT_EQ(formatPlain(-0.5), "-0.5");
    EXPECT_EQ(formatPlain(1013.25), "1013.25");
    EXPECT_EQ(formatPlain(0.0), "0");
    EXPECT_EQ(formatPlain(-0.0), "0");
    EXPECT_EQ(formatPlain(100.0), "100");
    EXPECT_EQ(formatPlain(0.1 + 0.2), "0.3");
    EXPECT_EQ(formatPlain(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(formatPlain(2.0 / 3.0), "0.666666666666667");
    EXPECT_EQ(formatPlain(-37.8136), "-37.8136");
    EXPECT_EQ(formatPlain(123456789012345.0), "123456789012345");
    EXPECT_EQ(formatPlain(1e15), "1E+15");
    EXPECT_EQ(formatPlain(-2.5e16), "-2.5E+16");
    EXPECT_EQ(formatPlain(1e100), "1E+100");
    EXPECT_EQ(formatPlain(0.00001), "0.00001");
    EXPECT_EQ(formatPlain(0.0000015), "1.5E-06");
    EXPECT_EQ(formatPlain(HUGE_VAL), "Inf");
}

TEST(Formats, singlePrecisionValuesWithSevenDigits) {
    const double widened = static_cast<double>(15.2f);
    EXPECT_EQ(formatPlain(widened), "15.1999998092651");
    EXPECT_EQ(formatPlain(widened, 7), "15.2");
    EXPECT_EQ(formatPlain(static_cast<double>(1234567.8f), 7), "1234568");
    EXPECT_EQ(formatVbStr(static_cast<double>(-0.7f), 7), "-.7 ");
}

TEST(Formats, generatorFileNumbers) {
    EXPECT_EQ(formatVbStr(1013.25), " 1013.25 ");
    EXPECT_EQ(formatVbStr(0.5), " .5 ");
    EXPECT_EQ(formatVbStr(-0.5), "-.5 ");
    EXPECT_EQ(formatVbStr(-3.0), "-3 ");
    EXPECT_EQ(formatVbStr(0.0), " 0 ");
    EXPECT_EQ(formatVbStr(15.0), " 15 ");
    EXPECT_EQ(formatVbStr(150 / 10.0), " 15 ");
    EXPECT_EQ(formatVbStr(0.05), " .05 ");
    EXPECT_EQ(formatVbStr(25000.0), " 25000 ");
    EXPECT_EQ(formatVbStr(1e15), " 1E+15 ");
}

namespace {
const Days kSaturday = makeDate(2019, 1, 5);
}

TEST(Formats, datePatterns) {
    EXPECT_EQ(formatDate(kSaturday, "dd-mmm-yyyy"), "05-Jan-2019");
    EXPECT_EQ(formatDate(kSaturday, "mmm d, yyyy"), "Jan 5, 2019");
    EXPECT_EQ(formatDate(kSaturday, "dddd mmm-dd-yyyy"), "Saturday Jan-05-2019");
    // Upper-case letters mean the same; month names keep their own case.
    EXPECT_EQ(formatDate(kSaturday, "MMM-DD-YYYY"), "Jan-05-2019");
    EXPECT_EQ(formatDate(makeDate(2018, 12, 31), "MMM-DD-YYYY"), "Dec-31-2018");
    EXPECT_EQ(formatDate(kSaturday, "m/d/yy"), "1/5/19");
    EXPECT_EQ(formatDate(kSaturday, "ddd mm"), "Sat 01");
    EXPECT_EQ(formatDate(makeDate(1930, 1, 1), "dddd dd-mmm-yyyy"), "Wednesday 01-Jan-1930");
    EXPECT_EQ(formatDate(makeDate(2000, 2, 29), "dddd mmmm d, yyyy"), "Tuesday February 29, 2000");
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

TEST(Formats, timeOfDayOnTwentyFourHourClock) {
    EXPECT_EQ(formatDateTime(kSaturday, 13, 5, 0, "mmm d, yyyy hh:mm"), "Jan 5, 2019 13:05");
    EXPECT_EQ(formatDateTime(kSaturday, 0, 0, 0, "mmm d, yyyy hh:mm"), "Jan 5, 2019 00:00");
    EXPECT_EQ(formatDateTime(kSaturday, 23, 59, 7, "hh:nn:ss"), "23:59:07");
    EXPECT_EQ(formatDateTime(kSaturday, 7, 3, 9, "h:m:s"), "7:3:9");
    EXPECT_EQ(formatDate(kSaturday, "mmm d, yyyy hh:mm"), "Jan 5, 2019 00:00");
}

TEST(Formats, analysisTimeOnTwelveHourClock) {
    const char* p = "dddd mmmm d, yyyy  HH:MM:SS am/pm";
    EXPECT_EQ(formatDateTime(kSaturday, 13, 5, 9, p), "Saturday January 5, 2019  01:05:09 pm");
    EXPECT_EQ(formatDateTime(kSaturday, 0, 30, 0, p), "Saturday January 5, 2019  12:30:00 am");
    EXPECT_EQ(formatDateTime(kSaturday, 12, 0, 0, p), "Saturday January 5, 2019  12:00:00 pm");
    EXPECT_EQ(formatDateTime(kSaturday, 11, 59, 59, p), "Saturday January 5, 2019  11:59:59 am");
    EXPECT_EQ(formatDateTime(kSaturday, 23, 0, 0, "h AM/PM"), "11 PM");
    EXPECT_EQ(formatDateTime(kSaturday, 9, 0, 0, "h a/p"), "9 a");
}
