#include "sounding/RawTextReader.h"

#include <chrono>
#include <cmath>

#include "core/Text.h"

namespace skyloom::sounding::rawtext {

namespace {

constexpr double kKnotsPerMetrePerSecond = 1.0 / 0.514444;

bool hasControlCharacter(std::string_view line) {
    for (char c : line)
        if (static_cast<unsigned char>(c) < 32) return true;
    return false;
}

// The type field as written in columns 1 to 7 (any line, before splitting).
std::string typeColumns(std::string_view line) {
    return core::trim(line.substr(0, std::min<std::size_t>(7, line.size())));
}

std::optional<double> numberOf(const std::string& field, std::string_view marker) {
    if (field.empty() || field == marker) return std::nullopt;
    double v = 0;
    if (!core::parseNumber(field, v) || !std::isfinite(v)) return std::nullopt;
    return v;
}

// A latitude or longitude with an optional hemisphere letter. negativeLetter is
// "S" or "W"; without a letter the coordinate is north or west.
std::optional<double> coordinate(const std::string& field, char positiveLetter, char negativeLetter,
                                 bool noLetterIsNegative) {
    if (field.empty()) return std::nullopt;
    char last = static_cast<char>(std::toupper(static_cast<unsigned char>(field.back())));
    std::string digits = field;
    int sign = noLetterIsNegative ? -1 : 1;
    if (last == positiveLetter || last == negativeLetter) {
        digits.pop_back();
        sign = last == negativeLetter ? -1 : 1;
        double v = 0;
        if (!core::parseNumber(digits, v) || !std::isfinite(v)) return std::nullopt;
        return sign * std::fabs(v);
    }
    double v = 0;
    if (!core::parseNumber(digits, v) || !std::isfinite(v)) return std::nullopt;
    return sign * v;
}

std::optional<core::Days> headerDate(const Fields& f, int& hour) {
    long long h = 0, d = 0, y = 0;
    if (!core::parseInteger(f[1], h) || !core::parseInteger(f[2], d) || !core::parseInteger(f[4], y))
        return std::nullopt;
    int m = core::monthFromName(f[3]);
    long long mn = 0;
    if (m == 0 && core::parseInteger(f[3], mn) && mn >= 1 && mn <= 12) m = static_cast<int>(mn);
    if (m == 0 || h < 0 || h > 23 || y < 1930 || y > 2200 || d < 1 || d > 31) return std::nullopt;
    std::chrono::year_month_day ymd{std::chrono::year{static_cast<int>(y)},
                                    std::chrono::month{static_cast<unsigned>(m)},
                                    std::chrono::day{static_cast<unsigned>(d)}};
    if (!ymd.ok()) return std::nullopt;
    hour = static_cast<int>(h);
    return std::chrono::sys_days{ymd};
}

// Collects one sounding; data values are converted once the type-3 units are known.
struct Builder {
    ParsedSounding s;
    std::vector<std::optional<double>> rawSpeed;
    std::optional<double> surfaceHeight;
    std::string units;
    bool sawHeader = false;
    bool sawStation = false;

    void finish(std::vector<ParsedSounding>& out) {
        bool ms = core::iequals(units, "ms");
        for (std::size_t i = 0; i < s.points.size(); ++i)
            if (rawSpeed[i]) s.points[i].speedKnots = ms ? *rawSpeed[i] / 10.0 * kKnotsPerMetrePerSecond
                                                         : *rawSpeed[i];
        if (!s.elevationM) s.elevationM = surfaceHeight;
        if (s.readProblem.empty()) {
            if (!sawHeader || !s.date) s.readProblem = "Unreadable sounding header.";
            else if (!sawStation || s.wmo <= 0) s.readProblem = "No station line in sounding.";
            else if (!s.elevationM) s.readProblem = "No station elevation in sounding.";
        }
        out.push_back(std::move(s));
    }
};

}  // namespace

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        std::size_t stop = end == std::string_view::npos ? text.size() : end;
        if (stop > start && text[stop - 1] == '\r') --stop;
        out.push_back(text.substr(start, stop - start));
        start = next;
    }
    return out;
}

