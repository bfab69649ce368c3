// A playblast's camera and grid hold still for the whole run, framed on
// everything the run shows; the framing pass leaves the caches as a run
// without pictures writes them; the options' bad input.
#include "SceneRun.h"

#include "dg/Scene.h"
#include "dynamics/Dynamics.h"
#include "dynamics/ParticleCache.h"

#include <maya/M3dView.h>
#include <vxhost/MessageLog.h>
#include <vxhost/Viewport.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace
{
const fs::path kScenes = VX_SCENES_DIR;

// The pixels of a PNG, 0xAARRGGBB, rows top down.
std::vector<std::uint32_t> Pixels(const fs::path& png, int& width, int& height)
{
    cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
    width = cairo_image_surface_get_width(image);
    height = cairo_image_surface_get_height(image);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y)
    {
        const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(image) +
                                                                 y * cairo_image_surface_get_stride(image));
        pixels.insert(pixels.end(), row, row + width);
    }
    cairo_surface_destroy(image);
    return pixels;
}

std::string Bytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool InPicture(const MPoint& p, int width, int height)
{
    short x = 0, y = 0;
    return M3dView::active3dView().worldToView(p, x, y) && x >= 0 && x < width && y >= 0 && y < height;
}

class PlayblastFramingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        Fresh();
        dir = fs::temp_directory_path() /
              ("vx_framing_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        out = std::tmpfile();
        // No video: ffmpeg is nowhere on this PATH.
        const char* path = std::getenv("PATH");
        savedPath = path ? path : "";
        setenv("PATH", dir.c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", savedPath.c_str(), 1);
        std::fclose(out);
        fs::remove_all(dir);
        vxhost::Scene::Get().Reset();
    }
    static void Fresh()
    {
        vxhost::Scene::Get().Reset();
        vxhost::Dynamics::Get().Reset();
        vxhost::ClearMessages();
    }
    SceneRunOptions Options(const fs::path& scene, const std::string& pictures)
    {
        SceneRunOptions options;
        options.scene = scene.string();
        options.progress = false;
        options.quiet = true;
        if (!pictures.empty())
            options.playblastDir = (dir / pictures).string();
        return options;
    }

    fs::path dir;
    std::FILE* out = nullptr;
    std::string savedPath;
};
} // namespace

TEST(PlayblastOptionTest, SpeedRangesAndCameras)
{
    double low = -1.0;
    double high = -1.0;
    EXPECT_EQ(ParseSpeedRange("5:40.5", low, high), "");
    EXPECT_EQ(low, 5.0);
    EXPECT_EQ(high, 40.5);
    for (const char* bad : {"", "5", "5-40", "a:9", "5:", ":9", "1:2:3"})
        EXPECT_EQ(ParseSpeedRange(bad, low, high), "expected LO:HI, two speeds in cm/s, got \"" + std::string(bad) + "\"");
    EXPECT_EQ(ParseSpeedRange("30:10", low, high), "the low speed must be below the high speed in \"30:10\"");
    EXPECT_EQ(ParseSpeedRange("7:7", low, high), "the low speed must be below the high speed in \"7:7\"");
    EXPECT_EQ(ParseSpeedRange("-1:10", low, high), "the speeds must not be negative, got \"-1:10\"");
    EXPECT_EQ(ParseSpeedRange("0:inf", low, high), "the speeds must be finite numbers, got \"0:inf\"");
    EXPECT_EQ(ParseSpeedRange("nan:3", low, high), "the speeds must be finite numbers, got \"nan:3\"");
    EXPECT_EQ(low, 5.0) << "a refused range leaves the output alone";

    std::string error;
    EXPECT_TRUE(CameraNamed("side", error));
    EXPECT_FALSE(CameraNamed("shotCam", error));
    EXPECT_EQ(error, "no camera named \"shotCam\"; the cameras are persp, top, front and side");
}

