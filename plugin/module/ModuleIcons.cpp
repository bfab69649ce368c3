// Draws the module's outliner icons, icons/out_<nodeType>.png: 20 by 20
// pixels on a transparent ground, as Maya's outliner shows node icons. Drawn
// with cairo from the shapes below, so the same build makes the same files.
//
//     vx_module_icons OUTPUT_DIRECTORY NODE_TYPE...
//
// A node type without a drawing here is an error, so a new node type cannot
// ship without its icon.

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
constexpr int kSize = 20;
constexpr double kPi = 3.14159265358979323846;

void Colour(cairo_t* cr, unsigned rgb)
{
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

// The field: three birds in a V, the flock it steers.
void DrawField(cairo_t* cr)
{
    Colour(cr, 0x4A90E2);
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const double birds[3][2] = {{10.0, 5.0}, {4.5, 12.0}, {15.5, 12.0}};
    for (const auto& b : birds)
    {
        cairo_move_to(cr, b[0] - 3.5, b[1] + 2.5);
        cairo_line_to(cr, b[0], b[1]);
        cairo_line_to(cr, b[0] + 3.5, b[1] + 2.5);
        cairo_stroke(cr);
    }
}

// The target: a bullseye.
void DrawTarget(cairo_t* cr)
{
    Colour(cr, 0xE04848);
    cairo_set_line_width(cr, 1.5);
    for (const double radius : {8.0, 4.75})
    {
        cairo_arc(cr, 10.0, 10.0, radius, 0.0, 2.0 * kPi);
        cairo_stroke(cr);
    }
    cairo_arc(cr, 10.0, 10.0, 1.75, 0.0, 2.0 * kPi);
    cairo_fill(cr);
}

// The modifier: a box with a wave through it, the flock changed inside.
void DrawModifier(cairo_t* cr)
{
    Colour(cr, 0xE8A33D);
    cairo_set_line_width(cr, 1.5);
    cairo_rectangle(cr, 2.75, 2.75, 14.5, 14.5);
    cairo_stroke(cr);
    cairo_move_to(cr, 5.0, 10.0);
    cairo_curve_to(cr, 7.5, 5.5, 9.0, 5.5, 10.0, 10.0);
    cairo_curve_to(cr, 11.0, 14.5, 12.5, 14.5, 15.0, 10.0);
    cairo_stroke(cr);
}

// The obstacle: a solid octagon with a bar, a way that is shut.
void DrawObstacle(cairo_t* cr)
{
    Colour(cr, 0x8C8C8C);
    for (int corner = 0; corner < 8; ++corner)
    {
        const double angle = kPi / 8.0 + corner * kPi / 4.0;
        cairo_line_to(cr, 10.0 + 8.5 * std::cos(angle), 10.0 + 8.5 * std::sin(angle));
    }
    cairo_close_path(cr);
    cairo_fill(cr);
    Colour(cr, 0xFFFFFF);
    cairo_rectangle(cr, 5.0, 8.75, 10.0, 2.5);
    cairo_fill(cr);
}

// The volume: a wire sphere.
void DrawVolume(cairo_t* cr)
{
    Colour(cr, 0x3CB8A8);
    cairo_set_line_width(cr, 1.25);
    cairo_arc(cr, 10.0, 10.0, 8.0, 0.0, 2.0 * kPi);
    cairo_stroke(cr);
    for (const bool across : {true, false})
    {
        cairo_save(cr);
        cairo_translate(cr, 10.0, 10.0);
        cairo_scale(cr, across ? 1.0 : 0.375, across ? 0.375 : 1.0);
        cairo_arc(cr, 0.0, 0.0, 8.0, 0.0, 2.0 * kPi);
        cairo_restore(cr);
        cairo_stroke(cr);
    }
}

struct Icon
{
    const char* nodeType;
    void (*draw)(cairo_t*);
};

constexpr Icon kIcons[] = {
    {"particleVolarix", DrawField},
    {"QF_VX_targetLocatorNode", DrawTarget},
    {"QF_VX_modifierLocatorNode", DrawModifier},
    {"QF_VX_obstacleLocatorNode", DrawObstacle},
    {"QF_VX_volumeLocatorNode", DrawVolume},
};

bool WriteIcon(const Icon& icon, const std::string& directory)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    cairo_t* cr = cairo_create(surface);
    icon.draw(cr);
    cairo_destroy(cr);
    const std::string path = directory + "/out_" + icon.nodeType + ".png";
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
    {
        std::fprintf(stderr, "vx_module_icons: cannot write \"%s\": %s\n", path.c_str(),
                     cairo_status_to_string(status));
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: vx_module_icons OUTPUT_DIRECTORY NODE_TYPE...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i)
    {
        const Icon* found = nullptr;
        for (const Icon& icon : kIcons)
            if (std::strcmp(icon.nodeType, argv[i]) == 0)
                found = &icon;
        if (!found)
        {
            std::fprintf(stderr, "vx_module_icons: no icon is drawn for the node type \"%s\"\n", argv[i]);
            return 1;
        }
        if (!WriteIcon(*found, argv[1]))
            return 1;
    }
    return 0;
}
