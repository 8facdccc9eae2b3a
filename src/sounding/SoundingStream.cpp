#include "sounding/SoundingStream.h"

#include <charconv>
#include <vector>

#include "core/LineReader.h"
#include "sounding/Igra2Reader.h"
#include "sounding/RawTextReader.h"
#include "sounding/WyomingReader.h"

namespace skyloom::sounding {

namespace textfields {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

std::string_view trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool toInteger(std::string_view s, long long& out) {
    s = trimmed(s);
    if (s.empty()) return false;
    const char* b = s.data();
    const char* e = s.data() + s.size();
    if (*b == '+') ++b;
    auto [p, ec] = std::from_chars(b, e, out);
    return ec == std::errc() && p == e;
}

bool toNumber(std::string_view s, double& out) {
    s = trimmed(s);
    if (s.empty()) return false;
    long long whole = 0;
    if (toInteger(s, whole)) {
        out = static_cast<double>(whole);
        return true;
    }
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
    const char* b = s.data();
    const char* e = s.data() + s.size();
    if (*b == '+') {
        ++b;
        if (b == e || *b == '-' || *b == '+') return false;
    }
    auto [p, ec] = std::from_chars(b, e, out);
    return ec == std::errc() && p == e;
}

}  // namespace textfields

SourceFormat detectFormat(std::string_view beginning) {
    if (igra2::looksLike(beginning)) return SourceFormat::Igra2;
    // A web page has its tags: other text is not searched for them.
    if (beginning.find('<') != std::string_view::npos && wyoming::looksLike(beginning)) return SourceFormat::Wyoming;
    return SourceFormat::RawText;
}

namespace {

// Wyoming listings are web pages of a few soundings: read whole, handed out one by one.
class WholeTextStream final : public SoundingStream {
public:
    explicit WholeTextStream(std::vector<ParsedSounding> all) : all_(std::move(all)) {}
    bool next(ParsedSounding& s) override {
        if (at_ >= all_.size()) return false;
        s = std::move(all_[at_++]);
        return true;
    }
private:
    std::vector<ParsedSounding> all_;
    std::size_t at_ = 0;
};

}  // namespace

std::unique_ptr<SoundingStream> openSoundingStream(core::LineReader& lines) {
    return openSoundingStream(lines, detectFormat(lines.prefix()));
}

std::unique_ptr<SoundingStream> openSoundingStream(core::LineReader& lines, SourceFormat format) {
    switch (format) {
        case SourceFormat::Igra2: return igra2::stream(lines);
        case SourceFormat::Wyoming: return std::make_unique<WholeTextStream>(wyoming::read(lines.rest()));
        case SourceFormat::RawText: break;
    }
    return rawtext::stream(lines);
}

}  // namespace skyloom::sounding
