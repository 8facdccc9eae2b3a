#include "sounding/HeightInterpolation.h"

#include <cmath>
#include <string>

#include "core/Rounding.h"
#include "core/Text.h"

namespace skyloom::sounding {

namespace {

constexpr double kTopFeet = (kLevelCount - 1) * kLevelStepFeet;
// Typed metres become feet (and typed feet metres) with these before the
// current unit's own factor applies.
constexpr double kTypedFeetPerMetre = 3.2808;
constexpr double kTypedMetresPerFoot = 0.3048;

template <typename T>
double interpolate(std::span<const T, kLevelCount> v, double height, const Units& units) {
    const auto pos = levelPositionAtHeight(height, units);
    if (!pos) return 0.0;
    const double lower = static_cast<double>(v[static_cast<std::size_t>(pos->index - 1)]);
    const double upper = static_cast<double>(v[static_cast<std::size_t>(pos->index)]);
    return lower + (upper - lower) * pos->fraction;
}

}  // namespace

std::optional<LevelPosition> levelPositionAtHeight(double height, const Units& units) {
    if (height < 0) return std::nullopt;
    double feet = units.metric() ? height * kFeetPerMetre : height;
    if (feet > kTopFeet) feet = kTopFeet;
    const long whole = static_cast<long>(std::floor(feet));
    LevelPosition p;
    p.index = static_cast<int>(whole / kLevelStepFeet) + 1;
    p.fraction = static_cast<double>(whole % kLevelStepFeet) / kLevelStepFeet;
    if (p.index >= kLevelCount) {
        p.index = kLevelCount - 1;
        p.fraction = 1.0;
    }
    return p;
}

double levelValueAtHeight(std::span<const double, kLevelCount> values, double height, const Units& units) {
    return interpolate(values, height, units);
}

double levelValueAtHeight(std::span<const float, kLevelCount> values, double height, const Units& units) {
    return interpolate(values, height, units);
}

double levelRatioAtHeight(std::span<const double, kLevelCount> numerator,
                          std::span<const double, kLevelCount> denominator, double height,
                          const Units& units) {
    std::array<double, kLevelCount> q{};
    for (std::size_t i = 0; i < q.size(); ++i)
        q[i] = denominator[i] != 0.0 ? numerator[i] / denominator[i] : 0.0;
    return interpolate(std::span<const double, kLevelCount>(q), height, units);
}

std::string heightOfInterestPrompt(const Units& units) {
    return "What height would you like to set the altitude of interest to, add an f or m after the "
           "number to designate feet or meters, a number by itself will be assumed to be the current units (" +
           std::string(units.lengthUnit()) + ")?";
}

std::optional<double> parseHeightOfInterest(std::string_view answer, const Units& units, bool requireNumber) {
    const std::string text = core::trim(answer);
    if (text.empty()) return std::nullopt;
    if (requireNumber) {
        double ignored = 0;
        std::string body = text;
        const char last = body.back();
        if (last == 'm' || last == 'M' || last == 'f' || last == 'F') body = core::trim(body.substr(0, body.size() - 1));
        if (!core::parseNumber(body, ignored)) return std::nullopt;
    }
    double value = core::leadingNumber(text);
    const char last = text.back();
    if ((last == 'm' || last == 'M') && !units.metric()) value *= kTypedFeetPerMetre;
    else if ((last == 'f' || last == 'F') && units.metric()) value *= kTypedMetresPerFoot;
    return core::roundHalfEven(units.feetFromLength(value), 1);
}

}  // namespace skyloom::sounding
