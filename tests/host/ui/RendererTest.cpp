// Pictures: what lands in the pixels, the file formats, and playblast.

#include "ViewportTestUtil.h"

#include <vxhost/Viewport.h>

#include <cairo.h>

#include <cmath>
#include <gtest/gtest.h>

#include <tuple>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace viewporttest;
using MHWRender::MDrawRegistry;
using vxhost::Scene;

namespace
{
struct Pixel
{
    int r, g, b;
};

// A PNG read back with cairo.
class Image
{
public:
    explicit Image(const std::string& path) : fSurface(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Image() { cairo_surface_destroy(fSurface); }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    bool Ok() const { return cairo_surface_status(fSurface) == CAIRO_STATUS_SUCCESS; }
    int Width() const { return cairo_image_surface_get_width(fSurface); }
    int Height() const { return cairo_image_surface_get_height(fSurface); }
    // x right, y up from the bottom row, as M3dView counts.
    Pixel At(int x, int y) const
    {
        const unsigned char* row = cairo_image_surface_get_data(fSurface) +
                                   (Height() - 1 - y) * cairo_image_surface_get_stride(fSurface);
        const auto argb = *reinterpret_cast<const std::uint32_t*>(row + 4 * x);
        return {int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF)};
    }
    // The largest red-over-blue excess in a square around (x, y): grey
    // background and grid have none.
    int MostReddish(int x, int y, int half) const
    {
        int best = -255;
        for (int j = std::max(0, y - half); j <= std::min(Height() - 1, y + half); ++j)
            for (int i = std::max(0, x - half); i <= std::min(Width() - 1, x + half); ++i)
                best = std::max(best, At(i, j).r - At(i, j).b);
        return best;
    }

private:
    cairo_surface_t* fSurface;
};

class RendererTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        Scene::Get().Reset();
        TestLocator::Register();
        TestDrawOverride::Reset();
        ASSERT_TRUE(MDrawRegistry::registerDrawOverrideCreator(kClassification, kRegistrant,
                                                               TestDrawOverride::Creator));
        fDir = std::filesystem::temp_directory_path() / ("vx_render_test_" + std::to_string(getpid()));
        std::filesystem::create_directories(fDir);
        // Three still particles, and a locator (dormant: dark brown) to
        // their left.
        ASSERT_TRUE(RunScript("particle -p 0 0 0 -p 4 0 0 -p 0 4 0 -n cloud;"
                              "createNode testVolume -n vol; setAttr vol.width 1; xform -t -6 0 0 transform1;"
                              "select -cl;"));
    }
    void TearDown() override
    {
        MDrawRegistry::deregisterDrawOverrideCreator(kClassification, kRegistrant);
        Scene::Get().Reset();
        std::filesystem::remove_all(fDir);
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    std::string File(const char* name) const { return (fDir / name).string(); }

    std::filesystem::path fDir;
};

TEST_F(RendererTest, ParticlesAndDrawablesLandWhereTheViewProjectsThem)
{
    vxhost::ViewportOptions options;
    options.camera = "front";
    options.width = 320;
    options.height = 240;
    const std::string path = File("front.png");
    ASSERT_TRUE(vxhost::RenderViewport(options, path));
    const Image image(path);
    ASSERT_TRUE(image.Ok());
    EXPECT_EQ(image.Width(), 320);
    EXPECT_EQ(image.Height(), 240);

    const M3dView view = M3dView::active3dView();
    for (const MPoint& p : {MPoint(0.0, 0.0, 0.0), MPoint(4.0, 0.0, 0.0), MPoint(0.0, 4.0, 0.0)})
    {
        short x = 0, y = 0;
        ASSERT_TRUE(view.worldToView(p, x, y));
        // Still particles take the slow end of the ramp: blue.
        const Pixel pixel = image.At(x, y);
        EXPECT_GT(pixel.b, 200) << p.x << " " << p.y;
        EXPECT_LT(pixel.r, 100) << p.x << " " << p.y;
    }
    // The locator's icon and circle in the template colour; nothing of the
    // kind in an empty corner.
    short x = 0, y = 0;
    ASSERT_TRUE(view.worldToView(MPoint(-6.0, 0.0, 0.0), x, y));
    EXPECT_GT(image.MostReddish(x, y, 12), 20);
    EXPECT_LE(image.MostReddish(5, 5, 4), 0);
    // The framing keeps everything inside the picture.
    EXPECT_GT(x, 0);
    ASSERT_TRUE(view.worldToView(MPoint(4.0, 4.0, 0.0), x, y));
    EXPECT_LT(x, 320);
    EXPECT_LT(y, 240);
}

