#include "IconGlyphs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vxhost
{
namespace
{
constexpr double kIconSize = 24.0;

void TurbulenceGlyph(cairo_t* cr, double x, double y, double size)
{
    // Three rows of waves, each a period and a half, the lower rows rougher:
    // air stirred more the further it goes.
    const double half = 0.5 * size;
    for (int row = 0; row < 3; ++row)
    {
        const double baseline = y + (row - 1) * size * 0.3;
        const double amplitude = size * (0.06 + 0.04 * row);
        const double phase = row * 0.8;
        for (int k = 0; k <= 24; ++k)
        {
            const double t = k / 24.0;
            const double px = x - half + t * size;
            const double py = baseline - amplitude * std::sin(phase + t * 3.0 * std::numbers::pi);
            (k == 0 ? cairo_move_to : cairo_line_to)(cr, px, py);
        }
    }
    cairo_stroke(cr);
    // A ring around it, as Maya's field icons sit in one.
    cairo_arc(cr, x, y, half, 0.0, 2.0 * std::numbers::pi);
    cairo_stroke(cr);
}

void UnknownGlyph(cairo_t* cr, double x, double y, double size)
{
    const double half = 0.3 * size;
    cairo_rectangle(cr, x - half, y - half, 2.0 * half, 2.0 * half);
    cairo_move_to(cr, x - half, y - half);
    cairo_line_to(cr, x + half, y + half);
    cairo_move_to(cr, x + half, y - half);
    cairo_line_to(cr, x - half, y + half);
    cairo_stroke(cr);
}
} // namespace

void DrawIconGlyph(cairo_t* cr, const std::string& name, double x, double y, double scale,
                   const MColor& colour)
{
    const double size = kIconSize * (scale > 0.0 ? scale : 1.0);
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_set_dash(cr, nullptr, 0, 0.0);
    cairo_set_line_width(cr, std::max(1.0, 1.5 * scale));
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
    if (name == "TURBULENCE_FIELD")
        TurbulenceGlyph(cr, x, y, size);
    else
        UnknownGlyph(cr, x, y, size);
    cairo_restore(cr);
}
} // namespace vxhost
