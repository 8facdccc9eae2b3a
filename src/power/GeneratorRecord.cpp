#include "power/GeneratorRecord.h"

#include <algorithm>
#include <cmath>

#include "core/Rounding.h"
#include "core/Text.h"

namespace skyloom::power {

double GeneratorRecord::column(int pos) const {
    if (pos >= kColFirstPoint && pos < kColFirstPoint + 2 * kCurvePoints) {
        const auto& p = points[static_cast<std::size_t>((pos - kColFirstPoint) / 2)];
        return (pos - kColFirstPoint) % 2 == 0 ? p.speed : p.kw;
    }
    switch (pos) {
        case kColTemperature: return temperature;
        case kColPressure: return pressure;
        case kColCutInSpeed: return cutInSpeed;
        case kColMaxKW: return maxKW;
        case kColHeight: return height;
        case kColOrgData: return orgData;
        case kColCostPerYear: return costPerYear;
        case kColMaxToGrid: return maxToGrid;
        case kColCutOut: return cutOut;
        default: return 0;
    }
}

void GeneratorRecord::setColumn(int pos, double value) {
    if (pos >= kColFirstPoint && pos < kColFirstPoint + 2 * kCurvePoints) {
        auto& p = points[static_cast<std::size_t>((pos - kColFirstPoint) / 2)];
        ((pos - kColFirstPoint) % 2 == 0 ? p.speed : p.kw) = value;
        return;
    }
    switch (pos) {
        case kColTemperature: temperature = value; break;
        case kColPressure: pressure = value; break;
        case kColCutInSpeed: cutInSpeed = value; break;
        case kColMaxKW: maxKW = value; break;
        case kColHeight: height = value; break;
        case kColOrgData: orgData = value; break;
        case kColCostPerYear: costPerYear = value; break;
        case kColMaxToGrid: maxToGrid = value; break;
        case kColCutOut: cutOut = value; break;
        default: break;
    }
}

int GeneratorRecord::lastUsedPoint() const {
    int last = 0;
    for (int i = 0; i < kCurvePoints; ++i) {
        const auto& p = points[static_cast<std::size_t>(i)];
        if (p.speed != 0 && p.kw != 0) last = i + 1;
    }
    return last;
}

void GeneratorRecord::recomputeMaxKW() {
    maxKW = 0;
    for (const auto& p : points)
        if (p.speed != 0 && p.kw != 0) maxKW = std::max(maxKW, p.kw);
}

double GeneratorRecord::speedAtMaxPower() const {
    const int last = lastUsedPoint();
    return last == 0 ? 0 : points[static_cast<std::size_t>(last - 1)].speed;
}

bool isLegalGeneratorName(std::string_view name) { return core::isLegalName(name); }

double roundKW(double kw) { return std::fabs(kw) >= 100 ? core::roundHalfAwayFromZero(kw, 0) : core::roundHalfAwayFromZero(kw, 2); }
double roundMaxToGrid(double kw) { return std::fabs(kw) >= 10 ? core::roundHalfAwayFromZero(kw, 0) : core::roundHalfAwayFromZero(kw, 2); }
double roundSpeed(double knots) { return core::roundHalfAwayFromZero(knots, 2); }

}  // namespace skyloom::power
