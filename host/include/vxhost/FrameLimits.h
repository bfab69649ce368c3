#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace vxhost
{
/// The largest frame number either side of zero that the host steps to,
/// plays or renders, and the most frames one run or playblast takes.
/// Ten million frames is almost five days at 24 fps, far past any shot,
/// and the same cap `volarix run --frames` has always had. Within it a
/// double still counts single frames exactly (past 2^53 adding one frame
/// changes nothing, so a frame loop would never end), and stepping from one
/// end to the other is bounded work.
inline constexpr double kFrameLimit = 1e7;

/// Empty when `frame` is a finite number within +-kFrameLimit; else why
/// not, naming `what` ("The time", "The start frame").
inline std::string FrameLimitError(double frame, const char* what = "The frame")
{
    if (std::isfinite(frame) && std::fabs(frame) <= kFrameLimit)
        return std::string();
    char text[160];
    std::snprintf(text, sizeof(text), "%s %.15g is out of range: frames run from -%.0f to %.0f.", what, frame,
                  kFrameLimit, kFrameLimit);
    return text;
}
} // namespace vxhost
