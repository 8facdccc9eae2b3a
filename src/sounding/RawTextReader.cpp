#include "sounding/RawTextReader.h"

#include <chrono>
#include <cmath>

#include "core/ByteSource.h"
#include "core/LineReader.h"
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
    // Asked of every line of a file: no copy of the type columns.
    const std::string_view type = line.substr(0, std::min<std::size_t>(7, line.size()));
    return textfields::trimmed(type) == "254" && !hasControlCharacter(type);
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

namespace {

using FieldViews = std::array<std::string_view, 7>;

// splitLine without copies: the fields point into the line (or at the marker).
void splitView(std::string_view line, std::string_view marker, std::string_view type, FieldViews& f) {
    f.fill({});
    if (hasControlCharacter(line)) {
        f.fill(marker);
        return;
    }
    if (type == "3") {
        for (std::size_t i = 0; i < f.size(); ++i)
            if (i * 7 < line.size()) f[i] = textfields::trimmed(line.substr(i * 7, 7));
        return;
    }
    // A type-1 line is split as if a blank stood behind its 29th character.
    std::size_t n = 0;
    auto split = [&](std::string_view part) {
        std::size_t i = 0;
        while (i < part.size() && n < f.size()) {
            while (i < part.size() && (part[i] == ' ' || part[i] == '\t' || part[i] == '\r' || part[i] == '\n')) ++i;
            std::size_t b = i;
            while (i < part.size() && !(part[i] == ' ' || part[i] == '\t' || part[i] == '\r' || part[i] == '\n')) ++i;
            if (i > b) f[n++] = part.substr(b, i - b);
        }
    };
    if (type == "1" && line.size() > 29) {
        split(line.substr(0, 29));
        split(line.substr(29));
    } else {
        split(line);
    }
}

std::optional<double> numberOfView(std::string_view field, std::string_view marker) {
    if (field.empty() || field == marker) return std::nullopt;
    double v = 0;
    if (!textfields::toNumber(field, v) || !std::isfinite(v)) return std::nullopt;
    return v;
}

class Stream final : public SoundingStream {
public:
    Stream(core::LineReader& lines, std::string marker)
        : lines_(lines), marker_(std::move(marker)), wholeMillibars_(marker_ == "32767") {}

    bool next(ParsedSounding& s) override {
        std::string_view line;
        // Lines before the first sounding are skipped.
        while (!started_) {
            if (!lines_.next(line)) return false;
            if (startsSounding(line)) {
                started_ = true;
                pending_.assign(line);
            }
        }
        if (!havePending_ && pending_.empty()) return false;
        begin(s);
        take(s, pending_);
        pending_.clear();
        havePending_ = false;
        while (lines_.next(line)) {
            if (startsSounding(line)) {
                pending_.assign(line);
                havePending_ = true;
                break;
            }
            take(s, line);
        }
        finish(s);
        return true;
    }

private:
    void begin(ParsedSounding& s) {
        s.clear();
        rawSpeed_.clear();
        surfaceHeight_.reset();
        units_.clear();
        sawHeader_ = sawStation_ = false;
    }

    // The data lines (types 4 to 9), nearly all of a file, read in one pass: the
    // type alone in columns 1 to 7, then whole numbers between blanks. False for
    // a line that needs the general splitting (control characters, other text).
    bool takeDataLine(ParsedSounding& s, std::string_view line) {
        if (line.size() < 7 || line.substr(0, 6) != "      " || line[6] < '4' || line[6] > '9' ||
            (line.size() > 7 && line[7] != ' '))
            return false;
        std::array<long long, 7> v{};
        std::array<bool, 7> known{};
        std::size_t n = 1;
        const char* p = line.data() + 7;
        const char* end = line.data() + line.size();
        while (p < end) {
            if (*p == ' ') {
                ++p;
                continue;
            }
            const char* b = p;
            bool negative = false;
            if (*p == '-') {
                negative = true;
                ++p;
            }
            long long x = 0;
            const char* digits = p;
            while (p < end && *p >= '0' && *p <= '9' && p - digits < 15) x = x * 10 + (*p++ - '0');
            if (p == digits || (p < end && *p != ' ')) return false;
            if (n < v.size()) {
                known[n] = std::string_view(b, static_cast<std::size_t>(p - b)) != marker_;
                v[n] = negative ? -x : x;
            }
            ++n;
        }
        s.rawText.append(line).append("\r\n");
        auto val = [&](std::size_t i) -> std::optional<double> {
            if (!known[i]) return std::nullopt;
            return static_cast<double>(v[i]);
        };
        RawPoint pt;
        if (auto x = val(1)) pt.pressureMb = wholeMillibars_ ? *x : *x / 10.0;
        pt.heightM = val(2);
        if (auto x = val(3)) pt.temperatureC = *x / 10.0;
        pt.directionDeg = val(5);
        rawSpeed_.push_back(val(6));
        if (line[6] == '9' && pt.heightM && !surfaceHeight_) surfaceHeight_ = pt.heightM;
        s.points.push_back(pt);
        return true;
    }

