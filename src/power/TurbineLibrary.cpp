#include "power/TurbineLibrary.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <stdexcept>

#include "core/Text.h"

namespace fs = std::filesystem;

namespace skyloom::power {

namespace {

// Small turbines furl or regulate in storms rather than stop; above this rating a
// turbine without a published cut-out stops at kStandInCutOutMs.
constexpr double kSmallTurbineKW = 100;
constexpr double kStandInCutOutMs = 25;
// A curve published as a fraction of rated power, with no rated power given, is
// carried for a turbine of this size (the capacity factor does not depend on it).
constexpr double kNominalNormalisedKW = 1000;

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path.string() + ": cannot be read");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The value of a YAML scalar: a quoted text up to its closing quote, else the text
// before a comment.
std::string scalarValue(std::string_view raw) {
    const std::string v = core::trim(raw);
    if (!v.empty() && (v[0] == '\'' || v[0] == '"')) {
        const auto close = v.find(v[0], 1);
        return close == std::string::npos ? v.substr(1) : v.substr(1, close - 1);
    }
    const auto hash = v.find('#');
    return core::trim(hash == std::string::npos ? std::string_view(v) : std::string_view(v).substr(0, hash));
}

double firstNumber(const TurbineSheet& sheet, const std::string& key) {
    const auto it = sheet.find(key);
    if (it == sheet.end()) return 0;
    const auto n = numbersOf(it->second);
    return n.empty() ? 0 : n.front();
}

std::string sheetText(const TurbineSheet& sheet, const std::string& key) {
    const auto it = sheet.find(key);
    return it == sheet.end() ? std::string() : it->second;
}

std::string originWord(const std::string& origin) {
    if (origin == "commercially available") return "commercial";
    if (origin == "reference model") return "reference";
    if (origin == "legacy product") return "legacy";
    return "";
}

std::string curveTypeWord(const std::string& type) {
    if (type == "experimental") return "measured";
    if (type == "theoretical") return "theoretical";
    return "";
}

double defaultHubMetres(const std::string& turbineClass) { return turbineClass == "distributed" ? 30 : 100; }

// Rated power and rotor diameter from a curve file named like
// "NPS100B-24C_95kW_24.4.csv" (rated power, then rotor diameter in metres).
void factsFromFileName(const std::string& stem, double& ratedKW, double& rotor) {
    static const std::regex pattern(R"(_([0-9.]+)(kW|MW)_([0-9.]+)$)");
    std::smatch m;
    if (!std::regex_search(stem, m, pattern)) return;
    double v = 0;
    if (ratedKW == 0 && core::parseNumber(m[1].str(), v)) ratedKW = m[2].str() == "MW" ? v * 1000 : v;
    if (rotor == 0 && core::parseNumber(m[3].str(), v)) rotor = v;
}

}  // namespace

TurbineSheet parseTurbineSheet(std::string_view yaml) {
    TurbineSheet sheet;
    for (const std::string& line : core::splitLines(yaml)) {
        if (line.empty() || line[0] == ' ' || line[0] == '\t' || line[0] == '-' || line[0] == '#') continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = core::trim(std::string_view(line).substr(0, colon));
        const std::string rest = core::trim(std::string_view(line).substr(colon + 1));
        if (!rest.empty() && rest[0] == '[') {
            const auto close = rest.find(']');
            sheet[key] = rest.substr(0, close == std::string::npos ? rest.size() : close + 1);
        } else {
            sheet[key] = scalarValue(rest);
        }
    }
    return sheet;
}

std::vector<double> numbersOf(std::string_view value) {
    std::string v = core::trim(value);
    if (!v.empty() && v.front() == '[') v = v.substr(1, v.size() >= 2 && v.back() == ']' ? v.size() - 2 : v.size() - 1);
    std::vector<double> out;
    for (const std::string& piece : core::split(v, ',')) {
        double n = 0;
        if (core::parseNumber(piece, n)) out.push_back(n);
    }
    return out;
}

PublishedCurve parsePublishedCurve(std::string_view csv) {
    const auto rows = core::splitLines(csv);
    if (rows.empty()) throw std::runtime_error("the curve file is empty");
    const auto header = core::split(rows[0], ',');
    int speedCol = -1, powerCol = -1;
    PublishedCurve curve;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string h = core::trim(header[i]);
        if (speedCol < 0 && core::startsWith(h, "Wind Speed")) speedCol = static_cast<int>(i);
        if (powerCol < 0 && core::startsWith(h, "Power")) {
            powerCol = static_cast<int>(i);
            curve.normalised = h.find("[-]") != std::string::npos;
        }
    }
    if (speedCol < 0 || powerCol < 0) throw std::runtime_error("the header names no wind speed or power column");
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto f = core::split(rows[r], ',');
        const auto at = [&f](int c) { return static_cast<std::size_t>(c) < f.size() ? core::trim(f[static_cast<std::size_t>(c)]) : std::string(); };
        const std::string s = at(speedCol), p = at(powerCol);
        if (s.empty() && p.empty()) continue;
        CurvePoint point;
        if (!core::parseNumber(s, point.speed) || !core::parseNumber(p, point.kw))
            throw std::runtime_error("line " + std::to_string(r + 1) + " holds no speed and power");
        if (!curve.points.empty() && point.speed <= curve.points.back().speed)
            throw std::runtime_error("line " + std::to_string(r + 1) + ": the speeds do not increase");
        curve.points.push_back(point);
    }
    if (curve.points.size() < 2) throw std::runtime_error("the curve has fewer than two points");
    return curve;
}

