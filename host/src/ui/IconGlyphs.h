#pragma once
/// \file IconGlyphs.h
/// The host's drawings of the icons MUIDrawManager::icon names.

#include <maya/MColor.h>

#include <cairo.h>

#include <string>

namespace vxhost
{
/// Draws the icon centred on pixel (x, y), about 24 pixels across at
/// scale 1, in colour. "TURBULENCE_FIELD" is three waves of rising
/// amplitude; an unknown name is a crossed square.
void DrawIconGlyph(cairo_t* cr, const std::string& name, double x, double y, double scale,
                   const MColor& colour);
} // namespace vxhost
