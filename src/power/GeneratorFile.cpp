#include "power/GeneratorFile.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/Formats.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "core/WholeFile.h"

namespace skyloom::power {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kMarkerStart = "The above lines";

}  // namespace

SettingLine splitSettingLine(std::string_view line) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return {"", core::trim(line)};
    return {core::trim(line.substr(0, eq)), core::trim(line.substr(eq + 1))};
}

std::string generatorFileText(const GeneratorRecord& g) {
    std::string out;
    auto line = [&out](std::string_view a, const std::string& b) {
        out += a;
        out += b;
        out += kEol;
    };
    // A control character in a name stored before names were checked would break the line.
    std::string name = core::trim(g.name);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    line("Generator Name (please no / ? < > \\ : * | double quote) = ", name);
    line("Hub Height (feet agl) = ", core::formatPlain(g.height));
    line("Cut-in Wind Speed (knots) = ", core::formatPlain(g.cutInSpeed));
    line("Temperature (degC) = ", core::formatVbStr(g.temperature / 10.0));
    line("Pressure (millibars) = ", core::formatVbStr(g.pressure));
    line("Cost Per Year (Dollars) = ", core::formatVbStr(g.costPerYear));
    line("Max to Grid (kW) = ", core::formatVbStr(g.maxToGrid));
    line("Cut-out Wind Speed (knots) = ", core::formatVbStr(g.cutOut));
    line(kGeneratorFileMarker, "");
    for (const CurvePoint& p : g.points) line(core::formatPlain(p.speed), " " + core::formatPlain(p.kw));
    return out;
}

bool writeGeneratorFile(const std::filesystem::path& path, const GeneratorRecord& g) {
    return core::tryWriteFileWhole(path, generatorFileText(g)).empty();
}

GeneratorRecord parseGeneratorFile(std::string_view text, GeneratorFileLines* where) {
    GeneratorRecord g;
    GeneratorFileLines at;
    const std::vector<std::string> lines = core::splitLines(text);
    at.count = static_cast<int>(lines.size());
    std::size_t next = 0;
    auto more = [&] { return next < lines.size(); };
    auto lineNumber = [&] { return static_cast<int>(next); };   // after next++: the 1-based line just read

    if (more()) {
        g.name = splitSettingLine(lines[next++]).value;
        at.name = lineNumber();
    }
    if (more()) {
        g.height = core::leadingNumber(splitSettingLine(lines[next++]).value);
        at.height = lineNumber();
    }

    // Up to six numeric header lines; the marker line ends the header early.
    int values = 0;
    bool markerSeen = false;
    while (values < 6 && more()) {
        const std::string& line = lines[next++];
        if (line.compare(0, kMarkerStart.size(), kMarkerStart) == 0) {
            markerSeen = true;
            break;
        }
        const double v = core::leadingNumber(splitSettingLine(line).value);
        at.header[static_cast<std::size_t>(values)] = lineNumber();
        switch (values) {
            case 0: g.cutInSpeed = v; break;
            case 1: g.temperature = core::roundHalfEven(v * 10.0, 9); break;
            case 2: g.pressure = v; break;
            case 3: g.costPerYear = v; break;
            case 4: g.maxToGrid = v; break;
            default: g.cutOut = v; break;
        }
        ++values;
    }
    if (!markerSeen && values == 6 && more()) ++next;   // the marker line itself

    for (std::size_t i = 0; i < g.points.size(); ++i) {
        if (!more()) break;
        const std::string line = core::trim(lines[next++]);
        at.points[i] = lineNumber();
        const auto blank = line.find(' ');
        if (blank == std::string::npos) continue;
        g.points[i].speed = core::leadingNumber(std::string_view(line).substr(0, blank));
        g.points[i].kw = core::leadingNumber(std::string_view(line).substr(blank + 1));
    }
    if (where) *where = at;
    return g;
}

