#include "sounding/GrowingLevelStatistics.h"

#include <algorithm>

#include "core/Rounding.h"

namespace skyloom::sounding {

void GrowingLevelStatistics::RunningMiddle::add(std::int32_t v) {
    if (!low_.empty() && v > low_.top()) high_.push(v);
    else low_.push(v);
    const auto wanted = static_cast<std::size_t>(medianPosition(static_cast<int>(low_.size() + high_.size()))) + 1;
    while (low_.size() > wanted) {
        high_.push(low_.top());
        low_.pop();
    }
    while (low_.size() < wanted && !high_.empty()) {
        low_.push(high_.top());
        high_.pop();
    }
}

GrowingLevelStatistics::GrowingLevelStatistics(const SoundingSet& set) : set_(set) {
    hours_.assign(static_cast<std::size_t>(set.count()) + 1, 0.0);
}

void GrowingLevelStatistics::addNext() {
    if (complete()) return;
    const int n = ++added_;
    const auto un = static_cast<std::size_t>(n);
    const double t = set_.time[un][0];
    double before = kOuterSideHours;
    if (n > 1) {
        const double spacing = t - set_.time[un - 1][0];
        before = sideHours(spacing);
        // The predecessor stood for 6 hours after it while it was the last one.
        const double corrected = hours_[un - 1] - kOuterSideHours + sideHours(spacing);
        current_.totalHours += corrected - hours_[un - 1];
        hours_[un - 1] = corrected;
    }
    hours_[un] = before + kOuterSideHours;
    current_.totalHours += hours_[un];
    current_.soundingCount = n;

    const auto& levels = set_.level[un];
    const int top = set_.topWindLevel[un];
    for (int lvl = 0; lvl <= top && lvl < kLevelCount; ++lvl) {
        const auto l = static_cast<std::size_t>(lvl);
        const std::int32_t speed = levels[l][Speed];
        if (speed > current_.maxSpeed[l]) current_.maxSpeed[l] = speed;
        const int bin = histogramBin(speed);
        const std::int32_t count = ++current_.histogram[l][static_cast<std::size_t>(bin)];
        // Counts only grow, so the peak of bins 1..60 follows the bin just raised.
        if (bin >= 1 && bin <= kPeakLastBin) current_.histogramPeak[l] = std::max(current_.histogramPeak[l], count);
        speedSum_[l] += speed;
        directionSum_[l] += levels[l][Direction];
    }
    const bool kept = set_.key[un] >= 0;
    for (int lvl = 0; lvl < kLevelCount; ++lvl) {
        const auto l = static_cast<std::size_t>(lvl);
        current_.averageSpeed[l] = speedSum_[l] / n;
        current_.averageDirection[l] = directionSum_[l] / n;
        if (kept) middle_[l].add(levels[l][Speed]);
        current_.median[l] = middle_[l].empty() ? 0.0 : middle_[l].value();
    }
    current_.totalDataPoints += set_.pointCount[un];
}

std::int32_t GrowingLevelStatistics::largestPeak() const {
    return *std::max_element(current_.histogramPeak.begin() + 1, current_.histogramPeak.end());
}

LevelStatistics GrowingLevelStatistics::finish(const AnalysisPeriod& period) const {
    LevelStatistics out = current_;
    const int count = added_;
    // The hours are summed in sounding order, as the whole pass sums them.
    out.totalHours = 0;
    double badTemperatureHours = 0;
    double badPressureHours = 0;
    for (int n = 1; n <= count; ++n) {
        const auto un = static_cast<std::size_t>(n);
        out.totalHours += hours_[un];
        if (set_.badTemperature[un] != 0) badTemperatureHours += hours_[un];
        if (set_.badPressure[un] != 0) badPressureHours += hours_[un];
    }
    setPeriodFigures(out, period, badTemperatureHours, badPressureHours);

    // The year table reads the hours represented from the set: a copy carries ours.
    SoundingSet weighted = set_;
    weighted.setCount(count);
    for (int n = 1; n <= count; ++n) weighted.time[static_cast<std::size_t>(n)][1] = hours_[static_cast<std::size_t>(n)];
    out.yearTable = buildYearTable(weighted);
    return out;
}

}  // namespace skyloom::sounding
