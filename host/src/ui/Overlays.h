#pragma once
// What a picture says about itself, drawn over the scene: the speed colour
// bar with its numbers, the trails' legend of time, and the head-up text.

#include <vxhost/Viewport.h>

#include <cairo.h>

namespace vxhost
{
/// `speedScale`: the speed at the red end of the particles drawn, or below
/// 0 when no particle was drawn (no colour bar then).
void DrawOverlays(cairo_t* cr, const ViewportOptions& options, double speedScale);
} // namespace vxhost
