#include "power/FullPowerCurve.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "power/PowerCurve.h"

namespace skyloom::power {

FullPowerCurve FullPowerCurve::fromTable(const PowerCurveTable& table) {
    FullPowerCurve c;
    c.points.push_back({table.speed[0], table.kw[0]});
    for (std::size_t i = 1; i < table.speed.size() && table.speed[i] > 0; ++i)
        c.points.push_back({table.speed[i], table.kw[i]});
    c.cutOut = table.cutOut;
    return c;
}

double fullCurvePower(const FullPowerCurve& curve, double knots, double correction) {
    if (curve.isIdle(knots)) return 0;
    if (curve.isCutOut(knots)) return kCutOutMarker;
    const auto& p = curve.points;
    const auto above = std::lower_bound(p.begin(), p.end(), knots,
                                        [](const CurvePoint& a, double v) { return a.speed < v; });
    double power = 0;
    if (above == p.end()) {
        power = p.back().kw * correction;
    } else {
        const CurvePoint& b = *above;
        const CurvePoint& a = *(above - 1);
        const double span = b.speed - a.speed;
        const double fraction = span != 0 ? (knots - a.speed) / span : 1.0;
        power = (a.kw + (b.kw - a.kw) * fraction) * correction;
    }
    return power < 0 ? 0 : power;
}

namespace {

// The Rayleigh density with mean m is 2 s v exp(-s v^2) with s = pi / (4 m^2).
// Integral over [a, b] of (alpha + beta v) times that density.
double linearMoment(double a, double b, double pa, double pb, double s) {
    if (b <= a) return 0;
    const double beta = (pb - pa) / (b - a);
    const double alpha = pa - beta * a;
    const double ea = std::exp(-s * a * a);
    const double eb = std::exp(-s * b * b);
    const double rs = std::sqrt(s);
    const double first = ea - eb;
    const double second = (a * ea - b * eb) + std::sqrt(std::numbers::pi) / (2 * rs) * (std::erf(rs * b) - std::erf(rs * a));
    return alpha * first + beta * second;
}

}  // namespace

double rayleighMeanPower(const FullPowerCurve& curve, double meanKnots) {
    const auto& p = curve.points;
    if (p.empty() || meanKnots <= 0) return 0;
    const double s = std::numbers::pi / (4 * meanKnots * meanKnots);
    const double end = curve.cutOut > 0 ? curve.cutOut : std::numeric_limits<double>::infinity();
    double total = 0;
    for (std::size_t i = 1; i < p.size(); ++i) {
        const double a = p[i - 1].speed, b = p[i].speed;
        if (a >= end) break;
        if (b <= end) {
            total += linearMoment(a, b, p[i - 1].kw, p[i].kw, s);
        } else {
            const double atEnd = p[i - 1].kw + (p[i].kw - p[i - 1].kw) * (end - a) / (b - a);
            total += linearMoment(a, end, p[i - 1].kw, atEnd, s);
        }
    }
    const double last = p.back().speed;
    if (last < end) {
        const double tail = std::exp(-s * last * last) - (std::isinf(end) ? 0.0 : std::exp(-s * end * end));
        total += p.back().kw * tail;
    }
    return total;
}

}  // namespace skyloom::power
