#include "core/Formats.h"

#include <array>
#include <cctype>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/Rounding.h"

namespace skyloom::core {

namespace {

constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",
                                                 "May",     "June",     "July",      "August",
                                                 "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

char lowerChar(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string twoDigits(int n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

// ---- numbers in plain text ---------------------------------------------------

std::string nonFiniteText(double v) {
    if (std::isnan(v)) return "NaN";
    return v < 0 ? "-Inf" : "Inf";
}

// Digits of d without sign; leadingZero chooses "0.5" or ".5".
std::string unsignedText(const DecimalDigits& d, bool leadingZero) {
    if (d.isZero()) return "0";
    const int n = static_cast<int>(d.digits.size());
    std::string s;
    if (d.exponent >= 15 || d.exponent < -5) {
        s.push_back(d.digits[0]);
        if (n > 1) {
            s.push_back('.');
            s.append(d.digits, 1);
        }
        const int e = std::abs(d.exponent);
        s += d.exponent < 0 ? "E-" : "E+";
        s += twoDigits(e);
        return s;
    }
    if (d.exponent >= 0) {
        const int intDigits = d.exponent + 1;
        for (int i = 0; i < intDigits; ++i) s.push_back(i < n ? d.digits[i] : '0');
        if (n > intDigits) {
            s.push_back('.');
            s.append(d.digits, static_cast<std::size_t>(intDigits));
        }
        return s;
    }
    if (leadingZero) s.push_back('0');
    s.push_back('.');
    s.append(static_cast<std::size_t>(-d.exponent - 1), '0');
    s += d.digits;
    return s;
}

// ---- numeric patterns --------------------------------------------------------

enum class TokenKind { Zero, Hash, Point, Comma, Percent, Literal };

struct Token {
    TokenKind kind;
    std::string text;  // for Literal
};

std::vector<Token> tokenize(std::string_view pattern) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        switch (c) {
        case '0': tokens.push_back({TokenKind::Zero, {}}); break;
        case '#': tokens.push_back({TokenKind::Hash, {}}); break;
        case '.': tokens.push_back({TokenKind::Point, {}}); break;
        case ',': tokens.push_back({TokenKind::Comma, {}}); break;
        case '%': tokens.push_back({TokenKind::Percent, {}}); break;
        case '\\':
            if (i + 1 < pattern.size()) tokens.push_back({TokenKind::Literal, std::string(1, pattern[++i])});
            break;
        case '"': {
            const auto end = pattern.find('"', i + 1);
            const auto stop = end == std::string_view::npos ? pattern.size() : end;
            tokens.push_back({TokenKind::Literal, std::string(pattern.substr(i + 1, stop - i - 1))});
            i = stop;
            break;
        }
        default: tokens.push_back({TokenKind::Literal, std::string(1, c)}); break;
        }
    }
    return tokens;
}

bool isPlaceholder(TokenKind k) { return k == TokenKind::Zero || k == TokenKind::Hash; }

std::string literalText(const Token& t) {
    switch (t.kind) {
    case TokenKind::Literal: return t.text;
    case TokenKind::Percent: return "%";
    case TokenKind::Comma: return ",";
    case TokenKind::Point: return ".";
    default: return {};
    }
}

struct NumberPattern {
    std::string prefix, suffix;
    bool percent = false;
    bool hasDigits = false;
    bool hasPoint = false;
    bool grouping = false;
    int minIntDigits = 0;   // placeholders from the first integer '0' to the point
    int decimals = 0;       // fraction placeholders
    int minDecimals = 0;    // up to and including the last fraction '0'
};

NumberPattern parsePattern(std::string_view pattern) {
    const std::vector<Token> tokens = tokenize(pattern);
    NumberPattern p;
    std::size_t first = tokens.size(), last = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == TokenKind::Percent) p.percent = true;
        if (isPlaceholder(tokens[i].kind) || tokens[i].kind == TokenKind::Point) {
            if (first == tokens.size()) first = i;
            last = i;
        }
    }
    if (first == tokens.size()) {  // no digits at all: the text alone
        for (const Token& t : tokens) p.prefix += literalText(t);
        return p;
    }
    p.hasDigits = true;
    for (std::size_t i = 0; i < first; ++i) p.prefix += literalText(tokens[i]);
    for (std::size_t i = last + 1; i < tokens.size(); ++i) p.suffix += literalText(tokens[i]);

