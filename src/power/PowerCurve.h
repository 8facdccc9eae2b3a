#pragma once

#include <array>

#include "power/GeneratorRecord.h"

namespace skyloom::power {

// The marker GeneratorPower returns at or above cut-out: a tiny negative power
// that callers read as "cut out" and count as no output.
constexpr double kCutOutMarker = -1e-9;

// The curve of the current generator: point 0 is (cut-in, 0 kW), points 1..10
// the curve points; a point whose speed is 0 or less ends the curve.
struct PowerCurveTable {
    std::array<double, kCurvePoints + 1> speed{};   // knots
    std::array<double, kCurvePoints + 1> kw{};
    double cutOut = 0;                              // knots; 0 or less: never cuts out

    static PowerCurveTable fromGenerator(const GeneratorRecord& g);
    bool isCutOut(double knots) const { return cutOut > 0 && knots >= cutOut; }
    bool isIdle(double knots) const { return speed[0] >= knots; }
};

// Power in kW at a wind speed in knots: 0 at or below cut-in, kCutOutMarker at
// or above cut-out, linear between curve points, the top point's kW held from
// the last point up to cut-out. correction multiplies the curve's value
// (1 + the temperature-and-pressure effect when the correction is wanted).
double generatorPower(const PowerCurveTable& curve, double knots, double correction = 1.0);

}  // namespace skyloom::power
