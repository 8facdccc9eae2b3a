#include "sounding/LevelStatistics.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/Progress.h"
#include "core/Rounding.h"

namespace skyloom::sounding {

namespace {

constexpr int kRegularSpacingHours = 12;
constexpr double kStretchBreakHours = 24;
// Soundings between two looks at the progress (and at a cancel request).
constexpr int kProgressEvery = 1024;


// The middle speed of each level is taken over the soundings still in the
// station data file (one ignored since loading no longer counts): the speed at
// a position of their sorted speeds. Speeds of 0 to 409.5 knots are counted per
// value during the pass, so that the position is found by adding up counts
// instead of by a pass over the set and a partial sort per level; a level with
// a speed outside them is sorted as before.
class MedianCounts {
public:
    static constexpr int kCountedSpeeds = 4096;   // stored tenths of a knot

    MedianCounts() : counts_(static_cast<std::size_t>(kLevelCount) * kCountedSpeeds) {}

    void add(const std::array<std::array<std::int32_t, 5>, kLevelCount>& levels) {
        ++kept;
        for (std::size_t l = 0; l < levels.size(); ++l) {
            const std::int32_t speed = levels[l][Speed];
            if (speed >= 0 && speed < kCountedSpeeds) ++counts_[l * kCountedSpeeds + static_cast<std::size_t>(speed)];
            else uncounted_[l] = true;
        }
    }
    // The speed at position (0-based) of the level's sorted speeds; none when
    // the level has a speed that was not counted.
    std::optional<std::int32_t> at(int level, int position) const {
        const auto l = static_cast<std::size_t>(level);
        if (uncounted_[l]) return std::nullopt;
        std::int64_t seen = 0;
        for (std::size_t v = 0; v < kCountedSpeeds; ++v) {
            seen += counts_[l * kCountedSpeeds + v];
            if (seen > position) return static_cast<std::int32_t>(v);
        }
        return std::nullopt;
    }
    int kept = 0;   // soundings counted

private:
    std::vector<std::int32_t> counts_;
    std::array<bool, kLevelCount> uncounted_{};
};

int yearOfHours(core::HoursSince1930 t) { return core::yearOf(core::dateOfHours(t)); }

double percentOfHours(double part, double total) {
    return total > 0 ? core::roundHalfEven(100.0 * part / total, 1) : 0.0;
}

}  // namespace

core::HoursSince1930 YearTable::yearStart(int i) const {
    const int base = rows.empty() ? 1930 : rows.front().year;
    return core::hoursSince1930(core::makeDate(base + i, 1, 1), 0);
}

int YearTable::indexOf(core::HoursSince1930 t) const {
    if (rows.empty()) return -1;
    const int i = yearOfHours(t) - rows.front().year;
    return i >= 0 && i < static_cast<int>(rows.size()) ? i : -1;
}

double computeTimeWeights(SoundingSet& set) {
    const int count = set.count();
    double total = 0;
    for (int n = 1; n <= count; ++n) {
        auto& slot = set.time[static_cast<std::size_t>(n)];
        const double t = slot[0];
        const double before = n == 1 ? kOuterSideHours : sideHours(t - set.time[static_cast<std::size_t>(n - 1)][0]);
        const double after = n == count ? kOuterSideHours : sideHours(set.time[static_cast<std::size_t>(n + 1)][0] - t);
        slot[1] = before + after;
        if (n == 1) slot[2] = t;
        else if (t - set.time[static_cast<std::size_t>(n - 1)][0] > kStretchBreakHours) slot[2] = -t;
        else slot[2] = 0;
        slot[3] = before;
        slot[4] = after;
        total += slot[1];
    }
    return total;
}

int histogramBin(std::int32_t storedSpeed) {
    if (storedSpeed <= 0) return 0;
    int whole = storedSpeed / 10;
    const int rest = storedSpeed % 10;
    if (rest > 5 || (rest == 5 && whole % 2 == 1)) ++whole;
    return std::min(whole, kHistogramBins - 1);
}

int medianPosition(int count) {
    const int half = count / 2;
    if (count % 2 == 0) return half;
    return half % 2 == 0 ? half : half + 1;
}

double yearsOfRange(int days) {
    const double years = days / 365.0;
    return years < 5 ? core::roundHalfEven(years, 1) : core::roundHalfEven(years, 0);
}

YearTable buildYearTable(const SoundingSet& set) {
    YearTable table;
    const int count = set.count();
    if (count == 0) return table;
    const int first = yearOfHours(set.hrs(1));
    const int last = yearOfHours(set.hrs(count));
    const int rows = std::min(last - first + 1, kYearTableSize);
    table.rows.resize(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) table.rows[static_cast<std::size_t>(i)].year = first + i;

    int previousIndex = -1;
    int year = first;
    core::HoursSince1930 nextYearStart = table.yearStart(1);
    int index = 0;
    for (int n = 1; n <= count; ++n) {
        const core::HoursSince1930 t = set.hrs(n);
        while (t >= nextYearStart) {
            ++year;
            ++index;
            nextYearStart = core::hoursSince1930(core::makeDate(year + 1, 1, 1), 0);
        }
        if (index >= rows) break;
        auto& row = table.rows[static_cast<std::size_t>(index)];
        ++row.soundings;
        row.hours += set.hoursRepresented(n);
        if (previousIndex == index)
            row.largestGap = std::max(row.largestGap, static_cast<double>(t - set.hrs(n - 1)));
        previousIndex = index;
    }
    return table;
}

// Hours a sounding stands for on one side: half the spacing to its neighbour,
// but never more than 6 hours, so a gap longer than 12 hours is nobody's time.
double sideHours(double spacing) { return spacing < kRegularSpacingHours ? spacing / 2 : kOuterSideHours; }

void setPeriodFigures(LevelStatistics& out, const AnalysisPeriod& period, double badTemperatureHours,
                      double badPressureHours) {
    out.badTemperaturePercent = percentOfHours(badTemperatureHours, out.totalHours);
    out.badPressurePercent = percentOfHours(badPressureHours, out.totalHours);
    out.days = core::daysBetween(period.from, period.to);
    out.years = yearsOfRange(out.days);
    out.dataYears = out.totalHours / kHoursPerYear;
    const double rangeHours = 24.0 * out.days;
    // The soundings at the two ends stand for 6 hours outside the range, so a
    // complete record can cover more than the range: no gaps, never a negative share.
    out.gapPercent =
        rangeHours > 0 ? std::max(0.0, core::roundHalfEven(100.0 * (rangeHours - out.totalHours) / rangeHours, 1)) : 0.0;
}

bool computeLevelStatistics(SoundingSet& set, const AnalysisPeriod& period, LevelStatistics& out,
                            core::Progress* progress, LevelVisitor* visitor) {
    out = LevelStatistics{};
    const int count = set.count();
    out.soundingCount = count;
    out.totalHours = computeTimeWeights(set);

    std::array<double, kLevelCount> speedSum{};
    std::array<double, kLevelCount> directionSum{};
    double badTemperatureHours = 0;
    double badPressureHours = 0;
    MedianCounts medians;
    if (visitor) visitor->begin(set);

    for (int n = 1; n <= count; ++n) {
        if (progress && n % kProgressEvery == 0) {
            progress->step(n, count);
            if (progress->cancelRequested()) return false;
        }
        const auto& levels = set.level[static_cast<std::size_t>(n)];
        const int top = set.topWindLevel[static_cast<std::size_t>(n)];
        for (int lvl = 0; lvl <= top && lvl < kLevelCount; ++lvl) {
            const auto l = static_cast<std::size_t>(lvl);
            const std::int32_t speed = levels[l][Speed];
            if (speed > out.maxSpeed[l]) out.maxSpeed[l] = speed;
            ++out.histogram[l][static_cast<std::size_t>(histogramBin(speed))];
            speedSum[l] += speed;
            directionSum[l] += levels[l][Direction];
        }
        if (set.key[static_cast<std::size_t>(n)] >= 0) medians.add(levels);
        if (visitor)
            for (int lvl = 0; lvl < kLevelCount; ++lvl) visitor->visit(set, n, lvl);
        const double hours = set.hoursRepresented(n);
        if (set.badTemperature[static_cast<std::size_t>(n)] != 0) badTemperatureHours += hours;
        if (set.badPressure[static_cast<std::size_t>(n)] != 0) badPressureHours += hours;
        out.totalDataPoints += set.pointCount[static_cast<std::size_t>(n)];
    }

    std::vector<std::int32_t> speeds;
    for (int lvl = 0; lvl < kLevelCount; ++lvl) {
        const auto l = static_cast<std::size_t>(lvl);
        const auto& bins = out.histogram[l];
        out.histogramPeak[l] = *std::max_element(bins.begin() + 1, bins.begin() + kPeakLastBin + 1);
        if (count > 0) {
            out.averageSpeed[l] = speedSum[l] / count;
            out.averageDirection[l] = directionSum[l] / count;
        }
        if (medians.kept == 0) continue;
        const int position = medianPosition(medians.kept);
        if (const auto counted = medians.at(lvl, position)) {
            out.median[l] = *counted;
            continue;
        }
        speeds.clear();
        speeds.reserve(static_cast<std::size_t>(medians.kept));
        for (int n = 1; n <= count; ++n)
            if (set.key[static_cast<std::size_t>(n)] >= 0) speeds.push_back(set.level[static_cast<std::size_t>(n)][l][Speed]);
        const auto middle = speeds.begin() + position;
        std::nth_element(speeds.begin(), middle, speeds.end());
        out.median[l] = *middle;
    }

    setPeriodFigures(out, period, badTemperatureHours, badPressureHours);
    out.yearTable = buildYearTable(set);
    if (progress) progress->step(count, count);
    return true;
}

}  // namespace skyloom::sounding
