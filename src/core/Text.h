#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skyloom::core {

// Blanks (space, tab, CR, LF) removed at both ends.
std::string trim(std::string_view s);
std::string toUpper(std::string_view s);
std::string toLower(std::string_view s);
// Case-insensitive (ASCII) equality and containment.
bool iequals(std::string_view a, std::string_view b);
bool icontains(std::string_view haystack, std::string_view needle);
bool startsWith(std::string_view s, std::string_view prefix);
bool endsWith(std::string_view s, std::string_view suffix);
// Splits at every occurrence of sep (empty pieces kept).
std::vector<std::string> split(std::string_view s, char sep);
// The lines of a text, each without its line feed or a carriage return before
// it; a final line feed ends the last line rather than starting an empty one.
std::vector<std::string> splitLines(std::string_view text);
// Splits at runs of blanks, ignoring leading and trailing blanks.
std::vector<std::string> splitBlanks(std::string_view s);
std::string replaceAll(std::string s, std::string_view from, std::string_view to);
// Pads with blanks on the right (or cuts) to exactly n characters.
std::string padRight(std::string_view s, std::size_t n);

// The number a text begins with, the way a user's typing is read: leading blanks
// skipped, then the longest leading piece that forms a decimal number (sign,
// digits, one point, an exponent); anything after it ignored; 0 when the text
// does not begin with a number.
double leadingNumber(std::string_view s);
// True when the whole trimmed text is a decimal number; the value goes to out.
bool parseNumber(std::string_view s, double& out);
bool parseInteger(std::string_view s, long long& out);

// Names typed by the user for generators, studies and files may not hold any
// of / ? < > \ : * | or a double quote, nor a control character (a line break,
// a tab, any other code below 32, or DEL): such a name would break the lines of
// the files it is written to.
bool isLegalName(std::string_view name);

}  // namespace skyloom::core