TEST_F(RendererTest, TrailsRunVioletToGreenAndWidenTheFraming)
{
    // A trail far above the particles: framed in, violet where it starts
    // and yellow-green where it ends: time has a palette of its own, none
    // of the speed ramp's blue to red.
    vxhost::ViewportOptions options;
    options.camera = "front";
    options.width = 320;
    options.height = 240;
    options.trails.emplace_back();
    for (int i = -10; i <= 10; ++i) // twenty segments: each its band of time
        options.trails.back().push_back(MPoint(i, 20.0, 0.0));
    options.ornaments = false; // the legend's corner is where the trail ends
    const std::string path = File("trails.png");
    ASSERT_TRUE(vxhost::RenderViewport(options, path));
    const Image image(path);
    ASSERT_TRUE(image.Ok());
    const M3dView view = M3dView::active3dView();
    short x0 = 0, x1 = 0, y = 0;
    ASSERT_TRUE(view.worldToView(MPoint(-9.0, 20.0, 0.0), x0, y));
    ASSERT_TRUE(view.worldToView(MPoint(9.0, 20.0, 0.0), x1, y));
    ASSERT_GT(y, 0);
    ASSERT_LT(y, 240);
    int violet = -255;
    int green = -255;
    for (int j = y - 1; j <= y + 1; ++j)
        for (int i = -1; i <= 1; ++i)
        {
            violet = std::max(violet, image.At(x0 + i, j).b - image.At(x0 + i, j).g);
            green = std::max(green, image.At(x1 + i, j).g - image.At(x1 + i, j).b);
        }
    EXPECT_GT(violet, 30);
    EXPECT_GT(green, 30);
    EXPECT_LE(image.MostReddish(x1, y - 20, 4), 0); // off the trail: grey
}

TEST_F(RendererTest, BuiltInMeshesAndCurvesAreDrawnAsWireframes)
{
    // A cube's 12 edges once each, though each joins two faces; a 3-span
    // curve in 48 segments; both placed by their transforms and framed.
    ASSERT_TRUE(RunScript("polyCube -w 2 -h 2 -d 2 -n box; xform -t 0 50 0 box;"
                          "curve -d 3 -p 0 0 0 -p 1 1 0 -p 2 0 0 -p 3 1 0 -p 4 0 0 -p 5 1 0 -n path;"
                          "select -cl;"));
    vxhost::ViewportOptions options;
    options.camera = "front";
    vxhost::ViewportFrame frame;
    ASSERT_TRUE(vxhost::RecordViewport(options, frame));
    const vxhost::RecordedNode* box = nullptr;
    const vxhost::RecordedNode* path = nullptr;
    for (const vxhost::RecordedNode& node : frame.nodes)
    {
        box = node.path == "|box|boxShape" ? &node : box;
        path = node.path == "|path|pathShape" ? &node : path;
    }
    ASSERT_TRUE(box && path);
    ASSERT_EQ(box->drawables.size(), 1u);
    const std::vector<MPoint>& edges = box->drawables[0].primitives[0].points;
    EXPECT_EQ(edges.size(), 24u);
    for (const MPoint& p : edges)
        EXPECT_EQ(std::fabs(p.x) + std::fabs(p.y) + std::fabs(p.z), 3.0);
    EXPECT_EQ(MPoint(0.0, 0.0, 0.0) * box->world, MPoint(0.0, 50.0, 0.0));
    EXPECT_GE(frame.bounds.max().y, 51.0);
    const std::vector<MPoint>& segments = path->drawables[0].primitives[0].points;
    ASSERT_EQ(segments.size(), 96u);
    EXPECT_EQ(segments.front(), MPoint(0.0, 0.0, 0.0));
    EXPECT_EQ(segments.back(), MPoint(5.0, 1.0, 0.0));
}

TEST_F(RendererTest, SvgIsWrittenAsVectors)
{
    vxhost::ViewportOptions options;
    options.format = vxhost::ImageFormat::kSvg;
    const std::string path = File("persp.svg");
    ASSERT_TRUE(vxhost::RenderViewport(options, path));
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("<svg"), std::string::npos);
    EXPECT_NE(text.str().find("<path"), std::string::npos);
}

TEST_F(RendererTest, PlayblastWritesFramesAndReportsFailures)
{
    const std::string base = File("shot");
    ASSERT_TRUE(RunScript("playblast -f \"" + base + ".png\" -wh 64 48 -fr 1 -fr 3 -cam side;"));
    EXPECT_EQ(Result(), base + ".0001.png " + base + ".0003.png");
    EXPECT_TRUE(Image(base + ".0003.png").Ok());
    EXPECT_FALSE(std::filesystem::exists(base + ".0002.png"));
    // One picture: the name as given, the extension added when missing.
    ASSERT_TRUE(RunScript("playblast -f \"" + File("single") + "\" -wh 32 32 -fmt svg;"));
    EXPECT_EQ(Result(), File("single") + ".svg");

    EXPECT_FALSE(RunScript("playblast -f \"" + base + "\" -cam nowhere;"));
    EXPECT_NE(LastError().find("Unknown camera"), std::string::npos);
    EXPECT_FALSE(RunScript("playblast -f \"" + File("no/such/dir/x.png") + "\" -wh 8 8;"));
    EXPECT_NE(LastError().find("Cannot write"), std::string::npos);
    EXPECT_FALSE(RunScript("playblast -wh 8 8;"));
}
} // namespace

