#include "display/SiteLine.h"

#include <fmt/format.h>

#include "core/Formats.h"
#include "core/Text.h"

namespace skyloom::display {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string SiteLine::key(double latDeg, double lonDeg, long wmo) {
    return core::formatNumber(latDeg, "0.00") + ", " + core::formatNumber(lonDeg, "0.00") + "#" +
           fmt::format("{}", wmo);
}

std::string SiteLine::compose(std::string_view visible, std::string_view key) {
    std::string line(visible);
    line.append(line.size() < kVisibleWidth ? kVisibleWidth - line.size() : 1, ' ');
    line += key;
    return line;
}

std::string SiteLine::compose(std::string_view visible, double latDeg, double lonDeg, long wmo) {
    return compose(visible, key(latDeg, lonDeg, wmo));
}

std::optional<SiteLine> SiteLine::parse(std::string_view line) {
    // The key's place: the last 30 characters, trimmed.
    std::size_t tailStart = line.size() > kKeyTail ? line.size() - kKeyTail : 0;
    std::size_t tailEnd = line.size();
    while (tailEnd > tailStart && isBlank(line[tailEnd - 1])) --tailEnd;
    while (tailStart < tailEnd && isBlank(line[tailStart])) ++tailStart;
    const std::string_view tail = line.substr(tailStart, tailEnd - tailStart);

    const std::size_t hash = tail.rfind('#');
    if (hash == std::string_view::npos) return std::nullopt;
    long long wmo = 0;
    if (!core::parseInteger(tail.substr(hash + 1), wmo)) return std::nullopt;

    SiteLine s;
    s.text_ = std::string(line.substr(0, tailEnd));
    s.wmo_ = static_cast<long>(wmo);

    // Before the "#": "lat, lon". Text of the visible part may reach into the
    // last 30 characters of a line whose padding was shortened, so the latitude
    // is the last word before the comma.
    const std::string_view coords = tail.substr(0, hash);
    std::size_t keyStart = tailStart;
    const std::size_t comma = coords.rfind(',');
    if (comma != std::string_view::npos) {
        std::size_t latEnd = comma;
        std::size_t latBegin = latEnd;
        while (latBegin > 0 && !isBlank(coords[latBegin - 1])) --latBegin;
        s.latText_ = core::trim(coords.substr(latBegin, latEnd - latBegin));
        s.lonText_ = core::trim(coords.substr(comma + 1));
        keyStart = tailStart + latBegin;
    } else {
        std::size_t begin = coords.size();
        while (begin > 0 && !isBlank(coords[begin - 1])) --begin;
        keyStart = tailStart + begin;
    }
    s.lat_ = core::leadingNumber(s.latText_);
    s.lon_ = core::leadingNumber(s.lonText_);
    s.keyStart_ = keyStart;
    return s;
}

std::string SiteLine::visible() const {
    std::size_t end = keyStart_;
    while (end > 0 && isBlank(text_[end - 1])) --end;
    return text_.substr(0, end);
}

std::string SiteLine::label() const {
    const std::string v = visible();
    const std::size_t at = v.find(" =>");
    return core::trim(at == std::string::npos ? std::string_view(v) : std::string_view(v).substr(0, at));
}

std::string SiteLine::displayName() const {
    const std::string v = visible();
    const std::size_t at = v.find(" from ");
    if (at == std::string::npos) return label();
    return core::trim(std::string_view(v).substr(0, at));
}

}  // namespace skyloom::display