    int intPlaces = 0;
    int firstIntZero = -1;
    for (std::size_t i = first; i <= last; ++i) {
        const TokenKind k = tokens[i].kind;
        if (k == TokenKind::Point) {
            if (p.hasPoint) throw std::invalid_argument("second decimal point in number pattern");
            p.hasPoint = true;
        } else if (k == TokenKind::Comma) {
            if (!p.hasPoint) p.grouping = true;
        } else if (isPlaceholder(k)) {
            if (p.hasPoint) {
                ++p.decimals;
                if (k == TokenKind::Zero) p.minDecimals = p.decimals;
            } else {
                if (k == TokenKind::Zero && firstIntZero < 0) firstIntZero = intPlaces;
                ++intPlaces;
            }
        } else {
            throw std::invalid_argument("text between the digits of a number pattern");
        }
    }
    if (firstIntZero >= 0) p.minIntDigits = intPlaces - firstIntZero;
    return p;
}

std::string groupThousands(const std::string& digits) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

// ---- date patterns -----------------------------------------------------------

struct DateParts {
    int year, month, day, weekday;  // weekday 0 = Sunday
    int hour, minute, second;
};

enum class DateField { None, Day, Month, Year, Hour, Minute, Second, AmPm, Literal };

struct DateToken {
    DateField field;
    int width;         // run length of the letter
    std::string text;  // literal text, or the am/pm marker as written
};

bool matchesAt(std::string_view s, std::size_t i, std::string_view word) {
    if (i + word.size() > s.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k)
        if (lowerChar(s[i + k]) != word[k]) return false;
    return true;
}

std::vector<DateToken> tokenizeDate(std::string_view pattern) {
    std::vector<DateToken> tokens;
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (matchesAt(pattern, i, "am/pm") || matchesAt(pattern, i, "a/p")) {
            const std::size_t len = matchesAt(pattern, i, "am/pm") ? 5 : 3;
            tokens.push_back({DateField::AmPm, 0, std::string(pattern.substr(i, len))});
            i += len;
            continue;
        }
        const char c = lowerChar(pattern[i]);
        DateField f = DateField::None;
        switch (c) {
        case 'd': f = DateField::Day; break;
        case 'm': f = DateField::Month; break;
        case 'y': f = DateField::Year; break;
        case 'h': f = DateField::Hour; break;
        case 'n': f = DateField::Minute; break;
        case 's': f = DateField::Second; break;
        default: break;
        }
        if (f == DateField::None) {
            tokens.push_back({DateField::Literal, 1, std::string(1, pattern[i])});
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < pattern.size() && lowerChar(pattern[j]) == c) ++j;
        tokens.push_back({f, static_cast<int>(j - i), {}});
        i = j;
    }
    // "m" or "mm" next to an hour (before) or a second (after) stands for minutes.
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].field != DateField::Month || tokens[k].width > 2) continue;
        bool minute = false;
        for (std::size_t b = k; b-- > 0;) {
            if (tokens[b].field == DateField::Literal) continue;
            minute = tokens[b].field == DateField::Hour;
            break;
        }
        for (std::size_t a = k + 1; !minute && a < tokens.size(); ++a) {
            if (tokens[a].field == DateField::Literal) continue;
            minute = tokens[a].field == DateField::Second;
            break;
        }
        if (minute) tokens[k].field = DateField::Minute;
    }
    return tokens;
}

std::string ampmText(const std::string& marker, bool pm) {
    // "am/pm" -> "am"/"pm" in the letter case written, "a/p" -> "a"/"p".
    const std::size_t slash = marker.find('/');
    return pm ? marker.substr(slash + 1) : marker.substr(0, slash);
}

