#include "sounding/QualityCheck.h"

#include <cmath>
#include <cstdlib>

#include <fmt/format.h>

namespace skyloom::sounding::quality {

std::string notEnoughPoints(std::size_t count) { return fmt::format("Not enough data points <4 = {} .", count); }

std::string firstWindAbove(const ReviewCriteria& c) {
    return " First wind altitude was above " + c.maltText + " feet AGL.";
}

QualityVerdict check(const LevelBuild& b, const ReviewCriteria& c) {
    QualityVerdict v;
    v.reason = b.directionFindings;

    if (b.points.size() < 4) {
        v.reason += notEnoughPoints(b.points.size());
        v.reject = true;
    }
    if (b.groundWindExtrapolated && b.windKnown[0] && b.windKnown[1] && b.levels[0].speed > b.levels[1].speed) {
        v.reason += kGroundWindHigher;
        v.reject = true;
    }
    if (!b.firstWindFeet || static_cast<double>(*b.firstWindFeet) > c.malt) {
        v.reason += firstWindAbove(c);
        v.reject = true;
    }
    bool inRange = false;
    for (const auto& p : b.points)
        if (p.feet >= 0 && p.feet <= 5000) inRange = true;
    if (!inRange) {
        v.reason += kNoPointsInRange;
        v.reject = true;
    }
    // Winds that stop short of 5000 feet are kept: the levels above the sounding's
    // top wind level hold 0 and take no part in the level statistics.

    bool badStep = false;
    for (int L = 1; L < kImportLevels; ++L) {
        const auto& cur = b.levels[static_cast<std::size_t>(L)];
        const auto& below = b.levels[static_cast<std::size_t>(L - 1)];
        if (cur.speed == 0 || cur.direction == 0) continue;
        double limit = (L == 1 ? c.difGnd : c.dif500) * 10.0;
        if (std::abs(cur.speed - below.speed) > limit) {
            v.reason += kBadSpeedStep;
            badStep = true;
        }
    }
    for (double s : b.outOfRangeSpeeds)
        v.reason += fmt::format(" Negative Windspeed less than -1 knot = {} .", s);

    bool firstWindBetween = b.firstWindFeet && static_cast<double>(*b.firstWindFeet) >= c.lalt &&
                            static_cast<double>(*b.firstWindFeet) <= c.malt;
    v.needsReview = !v.reject && (firstWindBetween || badStep);
    return v;
}

}  // namespace skyloom::sounding::quality
