#pragma once
// The renderer's two colour ramps, one per meaning, so that a picture never
// uses one palette for two things: speed (particles) and time (trails).

#include <maya/MColor.h>

#include <algorithm>
#include <array>
#include <cstddef>

namespace vxhost
{
/// Bands a ramp is drawn in: one colour (one fill, one stroke) per band.
constexpr int kColourBands = 16;

template <std::size_t N> MColor Ramp(const std::array<MColor, N>& stops, double t)
{
    t = std::clamp(t, 0.0, 1.0) * static_cast<double>(N - 1);
    const std::size_t i = std::min<std::size_t>(static_cast<std::size_t>(t), N - 2);
    const float f = static_cast<float>(t - static_cast<double>(i));
    return stops[i] * (1.0f - f) + stops[i + 1] * f;
}

/// Speed, 0 to 1 of the scale: blue, through cyan and yellow, to red.
inline MColor SpeedColour(double t)
{
    static const std::array<MColor, 4> stops = {MColor(0.15f, 0.35f, 1.0f), MColor(0.1f, 0.9f, 0.9f),
                                                MColor(1.0f, 0.9f, 0.1f), MColor(1.0f, 0.25f, 0.1f)};
    return Ramp(stops, t);
}

/// Time, 0 at the first frame to 1 at the last: violet, through teal, to
/// green-yellow; nothing like the speed ramp.
inline MColor TimeColour(double t)
{
    static const std::array<MColor, 3> stops = {MColor(0.55f, 0.25f, 0.75f), MColor(0.13f, 0.6f, 0.58f),
                                                MColor(0.75f, 0.9f, 0.2f)};
    return Ramp(stops, t);
}
} // namespace vxhost
