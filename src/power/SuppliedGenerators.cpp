#include "power/SuppliedGenerators.h"

#include <cmath>

#include "core/Text.h"
#include "power/GeneratorStore.h"

namespace skyloom::power {

namespace {

double knots(double metresPerSecond) { return roundSpeed(metresPerSecond * kKnotsPerMetrePerSecond); }

}  // namespace

std::vector<CurvePoint> reduceCurve(std::vector<CurvePoint> points, std::size_t maxPoints) {
    while (points.size() > maxPoints && points.size() > 2) {
        std::size_t rated = 0;
        for (std::size_t i = 1; i < points.size(); ++i)
            if (points[i].kw > points[rated].kw) rated = i;
        std::size_t drop = 0;
        double least = 0;
        for (std::size_t i = 1; i < points.size(); ++i) {
            if (i == rated) continue;
            double loss = 0;
            if (i + 1 < points.size()) {
                const CurvePoint& a = points[i - 1];
                const CurvePoint& b = points[i + 1];
                const double line = a.kw + (b.kw - a.kw) * (points[i].speed - a.speed) / (b.speed - a.speed);
                loss = std::fabs(points[i].kw - line);
            } else {
                loss = std::fabs(points[i].kw - points[i - 1].kw);   // a flat tail costs nothing
            }
            if (drop == 0 || loss < least) {
                drop = i;
                least = loss;
            }
        }
        if (drop == 0) break;
        points.erase(points.begin() + static_cast<std::ptrdiff_t>(drop));
    }
    return points;
}

std::vector<GeneratorRecord> parseSuppliedGenerators(std::string_view csvText) {
    std::vector<GeneratorRecord> out;
    for (const std::string& raw : core::split(csvText, '\n')) {
        const std::string line = core::trim(raw);
        if (line.empty() || line[0] == '#') continue;
        const auto f = core::split(line, ',');
        if (f.size() != 9) continue;
        double v[7];
        bool ok = true;
        for (int i = 0; i < 7; ++i) ok = ok && core::parseNumber(f[static_cast<std::size_t>(i + 1)], v[i]);
        if (!ok) continue;
        std::vector<CurvePoint> curve;
        for (const std::string& pair : core::splitBlanks(f[8])) {
            const auto sk = core::split(pair, ':');
            CurvePoint p;
            if (sk.size() != 2 || !core::parseNumber(sk[0], p.speed) || !core::parseNumber(sk[1], p.kw)) {
                ok = false;
                break;
            }
            curve.push_back(p);
        }
        if (!ok || curve.empty()) continue;
        curve = reduceCurve(std::move(curve), kCurvePoints);

        GeneratorRecord g;
        g.name = core::trim(f[0]);
        g.height = std::nearbyint(v[0] * 3.281);
        g.cutInSpeed = knots(v[1]);
        g.cutOut = knots(v[2]);
        g.temperature = std::nearbyint(v[3] * 10);
        g.pressure = v[4];
        g.costPerYear = v[5];
        g.maxToGrid = roundMaxToGrid(v[6]);
        for (std::size_t i = 0; i < curve.size(); ++i) g.points[i] = {knots(curve[i].speed), roundKW(curve[i].kw)};
        g.recomputeMaxKW();
        g.orgData = -1;
        out.push_back(std::move(g));
    }
    return out;
}

int installSuppliedGenerators(GeneratorStore& store, const std::vector<GeneratorRecord>& generators) {
    int added = 0;
    for (GeneratorRecord g : generators) {
        if (store.findByName(g.name)) continue;
        store.add(g);
        ++added;
    }
    return added;
}

}  // namespace skyloom::power