TEST_F(RendererTest, OrnamentsSayWhatColoursMeanAndAFixedScaleKeepsThem)
{
    vxhost::ViewportOptions options;
    options.camera = "front";
    options.width = 320;
    options.height = 240;
    options.speedScale = 20.0;
    options.headsUp = {"scene.mel", "camera front", "frame 12", "3 particles"};
    // The first particle at 5 cm/s, the fastest at 10, then at 20: on the
    // run's fixed scale the first keeps its colour; on each picture's own
    // scale it would not.
    const auto render = [&](const char* velocities, double scale, const char* name)
    {
        EXPECT_TRUE(RunScript(std::string("setAttr cloudShape.velocity -type vectorArray 3 ") + velocities + ";"));
        options.speedScale = scale;
        const std::string path = File(name);
        EXPECT_TRUE(vxhost::RenderViewport(options, path));
        short x = 0, y = 0;
        EXPECT_TRUE(M3dView::active3dView().worldToView(MPoint(0.0, 0.0, 0.0), x, y));
        const Image image(path);
        return image.At(x, y);
    };
    const Pixel fixedA = render("5 0 0 10 0 0 0 0 0", 20.0, "a.png");
    const Pixel fixedB = render("5 0 0 20 0 0 0 0 0", 20.0, "b.png");
    EXPECT_EQ(std::tie(fixedA.r, fixedA.g, fixedA.b), std::tie(fixedB.r, fixedB.g, fixedB.b));
    const Pixel ownA = render("5 0 0 10 0 0 0 0 0", 0.0, "c.png");
    const Pixel ownB = render("5 0 0 20 0 0 0 0 0", 0.0, "d.png");
    EXPECT_NE(std::tie(ownA.r, ownA.g, ownA.b), std::tie(ownB.r, ownB.g, ownB.b));

    // The colour bar's red end in the top right corner, the head-up text in
    // the bottom left: there with ornaments, plain background without.
    const auto corners = [&](bool ornaments, const char* name)
    {
        options.ornaments = ornaments;
        options.speedScale = 20.0;
        const std::string path = File(name);
        EXPECT_TRUE(vxhost::RenderViewport(options, path));
        const Image image(path);
        int brightest = 0;
        for (int y = 8; y < 60; ++y)
            for (int x = 10; x < 90; ++x)
                brightest = std::max(brightest, image.At(x, y).g);
        return std::pair(image.MostReddish(305, 240 - 33, 3), brightest);
    };
    const auto [barOn, textOn] = corners(true, "on.png");
    const auto [barOff, textOff] = corners(false, "off.png");
    EXPECT_GT(barOn, 100);
    EXPECT_LE(barOff, 0);
    EXPECT_GT(textOn, 200);
    EXPECT_LT(textOff, 160);
}

TEST_F(RendererTest, ASpeedRangeSpreadsTheRampBetweenItsEnds)
{
    // Speeds 15, 5 and 40 cm/s on a range of 10 to 30: 15 is a quarter of
    // the way, the fifth of sixteen bands, whose middle (4.5 / 16) on the
    // ramp blue (0.15, 0.35, 1) to cyan (0.1, 0.9, 0.9) over its first
    // third is 0.84375 of the way: (0.108, 0.814, 0.916), or (27, 208, 233).
    // Below the range is the first band, (0.145, 0.402, 0.991); above it
    // the last, a red of (1, 0.311, 0.1).
    ASSERT_TRUE(RunScript("setAttr cloudShape.velocity -type vectorArray 3 15 0 0 5 0 0 40 0 0;"));
    vxhost::ViewportOptions options;
    options.camera = "front";
    options.width = 320;
    options.height = 240;
    options.speedLow = 10.0;
    options.speedScale = 30.0;
    const auto colours = [&](const char* name)
    {
        const std::string path = File(name);
        EXPECT_TRUE(vxhost::RenderViewport(options, path));
        const Image image(path);
        std::vector<Pixel> found;
        for (const MPoint& p : {MPoint(0.0, 0.0, 0.0), MPoint(4.0, 0.0, 0.0), MPoint(0.0, 4.0, 0.0)})
        {
            short x = 0, y = 0;
            EXPECT_TRUE(M3dView::active3dView().worldToView(p, x, y));
            found.push_back(image.At(x, y));
        }
        return found;
    };
    const std::vector<Pixel> ranged = colours("ranged.png");
    EXPECT_NEAR(ranged[0].r, 27, 1);
    EXPECT_NEAR(ranged[0].g, 208, 1);
    EXPECT_NEAR(ranged[0].b, 233, 1);
    EXPECT_NEAR(ranged[1].r, 37, 1);
    EXPECT_NEAR(ranged[1].g, 102, 1);
    EXPECT_NEAR(ranged[1].b, 253, 1);
    EXPECT_EQ(ranged[2].r, 255);
    EXPECT_NEAR(ranged[2].g, 79, 1);
    // From 0 instead, 15 of 30 is half way: another colour.
    options.speedLow = 0.0;
    const std::vector<Pixel> fromZero = colours("from-zero.png");
    EXPECT_GT(std::abs(fromZero[0].r - ranged[0].r) + std::abs(fromZero[0].b - ranged[0].b), 100);
}