std::optional<std::string> readGeneratorText(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream f(path, std::ios::binary);
    if (!f) return std::nullopt;
    std::string text;
    try {
        text.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return text;
}

GeneratorRecord readGeneratorFile(const std::filesystem::path& path) {
    return parseGeneratorFile(readGeneratorText(path).value_or(std::string()));
}

namespace {

const std::string kNotNegative = "Must be greater than or equal to 0";

// "line 7 ("Max to Grid (kW) = -5"): " + rule; a long line is cut.
std::string problemAt(const std::vector<std::string>& lines, int line, const std::string& rule) {
    std::string shown = line >= 1 && line <= static_cast<int>(lines.size())
                            ? core::trim(lines[static_cast<std::size_t>(line - 1)])
                            : std::string();
    constexpr std::size_t kShown = 60;
    if (shown.size() > kShown) shown = shown.substr(0, kShown) + "...";
    return "line " + std::to_string(line) + " (\"" + shown + "\"): " + rule;
}

}  // namespace

std::optional<std::string> generatorFileProblem(std::string_view text) {
    if (text.find('\0') != std::string_view::npos)
        return std::string("it is not a plain text file (it holds NUL bytes, as UTF-16 text does; save it as plain "
                           "text)");
    if (core::trim(text).empty()) return std::string("the file is empty");
    GeneratorFileLines at;
    const GeneratorRecord g = parseGeneratorFile(text, &at);
    const std::vector<std::string> lines = core::splitLines(text);
    auto problem = [&](int line, const std::string& rule) {
        return std::optional<std::string>(problemAt(lines, line, rule));
    };

    // Every number, in the order of the lines: it must be one that can be stored.
    const double header[] = {g.cutInSpeed, g.temperature, g.pressure, g.costPerYear, g.maxToGrid, g.cutOut};
    auto finite = [](double v) { return std::isfinite(v); };
    if (!finite(g.height)) return problem(at.height, "not a number that can be stored");
    for (std::size_t i = 0; i < at.header.size(); ++i)
        if (!finite(header[i])) return problem(at.header[i], "not a number that can be stored");
    for (std::size_t i = 0; i < g.points.size(); ++i)
        if (!finite(g.points[i].speed) || !finite(g.points[i].kw))
            return problem(at.points[i], "not a number that can be stored");

    if (g.height < 0) return problem(at.height, kNotNegative);
    if (g.cutInSpeed < 0) return problem(at.header[HeaderCutIn], kNotNegative);
    if (g.temperature <= -2730) return problem(at.header[HeaderTemperature], "Must be above -273 degC");
    if (g.pressure < 0) return problem(at.header[HeaderPressure], kNotNegative);
    if (g.costPerYear < 0) return problem(at.header[HeaderCost], kNotNegative);
    if (g.maxToGrid < 0) return problem(at.header[HeaderMaxToGrid], kNotNegative);

    // The table: rising speeds from cut-in and kW rising to the curve's top, the
    // points in use first. A published curve may fall after its top (storm
    // control) but does not rise again.
    double top = 0;
    for (const CurvePoint& p : g.points)
        if (p.speed > 0) top = std::max(top, p.kw);
    bool ended = false, pastTop = false;
    int used = 0;
    for (std::size_t i = 0; i < g.points.size(); ++i) {
        const CurvePoint& p = g.points[i];
        if (p.speed <= 0) {
            if (p.speed < 0 || p.kw != 0)
                return problem(at.points[i], "a point in use has a speed above 0; a point not in use is 0 0");
            ended = true;
            continue;
        }
        if (ended) return problem(at.points[i], "the points in use come first: this one follows a point not in use");
        const double below = i == 0 ? g.cutInSpeed : g.points[i - 1].speed;
        if (!(p.speed > below))
            return problem(at.points[i], "You must enter a speed that is greater than the speed below it.");
        if (p.kw < 0) return problem(at.points[i], kNotNegative);
        const double kwBelow = i > 0 ? g.points[i - 1].kw : 0;
        pastTop = pastTop || (i > 0 && kwBelow == top);
        if (i > 0 && !pastTop && !(p.kw > kwBelow))
            return problem(at.points[i], "You must enter a kW that is greater than the kW below it.");
        if (pastTop && p.kw > kwBelow) return problem(at.points[i], "past the curve's top the kW does not rise again");
        ++used;
    }
    if (used == 0)
        return "line " + std::to_string(at.count) +
               ": the file ends without a power curve table (lines of a speed in knots, a blank and the kW, after "
               "the marker line)";
    if (g.points[static_cast<std::size_t>(used - 1)].kw <= 0)
        return problem(at.points[static_cast<std::size_t>(used - 1)], "the power curve never rises above 0 kW");

    GeneratorRecord withMax = g;
    withMax.recomputeMaxKW();
    const double atMax = withMax.speedAtMaxPower();
    if (g.cutOut != 0 && g.cutOut < atMax)
        return problem(at.header[HeaderCutOut],
                       "Must be greater than speed at max power of " + core::formatPlain(atMax));
    return std::nullopt;
}

}  // namespace skyloom::power
