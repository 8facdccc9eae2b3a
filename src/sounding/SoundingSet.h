#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Dates.h"

namespace skyloom::sounding {

constexpr int kLevelCount = 11;          // ground, 500, 1000, ... 5000 feet above ground
constexpr int kLevelStepFeet = 500;

class SetOverwrite;

// Quantities held per level, in the stored units of the station data file.
enum Quantity : int { Speed = 1, Direction = 2, Temperature = 3, Pressure = 4 };

// The soundings of one station and period, in time order, as parallel arrays
// (sounding numbers start at 1; index 0 is unused). Arrays grow together in
// steps of 1000 so that loading never resizes per row.
class SoundingSet {
public:
    static constexpr int kGrowStep = 1000;

    SoundingSet() { reset(); }

    // Empties the set and gives every array room for sounding numbers 0..1000.
    void reset();
    // Makes room for sounding number n (growing every array by 1000 when needed).
    void ensureCapacity(int n);
    int upperBound() const { return upperBound_; }
    int count() const { return count_; }
    void setCount(int n) { count_ = n; }

    // Per sounding n (1..count()).
    std::vector<std::int32_t> key;                       // SoundingKey; negated when ignored since loading
    std::vector<std::array<double, 5>> time;             // SoundingTime: 0 Hrs, 1 hours represented, 2 stretch, 3 before, 4 after
    std::vector<std::int16_t> badTemperature;
    std::vector<std::int16_t> badPressure;
    std::vector<std::array<std::array<std::int32_t, 5>, kLevelCount>> level;  // LevelData[n][level][quantity]
    std::vector<std::int16_t> topWindLevel;
    std::vector<std::array<char, 12>> bandCode;
    std::vector<std::int32_t> pointCount;

    // Derived per-level table owned by the power model: three values per level per sounding.
    std::vector<std::array<std::array<float, 3>, kLevelCount>> derived;

    std::int32_t speed(int n, int lvl) const { return level[n][lvl][Speed]; }
    std::int32_t direction(int n, int lvl) const { return level[n][lvl][Direction]; }
    std::int32_t temperature(int n, int lvl) const { return level[n][lvl][Temperature]; }
    std::int32_t pressure(int n, int lvl) const { return level[n][lvl][Pressure]; }
    core::HoursSince1930 hrs(int n) const { return static_cast<core::HoursSince1930>(time[n][0]); }
    double hoursRepresented(int n) const { return time[n][1]; }

    // Clears and sizes the derived table for the current count.
    void resetDerived();

private:
    // The retrieval fills a set through SetOverwrite, which writes every element
    // of every array itself and so skips the clearing a reset would do.
    friend class SetOverwrite;
    void resizeAll(int upper);
    int upperBound_ = 0;
    int count_ = 0;
};

}  // namespace skyloom::sounding
