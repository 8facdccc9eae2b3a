#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "power/PowerProduction.h"
#include "power/Weibull.h"
#include "power/WindSample.h"
#include "sounding/SoundingSet.h"
#include "sounding/Units.h"

namespace skyloom::power {

constexpr int kRoseSectors = 12;                 // 30 degrees each, the first centred on north
constexpr double kCompleteYearCoverage = 0.70;   // a year counts when its soundings cover this much of it
constexpr int kLeastYearsForExtremes = 5;
constexpr int kReturnPeriodYears = 50;
// Normal quantiles of the exceedance levels.
constexpr double kZ75 = 0.674;
constexpr double kZ90 = 1.282;

// What a wind resource is computed for. The soundings must carry their time
// weights (the statistics pass sets them).
struct ResourceOptions {
    double heightFeet = 0;          // 0..5000 feet above ground
    sounding::Units units;          // speeds of the result are in its display unit
    // The generator whose yearly energy is wanted (none: no energy figures), and
    // the temperature-and-pressure factor of its power at the height, as the
    // energy balance applies it.
    std::optional<PowerModel> generator;
    double correction = 1.0;
    // Ground height above sea level, for the standard atmosphere when no sounding
    // of the period had a usable temperature and pressure.
    double groundElevationMetres = 0;
};

struct RoseSector {
    double centre = 0;              // degrees
    double share = 0;               // percent of the time with wind (calms left out)
    double energyShare = 0;         // percent of the speed cubed
    std::optional<double> meanSpeed;
    std::optional<Weibull> weibull;
    int soundings = 0;
};

struct HistogramBin {
    double from = 0, to = 0;        // display unit; from included, to not
    double share = 0;               // percent of the time (calms count in the first bin)
    double maximumLikelihood = 0;   // percent the fits give the bin (scaled to the time with wind)
    double energy = 0;
};

// Power-law exponent between two heights: ln(mean above / mean below) / ln(height
// above / height below), the means taken over the soundings with a wind at both
// heights (calms left out), weighted by the hours each represents.
struct ShearPair {
    double fromFeet = 0, toFeet = 0;          // the ground is kGroundReportFeet
    bool groundToHeight = false;              // the pair from the ground to the chosen height
    std::optional<double> alpha;
    std::array<std::optional<double>, kLaunchHourGroups> alphaByLaunch{};
    std::optional<double> meanBelow, meanAbove;
    int soundings = 0;
};

struct YearFigures {
    int year = 0;
    int soundings = 0;
    double coverage = 0;                      // fraction of the calendar year the soundings stand for
    bool complete = false;
    std::optional<double> meanSpeed;
    std::optional<double> maxSpeed;
    // Energy of the generator over the year in MWh, scaled to the whole year from
    // the time the soundings cover.
    std::optional<double> energy;
};

struct LinearTrend {
    double slope = 0;                         // per year
    std::optional<double> standardError;      // needs three years
};

struct Exceedance {
    double oneYear = 0;                       // MWh/yr
    double tenYear = 0;
};

struct WindResource {
    // False when no sounding of the period has a wind at the height; message says so.
    bool computed = false;
    std::string message;

    sounding::Units units;
    double heightFeet = 0;
    int soundings = 0;                        // soundings with a wind at the height
    double hours = 0;                         // hours they represent

    double calmShare = 0;                     // percent of the time
    std::optional<double> meanSpeed;          // calms included
    std::optional<Weibull> maximumLikelihood; // scale in the display unit
    std::optional<Weibull> energyFit;
    std::vector<HistogramBin> histogram;      // one display unit per bin

    std::optional<double> powerDensity;       // W/m2
    std::optional<double> airDensity;         // kg/m3, mean of the soundings' own
    bool densityFromStandardAtmosphere = false;

    std::array<RoseSector, kRoseSectors> rose{};

    std::vector<ShearPair> shear;             // neighbouring levels, then ground to the height
    std::array<std::optional<double>, sounding::kLevelCount> levelMeanSpeed{};   // calms left out

    std::array<std::optional<double>, 12> monthly{};
    struct YearMonths {
        int year = 0;
        std::array<std::optional<double>, 12> months{};
    };
    std::vector<YearMonths> monthlyByYear;
    std::array<std::optional<double>, kLaunchHourGroups> launchMeanSpeed{};
    std::array<double, kLaunchHourGroups> launchShare{};      // percent of the soundings

    std::vector<YearFigures> years;
    int completeYears = 0;
    std::vector<int> leftOutYears;
    std::optional<LinearTrend> speedTrend;
    std::optional<double> speedCoV;           // percent

    bool withGenerator = false;
    std::optional<LinearTrend> energyTrend;   // MWh per year
    std::optional<double> energyCoV;          // percent
    std::optional<Exceedance> p50, p75, p90;
    std::string exceedanceNote;

    std::vector<double> annualMaxima;         // of the complete years, in year order
    std::optional<double> extreme50;
    std::string extremeNote;
    std::optional<std::string> iecClass;      // "I", "II", "III" or "S"
    std::string iecNote;
};

// The wind resource of the loaded soundings at one height.
WindResource computeWindResource(const sounding::SoundingSet& set, const ResourceOptions& options);

// The exceedance level of a mean with a relative yearly spread over a horizon of
// years: mean x (1 - z x spread / sqrt(years)).
double exceedanceLevel(double p50, double relativeSpread, double z, int years);

// Gumbel fit by moments of yearly maxima, read at a return period in years.
double gumbelReturnLevel(const std::vector<double>& maxima, int returnYears);

// The IEC 61400-1 class a site needs, from its reference (50-year) speed and its
// yearly mean speed in m/s: "I", "II", "III", or "S" above class I.
std::string iecClassFor(double referenceSpeedMs, double meanSpeedMs);

}  // namespace skyloom::power