std::vector<CurvePoint> cleanPublishedCurve(const std::vector<CurvePoint>& points, double cutOutMs) {
    // Negative stretches become zero, cut exactly where a segment crosses zero.
    std::vector<CurvePoint> clipped;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0) {
            const CurvePoint& a = points[i - 1];
            const CurvePoint& b = points[i];
            if ((a.kw < 0 && b.kw > 0) || (a.kw > 0 && b.kw < 0))
                clipped.push_back({a.speed + (b.speed - a.speed) * (-a.kw) / (b.kw - a.kw), 0});
        }
        clipped.push_back({points[i].speed, std::max(points[i].kw, 0.0)});
    }
    // Nothing beyond the cut-out speed.
    std::vector<CurvePoint> kept;
    for (std::size_t i = 0; i < clipped.size(); ++i) {
        if (clipped[i].speed <= cutOutMs) {
            kept.push_back(clipped[i]);
        } else {
            if (i > 0 && clipped[i - 1].speed < cutOutMs) {
                const CurvePoint& a = clipped[i - 1];
                const CurvePoint& b = clipped[i];
                kept.push_back({cutOutMs, a.kw + (b.kw - a.kw) * (cutOutMs - a.speed) / (b.speed - a.speed)});
            }
            break;
        }
    }
    const auto rise = std::find_if(kept.begin(), kept.end(), [](const CurvePoint& p) { return p.kw > 0; });
    if (rise == kept.end()) throw std::runtime_error("the curve never gives power below its cut-out speed");
    std::vector<CurvePoint> out;
    if (rise == kept.begin()) out.push_back({rise->speed, 0});   // a step up at the first published speed
    out.insert(out.end(), rise == kept.begin() ? rise : rise - 1, kept.end());
    return out;
}

std::vector<LibraryTurbine> readTurbineLibrary(const fs::path& root, std::string_view nameList) {
    std::vector<LibraryTurbine> out;
    std::set<std::string> named;
    for (const std::string& raw : core::splitLines(nameList)) {
        const std::string line = core::trim(raw);
        if (line.empty() || line[0] == '#') continue;
        const auto comma = line.find(',');
        if (comma == std::string::npos) throw std::runtime_error("name list: '" + line + "' has no name after a comma");
        LibraryTurbine t;
        t.source = core::trim(std::string_view(line).substr(0, comma));
        t.name = core::trim(std::string_view(line).substr(comma + 1));
        named.insert(t.source);

        const fs::path curveFile = root / t.source;
        fs::path rel = fs::path(t.source).lexically_relative("data");
        const fs::path sheetFile = (root / "sheets" / rel).replace_extension(".yaml");
        const std::string stem = curveFile.stem().string();
        t.turbineClass = core::toLower(rel.begin()->string());

        PublishedCurve published;
        try {
            published = parsePublishedCurve(readText(curveFile));
        } catch (const std::exception& e) {
            throw std::runtime_error(curveFile.string() + ": " + e.what());
        }
        TurbineSheet sheet;
        if (fs::exists(sheetFile)) sheet = parseTurbineSheet(readText(sheetFile));

        t.ratedKW = firstNumber(sheet, "rated_power");
        t.rotorMetres = firstNumber(sheet, "rotor_diameter");
        factsFromFileName(stem, t.ratedKW, t.rotorMetres);
        if (t.ratedKW == 0 && published.normalised) t.ratedKW = kNominalNormalisedKW;
        if (t.ratedKW <= 0) throw std::runtime_error(curveFile.string() + ": no rated power is known");
        if (published.normalised)
            for (auto& p : published.points) p.kw *= t.ratedKW;
        t.origin = originWord(sheetText(sheet, "origin"));
        t.curveType = curveTypeWord(sheetText(sheet, "power_curve_type"));

        t.hubMetres = firstNumber(sheet, "hub_height");
        t.hubRule = "published";
        if (t.hubMetres <= 0) {
            t.hubMetres = defaultHubMetres(t.turbineClass);
            t.hubRule = "stand-in";
        }

        // The cut-out: the published one, or where the curve itself falls to zero
        // for good when that comes first; else 25 m/s for a large turbine and the
        // end of the published curve for a small one.
        const auto& pts = published.points;
        const auto lastPositive = std::find_if(pts.rbegin(), pts.rend(), [](const CurvePoint& p) { return p.kw > 0; });
        const double stops = lastPositive != pts.rend() && lastPositive != pts.rbegin() ? (lastPositive - 1)->speed : 0;
        if (const double published = firstNumber(sheet, "cut_out_wind_speed"); published > 0) {
            t.cutOutMs = published;
            t.cutOutRule = "published";
            if (stops > 0 && stops < published) {
                t.cutOutMs = stops;
                t.cutOutRule = "curve stops";
            }
        } else if (stops > 0) {
            t.cutOutMs = stops;
            t.cutOutRule = "curve stops";
        } else if (t.ratedKW > kSmallTurbineKW) {
            t.cutOutMs = kStandInCutOutMs;
            t.cutOutRule = "stand-in";
        } else {
            t.cutOutMs = pts.back().speed;
            t.cutOutRule = "curve ends";
        }
        try {
            t.curve = cleanPublishedCurve(pts, t.cutOutMs);
        } catch (const std::exception& e) {
            throw std::runtime_error(curveFile.string() + ": " + e.what());
        }
        out.push_back(std::move(t));
    }
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(root / "data", ec)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".csv") continue;
        const std::string rel = entry.path().lexically_relative(root).generic_string();
        if (!named.count(rel)) throw std::runtime_error(entry.path().string() + ": the name list gives it no name");
    }
    if (ec) throw std::runtime_error((root / "data").string() + ": " + ec.message());
    return out;
}

}  // namespace skyloom::power
