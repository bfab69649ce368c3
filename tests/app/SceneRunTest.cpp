// The volarix program's parts in-process: frame ranges, the progress bar,
// scene runs with caches, and the shell.
#include "SceneRun.h"
#include "CacheRecorder.h"
#include "ProgressBar.h"
#include "SceneShell.h"
#include "TrailRecorder.h"

#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MVector.h>
#include <vxhost/CRandom.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace
{
std::string Contents(std::FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        text.append(chunk, got);
    return text;
}

std::vector<std::string> FilesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class SceneRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        vxhost::Scene::Get().Reset();
        // One folder per test: ctest runs the tests of this suite at once.
        dir =
            fs::temp_directory_path() /
            ("vx_scene_run_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        out = std::tmpfile();
    }
    void TearDown() override
    {
        std::fclose(out);
        fs::remove_all(dir);
    }

    // A small flock on a grid (jitter draws from a host generator that
    // runs on across runs in one process).
    std::string WriteScene(const std::string& extra = std::string())
    {
        const fs::path scene = dir / "scene.mel";
        std::ofstream(scene) << "loadPlugin \"particleVolarix\";\n"
                                "playbackOptions -min 1 -max 4;\n"
                                "particle -n flock -ll -6 -6 -6 -ur 6 6 6 -grs 3;\n"
                                "createNode particleVolarix -n swarm;\n"
                                "setAttr swarm.maximumSpeed 20;\n"
                                "connectDynamic -f swarm flock;\n"
                             << extra;
        return scene.string();
    }

    SceneRunOptions Options(const std::string& scene)
    {
        SceneRunOptions options;
        options.scene = scene;
        options.progress = false;
        return options;
    }

    fs::path dir;
    std::FILE* out = nullptr;
};
} // namespace

TEST(ArgumentTest, FrameRangesAndSizes)
{
    double start = -1.0;
    double end = -1.0;
    EXPECT_EQ(ParseFrameRange("1:240", start, end), "");
    EXPECT_EQ(start, 1.0);
    EXPECT_EQ(end, 240.0);
    EXPECT_EQ(ParseFrameRange("0:0", start, end), "");
    EXPECT_EQ(end, 0.0);

    for (const char* bad : {"", "1", "1:", ":2", "1-10", "1.5:3", "a:b", "1:2:3", " 1:2"})
        EXPECT_NE(ParseFrameRange(bad, start, end).find("expected START:END"), std::string::npos) << bad;
    EXPECT_NE(ParseFrameRange("-5:10", start, end).find("must not be negative"), std::string::npos);
    EXPECT_NE(ParseFrameRange("10:5", start, end).find("comes before"), std::string::npos);
    // A frame past the host's limit, however short the range: 2^63 - 1 as a
    // double plus one frame is the same double, so that run never ended.
    for (const char* far : {"9223372036854775807:9223372036854775807", "10000001:10000001"})
        EXPECT_NE(ParseFrameRange(far, start, end).find("up to 10 million"), std::string::npos) << far;
    EXPECT_EQ(ParseFrameRange("10000000:10000000", start, end), "");
    EXPECT_EQ(end, 10000000.0);
    end = 0.0;
    EXPECT_EQ(end, 0.0) << "a refused range leaves the output alone";

    int width = 0;
    int height = 0;
    EXPECT_EQ(ParseSize("1280x720", width, height), "");
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    for (const char* bad : {"", "1280", "0x10", "10x0", "x10", "10x", "16385x10", "1.5x2", "10X10"})
        EXPECT_NE(ParseSize(bad, width, height), "") << bad;
}

