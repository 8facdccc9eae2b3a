#pragma once

#include <vector>

#include "power/GeneratorRecord.h"

namespace skyloom::power {

struct PowerCurveTable;

// A power curve at full resolution, as its maker published it: points (knots,
// kW) from the cut-in speed (0 kW) up, straight lines between them, the last
// point's power held up to the cut-out speed and nothing at or above it. These
// are the rules of the ten-point record (generatorPower), with as many points as
// the curve has; two points at one speed make a step.
struct FullPowerCurve {
    std::vector<CurvePoint> points;   // knots, kW; points[0] is (cut-in, 0)
    double cutOut = 0;                // knots; 0 or less: never cuts out

    bool isIdle(double knots) const { return points.empty() || knots <= points.front().speed; }
    bool isCutOut(double knots) const { return cutOut > 0 && knots >= cutOut; }

    // The ten-point record's curve in the same form: cut-in, the points in use
    // (up to the first of speed 0), cut-out.
    static FullPowerCurve fromTable(const PowerCurveTable& table);
};

// Power in kW at a wind speed in knots, by the rules of generatorPower: 0 at or
// below cut-in, kCutOutMarker at or above cut-out, never negative otherwise.
double fullCurvePower(const FullPowerCurve& curve, double knots, double correction = 1.0);

// The mean power (kW) of the curve when the wind speed follows a Rayleigh
// distribution with the given mean (knots), worked out exactly segment by segment.
double rayleighMeanPower(const FullPowerCurve& curve, double meanKnots);

}  // namespace skyloom::power
