#pragma once

#include <string>

#include "sounding/ImportTypes.h"
#include "sounding/LevelBuilder.h"

namespace skyloom::sounding {

// The checks' verdict on one built sounding.
struct QualityVerdict {
    std::string reason;        // every finding's message, in order
    bool reject = false;       // a finding that deletes the whole sounding
    bool needsReview = false;  // first wind between Lalt and Malt, or a bad speed step
};

namespace quality {

// Checks a built sounding against the review criteria.
QualityVerdict check(const LevelBuild& b, const ReviewCriteria& c);

// The texts that reject a sounding, and the others.
std::string notEnoughPoints(std::size_t count);
std::string firstWindAbove(const ReviewCriteria& c);
inline constexpr const char* kGroundWindHigher = "Ground wind extrapolated higher than upper wind.";
inline constexpr const char* kNoPointsInRange = " No datapoints in range (0).";
inline constexpr const char* kBadSpeedStep = " Bad wind speed difference between altitudes.";
inline constexpr const char* kUserDeleted = kUserReviewedAndDeleted;
inline constexpr const char* kMultipleWmo = "Multiple wmo not added";

}  // namespace quality
}  // namespace skyloom::sounding
