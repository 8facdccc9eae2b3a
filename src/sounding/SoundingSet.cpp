#include "sounding/SoundingSet.h"

namespace skyloom::sounding {

void SoundingSet::resizeAll(int upper) {
    const auto n = static_cast<std::size_t>(upper) + 1;
    key.resize(n, 0);
    time.resize(n, {});
    badTemperature.resize(n, 0);
    badPressure.resize(n, 0);
    level.resize(n, {});
    topWindLevel.resize(n, 0);
    bandCode.resize(n, {});
    pointCount.resize(n, 0);
    upperBound_ = upper;
}

void SoundingSet::reset() {
    key.clear();
    time.clear();
    badTemperature.clear();
    badPressure.clear();
    level.clear();
    topWindLevel.clear();
    bandCode.clear();
    pointCount.clear();
    derived.clear();
    count_ = 0;
    resizeAll(kGrowStep);
}

void SoundingSet::ensureCapacity(int n) {
    if (n <= upperBound_) return;
    int upper = upperBound_;
    while (upper < n) upper += kGrowStep;
    resizeAll(upper);
}

void SoundingSet::resetDerived() {
    derived.assign(static_cast<std::size_t>(count_) + 1, {});
}

}  // namespace skyloom::sounding