std::string renderDate(const DateParts& p, std::string_view pattern) {
    const std::vector<DateToken> tokens = tokenizeDate(pattern);
    bool twelveHour = false;
    for (const DateToken& t : tokens)
        if (t.field == DateField::AmPm) twelveHour = true;

    std::string out;
    for (const DateToken& t : tokens) {
        switch (t.field) {
        case DateField::Day:
            if (t.width == 1) out += std::to_string(p.day);
            else if (t.width == 2) out += twoDigits(p.day);
            else if (t.width == 3) out += std::string(kWeekdays[p.weekday]).substr(0, 3);
            else out += kWeekdays[p.weekday];
            break;
        case DateField::Month:
            if (t.width == 1) out += std::to_string(p.month);
            else if (t.width == 2) out += twoDigits(p.month);
            else if (t.width == 3) out += std::string(kMonths[p.month - 1]).substr(0, 3);
            else out += kMonths[p.month - 1];
            break;
        case DateField::Year:
            if (t.width <= 2) out += twoDigits(p.year % 100);
            else out += std::to_string(p.year);
            break;
        case DateField::Hour: {
            int h = p.hour;
            if (twelveHour) h = (h % 12 == 0) ? 12 : h % 12;
            out += t.width == 1 ? std::to_string(h) : twoDigits(h);
            break;
        }
        case DateField::Minute:
            out += t.width == 1 ? std::to_string(p.minute) : twoDigits(p.minute);
            break;
        case DateField::Second:
            out += t.width == 1 ? std::to_string(p.second) : twoDigits(p.second);
            break;
        case DateField::AmPm: out += ampmText(t.text, p.hour >= 12); break;
        case DateField::Literal: out += t.text; break;
        case DateField::None: break;
        }
    }
    return out;
}

}  // namespace

std::string formatNumber(double v, std::string_view pattern) {
    if (pattern.empty() || !std::isfinite(v)) return formatPlain(v);
    const NumberPattern p = parsePattern(pattern);
    if (!p.hasDigits) return p.prefix;

    DecimalDigits d = decimalDigits(v);
    const bool negative = d.negative && !d.isZero();
    if (p.percent && !d.isZero()) d.exponent += 2;
    d = roundedDigits(std::move(d), p.decimals, HalfRule::AwayFromZero);

    const int n = static_cast<int>(d.digits.size());
    auto digitAtPlace = [&](int place) -> char {
        if (d.isZero()) return '0';
        const int index = d.exponent - place;
        return (index >= 0 && index < n) ? d.digits[static_cast<std::size_t>(index)] : '0';
    };

    std::string intPart;
    if (!d.isZero() && d.exponent >= 0)
        for (int place = d.exponent; place >= 0; --place) intPart.push_back(digitAtPlace(place));
    if (static_cast<int>(intPart.size()) < p.minIntDigits)
        intPart.insert(0, static_cast<std::size_t>(p.minIntDigits) - intPart.size(), '0');
    if (p.grouping) intPart = groupThousands(intPart);

    std::string fraction;
    for (int k = 1; k <= p.decimals; ++k) fraction.push_back(digitAtPlace(-k));
    while (static_cast<int>(fraction.size()) > p.minDecimals && fraction.back() == '0') fraction.pop_back();

    std::string out;
    if (negative) out.push_back('-');
    out += p.prefix;
    out += intPart;
    if (p.hasPoint) {
        out.push_back('.');
        out += fraction;
    }
    out += p.suffix;
    return out;
}

std::string formatDateTime(Days d, int hour, int minute, int second, std::string_view pattern) {
    const std::chrono::year_month_day ymd{d};
    const DateParts parts{static_cast<int>(ymd.year()),
                          static_cast<int>(static_cast<unsigned>(ymd.month())),
                          static_cast<int>(static_cast<unsigned>(ymd.day())),
                          static_cast<int>(std::chrono::weekday{d}.c_encoding()),
                          hour,
                          minute,
                          second};
    return renderDate(parts, pattern);
}

std::string formatDate(Days d, std::string_view pattern) { return formatDateTime(d, 0, 0, 0, pattern); }

std::string formatPlain(double v, int significant) {
    if (!std::isfinite(v)) return nonFiniteText(v);
    const DecimalDigits d = decimalDigits(v, significant);
    const std::string digits = unsignedText(d, true);
    return (d.negative && !d.isZero()) ? "-" + digits : digits;
}

std::string formatVbStr(double v, int significant) {
    if (!std::isfinite(v)) return " " + nonFiniteText(v) + " ";
    const DecimalDigits d = decimalDigits(v, significant);
    const bool negative = d.negative && !d.isZero();
    return (negative ? "-" : " ") + unsignedText(d, false) + " ";
}

}  // namespace skyloom::core