TEST_F(RendererTest, WhatIsNearerCoversWhatIsBehindIt)
{
    // Seen from the top camera as it stands (30 cm across 320 pixels), the
    // locator's circle of radius 3.046875 in the ground plane passes down
    // the middle of pixel column 192 at z = 0, where a still particle sits
    // 5 cm above the ground, then 5 cm below it. The circle is drawn after
    // the particles were in the recorded order; by depth it is not.
    vxhost::ViewportOptions options;
    options.camera = "top";
    options.width = 320;
    options.height = 240;
    options.fitView = false;
    options.grid = false;
    ASSERT_TRUE(RunScript("xform -t 0 0 0 transform1; setAttr vol.width 3.046875;"
                          "setAttr cloudShape.velocity -type vectorArray 3 0 0 0 0 0 0 0 0 0;"));
    const auto pixel = [&](const char* y, const char* name)
    {
        EXPECT_TRUE(RunScript(std::string("setAttr cloudShape.position -type vectorArray 3 3.046875 ") + y +
                              " 0 -12 0 9 12 0 -9;"));
        const std::string path = File(name);
        EXPECT_TRUE(vxhost::RenderViewport(options, path));
        return Image(path).At(192, 119);
    };
    // The slow end of the speed ramp, (0.145, 0.402, 0.991), unblended.
    const Pixel above = pixel("5", "above.png");
    EXPECT_EQ(above.r, 37);
    EXPECT_EQ(above.g, 102);
    EXPECT_EQ(above.b, 253);
    const Pixel below = pixel("-5", "below.png");
    EXPECT_GT(std::abs(below.b - 253) + std::abs(below.g - 102), 60) << below.r << " " << below.g << " " << below.b;

    // The same in a vector picture: the particle's square comes after the
    // circle's pieces in the file when it is nearer, before them when not,
    // and the file is whole.
    options.format = vxhost::ImageFormat::kSvg;
    for (const char* y : {"5", "-5"})
    {
        ASSERT_TRUE(RunScript(std::string("setAttr cloudShape.position -type vectorArray 1 3.046875 ") + y + " 0;"));
        const std::string path = File("depth.svg");
        ASSERT_TRUE(vxhost::RenderViewport(options, path));
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        const std::string svg = text.str();
        EXPECT_NE(svg.find("</svg>"), std::string::npos);
        // The particle is the only fill of the ramp's slow end.
        const std::size_t square = svg.find("fill:rgb(14.");
        ASSERT_NE(square, std::string::npos);
        // The circle's pieces are the only strokes with round ends.
        if (std::string(y) == "5")
            EXPECT_GT(square, svg.rfind("stroke-linecap:round"));
        else
            EXPECT_LT(square, svg.find("stroke-linecap:round"));
    }
}

TEST_F(RendererTest, APlayblastSequenceKeepsItsCameraAndGrid)
{
    // The particles fly 57.5 cm in 23 frames; from the first picture to the
    // last only their squares change (three of 3 x 3 pixels, twice).
    ASSERT_TRUE(RunScript("setAttr cloudShape.velocity -type vectorArray 3 60 0 0 60 0 0 60 0 0;"));
    const std::string base = File("fly");
    ASSERT_TRUE(RunScript("playblast -f \"" + base + ".png\" -wh 160 120 -st 1 -et 24;"));
    const Image first(base + ".0001.png");
    const Image last(base + ".0024.png");
    ASSERT_TRUE(first.Ok() && last.Ok());
    int differing = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
        {
            const Pixel a = first.At(x, y), b = last.At(x, y);
            differing += std::tie(a.r, a.g, a.b) != std::tie(b.r, b.g, b.b);
        }
    EXPECT_LE(differing, 54);
}