TEST(ProgressBarTest, SilentForShortRunsAndWhenNotWanted)
{
    ProgressBar::Clock::time_point now{};
    auto clock = [&] { return now; };
    std::FILE* file = std::tmpfile();

    // Within the first second nothing is drawn, however many frames.
    ProgressBar bar(file, true, 1, 11, clock);
    now += std::chrono::milliseconds(900);
    bar.Update(6, 100);
    EXPECT_EQ(Contents(file), "");

    // After it: frame, particles, rate and time left (5 frames in 1.25 s).
    now += std::chrono::milliseconds(350);
    bar.Update(6, 100);
    const std::string drawn = Contents(file);
    EXPECT_NE(drawn.find("[##########----------]  frame 6/11  100 particles  4.0 frames/s  1.2 s left"),
              std::string::npos)
        << drawn;
    // Redraws are throttled, but the last frame is always drawn.
    now += std::chrono::milliseconds(10);
    bar.Update(7, 100);
    EXPECT_EQ(Contents(file), drawn);
    bar.Update(11, 100);
    EXPECT_NE(Contents(file).find("frame 11/11"), std::string::npos);
    bar.Finish();
    EXPECT_EQ(Contents(file).back(), '\n');
    std::fclose(file);

    // Disabled: nothing at all, not even the closing newline.
    file = std::tmpfile();
    ProgressBar off(file, false, 1, 11, clock);
    now += std::chrono::seconds(5);
    off.Update(11, 100);
    off.Finish();
    EXPECT_EQ(Contents(file), "");
    // A file is no terminal; --quiet wins on a terminal too.
    EXPECT_FALSE(ProgressBar::Wanted(false, file));
    EXPECT_FALSE(ProgressBar::Wanted(true, stderr));
    std::fclose(file);
}

TEST_F(SceneRunTest, RunWritesOneCacheFilePerFrameAndShape)
{
    SceneRunOptions options = Options(WriteScene("particle -n second -p 1 1 1 -p 2 2 2;\n"));
    options.frameRange = true;
    options.startFrame = 2;
    options.endFrame = 4;
    options.cacheDir = (dir / "cache" / "nested").string();
    SceneRunSummary summary;
    ASSERT_EQ(RunScene(options, out, &summary), 0);

    EXPECT_EQ(FilesIn(options.cacheDir),
              (std::vector<std::string>{"cache.json", "flockShape.2.pdc", "flockShape.3.pdc", "flockShape.4.pdc",
                                        "secondShape.2.pdc", "secondShape.3.pdc", "secondShape.4.pdc"}));
    EXPECT_EQ(summary.particles, 127u);
    EXPECT_EQ(summary.shapes, 2u);
    EXPECT_EQ(summary.frames, 3u);
    EXPECT_EQ(summary.steps, 3u) << "frames 1 to 4: three steps, the first a run-up";
    EXPECT_EQ(summary.evaluations, 3u) << "one field on one of the two shapes";
    EXPECT_EQ(summary.filesWritten, 6u);
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(options.cacheDir))
        bytes += entry.path().extension() == ".pdc" ? entry.file_size() : 0u;
    EXPECT_EQ(summary.bytesWritten, bytes);
    const std::string text = Contents(out);
    EXPECT_NE(text.find("particles      127 in 2 particle shapes"), std::string::npos) << text;
    EXPECT_NE(text.find("frames         3 (2 to 4), 3 stepped"), std::string::npos) << text;
    EXPECT_NE(text.find("files written  6"), std::string::npos) << text;

    // The last file holds the final state exactly.
    vxhost::ParticleCacheFrame state;
    vxhost::ParticleCacheFrame cached;
    std::string error;
    ASSERT_TRUE(vxhost::CaptureParticleFrame(*vxhost::Scene::Get().Find("flockShape"), state));
    ASSERT_TRUE(vxhost::ReadParticleCacheFile(options.cacheDir + "/flockShape.4.pdc", cached, error))
        << error;
    ASSERT_EQ(cached.channels.size(), state.channels.size());
    for (std::size_t c = 0; c < state.channels.size(); ++c)
    {
        EXPECT_EQ(cached.channels[c].name, state.channels[c].name);
        EXPECT_TRUE(cached.channels[c].values == state.channels[c].values) << state.channels[c].name;
    }
}

