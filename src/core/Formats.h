#pragma once

#include <string>
#include <string_view>

#include "core/Dates.h"

namespace skyloom::core {

// A number shown through a display pattern, the way the program's labels, grid
// and messages show it:
//  - '0' is a digit always shown, '#' a digit shown only when significant; in the
//    integer part the first '0' fixes the least number of digits ("00000" of 42 is
//    "00042"), in the fraction the last '0' fixes the least number of decimals and
//    the '#'s after it drop trailing zeros;
//  - an integer part of only '#' shows nothing for a value below 1 ("#.#" of 0.04
//    is ".", "#,###" of 0 is ""); a point is always shown when the pattern has one
//    ("#.#" of 12 is "12.", "0.####" of 1 is "1.");
//  - a ',' among the integer digits groups them by thousands;
//  - '%' multiplies by 100 and is shown where it stands; other characters
//    ('$', blanks, text in double quotes, a character after '\') before or after
//    the digits are shown as they are;
//  - the shown value is rounded half away from zero on its printed digits;
//  - a negative value gets a leading "-" before everything, also when its shown
//    digits are all zero (-0.001 in "0.00" is "-0.00").
// An empty pattern gives formatPlain(v); a pattern without any digit place gives
// its own text (the number is not shown). Literal text between digit places is not
// supported and throws std::invalid_argument.
std::string formatNumber(double v, std::string_view pattern);

// Dates and times through a pattern, with English names whatever the locale.
// Letters are case-insensitive: d, dd (day), ddd, dddd (Sat, Saturday), m, mm
// (month), mmm, mmmm (Jan, January), yy, yyyy, h, hh (hour), n, nn (minute),
// s, ss (second); "m"/"mm" right after an hour or before a second means minutes.
// "am/pm" ("AM/PM", "a/p", "A/P") puts the hour on a 12-hour clock (0:30 is
// 12:30 am, 12:30 is 12:30 pm) and shows the marker in the case written; without
// it hours run 0..23. Any other character is shown as it is.
std::string formatDate(Days d, std::string_view pattern);
std::string formatDateTime(Days d, int hour, int minute, int second, std::string_view pattern);

// A number in its plain text form, as written into SQL text, CSV and messages:
// at most 15 significant digits, the shortest that read back to the value, no
// trailing zeros or point ("12", "0.5", "-1013.25"). Magnitudes from 1E-05 up to
// below 1E+15 are written in plain digits, others in exponent form ("1E+15",
// "1.5E-06"). A single-precision value is written with significant = 7, as it
// was printed before it widened to a double (15.2f gives "15.2").
std::string formatPlain(double v, int significant = 15);

// A number as the generator text file writes it: the sign place (a blank, or
// "-"), the digits as formatPlain but without a zero before the point, and one
// trailing blank (" 1013.25 ", " .5 ", "-3 ", " 0 ").
std::string formatVbStr(double v, int significant = 15);

}  // namespace skyloom::core
