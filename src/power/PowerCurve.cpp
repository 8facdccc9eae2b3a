#include "power/PowerCurve.h"

namespace skyloom::power {

PowerCurveTable PowerCurveTable::fromGenerator(const GeneratorRecord& g) {
    PowerCurveTable t;
    t.speed[0] = g.cutInSpeed;
    t.kw[0] = 0;
    for (int i = 0; i < kCurvePoints; ++i) {
        t.speed[static_cast<std::size_t>(i + 1)] = g.points[static_cast<std::size_t>(i)].speed;
        t.kw[static_cast<std::size_t>(i + 1)] = g.points[static_cast<std::size_t>(i)].kw;
    }
    t.cutOut = g.cutOut;
    return t;
}

double generatorPower(const PowerCurveTable& curve, double knots, double correction) {
    if (curve.speed[0] >= knots) return 0;
    if (curve.isCutOut(knots)) return kCutOutMarker;
    std::size_t i = 1;
    for (; i <= static_cast<std::size_t>(kCurvePoints); ++i) {
        if (curve.speed[i] <= 0 || curve.speed[i] >= knots) break;
    }
    double power = 0;
    if (i <= static_cast<std::size_t>(kCurvePoints) && curve.speed[i] > 0) {
        const double span = curve.speed[i] - curve.speed[i - 1];
        const double fraction = span != 0 ? (knots - curve.speed[i - 1]) / span : 1.0;
        power = (curve.kw[i - 1] + (curve.kw[i] - curve.kw[i - 1]) * fraction) * correction;
    } else {
        if (i == 1) return 0;
        power = curve.kw[i - 1] * correction;
    }
    return power < 0 ? 0 : power;
}

}  // namespace skyloom::power