// Files are written behind the run: each frame holds its own state even
// though the next one steps before the writer is done, and a write that
// fails is reported by the next frame's Record and by Finish.
TEST_F(SceneRunTest, CacheRecorderWritesBehindTheRunAndReportsFailures)
{
    ASSERT_TRUE(vxhost::CommandEngine::Instance().RunScriptFile(WriteScene()));
    const std::string cache = (dir / "cache").string();
    std::string error;
    {
        CacheRecorder recorder(cache, vxhost::CacheFormat::kPly);
        ASSERT_TRUE(recorder.Prepare(error)) << error;
        std::vector<vxhost::ParticleCacheFrame> states(3);
        for (int frame = 1; frame <= 3; ++frame)
        {
            ASSERT_TRUE(vxhost::Dynamics::Get().SetCurrentFrame(frame));
            ASSERT_TRUE(vxhost::CaptureParticleFrame(*vxhost::Scene::Get().Find("flockShape"),
                                                     states[frame - 1]));
            ASSERT_TRUE(recorder.Record(frame, error)) << error;
        }
        ASSERT_TRUE(recorder.Finish(error)) << error;
        EXPECT_EQ(recorder.FilesWritten(), 3u);
        for (int frame = 1; frame <= 3; ++frame)
        {
            vxhost::ParticleCacheFrame cached;
            ASSERT_TRUE(vxhost::ReadParticleCacheFile(cache + "/flockShape." + std::to_string(frame) + ".ply",
                                                      cached, error))
                << error;
            EXPECT_TRUE(cached.channels[0].values == states[frame - 1].channels[0].values) << frame;
        }

        // The folder gone, a file in its place: the failure comes back.
        fs::remove_all(cache);
        std::ofstream(cache) << "not a folder";
        EXPECT_TRUE(recorder.Record(4, error)); // taken; written behind
        EXPECT_FALSE(recorder.Record(5, error));
        EXPECT_NE(error.find("flockShape.4.ply"), std::string::npos) << error;
        EXPECT_FALSE(recorder.Finish(error));
    }
}

TEST_F(SceneRunTest, EveryFormatRecordsTheSameRunAndTheSeedMatters)
{
    // Without --frames the scene's playback range runs: 1 to 4.
    std::map<std::string, vxhost::ParticleCacheFrame> last;
    for (const auto& [name, format, seed] :
         {std::tuple{"pdc", vxhost::CacheFormat::kPdc, 5u}, std::tuple{"ply", vxhost::CacheFormat::kPly, 5u},
          std::tuple{"csv", vxhost::CacheFormat::kCsv, 5u},
          std::tuple{"pdc-seed6", vxhost::CacheFormat::kPdc, 6u}})
    {
        vxhost::Scene::Get().Reset();
        SceneRunOptions options = Options(WriteScene("setAttr swarm.flockCentringUrgeType 1;\n"
                                                     "setAttr swarm.flockCentringUrgeRange 0.5 4;\n"));
        options.cacheDir = (dir / name).string();
        options.cacheFormat = format;
        options.seed = seed;
        options.json = true;
        ASSERT_EQ(RunScene(options, out), 0) << name;
        std::string error;
        ASSERT_TRUE(vxhost::ReadParticleCacheFile(
            vxhost::ParticleCachePath(options.cacheDir, "flockShape", 4, format), last[name], error))
            << error;
        EXPECT_EQ(FilesIn(options.cacheDir).size(), 5u) << "four frames and cache.json";
    }
    const auto position = [&](const char* run)
    { return std::get<MVectorArray>(last[run].Find("position")->values); };
    EXPECT_TRUE(position("pdc") == position("ply"));
    EXPECT_TRUE(position("pdc") == position("csv"));
    EXPECT_FALSE(position("pdc") == position("pdc-seed6"))
        << "the field draws its random ranges from the seed";

    const std::string json = Contents(out);
    EXPECT_NE(json.find("\"count\": 4"), std::string::npos) << json;
    EXPECT_NE(json.find("\"format\": \"csv\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"filesWritten\": 4"), std::string::npos) << json;
}

TEST_F(SceneRunTest, FailuresStopTheRunWithStatusOne)
{
    // An unwritable cache folder stops the run before the scene runs.
    SceneRunOptions options = Options(WriteScene());
    std::ofstream(dir / "file") << "x";
    options.cacheDir = (dir / "file" / "cache").string();
    EXPECT_EQ(RunScene(options, out), 1);
    EXPECT_TRUE(vxhost::Scene::Get().Nodes().empty());

    // A failing command: status 1 and no summary.
    options = Options(WriteScene("setAttr swarm.noSuchAttribute 1;\n"));
    options.cacheDir = (dir / "cache").string();
    EXPECT_EQ(RunScene(options, out), 1);
    EXPECT_EQ(Contents(out), "");
    EXPECT_TRUE(FilesIn(dir / "cache").empty());

    // A playblast folder that cannot be made: refused up front as well.
    vxhost::Scene::Get().Reset();
    options = Options(WriteScene());
    options.playblastDir = (dir / "file" / "pictures").string();
    EXPECT_EQ(RunScene(options, out), 1);
    EXPECT_TRUE(vxhost::Scene::Get().Nodes().empty());
}