TEST_F(PlayblastFramingTest, EveryFrameHasOneCameraAndOneGrid)
{
    // One particle flies 78 cm and more in 48 frames, nothing slowing it:
    // between the first picture and the last only its two squares and the
    // head-up text (the frame number) may differ, whatever the framing.
    const fs::path scene = dir / "dot.mel";
    std::ofstream(scene) << "playbackOptions -min 1 -max 48;\n"
                            "particle -n dot -p 0 0 0;\n"
                            "setAttr dotShape.velocity -type vectorArray 1 40 0 20;\n";
    using Framing = SceneRunOptions::Framing;
    // Where the front camera stands before the run that uses it as it is.
    vxhost::ViewportOptions front;
    front.camera = "front";
    front.fitView = false;
    front.width = 320;
    front.height = 180;
    short frontX = 0, frontY = 0;
    for (const Framing framing : {Framing::kAllFrames, Framing::kFirstFrame, Framing::kAsItStands})
    {
        SCOPED_TRACE(static_cast<int>(framing));
        Fresh();
        const std::string pictures = "pictures" + std::to_string(static_cast<int>(framing));
        SceneRunOptions options = Options(scene, pictures);
        options.framing = framing;
        options.width = 320;
        options.height = 180;
        if (framing == Framing::kAsItStands)
        {
            options.view = "front";
            vxhost::ViewportFrame recorded;
            ASSERT_TRUE(vxhost::RecordViewport(front, recorded));
            M3dView::active3dView().worldToView(MPoint(10.0, 5.0, 0.0), frontX, frontY);
        }
        ASSERT_EQ(RunScene(options, out), 0);
        int width = 0, height = 0;
        const std::vector<std::uint32_t> first = Pixels(dir / pictures / "dot.0001.png", width, height);
        const std::vector<std::uint32_t> last = Pixels(dir / pictures / "dot.0048.png", width, height);
        ASSERT_EQ(first.size(), last.size());
        int differing = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (!(x < 120 && y > height - 80)) // the head-up text
                    differing += first[static_cast<std::size_t>(y * width + x)] !=
                                 last[static_cast<std::size_t>(y * width + x)];
        EXPECT_LE(differing, 18);

        if (framing == Framing::kAllFrames)
        {
            // The summary picture shares the frames' camera: the particle
            // was inside it at every frame.
            for (int frame = 1; frame <= 48; ++frame)
                EXPECT_TRUE(InPicture(MPoint(40.0, 0.0, 20.0) * ((frame - 1) / 24.0), 320, 180)) << frame;
        }
        if (framing == Framing::kAsItStands)
        {
            // Never framed: the camera is where it stood before the run.
            short x = 0, y = 0;
            M3dView::active3dView().worldToView(MPoint(10.0, 5.0, 0.0), x, y);
            EXPECT_EQ(std::pair(x, y), std::pair(frontX, frontY));
        }
    }
}

TEST_F(PlayblastFramingTest, TheFleeingFlockAndItsPredatorStayInThePicture)
{
    SceneRunOptions options = Options(kScenes / "flee.mel", "pictures");
    options.cacheDir = (dir / "cache").string();
    options.width = 192;
    options.height = 108;
    SceneRunSummary summary;
    ASSERT_EQ(RunScene(options, out, &summary), 0);
    ASSERT_EQ(summary.frames, 300u);
    // The predator at its keys, where it turns, and the extremes of its
    // sphere of 30 cm.
    for (const MPoint& hawk : {MPoint(-60.0, 3.0, 0.0), MPoint(70.0, -20.0, 25.0), MPoint(-60.0, 20.0, -25.0)})
        for (const MVector& reach : {MVector(30.0, 0.0, 0.0), MVector(0.0, 30.0, 0.0), MVector(0.0, 0.0, 30.0)})
        {
            EXPECT_TRUE(InPicture(hawk + reach, 192, 108)) << hawk.x << " " << reach.x << reach.y << reach.z;
            EXPECT_TRUE(InPicture(hawk - reach, 192, 108)) << hawk.x << " " << reach.x << reach.y << reach.z;
        }
    for (int frame = 1; frame <= 300; ++frame)
    {
        vxhost::ParticleCacheFrame cached;
        std::string error;
        ASSERT_TRUE(vxhost::ReadParticleCacheFile(
            vxhost::ParticleCachePath(options.cacheDir, "flockShape", frame, vxhost::CacheFormat::kPdc), cached,
            error))
            << error;
        const MVectorArray& positions = std::get<MVectorArray>(cached.Find("position")->values);
        unsigned outside = 0;
        for (unsigned i = 0; i < positions.length(); ++i)
            outside += !InPicture(MPoint(positions[i]), 192, 108);
        ASSERT_EQ(outside, 0u) << "frame " << frame;
    }
}

TEST_F(PlayblastFramingTest, TheFramingPassLeavesTheCachesAsARunWithoutPictures)
{
    // Spherical wander and Range parameters keep numbers in the field's own
    // memory and draw random numbers: a pass stepped twice in one process
    // would give other frames.
    for (const char* name : {"wander.mel", "parameters.mel"})
    {
        SCOPED_TRACE(name);
        std::vector<fs::path> caches;
        for (const char* pictures : {"", "pictures"})
        {
            Fresh();
            SceneRunOptions options = Options(kScenes / name, pictures);
            options.frameRange = true;
            options.startFrame = 1;
            options.endFrame = 20;
            options.width = 96;
            options.height = 54;
            options.cacheDir = (dir / name / (std::string("cache") + pictures)).string();
            ASSERT_EQ(RunScene(options, out), 0);
            caches.push_back(options.cacheDir);
        }
        unsigned compared = 0;
        for (const auto& entry : fs::directory_iterator(caches[0]))
        {
            if (entry.path().extension() != ".pdc")
                continue;
            EXPECT_EQ(Bytes(entry.path()), Bytes(caches[1] / entry.path().filename())) << entry.path();
            ++compared;
        }
        EXPECT_GE(compared, 20u);
    }
}
