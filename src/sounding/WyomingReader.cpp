#include "sounding/WyomingReader.h"

#include <chrono>
#include <cmath>

#include "core/Dates.h"
#include "core/Text.h"
#include "sounding/RawTextReader.h"

namespace skyloom::sounding::wyoming {

namespace {

// Case-insensitive find from pos.
std::size_t ifind(std::string_view hay, std::string_view needle, std::size_t pos) {
    if (needle.empty() || hay.size() < needle.size()) return std::string_view::npos;
    for (std::size_t i = pos; i + needle.size() <= hay.size(); ++i)
        if (core::iequals(hay.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
}

// The text between <tag> and </tag> starting at or after pos; pos moves past it.
std::optional<std::string_view> element(std::string_view text, std::string_view tag, std::size_t& pos) {
    std::string open = "<" + std::string(tag) + ">", close = "</" + std::string(tag) + ">";
    std::size_t a = ifind(text, open, pos);
    if (a == std::string_view::npos) return std::nullopt;
    a += open.size();
    std::size_t e = ifind(text, close, a);
    if (e == std::string_view::npos) e = text.size();
    pos = std::min(text.size(), e + close.size());
    return text.substr(a, e - a);
}

std::optional<double> column(std::string_view line, std::size_t index) {
    std::size_t at = index * 7;
    if (line.size() <= at) return std::nullopt;
    double v = 0;
    if (!core::parseNumber(core::trim(line.substr(at, 7)), v) || !std::isfinite(v)) return std::nullopt;
    return v;
}

// "72672 RIW Riverton Observations at 00Z 28 May 2019"
void readTitle(std::string_view title, ParsedSounding& s) {
    auto words = core::splitBlanks(title);
    long long wmo = 0;
    if (!words.empty() && core::parseInteger(words[0], wmo) && wmo > 0 && wmo < 100000000) s.wmo = static_cast<long>(wmo);
    for (std::size_t i = 0; i + 4 < words.size(); ++i) {
        if (!core::iequals(words[i], "at")) continue;
        std::string z = words[i + 1];
        long long h = 0, d = 0, y = 0;
        if (z.size() < 2 || (z.back() != 'Z' && z.back() != 'z')) continue;
        int m = core::monthFromName(words[i + 3]);
        if (!core::parseInteger(z.substr(0, z.size() - 1), h) || !core::parseInteger(words[i + 2], d) ||
            !core::parseInteger(words[i + 4], y) || m == 0 || h < 0 || h > 23 || d < 1 || d > 31 || y < 1930 || y > 2200)
            continue;
        std::chrono::year_month_day ymd{std::chrono::year{static_cast<int>(y)}, std::chrono::month{static_cast<unsigned>(m)},
                                        std::chrono::day{static_cast<unsigned>(d)}};
        if (!ymd.ok()) continue;
        s.date = std::chrono::sys_days{ymd};
        s.hour = static_cast<int>(h);
        break;
    }
}

// "                           Station latitude: 43.06"
std::optional<std::string> stationField(std::string_view block, std::string_view name) {
    for (std::string_view line : rawtext::lines(block)) {
        std::size_t c = line.find(':');
        if (c == std::string_view::npos) continue;
        if (core::iequals(core::trim(line.substr(0, c)), name)) return core::trim(line.substr(c + 1));
    }
    return std::nullopt;
}

}  // namespace

bool looksLike(std::string_view text) {
    std::size_t pos = 0;
    auto pre = element(text, "PRE", pos);
    return pre && pre->find("PRES") != std::string_view::npos && pre->find("HGHT") != std::string_view::npos;
}

std::vector<ParsedSounding> read(std::string_view text) {
    std::vector<ParsedSounding> out;
    std::size_t pos = 0;
    while (true) {
        std::size_t before = pos;
        auto title = element(text, "H2", pos);
        if (!title) break;
        std::size_t tablePos = pos;
        auto table = element(text, "PRE", tablePos);
        if (!table) break;
        // The station block, unless the next sounding's title comes first.
        std::size_t nextTitle = ifind(text, "<H2>", tablePos);
        std::size_t infoPos = tablePos;
        auto info = element(text, "PRE", infoPos);
        if (info && nextTitle != std::string_view::npos && infoPos > nextTitle) info.reset();

        ParsedSounding s;
        readTitle(*title, s);
        int dashes = 0;
        for (std::string_view line : rawtext::lines(*table)) {
            if (core::trim(line).empty()) continue;
            s.rawText.append(line).append("\r\n");
            if (line.find("-----") != std::string_view::npos) { ++dashes; continue; }
            if (dashes < 2) continue;
            RawPoint p;
            if (auto v = column(line, 0); v && *v > 0) p.pressureMb = *v;
            p.heightM = column(line, 1);
            p.temperatureC = column(line, 2);
            p.directionDeg = column(line, 6);
            p.speedKnots = column(line, 7);
            s.points.push_back(p);
        }
        if (info) {
            for (std::string_view line : rawtext::lines(*info))
                if (!core::trim(line).empty()) s.rawText.append(line).append("\r\n");
            double v = 0;
            if (auto f = stationField(*info, "Station number"); f && core::parseNumber(*f, v) && s.wmo == 0 && v > 0 && v < 1e8)
                s.wmo = static_cast<long>(v);
            if (auto f = stationField(*info, "Station latitude"); f && core::parseNumber(*f, v) && std::fabs(v) <= 90) s.lat = v;
            if (auto f = stationField(*info, "Station longitude"); f && core::parseNumber(*f, v) && std::fabs(v) <= 360) s.lon = v;
            if (auto f = stationField(*info, "Station elevation"); f && core::parseNumber(*f, v) && v > -500 && v < 9000)
                s.elevationM = v;
            if (auto f = stationField(*info, "Station identifier")) s.staid = *f;
            pos = std::max(pos, infoPos);
        } else {
            pos = std::max(pos, tablePos);
        }
        if (!s.date) s.readProblem = "Unreadable sounding header.";
        else if (s.wmo <= 0) s.readProblem = "No station line in sounding.";
        else if (!s.elevationM) s.readProblem = "No station elevation in sounding.";
        out.push_back(std::move(s));
        if (pos <= before) break;
    }
    return out;
}

}  // namespace skyloom::sounding::wyoming
