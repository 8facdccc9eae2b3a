#pragma once

#include <array>
#include <vector>

#include "power/FullPowerCurve.h"
#include "power/GeneratorRecord.h"

namespace skyloom::power {

// The Rayleigh means (m/s) over which a reduced curve is judged: 4 to 10 m/s
// every 0.25 m/s.
const std::vector<double>& reductionMeansMs();

// The energy of `curve` relative to that of `full`, less one, for every mean of
// reductionMeansMs(): 0.004 means 0.4 % more energy.
std::vector<double> energyErrors(const FullPowerCurve& curve, const FullPowerCurve& full);
// The largest magnitude of those errors.
double largestEnergyError(const FullPowerCurve& curve, const FullPowerCurve& full);

// A full curve reduced to what a generator record holds: a cut-in speed and ten
// points, speeds in knots with 2 decimals and kW rounded as the record stores them.
struct ReducedCurve {
    double cutIn = 0;
    std::array<CurvePoint, kCurvePoints> points{};
    double largestError = 0;   // largestEnergyError of the reduced curve, a fraction

    // The reduced curve with the full curve's cut-out, as the power function runs it.
    FullPowerCurve asCurve(double cutOut) const;
};

// Chooses the cut-in and the ten points so that the reduced curve, run by the
// record's rules, gives nearly the energy of the full one at every mean while
// keeping its shape: the points are first placed where straight lines follow the
// curve best under the wind, their powers then set so the energies agree, and
// both refined in small steps. plateauKW is kept exactly at the point where the
// curve first reaches its top and wherever it stays there; no point exceeds it.
ReducedCurve reduceFullCurve(const FullPowerCurve& full, double plateauKW);

}  // namespace skyloom::power
