#include "core/Dates.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "core/Text.h"

namespace skyloom::core {

using namespace std::chrono;

namespace {
const Days kEpoch1930 = sys_days{year{1930} / January / 1};
const std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                             "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
// The years the stored form "YYYY-MM-DD" holds.
constexpr long long kFirstYear = 1, kLastYear = 9999;
}  // namespace

Days makeDate(int y, int m, int d) {
    return sys_days{year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)}};
}

int yearOf(Days d) { return static_cast<int>(year_month_day{d}.year()); }
int monthOf(Days d) { return static_cast<int>(static_cast<unsigned>(year_month_day{d}.month())); }
int dayOf(Days d) { return static_cast<int>(static_cast<unsigned>(year_month_day{d}.day())); }

HoursSince1930 hoursSince1930(Days date, int hour) {
    return static_cast<HoursSince1930>((date - kEpoch1930).count() * 24 + hour);
}

Days dateOfHours(HoursSince1930 h) {
    int days = h >= 0 ? h / 24 : -((-h + 23) / 24);
    return kEpoch1930 + std::chrono::days{days};
}

int hourOfHours(HoursSince1930 h) {
    int r = h % 24;
    return r < 0 ? r + 24 : r;
}

int daysBetween(Days a, Days b) { return static_cast<int>((b - a).count()); }

std::string isoDate(Days d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", yearOf(d), monthOf(d), dayOf(d));
    return buf;
}

std::string isoDateTime(Days d, int hour, int minute, int second) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s %02d:%02d:%02d", isoDate(d).c_str(), hour, minute, second);
    return buf;
}

std::optional<Days> parseIsoDate(std::string_view s) {
    int y = 0, m = 0, d = 0;
    std::string t(s.substr(0, 10));
    char extra = 0;
    if (std::sscanf(t.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &extra) < 3) return std::nullopt;
    if (y < kFirstYear || m < 1 || d < 1) return std::nullopt;
    year_month_day ymd{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    if (!ymd.ok()) return std::nullopt;
    return sys_days{ymd};
}

int monthFromName(std::string_view name) {
    if (name.size() < 3) return 0;
    std::string u = toUpper(name.substr(0, 3));
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (u == kMonths[i]) return static_cast<int>(i) + 1;
    return 0;
}

std::optional<Days> parseUserDate(std::string_view s) {
    std::string t = trim(s);
    if (auto iso = parseIsoDate(t); iso && t.size() >= 10 && t[4] == '-') return iso;
    // Normalise separators to blanks and read three pieces.
    std::string n;
    for (char c : t) n += (c == '-' || c == '/' || c == ',' || c == '.') ? ' ' : c;
    auto parts = splitBlanks(n);
    if (parts.size() != 3) return std::nullopt;
    long long a = 0, b = 0, c = 0;
    long long y = 0, m = 0, d = 0;
    if (monthFromName(parts[0]) && parseInteger(parts[1], b) && parseInteger(parts[2], c)) {
        m = monthFromName(parts[0]); d = b; y = c;
    } else if (parseInteger(parts[0], a) && monthFromName(parts[1]) && parseInteger(parts[2], c)) {
        d = a; m = monthFromName(parts[1]); y = c;
    } else if (parseInteger(parts[0], a) && parseInteger(parts[1], b) && parseInteger(parts[2], c)) {
        m = a; d = b; y = c;
    } else {
        return std::nullopt;
    }
    if (y >= 0 && y < 100) y += y < 30 ? 2000 : 1900;
    // A date the stored form cannot hold (five-digit or negative years) is not a date.
    if (y < kFirstYear || y > kLastYear || m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
    year_month_day ymd{year{static_cast<int>(y)}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    if (!ymd.ok()) return std::nullopt;
    return sys_days{ymd};
}

std::string nowIsoDateTime() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

}  // namespace skyloom::core
