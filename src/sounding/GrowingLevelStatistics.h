#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <queue>
#include <vector>

#include "sounding/LevelStatistics.h"
#include "sounding/SoundingSet.h"

namespace skyloom::sounding {

// The statistics pass taken one sounding at a time, so that the animation can
// show the speed distributions growing. Every add costs O(levels x log N); after
// the last sounding, finish() gives the same figures as computeLevelStatistics
// over the whole set. The set is only read: the hours represented are kept here.
class GrowingLevelStatistics {
public:
    explicit GrowingLevelStatistics(const SoundingSet& set);

    int added() const { return added_; }
    int total() const { return set_.count(); }
    bool complete() const { return added_ >= set_.count(); }

    // Adds sounding added() + 1. The running figures treat it as the last
    // sounding (6 hours after it) until its successor arrives.
    void addNext();

    // The figures of the soundings added so far: largest speeds, histograms and
    // their peaks, averages over the soundings added, middle speeds, total hours.
    const LevelStatistics& current() const { return current_; }
    // The largest HistogramPeak of the levels 1..10.
    std::int32_t largestPeak() const;
    // Hours represented by sounding n (1..added()) as far as known now.
    double hoursRepresented(int n) const { return hours_[static_cast<std::size_t>(n)]; }

    // The complete statistics of the period; every sounding must have been added.
    LevelStatistics finish(const AnalysisPeriod& period) const;

private:
    // The k-th smallest of a growing multiset (k = medianPosition of its size):
    // a max-heap holds the k+1 smallest, a min-heap the rest.
    class RunningMiddle {
    public:
        void add(std::int32_t v);
        bool empty() const { return low_.empty(); }
        std::int32_t value() const { return low_.top(); }

    private:
        std::priority_queue<std::int32_t> low_;
        std::priority_queue<std::int32_t, std::vector<std::int32_t>, std::greater<>> high_;
    };

    const SoundingSet& set_;
    int added_ = 0;
    std::vector<double> hours_;         // hours represented, index = sounding number
    std::array<double, kLevelCount> speedSum_{};
    std::array<double, kLevelCount> directionSum_{};
    std::array<RunningMiddle, kLevelCount> middle_;
    LevelStatistics current_;
};

}  // namespace skyloom::sounding
