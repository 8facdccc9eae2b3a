#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/Dates.h"
#include "sounding/SoundingSet.h"

namespace skyloom::core { class Progress; }

namespace skyloom::sounding {

constexpr int kHistogramBins = 71;        // one-knot bins 0..70; faster winds count in 70
constexpr int kPeakLastBin = 60;          // the peak looks at bins 1..60 (bin 0 is calm)
constexpr int kYearTableSize = 16;
constexpr double kUsableYearGapHours = 672;     // four weeks
constexpr double kFullYearHours = 7000;
constexpr double kHoursPerYear = 8766;          // divisor turning period totals into yearly figures

// The calendar range the user asked for (both ends included).
struct AnalysisPeriod {
    core::Days from{};
    core::Days to{};
};

// One calendar year of the loaded soundings.
struct YearRow {
    int year = 0;
    int soundings = 0;
    double hours = 0;          // hours represented by the year's soundings
    double largestGap = 0;     // largest spacing of consecutive soundings inside the year, hours
    // Per-level capacity factor in percent; the power model fills it.
    std::array<double, kLevelCount> capacityFactor{};

    // A year with a gap of four weeks or more (or no sounding) is left out.
    bool usable() const { return soundings > 0 && largestGap < kUsableYearGapHours; }
    // A usable year with fewer than 7000 hours is shown marked.
    bool shortOfData() const { return usable() && hours < kFullYearHours; }
};

// Calendar years from the year of the first sounding, at most 16.
struct YearTable {
    std::vector<YearRow> rows;
    // First hour of the table's year i in hours since 1930.
    core::HoursSince1930 yearStart(int i) const;
    // Row of a time stamp, or -1 when it lies outside the table.
    int indexOf(core::HoursSince1930 t) const;
};

// Results of the statistics pass, per level 0 (ground) .. 10 (5000 ft). Speeds
// are in stored tenths of a knot, directions in degrees.
struct LevelStatistics {
    int soundingCount = 0;
    double totalHours = 0;
    std::array<double, kLevelCount> maxSpeed{};
    std::array<std::array<std::int32_t, kHistogramBins>, kLevelCount> histogram{};
    std::array<std::int32_t, kLevelCount> histogramPeak{};
    std::array<double, kLevelCount> averageSpeed{};
    std::array<double, kLevelCount> averageDirection{};
    std::array<double, kLevelCount> median{};      // the middle speed ("Mean")
    double badTemperaturePercent = 0;              // one decimal
    double badPressurePercent = 0;
    int days = 0;                                  // whole days from the period's from to its to date
    double years = 0;                              // days / 365: one decimal below 5, else whole
    double dataYears = 0;                          // totalHours / 8766
    double gapPercent = 0;                         // one decimal
    std::int64_t totalDataPoints = 0;
    YearTable yearTable;
};

// Per-sounding, per-level work that runs inside the statistics pass (the power
// model's derived table). visit is called for every sounding n (1..count) and
// every level 0..10, after the hours represented of every sounding are known.
class LevelVisitor {
public:
    virtual ~LevelVisitor() = default;
    virtual void begin(const SoundingSet& set) { (void)set; }
    virtual void visit(const SoundingSet& set, int n, int level) = 0;
};

// Fills slots 1..4 of every sounding's time: hours represented, stretch marker,
// hours before, hours after. Returns the total of the hours represented.
double computeTimeWeights(SoundingSet& set);

// Histogram bin of a stored speed: tenths of a knot to whole knots, halves to
// even (685 -> 68, 695 -> 70), capped at the last bin.
int histogramBin(std::int32_t storedSpeed);
// Row (from 0) of the sorted speeds that holds the middle value: count / 2,
// a half going to the even row.
int medianPosition(int count);
// days / 365, one decimal below five years, a whole number from five on.
double yearsOfRange(int days);

// The statistics of the loaded set for the period. Sets the time weights too.
// Reports through progress (when given) and stops early when it asks to cancel:
// then the result is incomplete and false is returned.
bool computeLevelStatistics(SoundingSet& set, const AnalysisPeriod& period, LevelStatistics& out,
                            core::Progress* progress = nullptr, LevelVisitor* visitor = nullptr);

// The year table's hours and gaps (capacity factors left at 0).
YearTable buildYearTable(const SoundingSet& set);

// A sounding stands for the hours half-way to each neighbour, at most 6 on a
// side; the first and last stand for 6 hours outside.
constexpr double kOuterSideHours = 6;
double sideHours(double spacing);

// The figures of a pass that follow from its hours and the period: the shares
// of hours with bad temperatures and pressures, days, years, data years and the
// gap share. out.totalHours must already hold the hours of the pass.
void setPeriodFigures(LevelStatistics& out, const AnalysisPeriod& period, double badTemperatureHours,
                      double badPressureHours);

}  // namespace skyloom::sounding
