#include "ContactSheet.h"

#include "OutputFile.h"
#include "WedgeRun.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace
{
constexpr std::size_t kMostCells = 400;
constexpr double kFontSize = 12.0;
constexpr int kLineHeight = 15;
constexpr int kGap = 6;

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// The wedge's summary picture, when it ran to the end and drew one.
fs::path SummaryPicture(const std::string& dir, const Wedge& wedge)
{
    const fs::path playblast = fs::path(dir) / wedge.name / "playblast";
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(playblast, code))
        if (entry.path().string().size() > 12 &&
            entry.path().string().compare(entry.path().string().size() - 12, 12, ".summary.png") == 0)
            return entry.path();
    return fs::path();
}

void Text(cairo_t* cr, double x, double y, const std::string& text)
{
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
}

// One cell: the picture scaled into its box, or a grey box saying why not,
// and the label below.
void DrawCell(cairo_t* cr, const ContactSheetLayout& layout, double x, double y, const std::string& picture,
              const std::string& missing, const std::vector<std::string>& label)
{
    const double w = layout.cellWidth;
    const double h = layout.pictureHeight;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h + layout.labelHeight);
    cairo_clip(cr);
    const Surface image(picture.empty() ? nullptr : cairo_image_surface_create_from_png(picture.c_str()),
                        cairo_surface_destroy);
    if (image && cairo_surface_status(image.get()) == CAIRO_STATUS_SUCCESS)
    {
        const double iw = cairo_image_surface_get_width(image.get());
        const double ih = cairo_image_surface_get_height(image.get());
        const double scale = std::min(w / iw, h / ih);
        cairo_save(cr);
        cairo_translate(cr, x + (w - iw * scale) / 2, y + (h - ih * scale) / 2);
        cairo_scale(cr, scale, scale);
        cairo_set_source_surface(cr, image.get(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    else
    {
        cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
        cairo_rectangle(cr, x, y, w, h);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 1.0, 0.75, 0.7);
        Text(cr, x + 8, y + h / 2, missing.empty() ? "no picture" : missing);
    }
    cairo_set_source_rgb(cr, 0.92, 0.92, 0.92);
    for (std::size_t line = 0; line < label.size(); ++line)
        Text(cr, x + 2, y + h + kLineHeight * static_cast<double>(line + 1), label[line]);
    cairo_restore(cr);
}
} // namespace

ContactSheetLayout LayOutContactSheet(std::size_t count, std::size_t innermost)
{
    ContactSheetLayout layout;
    layout.cells = std::min(count, kMostCells);
    layout.columns = innermost >= 2 && innermost <= 10 && count % innermost == 0
                         ? innermost
                         : std::max<std::size_t>(1, static_cast<std::size_t>(
                                                        std::ceil(std::sqrt(static_cast<double>(layout.cells)))));
    layout.rows = (layout.cells + layout.columns - 1) / layout.columns;
    layout.cellWidth = layout.cells > 100 ? 160 : 320;
    layout.pictureHeight = layout.cellWidth * 9 / 16;
    layout.labelHeight = 2 * kLineHeight + kGap;
    layout.headerHeight = kLineHeight + 2 * kGap;
    layout.width = static_cast<int>(layout.columns) * (layout.cellWidth + kGap) + kGap;
    layout.height = layout.headerHeight +
                    static_cast<int>(layout.rows) * (layout.pictureHeight + layout.labelHeight + kGap);
    return layout;
}

std::vector<std::string> ContactLabel(const WedgePlan& plan, const Wedge& wedge)
{
    std::string first = wedge.name.substr(0, wedge.name.find('_'));
    if (wedge.seed)
        first += "  seed " + std::to_string(*wedge.seed);
    std::string second;
    for (std::size_t v = 0; v < wedge.values.size(); ++v)
    {
        if (v > 0)
            second += "  ";
        second += plan.ShortName(v);
        second += ' ';
        second += wedge.values[v];
    }
    return {first, second};
}

bool WriteContactSheet(const std::string& dir, const WedgePlan& plan, std::string& error)
{
    const std::size_t innermost =
        !plan.seeds.empty() ? plan.seeds.size()
                            : (plan.variations.empty() ? 0 : plan.variations.back().values.size());
    const ContactSheetLayout layout = LayOutContactSheet(plan.Count(), innermost);
    const Surface sheet(cairo_image_surface_create(CAIRO_FORMAT_RGB24, layout.width, layout.height),
                        cairo_surface_destroy);
    const Context cr(cairo_create(sheet.get()), cairo_destroy);
    cairo_set_source_rgb(cr.get(), 0.16, 0.16, 0.16);
    cairo_paint(cr.get());
    cairo_select_font_face(cr.get(), "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr.get(), kFontSize);

    cairo_set_source_rgb(cr.get(), 1.0, 1.0, 1.0);
    std::string header = fs::path(plan.scene).filename().string() + ": " + std::to_string(plan.Count()) + " wedges";
    if (layout.cells < plan.Count())
        header += ", the first " + std::to_string(layout.cells) + " shown (wedges.csv has them all)";
    Text(cr.get(), kGap, kGap + kLineHeight - 3, header);

    for (std::size_t i = 0; i < layout.cells; ++i)
    {
        const Wedge wedge = plan.At(i);
        std::string message;
        const WedgeState state = StateOf(dir, wedge, message);
        const double x = kGap + static_cast<double>(i % layout.columns) * (layout.cellWidth + kGap);
        const double y = layout.headerHeight + static_cast<double>(i / layout.columns) *
                                                   (layout.pictureHeight + layout.labelHeight + kGap);
        const std::string missing = state == WedgeState::kFailed    ? "failed"
                                    : state == WedgeState::kMissing ? "not run"
                                                                    : std::string();
        DrawCell(cr.get(), layout, x, y,
                 state == WedgeState::kDone ? SummaryPicture(dir, wedge).string() : std::string(), missing,
                 ContactLabel(plan, wedge));
    }

    cairo_surface_flush(sheet.get());
    return ReplaceFile(
        fs::path(dir) / "contact.png",
        [&sheet](const fs::path& partial)
        { return cairo_surface_write_to_png(sheet.get(), partial.c_str()) == CAIRO_STATUS_SUCCESS; },
        error);
}
