#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace skyloom::session {

// What the animation does after drawing sounding n: how long it waits before
// the next one (none: go on at once) and the new caption of the `Animate`
// button (none: the caption stays).
struct FrameStep {
    std::optional<double> seconds;
    std::optional<std::string> caption;
};

// The first frames are long so that the user can read the graphs; from sounding
// 27 on the waits shrink by 1.2 per frame until `FrameAdvance` takes over.
FrameStep animationWait(int n, double frameAdvance);

// "Frame advance is " <seconds, "0.00"> " sec".
std::string frameAdvanceCaption(double seconds);
// The `Animate` caption when the animation starts: the frame advance plus the
// 0.03 seconds a frame takes to draw.
std::string animationStartCaption(double frameAdvance);
// The wait of a frame at full speed: `FrameAdvance`, but at least 0.01 seconds.
double fullSpeedWait(double frameAdvance);

// A wait that would run past the day's last second (86399) ends at that second.
double clampWaitToDayEnd(double secondOfDay, double seconds);

// The wait label while the animation runs.
std::string animationWaitText(std::int32_t largestPeak, int n, int total);

// `FrameAdvance` after an arrow key: up adds 0.03, down takes 0.03 away but
// never goes below 0. Kept to whole hundredths.
double stepFrameAdvance(double frameAdvance, bool up);

}  // namespace skyloom::session
