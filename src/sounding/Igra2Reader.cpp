#include "sounding/Igra2Reader.h"

#include <chrono>
#include <cmath>

#include "core/ByteSource.h"
#include "core/LineReader.h"
#include "core/Text.h"
#include "sounding/RawTextReader.h"

namespace skyloom::sounding::igra2 {

namespace {

constexpr double kKnotsPerMetrePerSecond = 1.0 / 0.514444;

// Columns first..last (1-based, inclusive), trimmed.
std::string columns(std::string_view line, std::size_t first, std::size_t last) {
    if (line.size() < first) return {};
    return core::trim(line.substr(first - 1, last - first + 1));
}

std::optional<double> value(std::string_view line, std::size_t first, std::size_t last) {
    if (line.size() < first) return std::nullopt;
    const std::string_view f = line.substr(first - 1, last - first + 1);
    // Blanks, a sign and digits, read in one pass; anything else the general way.
    std::size_t i = 0;
    while (i < f.size() && f[i] == ' ') ++i;
    const bool negative = i < f.size() && f[i] == '-';
    if (i < f.size() && (f[i] == '-' || f[i] == '+')) ++i;
    const std::size_t digits = i;
    long long v = 0;
    while (i < f.size() && f[i] >= '0' && f[i] <= '9') v = v * 10 + (f[i++] - '0');
    const bool simple = i > digits && f.find_first_not_of(' ', i) == std::string_view::npos;
    if (simple) v = negative ? -v : v;
    else if (!textfields::toInteger(f, v)) return std::nullopt;
    if (v == -9999 || v == -8888) return std::nullopt;
    return static_cast<double>(v);
}

struct Builder {
    explicit Builder(ParsedSounding& target) : s(target) {}
    ParsedSounding& s;
    std::optional<double> surfaceHeight;
    std::vector<std::size_t> surfaceWithoutHeight;

    // The surface height from its pressure, by the hypsometric equation from the
    // lowest level that reports both pressure and height.
    void surfaceFromPressure() {
        const RawPoint* surface = nullptr;
        for (std::size_t i : surfaceWithoutHeight)
            if (s.points[i].pressureMb) surface = &s.points[i];
        if (!surface) return;
        const RawPoint* ref = nullptr;
        for (const auto& p : s.points)
            if (p.heightM && p.pressureMb && (!ref || *p.pressureMb > *ref->pressureMb)) ref = &p;
        if (!ref || std::fabs(*ref->pressureMb - *surface->pressureMb) > 150) return;
        double t1 = surface->temperatureC.value_or(15.0), t2 = ref->temperatureC.value_or(t1);
        double kelvin = (t1 + t2) / 2.0 + 273.15;
        surfaceHeight = *ref->heightM + 29.27 * kelvin * std::log(*ref->pressureMb / *surface->pressureMb);
    }

    void finish(std::optional<double>& lastElevation) {
        if (!surfaceHeight) surfaceFromPressure();
        if (surfaceHeight) lastElevation = surfaceHeight;
        s.elevationM = surfaceHeight ? surfaceHeight : lastElevation;
        if (s.elevationM)
            for (std::size_t i : surfaceWithoutHeight) s.points[i].heightM = s.elevationM;
        if (s.readProblem.empty() && !s.elevationM) s.readProblem = "No station elevation in sounding.";
    }
};

void readHeader(std::string_view line, ParsedSounding& s) {
    std::string id = columns(line, 2, 12);
    long long y = 0, m = 0, d = 0, h = 0;
    bool ok = core::parseInteger(columns(line, 14, 17), y) && core::parseInteger(columns(line, 19, 20), m) &&
              core::parseInteger(columns(line, 22, 23), d) && core::parseInteger(columns(line, 25, 26), h);
    std::string rel = columns(line, 28, 31);
    long long relv = 0;
    if (ok && h == 99 && core::parseInteger(rel, relv) && relv / 100 <= 23) h = relv / 100;
    if (ok && y >= 1930 && y <= 2200 && m >= 1 && m <= 12 && d >= 1 && d <= 31 && h >= 0 && h <= 23) {
        std::chrono::year_month_day ymd{std::chrono::year{static_cast<int>(y)},
                                        std::chrono::month{static_cast<unsigned>(m)},
                                        std::chrono::day{static_cast<unsigned>(d)}};
        if (ymd.ok()) {
            s.date = std::chrono::sys_days{ymd};
            s.hour = static_cast<int>(h);
        }
    }
    if (!s.date) s.readProblem = "Unreadable sounding header.";
    // Station ids of the WMO network ("M" in the third place) end in the WMO number.
    long long wmo = 0;
    if (id.size() == 11 && id[2] == 'M' && core::parseInteger(id.substr(6), wmo) && wmo > 0) s.wmo = static_cast<long>(wmo);
    else if (s.readProblem.empty()) s.readProblem = kNoWmoInId;
    s.staid = id;
    s.rtime = rel;
    s.source = columns(line, 38, 45);
    long long lat = 0, lon = 0;
    if (core::parseInteger(columns(line, 56, 62), lat) && std::llabs(lat) <= 900000) s.lat = static_cast<double>(lat) / 10000.0;
    if (core::parseInteger(columns(line, 64, 71), lon) && std::llabs(lon) <= 1800000) s.lon = static_cast<double>(lon) / 10000.0;
}

}  // namespace

bool looksLike(std::string_view text) {
    if (text.size() < 36 || text[0] != '#') return false;
    long long y = 0;
    return core::parseInteger(core::trim(text.substr(13, 4)), y);
}

namespace {

class Stream final : public SoundingStream {
public:
    explicit Stream(core::LineReader& lines) : lines_(lines) {}

    bool next(ParsedSounding& s) override {
        std::string_view line;
        while (pending_.empty()) {
            if (!lines_.next(line)) return false;
            if (!line.empty() && line[0] == '#') pending_.assign(line);
        }
        s.clear();
        Builder b(s);
        readHeader(pending_, s);
        s.rawText.append(pending_).append("\r\n");
        pending_.clear();
        while (lines_.next(line)) {
            if (!line.empty() && line[0] == '#') {
                pending_.assign(line);
                break;
            }
            if (textfields::trimmed(line).empty()) continue;
            s.rawText.append(line).append("\r\n");
            RawPoint p;
            if (auto v = value(line, 10, 15); v && *v > 0) p.pressureMb = *v / 100.0;
            p.heightM = value(line, 17, 21);
            if (auto v = value(line, 23, 27)) p.temperatureC = *v / 10.0;
            p.directionDeg = value(line, 41, 45);
            if (auto v = value(line, 47, 51)) p.speedKnots = *v / 10.0 * kKnotsPerMetrePerSecond;
            const bool surface = line.size() >= 2 && line[1] == '1';
            if (surface) {
                if (p.heightM && !b.surfaceHeight) b.surfaceHeight = p.heightM;
                if (!p.heightM) b.surfaceWithoutHeight.push_back(s.points.size());
            }
            s.points.push_back(p);
        }
        b.finish(lastElevation_);
        return true;
    }

private:
    core::LineReader& lines_;
    std::string pending_;
    std::optional<double> lastElevation_;
};

}  // namespace

std::unique_ptr<SoundingStream> stream(core::LineReader& lines) { return std::make_unique<Stream>(lines); }

std::vector<ParsedSounding> read(std::string_view text) {
    core::MemorySource source(text);
    core::LineReader reader(source);
    Stream in(reader);
    std::vector<ParsedSounding> out;
    ParsedSounding s;
    while (in.next(s)) out.push_back(std::move(s));
    return out;
}

}  // namespace skyloom::sounding::igra2
