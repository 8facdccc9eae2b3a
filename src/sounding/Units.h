#pragma once

#include <string_view>

namespace skyloom::sounding {

// Feet in a metre, as every height conversion of the program uses it.
constexpr double kFeetPerMetre = 3.281;
// Display units per knot.
constexpr double kMetresPerSecondPerKnot = 0.5144;
constexpr double kMilesPerHourPerKnot = 6000.0 / 5280.0;

// The display unit mode, stored in the setting `Units` as its index.
enum class UnitMode : int { Mph = 0, Knots = 1, SI = 2 };

// Stored speeds are tenths of a knot and heights are feet; displays multiply by
// the two factors below and label with the unit words.
class Units {
public:
    constexpr Units() = default;
    constexpr explicit Units(UnitMode mode) : mode_(mode) {}

    // From the setting text "0", "1" or "2"; anything else gives miles per hour,
    // the setting's default.
    static Units fromSetting(std::string_view text);
    // From the command-line word "knots", "mph" or "si" (case ignored); false when unknown.
    static bool fromWord(std::string_view word, Units& out);

    UnitMode mode() const { return mode_; }
    bool metric() const { return mode_ == UnitMode::SI; }
    int settingIndex() const { return static_cast<int>(mode_); }

    // Display units per knot: 0.5144, 1 or 6000 / 5280.
    double speedFactor() const;
    // Display units per foot: 1 / 3.281 in the metric mode, else 1.
    double lengthFactor() const;

    std::string_view optionCaption() const;     // "Mph", "Knts", "SI"
    std::string_view speedUnit() const;         // "m/sec", "knots", "mph"
    std::string_view lengthUnit() const;        // "meters", "feet"
    std::string_view lengthWord() const;        // "Meters", "Feet" (captions)
    std::string_view temperatureUnit() const;   // "degC", "degF"
    std::string_view speedAxisCaption() const;  // "Wind Speed (knots)" ...
    std::string_view heightAxisCaption() const; // "Height Above Ground (feet)" ...
    std::string_view powerFactorCaption() const;

    // Stored tenths of a knot to display units.
    double speedFromTenths(double tenthsOfKnot) const { return tenthsOfKnot / 10.0 * speedFactor(); }
    double lengthFromFeet(double feet) const { return feet * lengthFactor(); }
    // A speed in knots as a field of the pages shows it: display units, one
    // decimal (half away from zero). The cut-out field and the power curve's
    // cut-out mark both show this one figure.
    double shownSpeed(double knots) const;
    double feetFromLength(double length) const { return length / lengthFactor(); }

    friend constexpr bool operator==(Units a, Units b) { return a.mode_ == b.mode_; }

private:
    UnitMode mode_ = UnitMode::Mph;
};

}  // namespace skyloom::sounding
