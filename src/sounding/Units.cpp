#include "sounding/Units.h"

#include <cmath>

#include "core/Text.h"

namespace skyloom::sounding {

Units Units::fromSetting(std::string_view text) {
    long long v = 0;
    if (core::parseInteger(text, v) && v >= 0 && v <= 2) return Units(static_cast<UnitMode>(v));
    return Units(UnitMode::Mph);
}

bool Units::fromWord(std::string_view word, Units& out) {
    const std::string w = core::toLower(core::trim(word));
    if (w == "knots" || w == "knts" || w == "kt") { out = Units(UnitMode::Knots); return true; }
    if (w == "mph") { out = Units(UnitMode::Mph); return true; }
    if (w == "si" || w == "metric") { out = Units(UnitMode::SI); return true; }
    return false;
}

double Units::speedFactor() const {
    switch (mode_) {
        case UnitMode::SI: return kMetresPerSecondPerKnot;
        case UnitMode::Knots: return 1.0;
        case UnitMode::Mph: break;
    }
    return kMilesPerHourPerKnot;
}

double Units::lengthFactor() const { return metric() ? 1.0 / kFeetPerMetre : 1.0; }

std::string_view Units::optionCaption() const {
    switch (mode_) {
        case UnitMode::SI: return "SI";
        case UnitMode::Knots: return "Knts";
        case UnitMode::Mph: break;
    }
    return "Mph";
}

std::string_view Units::speedUnit() const {
    switch (mode_) {
        case UnitMode::SI: return "m/sec";
        case UnitMode::Knots: return "knots";
        case UnitMode::Mph: break;
    }
    return "mph";
}

std::string_view Units::lengthUnit() const { return metric() ? "meters" : "feet"; }
std::string_view Units::lengthWord() const { return metric() ? "Meters" : "Feet"; }
std::string_view Units::temperatureUnit() const { return metric() ? "degC" : "degF"; }

std::string_view Units::speedAxisCaption() const {
    switch (mode_) {
        case UnitMode::SI: return "Wind Speed (m/sec)";
        case UnitMode::Knots: return "Wind Speed (knots)";
        case UnitMode::Mph: break;
    }
    return "Wind Speed (mph)";
}

std::string_view Units::heightAxisCaption() const {
    return metric() ? "Height Above Ground (meters)" : "Height Above Ground (feet)";
}

std::string_view Units::powerFactorCaption() const {
    return metric() ? "Power Factor   vs  75m" : "Power Factor vs 250 feet";
}

double Units::shownSpeed(double knots) const { return std::round(knots * speedFactor() * 10.0) / 10.0; }

}  // namespace skyloom::sounding