TEST_F(SceneRunTest, PlayblastDrawsEveryFrameOfTheRange)
{
    SceneRunOptions options = Options(WriteScene());
    options.frameRange = true;
    options.startFrame = 3;
    options.endFrame = 5;
    options.playblastDir = (dir / "pictures").string();
    options.view = "top";
    options.width = 64;
    options.height = 48;
    SceneRunSummary summary;
    // No ffmpeg: pictures and the summary picture only.
    const char* path = std::getenv("PATH");
    const std::string savedPath = path ? path : "";
    setenv("PATH", dir.c_str(), 1);
    const int status = RunScene(options, out, &summary);
    setenv("PATH", savedPath.c_str(), 1);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(FilesIn(dir / "pictures"), (std::vector<std::string>{"scene.0003.png", "scene.0004.png",
                                                                    "scene.0005.png", "scene.summary.png"}));
    EXPECT_EQ(summary.pictures, 3u);
    EXPECT_EQ(summary.summaryPicture, (dir / "pictures" / "scene.summary.png").string());
    EXPECT_TRUE(summary.video.empty());
    EXPECT_EQ(summary.filesWritten, 4u);
    EXPECT_EQ(summary.cacheFiles, 0u);
    // A PNG of the size asked for: width and height in the IHDR chunk.
    std::ifstream png(dir / "pictures" / "scene.0003.png", std::ios::binary);
    unsigned char header[24] = {};
    png.read(reinterpret_cast<char*>(header), sizeof(header));
    EXPECT_EQ(header[1], 'P');
    EXPECT_EQ((header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19], 64);
    EXPECT_EQ((header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23], 48);
}

TEST_F(SceneRunTest, ShellRunsLineByLineAndSurvivesErrors)
{
    std::istringstream in("particle -p 1 2 3 -n f\n"
                          "  \n"
                          "noSuchCommand 1;\n"
                          "getAttr fShape.count\n"
                          "setAttr fShape.position -type vectorArray 2 0 0 0 1 1 1; // two now\n"
                          "getAttr fShape.count;\n"
                          "quit\n"
                          "getAttr fShape.position;\n");
    EXPECT_EQ(RunShell(in, out, true), 0);
    EXPECT_EQ(Contents(out), "volarix> volarix> volarix> volarix> volarix> volarix> volarix> \n");
    std::vector<std::string> shown;
    for (const vxhost::Message& m : vxhost::Messages())
        shown.push_back((m.severity == vxhost::Severity::kError ? "error: " : "") + m.text);
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "f fShape", "error: line 1: Cannot find procedure \"noSuchCommand\".", "1", "2"}));
}

// A stand-in ffmpeg on PATH: it records its arguments and writes its last
// one (the video), or fails.
TEST_F(SceneRunTest, PlayblastVideoThroughFfmpegOnPath)
{
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    auto writeFfmpeg = [&](int exitStatus)
    {
        std::ofstream(bin / "ffmpeg") << "#!/bin/sh\n"
                                         "echo \"$@\" > \""
                                      << (dir / "args.txt").string()
                                      << "\"\n"
                                         "for last; do :; done\n"
                                         "echo video > \"$last\"\n"
                                         "exit "
                                      << exitStatus << "\n";
        fs::permissions(bin / "ffmpeg", fs::perms::owner_all);
    };
    const char* path = std::getenv("PATH");
    const std::string savedPath = path ? path : "";
    setenv("PATH", (bin.string() + ":" + savedPath).c_str(), 1);

    writeFfmpeg(0);
    SceneRunOptions options = Options(WriteScene());
    options.frameRange = true;
    options.startFrame = 2;
    options.endFrame = 4;
    options.playblastDir = (dir / "pictures").string();
    options.width = 32;
    options.height = 24;
    SceneRunSummary summary;
    EXPECT_EQ(RunScene(options, out, &summary), 0);
    const fs::path video = dir / "pictures" / "scene.mp4";
    EXPECT_EQ(summary.video, video.string());
    EXPECT_EQ(summary.filesWritten, 5u);
    EXPECT_TRUE(fs::exists(video));
    std::ifstream argsFile(dir / "args.txt");
    const std::string args((std::istreambuf_iterator<char>(argsFile)), std::istreambuf_iterator<char>());
    EXPECT_NE(args.find("-framerate 24 -start_number 2 -i " + (dir / "pictures").string() +
                        "/scene.%04d.png -frames:v 3"),
              std::string::npos)
        << args;

    // A failing encode is a warning: the run succeeds, no video is left,
    // not even a partial one.
    writeFfmpeg(3);
    vxhost::Scene::Get().Reset();
    fs::remove_all(dir / "pictures");
    options = Options(WriteScene());
    options.playblastDir = (dir / "pictures").string();
    options.width = 32;
    options.height = 24;
    EXPECT_EQ(RunScene(options, out, &summary), 0);
    setenv("PATH", savedPath.c_str(), 1);
    EXPECT_TRUE(summary.video.empty());
    for (const std::string& name : FilesIn(dir / "pictures"))
        EXPECT_EQ(name.find(".mp4"), std::string::npos) << name;
}