std::string missingMarker(std::string_view text) {
    // The header lines of the first sounding: from its 254 line up to the first data line.
    bool inHeader = false;
    for (std::string_view line : lines(text)) {
        if (startsSounding(line)) {
            if (inHeader) break;
            inHeader = true;
            continue;
        }
        if (!inHeader) continue;
        std::string t = typeColumns(line);
        if (t != "1" && t != "2" && t != "3") break;
        if (line.find("32767") != std::string_view::npos) return "32767";
    }
    return "99999";
}

bool startsSounding(std::string_view line) {
    return typeColumns(line) == "254" && !hasControlCharacter(line.substr(0, std::min<std::size_t>(7, line.size())));
}

Fields splitLine(std::string_view line, std::string_view marker) {
    Fields f;
    if (hasControlCharacter(line)) {
        f.fill(std::string(marker));
        return f;
    }
    std::string t = typeColumns(line);
    if (t == "3") {
        for (std::size_t i = 0; i < f.size(); ++i)
            if (i * 7 < line.size()) f[i] = core::trim(line.substr(i * 7, 7));
        return f;
    }
    std::string l(line);
    if (t == "1" && l.size() > 29) l.insert(29, " ");
    auto parts = core::splitBlanks(l);
    for (std::size_t i = 0; i < f.size() && i < parts.size(); ++i) f[i] = std::move(parts[i]);
    return f;
}

std::vector<ParsedSounding> read(std::string_view text) {
    const std::string marker = missingMarker(text);
    const bool wholeMillibars = marker == "32767";
    std::vector<ParsedSounding> out;
    std::optional<Builder> b;
    for (std::string_view line : lines(text)) {
        if (startsSounding(line)) {
            if (b) b->finish(out);
            b.emplace();
        }
        if (!b) continue;
        if (core::trim(line).empty()) continue;
        b->s.rawText.append(line).append("\r\n");
        Fields f = splitLine(line, marker);
        long long type = 0;
        if (!core::parseInteger(f[0], type)) continue;
        switch (type) {
        case 254:
            if (!b->sawHeader) {
                b->sawHeader = true;
                b->s.date = headerDate(f, b->s.hour);
            }
            break;
        case 1: {
            if (b->sawStation) break;
            b->sawStation = true;
            b->s.wban = f[1];
            long long wmo = 0;
            if (core::parseInteger(f[2], wmo) && wmo > 0 && wmo < 100000000) b->s.wmo = static_cast<long>(wmo);
            auto lat = coordinate(f[3], 'N', 'S', false);
            auto lon = coordinate(f[4], 'E', 'W', true);
            if (lat && std::fabs(*lat) <= 90) b->s.lat = *lat;
            if (lon && std::fabs(*lon) <= 360) b->s.lon = *lon;
            auto elev = numberOf(f[5], marker);
            if (elev && *elev > -500 && *elev < 9000) b->s.elevationM = elev;
            b->s.rtime = f[6];
            break;
        }
        case 2:
            b->s.hydro = f[1];
            b->s.mxwd = f[2];
            b->s.tropl = f[3];
            b->s.tindex = f[5];
            b->s.source = f[6];
            break;
        case 3:
            b->s.staid = f[2];
            b->s.sonde = f[5];
            b->units = f[6];
            break;
        case 4: case 5: case 6: case 7: case 8: case 9: {
            RawPoint p;
            if (auto v = numberOf(f[1], marker)) p.pressureMb = wholeMillibars ? *v : *v / 10.0;
            p.heightM = numberOf(f[2], marker);
            if (auto v = numberOf(f[3], marker)) p.temperatureC = *v / 10.0;
            p.directionDeg = numberOf(f[5], marker);
            b->rawSpeed.push_back(numberOf(f[6], marker));
            if (type == 9 && p.heightM && !b->surfaceHeight) b->surfaceHeight = p.heightM;
            b->s.points.push_back(p);
            break;
        }
        default:
            break;
        }
    }
    if (b) b->finish(out);
    return out;
}

}  // namespace skyloom::sounding::rawtext
