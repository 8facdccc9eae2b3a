#include "session/AnimationSchedule.h"

#include <algorithm>
#include <cmath>

#include "core/Formats.h"

namespace skyloom::session {

namespace {
constexpr double kDayLastSecond = 86399;
constexpr double kCaptionAllowance = 0.03;   // the captions add the drawing time of a frame
constexpr double kShortestWait = 0.01;
}  // namespace

std::string frameAdvanceCaption(double seconds) {
    return "Frame advance is " + core::formatNumber(seconds, "0.00") + " sec";
}

std::string animationStartCaption(double frameAdvance) {
    return frameAdvanceCaption(frameAdvance + kCaptionAllowance);
}

double fullSpeedWait(double frameAdvance) { return frameAdvance > kShortestWait ? frameAdvance : kShortestWait; }

FrameStep animationWait(int n, double frameAdvance) {
    if (n == 1) return {30.0, std::string("Frame advance is 30 sec")};
    if (n == 2) return {15.0, std::string("Frame advance is 15 sec")};
    if (n >= 3 && n <= 26) return {5.0, std::string("Frame advance is 5 sec")};
    if (n >= 27 && n <= 124) {
        const double wait = 1.0 / std::pow(1.2, n - 26);
        return {wait, frameAdvanceCaption(wait + kCaptionAllowance)};
    }
    if (n == 126) return {std::nullopt, animationStartCaption(frameAdvance)};
    return {fullSpeedWait(frameAdvance), std::nullopt};
}

double clampWaitToDayEnd(double secondOfDay, double seconds) {
    if (secondOfDay + seconds > kDayLastSecond) return std::max(0.0, kDayLastSecond - secondOfDay);
    return seconds;
}

std::string animationWaitText(std::int32_t largestPeak, int n, int total) {
    return "Altitude Band Height is " + std::to_string(largestPeak) + " data points after adding sounding " +
           std::to_string(n) + " of " + std::to_string(total) + " PRESS ESC to stop, 'A' to advance.";
}

double stepFrameAdvance(double frameAdvance, bool up) {
    const double next = std::round((frameAdvance + (up ? 0.03 : -0.03)) * 100) / 100;
    return std::max(0.0, next);
}

}  // namespace skyloom::session