TEST_F(SceneRunTest, TrailsFollowASampleOfParticlesById)
{
    // 125 particles on the grid, ids 0 to 124; about 50 wanted: every third.
    ASSERT_TRUE(vxhost::CommandEngine::Instance().RunScriptFile(WriteScene()));
    TrailRecorder recorder(50);
    recorder.Record();
    EXPECT_TRUE(recorder.Trails().empty()); // one point is no trail yet
    ASSERT_TRUE(vxhost::Dynamics::Get().SetCurrentFrame(2.0));
    recorder.Record();
    std::vector<std::vector<MPoint>> trails = recorder.Trails();
    ASSERT_EQ(trails.size(), 42u);
    // Id 0 is the grid's first corner; it has moved since.
    EXPECT_EQ(trails[0][0], MPoint(-6.0, -6.0, -6.0));
    EXPECT_NE(trails[0][1], trails[0][0]);

    // Emitted ids 125 and 126: only 126 is a multiple of the stride, and
    // it makes a trail once it has two points.
    ASSERT_TRUE(vxhost::CommandEngine::Instance().RunScript(
        "emit -o flock -pos 50 0 0 -pos 60 0 0;"));
    recorder.Record();
    EXPECT_EQ(recorder.Trails().size(), 42u);
    ASSERT_TRUE(vxhost::Dynamics::Get().SetCurrentFrame(3.0));
    recorder.Record();
    trails = recorder.Trails();
    ASSERT_EQ(trails.size(), 43u);
    std::size_t fourPoints = 0;
    for (const auto& trail : trails)
        fourPoints += trail.size() == 4 ? 1 : 0;
    EXPECT_EQ(fourPoints, 42u);
}

