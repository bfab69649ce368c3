// The demo scene of the volume shapes drawn by playblast: the picture shows
// each locator's outline where the locator is.

#include "dg/Scene.h"

#include <maya/M3dView.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{
/// A PNG's pixels, read with cairo.
class Picture
{
public:
    explicit Picture(const std::string& path) : surface_(cairo_image_surface_create_from_png(path.c_str()))
    {
        cairo_surface_flush(surface_);
    }
    ~Picture() { cairo_surface_destroy(surface_); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    bool Valid() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
    int Width() const { return cairo_image_surface_get_width(surface_); }
    int Height() const { return cairo_image_surface_get_height(surface_); }
    /// The pixel in row `row` from the top, as 0xAARRGGBB.
    std::uint32_t At(int column, int row) const
    {
        const unsigned char* data = cairo_image_surface_get_data(surface_);
        const int stride = cairo_image_surface_get_stride(surface_);
        return *reinterpret_cast<const std::uint32_t*>(data + row * stride + column * 4);
    }

private:
    cairo_surface_t* surface_;
};

int ChannelDifference(std::uint32_t a, std::uint32_t b)
{
    int largest = 0;
    for (int shift = 0; shift < 24; shift += 8)
        largest = std::max(largest, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return largest;
}

/// Whether the two pictures differ clearly within 4 pixels of where the
/// active view draws `world`.
bool DiffersAround(const Picture& with, const Picture& without, const MPoint& world)
{
    short x = 0, y = 0;
    if (!M3dView::active3dView().worldToView(world, x, y))
        return false;
    // The view counts rows from the bottom, the picture from the top.
    const int row = with.Height() - 1 - y;
    for (int r = std::max(0, row - 4); r <= std::min(with.Height() - 1, row + 4); ++r)
        for (int c = std::max(0, x - 4); c <= std::min(with.Width() - 1, x + 4); ++c)
            if (ChannelDifference(with.At(c, r), without.At(c, r)) > 40)
                return true;
    return false;
}

TEST(VolumesSceneTest, PlayblastShowsEveryVolume)
{
    vxhost::SetMessageEcho(false);
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    ASSERT_TRUE(engine.RunScript("loadPlugin \"" VX_PLUGIN_MODULE "\";"));
    ASSERT_TRUE(engine.RunScriptFile(VX_SCENES_DIR "/volumes.mel"));
    for (const vxhost::Message& message : vxhost::Messages())
        EXPECT_NE(message.severity, vxhost::Severity::kError) << message.text;

    const std::string dir = testing::TempDir();
    ASSERT_TRUE(engine.RunScript("playblast -f \"" + dir + "volumes_with.png\" -wh 640 360;"));
    // The same framing without the outlines: the locators keep their bounds,
    // and the shapes that stand in a marker put it at their centres only.
    ASSERT_TRUE(engine.RunScript("setAttr goalShape.drawVolumeOverride 0; setAttr goalShape.drawCentre 0;"
                                 "setAttr zoneShape.drawVolumeOverride 0; setAttr zoneShape.drawCentre 0;"
                                 "setAttr postShape.drawVolumeOverride 0; setAttr postShape.drawCentre 0;"
                                 "setAttr tube.drawVolumeOverride 0;"
                                 "playblast -f \"" +
                                 dir + "volumes_without.png\" -wh 640 360;"));
    const Picture with(dir + "volumes_with.png");
    const Picture without(dir + "volumes_without.png");
    ASSERT_TRUE(with.Valid());
    ASSERT_TRUE(without.Valid());
    ASSERT_EQ(with.Width(), 640);
    ASSERT_EQ(with.Height(), 360);

    // A point on each outline: the sphere's equator, a box corner, the
    // capsule's top, and the first ring of the tube, 3 cm from the curve's
    // start across its tangent there (towards the second CV).
    const MVector tangent(10.0, 18.0, 12.0);
    const MPoint ring =
        MPoint(-40.0, 0.0, 0.0) + MVector(0.0, 3.0, 0.0).rotateBy(MQuaternion(MVector(1, 0, 0), tangent));
    EXPECT_TRUE(DiffersAround(with, without, MPoint(51.0, 10.0, 0.0))) << "sphere";
    EXPECT_TRUE(DiffersAround(with, without, MPoint(29.0, -7.0, 6.0))) << "box";
    EXPECT_TRUE(DiffersAround(with, without, MPoint(22.0, 26.0, -6.0))) << "capsule";
    EXPECT_TRUE(DiffersAround(with, without, ring)) << "tube";
    // Far from every volume nothing changed: the corner of the picture.
    EXPECT_EQ(ChannelDifference(with.At(2, 2), without.At(2, 2)), 0);
    vxhost::Scene::Get().Reset(); // the plug-in's nodes go before static destruction
}
} // namespace
