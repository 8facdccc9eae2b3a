#pragma once

#include <array>
#include <string>
#include <vector>

#include "power/FullPowerCurve.h"
#include "power/GeneratorRecord.h"
#include "power/PowerCurve.h"
#include "sounding/SoundingSet.h"

namespace skyloom::power {

using LevelTable = std::array<double, sounding::kLevelCount>;

// Slots of the per-sounding, per-level derived table of the SoundingSet.
enum DerivedSlot : int { DerivedPower = 0, DerivedTempEffect = 1, DerivedPressEffect = 2 };

// Temperature and pressure effect, in kW, of one sounding at one level.
struct PowerEffects {
    double temperature = 0;
    double pressure = 0;
};

// The generator values the power pass needs, in working units.
struct PowerModel {
    PowerCurveTable curve;
    // When it has points, the power pass runs this published full curve (with the
    // record's cut-out) instead of the ten-point record.
    FullPowerCurve fullCurve;
    double temperatureC = 0;   // curve measured at this temperature (degC)
    double pressureMb = 0;     // and this pressure (mb); 0 or less: pressure effect not computed
    double maxKW = 0;

    static PowerModel fromGenerator(const GeneratorRecord& g);
};

// A sounding's temperature (pressure) at a level counts only when the sounding
// is not flagged for it and the level holds a physically possible value; an
// empty level (all four quantities 0) holds none.
bool temperatureUsable(const sounding::SoundingSet& set, int n, int level);
bool pressureUsable(const sounding::SoundingSet& set, int n, int level);

// Effects on the power P of sounding n at a level; 273 (not 273.15) turns
// degrees Celsius into absolute degrees.
PowerEffects levelPowerEffects(const sounding::SoundingSet& set, int n, int level, double power,
                               const PowerModel& model);

// One calendar year of the year table.
struct YearCapacity {
    int year = 0;
    double hours = 0;                 // hours of data (sum of hours represented)
    double largestGapHours = 0;       // largest gap between consecutive soundings inside the year
    LevelTable capacityFactor{};      // percent, temperature and pressure effect included
    bool usable() const { return largestGapHours < 672; }
    bool shortOfData() const { return hours < 7000; }
};
constexpr int kMaxYears = 16;

// Per-level results of the power pass; averages are weighted by the hours each
// sounding represents.
struct LevelPowerResults {
    int soundings = 0;
    double totalHours = 0;
    LevelTable averagePower{};        // kW, without the effects
    LevelTable temperatureEffect{};   // kW, averaged like the power
    LevelTable pressureEffect{};
    LevelTable effect{};              // sum of the two
    LevelTable correctedPower{};      // averagePower + effect
    LevelTable effectFraction{};      // effect / correctedPower (0 when no power)
    LevelTable idleShare{};           // fraction of the time at or below cut-in
    LevelTable cutOutShare{};         // fraction of the time at or above cut-out
    // Runs of consecutive idle (cut-out) soundings, measured in hours represented.
    LevelTable maxIdleRunHours{};
    LevelTable idleHours{};
    std::array<int, sounding::kLevelCount> idleStarts{};
    LevelTable maxCutOutRunHours{};
    std::array<int, sounding::kLevelCount> cutOuts{};
    // Raised when at some level no sounding had a usable temperature, or none a usable pressure.
    bool effectsUnknown = false;
    std::vector<YearCapacity> years;
};

// Runs the generator over every sounding at every level: fills the set's derived
// table (power, temperature effect, pressure effect; cut-out soundings hold the
// cut-out marker as power) and returns the level results. Soundings ignored since
// loading (negative key) take no part. When the hours represented are not yet
// known (all 0), every sounding counts one hour.
LevelPowerResults computeLevelPower(sounding::SoundingSet& set, const PowerModel& model);

// A level table's value at a height in feet above ground, interpolated linearly
// between the 500-foot levels over whole feet; 5000 feet and above use the top
// level; a negative height gives 0.
double levelValueAtFeet(const LevelTable& values, double feet);
// The same for the quotient of two level tables, taken level by level.
double levelRatioAtFeet(const LevelTable& numerator, const LevelTable& denominator, double feet);

// The temperature-and-pressure effect (a fraction) at a height in feet.
double heightEffect(const LevelPowerResults& r, double feet);

// The year's capacity factor at a height: negated for a year short of data, 0 for
// an unusable year or an index outside the table.
double yearDifferenceAtHeight(const LevelPowerResults& r, int yearIndex, double feet);

// Wind speed (knots) of every sounding 1..N at a height in feet, interpolated
// between levels; index 0 is unused.
std::vector<double> soundingSpeedsAtFeet(const sounding::SoundingSet& set, double feet);
// Generator power (kW) of every sounding 1..N at a height in feet with the
// correction factor applied (cut-out soundings keep the cut-out marker); index 0 unused.
std::vector<double> soundingPowerAtFeet(const sounding::SoundingSet& set, const PowerModel& model,
                                        double feet, double correction);

// Figures and texts of the power summary at the height of interest.
struct PowerAnalysis {
    double potKW = 0;              // corrected average power, kW
    double potCF = 0;              // percent, 1 decimal
    double idlePercent = 0;
    double tempPressPercent = 0;   // effect in percent, 1 decimal
    bool unknownCapacity = false;  // MaxKW is 0
    std::string summary;           // "Power Analysis for ..."
    std::string effectLine;        // "Temperature and pressure ..."
};

// heightFeet places the figures; heightShown and lengthUnit ("feet"/"meters")
// are how the height appears in the summary.
PowerAnalysis showPowerAnalysis(const LevelPowerResults& r, double maxKW, double heightFeet,
                                double heightShown, const std::string& lengthUnit);

}  // namespace skyloom::power