TEST_F(SceneRunTest, TheRunsSeedAndSettingsWinOverTheScene)
{
    const std::string ranges = "setAttr swarm.flockCentringUrgeType 1;\n"
                               "setAttr swarm.flockCentringUrgeRange 0.5 4;\n";
    const auto lastPositions = [&](const std::string& scene, std::optional<unsigned> seed, const char* name)
    {
        vxhost::Scene::Get().Reset();
        vxhost::ClearMessages();
        SceneRunOptions options = Options(scene);
        options.seed = seed;
        options.cacheDir = (dir / name).string();
        EXPECT_EQ(RunScene(options, out), 0) << name;
        vxhost::ParticleCacheFrame frame;
        std::string error;
        EXPECT_TRUE(vxhost::ReadParticleCacheFile(
            vxhost::ParticleCachePath(options.cacheDir, "flockShape", 4, vxhost::CacheFormat::kPdc), frame, error))
            << error;
        return std::get<MVectorArray>(frame.Find("position")->values);
    };
    // The scene's own seed 2 gives way to the run's 7, with a word; a scene
    // without a seed statement under --seed 7 draws the same numbers.
    const std::string seeded = WriteScene(ranges + "seed 2;\n");
    const MVectorArray overridden = lastPositions(seeded, 7u, "overridden");
    const std::vector<vxhost::Message> log = vxhost::Messages();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const vxhost::Message& m)
                            { return m.text == "seed 2: the run's seed 7 is used instead."; }));
    EXPECT_FALSE(vxhost::SeedOverride().has_value()) << "the override ends with the run";
    EXPECT_FALSE(overridden == lastPositions(seeded, std::nullopt, "own2"));
    // (WriteScene writes over the one scene file.)
    EXPECT_TRUE(overridden == lastPositions(WriteScene(ranges + "seed 7;\n"), std::nullopt, "own7"));

    // Settings come after the script and before the first frame: the
    // scene's speed of 20 is 3 when the particles first move.
    vxhost::Scene::Get().Reset();
    SceneRunOptions options = Options(WriteScene("createNode transform -n t;\n"
                                                 "addAttr -ln note -dt \"string\" t;\n"));
    options.sets = {"swarm.maximumSpeed=3", "t.translate=1 -2 3e1", "t.note=two words", "t.visibility=off"};
    ASSERT_EQ(RunScene(options, out), 0);
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    ASSERT_TRUE(engine.RunScript("getAttr flockShape.velocity;"));
    const std::vector<double> velocity = engine.LastResult().Doubles();
    ASSERT_EQ(velocity.size(), 3u * 125u); // a grid of 5 x 5 x 5
    for (size_t i = 0; i < velocity.size(); i += 3)
        EXPECT_LE(MVector(velocity[i], velocity[i + 1], velocity[i + 2]).length(), 3.0 + 1e-9) << i / 3;
    ASSERT_TRUE(engine.RunScript("getAttr t.translate;"));
    EXPECT_EQ(engine.LastResult().Format(), "1 -2 30");
    ASSERT_TRUE(engine.RunScript("getAttr t.note;"));
    EXPECT_EQ(engine.LastResult().Format(), "two words");

    // A bad setting stops the run before any frame, with the host's words.
    for (const auto& [setting, message] :
         {std::pair{"swarm.maximumSpeed=fast", "setAttr: Argument 2 expects a number, got \"fast\"."},
          std::pair{"nobody.tx=1", "getAttr: No object matches name: nobody.tx"},
          std::pair{"maximumSpeed=3", "expected NODE.ATTR=VALUE"}})
    {
        vxhost::Scene::Get().Reset();
        options = Options(WriteScene());
        options.sets = {setting};
        options.cacheDir = (dir / "bad").string();
        EXPECT_EQ(RunScene(options, out), 1) << setting;
        EXPECT_TRUE(FilesIn(dir / "bad").empty()) << setting;
        EXPECT_EQ(ApplySetting(setting), message);
    }
}

TEST_F(SceneRunTest, ASecondRunIntoACacheFolderLeavesItsOwnFramesAndNothingElseTouched)
{
    SceneRunOptions options = Options(WriteScene());
    options.cacheDir = (dir / "cache").string();
    ASSERT_EQ(RunScene(options, out), 0); // frames 1 to 4
    // Files the run does not own: another shape's, another format's, notes.
    std::ofstream(dir / "cache" / "otherShape.2.pdc") << "x";
    std::ofstream(dir / "cache" / "flockShape.9.csv") << "x";
    std::ofstream(dir / "cache" / "notes.txt") << "x";

    vxhost::Scene::Get().Reset();
    options.frameRange = true;
    options.startFrame = 1;
    options.endFrame = 2;
    ASSERT_EQ(RunScene(options, out), 0);
    EXPECT_EQ(FilesIn(dir / "cache"), (std::vector<std::string>{"cache.json", "flockShape.1.pdc", "flockShape.2.pdc",
                                                                 "flockShape.9.csv", "notes.txt", "otherShape.2.pdc"}));
    std::ifstream manifest(dir / "cache" / "cache.json");
    const std::string text((std::istreambuf_iterator<char>(manifest)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\"start\": 1.0,\n    \"end\": 2.0"), std::string::npos) << text;
    EXPECT_NE(text.find("\"format\": \"pdc\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"flockShape\": {\n      \"particles\": 125"), std::string::npos) << text;

    // --keep-old keeps the earlier frames beside the new ones.
    vxhost::Scene::Get().Reset();
    options.startFrame = 3;
    options.endFrame = 3;
    options.keepOldCaches = true;
    ASSERT_EQ(RunScene(options, out), 0);
    EXPECT_EQ(FilesIn(dir / "cache").size(), 7u);
}