    void take(ParsedSounding& s, std::string_view line) {
        if (takeDataLine(s, line)) return;
        if (textfields::trimmed(line).empty()) return;
        s.rawText.append(line).append("\r\n");
        const std::string_view type = textfields::trimmed(line.substr(0, std::min<std::size_t>(7, line.size())));
        splitView(line, marker_, type, f_);
        long long t = 0;
        if (!textfields::toInteger(f_[0], t)) return;
        switch (t) {
        case 254:
            if (!sawHeader_) {
                sawHeader_ = true;
                Fields whole;
                for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = std::string(f_[i]);
                s.date = headerDate(whole, s.hour);
            }
            break;
        case 1: {
            if (sawStation_) break;
            sawStation_ = true;
            s.wban = f_[1];
            long long wmo = 0;
            if (textfields::toInteger(f_[2], wmo) && wmo > 0 && wmo < 100000000) s.wmo = static_cast<long>(wmo);
            auto lat = coordinate(std::string(f_[3]), 'N', 'S', false);
            auto lon = coordinate(std::string(f_[4]), 'E', 'W', true);
            if (lat && std::fabs(*lat) <= 90) s.lat = *lat;
            if (lon && std::fabs(*lon) <= 360) s.lon = *lon;
            auto elev = numberOfView(f_[5], marker_);
            if (elev && *elev > -500 && *elev < 9000) s.elevationM = elev;
            s.rtime = f_[6];
            break;
        }
        case 2:
            s.hydro = f_[1];
            s.mxwd = f_[2];
            s.tropl = f_[3];
            s.tindex = f_[5];
            s.source = f_[6];
            break;
        case 3:
            s.staid = f_[2];
            s.sonde = f_[5];
            units_ = f_[6];
            break;
        case 4: case 5: case 6: case 7: case 8: case 9: {
            RawPoint p;
            if (auto v = numberOfView(f_[1], marker_)) p.pressureMb = wholeMillibars_ ? *v : *v / 10.0;
            p.heightM = numberOfView(f_[2], marker_);
            if (auto v = numberOfView(f_[3], marker_)) p.temperatureC = *v / 10.0;
            p.directionDeg = numberOfView(f_[5], marker_);
            rawSpeed_.push_back(numberOfView(f_[6], marker_));
            if (t == 9 && p.heightM && !surfaceHeight_) surfaceHeight_ = p.heightM;
            s.points.push_back(p);
            break;
        }
        default:
            break;
        }
    }

    // Data values are converted once the type-3 units are known.
    void finish(ParsedSounding& s) {
        const bool ms = core::iequals(units_, "ms");
        for (std::size_t i = 0; i < s.points.size(); ++i)
            if (rawSpeed_[i]) s.points[i].speedKnots = ms ? *rawSpeed_[i] / 10.0 * kKnotsPerMetrePerSecond : *rawSpeed_[i];
        if (!s.elevationM) s.elevationM = surfaceHeight_;
        if (s.readProblem.empty()) {
            if (!sawHeader_ || !s.date) s.readProblem = "Unreadable sounding header.";
            else if (!sawStation_ || s.wmo <= 0) s.readProblem = "No station line in sounding.";
            else if (!s.elevationM) s.readProblem = "No station elevation in sounding.";
        }
    }

    core::LineReader& lines_;
    std::string marker_;
    bool wholeMillibars_;
    bool started_ = false, havePending_ = false;
    std::string pending_;
    FieldViews f_;
    std::vector<std::optional<double>> rawSpeed_;
    std::optional<double> surfaceHeight_;
    std::string units_;
    bool sawHeader_ = false, sawStation_ = false;
};

}  // namespace

std::unique_ptr<SoundingStream> stream(core::LineReader& lines) {
    std::string_view first = lines.prefix();
    // The marker is decided on whole lines of the beginning.
    if (auto lf = first.rfind('\n'); lf != std::string_view::npos) first = first.substr(0, lf + 1);
    return std::make_unique<Stream>(lines, missingMarker(first));
}

std::vector<ParsedSounding> read(std::string_view text) {
    core::MemorySource source(text);
    core::LineReader reader(source);
    auto in = stream(reader);
    std::vector<ParsedSounding> out;
    ParsedSounding s;
    while (in->next(s)) out.push_back(std::move(s));
    return out;
}

}  // namespace skyloom::sounding::rawtext
