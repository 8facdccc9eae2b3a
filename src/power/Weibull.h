#pragma once

#include <optional>
#include <span>

namespace skyloom::power {

// A two-parameter Weibull distribution of wind speed: scale in the speed unit of
// the speeds it was fitted to, shape without unit.
struct Weibull {
    double scale = 0;
    double shape = 0;

    double cdf(double speed) const;
    double pdf(double speed) const;
    // Share of the distribution between two speeds.
    double shareBetween(double from, double to) const { return cdf(to) - cdf(from); }
    double mean() const;
    double meanCube() const;
};

// Maximum-likelihood fit to time-weighted speeds (weights[i] is the share of time
// speeds[i] stands for). Speeds of 0 or less take no part. Nothing when fewer
// than two different positive speeds remain.
std::optional<Weibull> fitWeibullMaximumLikelihood(std::span<const double> speeds, std::span<const double> weights);

// The energy-conserving fit: the Weibull whose mean cube of speed equals that of
// the data and whose share of time above the data's mean speed equals the data's
// share. Speeds of 0 or less take no part. Nothing when the data does not allow
// it (fewer than two different speeds, or no time above or below the mean).
std::optional<Weibull> fitWeibullEnergy(std::span<const double> speeds, std::span<const double> weights);

}  // namespace skyloom::power
