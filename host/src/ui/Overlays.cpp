#include "Overlays.h"

#include "Palettes.h"

#include <vxhost/CommandEngine.h>

#include <string>

namespace vxhost
{
namespace
{
constexpr double kMargin = 12.0;
constexpr double kBarWidth = 140.0;
constexpr double kBarHeight = 10.0;
constexpr double kFontSize = 12.0;

// Light text with a dark edge, readable on the grey gradient and on the flock.
void Label(cairo_t* cr, double x, double y, const std::string& text, bool alignRight = false)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    if (alignRight)
        x -= extents.x_advance;
    cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.6);
    cairo_move_to(cr, x + 1.0, y + 1.0);
    cairo_show_text(cr, text.c_str());
    cairo_set_source_rgb(cr, 0.95, 0.95, 0.95);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
    cairo_new_path(cr);
}

// A horizontal bar of `colour` from 0 to 1, its caption above and its two
// ends' numbers below; `top` is where the caption goes.
template <typename Colour>
void Bar(cairo_t* cr, double right, double top, const std::string& caption, const std::string& low,
         const std::string& high, Colour colour)
{
    const double left = right - kBarWidth;
    Label(cr, left, top + kFontSize, caption);
    const double y = top + kFontSize + 4.0;
    cairo_pattern_t* ramp = cairo_pattern_create_linear(left, 0.0, right, 0.0);
    for (int i = 0; i <= 8; ++i)
    {
        const MColor c = colour(i / 8.0);
        cairo_pattern_add_color_stop_rgb(ramp, i / 8.0, c.r, c.g, c.b);
    }
    cairo_rectangle(cr, left, y, kBarWidth, kBarHeight);
    cairo_set_source(cr, ramp);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(ramp);
    cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.6);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    Label(cr, left, y + kBarHeight + kFontSize + 2.0, low);
    Label(cr, right, y + kBarHeight + kFontSize + 2.0, high, true);
}
} // namespace

void DrawOverlays(cairo_t* cr, const ViewportOptions& options, double speedScale)
{
    cairo_save(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kFontSize);
    const double right = options.width - kMargin;
    double top = kMargin;
    if (speedScale >= 0.0)
    {
        Bar(cr, right, top, options.speedScale > 0.0 ? "speed (cm/s)" : "speed (cm/s, this frame's fastest)",
            FormatDouble(options.speedLow), FormatDouble(speedScale), SpeedColour);
        top += kFontSize * 2.0 + kBarHeight + 16.0;
    }
    if (!options.trails.empty())
        Bar(cr, right, top, "trails: time", "frame " + FormatDouble(options.trailFirstFrame),
            "frame " + FormatDouble(options.trailLastFrame), TimeColour);
    double y = options.height - kMargin - (static_cast<double>(options.headsUp.size()) - 1.0) * (kFontSize + 4.0);
    for (const std::string& line : options.headsUp)
    {
        Label(cr, kMargin, y, line);
        y += kFontSize + 4.0;
    }
    cairo_restore(cr);
}
} // namespace vxhost
