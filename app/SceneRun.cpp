#include "SceneRun.h"

#include "CacheRecorder.h"
#include "ProgressBar.h"
#include "ScriptInterrupt.h"
#include "TrailRecorder.h"
#include "Video.h"
#include "commands/ParticleArrays.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MTime.h>
#include <vxhost/CRandom.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>
#include <vxhost/Viewport.h>

#include <nlohmann/json.hpp>
#include <tbb/global_control.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>

namespace
{
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Particles over every particle shape, and the number of shapes.
unsigned ParticleCount(unsigned* shapes = nullptr)
{
    unsigned count = 0;
    unsigned found = 0;
    for (const auto& node : vxhost::Scene::Get().Nodes())
        if (node->cls->typeName == "particle")
        {
            count += vxhost::ParticleCount(*node);
            ++found;
        }
    if (shapes)
        *shapes = found;
    return count;
}

// Field evaluations per frame: one per connected field and particle system.
unsigned FieldConnections()
{
    unsigned connections = 0;
    for (const vxhost::Connection& c : vxhost::Scene::Get().Connections())
        connections +=
            c.source->cls->IsA("field") && c.sourcePath[0].attribute->name == "outputForce" ? 1u : 0u;
    return connections;
}

bool ReadWholeFrame(std::string_view text, double& out)
{
    long long value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || parsed.ec != std::errc() || parsed.ptr != text.data() + text.size())
        return false;
    out = static_cast<double>(value);
    return true;
}

int Fail(const std::string& message)
{
    vxhost::FlushMessages();
    std::fprintf(stderr, "volarix: %s\n", message.c_str());
    return 1;
}

// After the frames of a playblast: the summary picture, framed on the whole
// flight, and the video of the frames when ffmpeg is at hand. A video that
// fails is only warned about: the pictures asked for are all there.
bool FinishPlayblast(const std::string& base, vxhost::ViewportOptions view, const TrailRecorder& trails,
                     SceneRunSummary& summary, std::string& error)
{
    view.fitView = true;
    view.manipulators = false;
    view.trails = trails.Trails();
    const std::string picture = base + ".summary.png";
    if (const MStatus drawn = vxhost::RenderViewport(view, picture); !drawn)
    {
        error = "cannot draw the summary picture \"" + picture + "\": " + drawn.errorString().asChar();
        return false;
    }
    summary.summaryPicture = picture;
    const std::string ffmpeg = FindOnPath("ffmpeg");
    if (ffmpeg.empty() || summary.pictures == 0)
        return true;
    const std::string video = base + ".mp4";
    const double fps = MTime(1.0, MTime::kSeconds).as(MTime::uiUnit());
    // A '%' in the folder or scene name would read as a pattern of its own.
    std::string pattern;
    for (const char c : base)
        pattern += c == '%' ? "%%" : std::string(1, c);
    if (EncodeVideo(ffmpeg, pattern + ".%04d.png", static_cast<int>(summary.startFrame),
                    static_cast<int>(summary.pictures), fps, video, error))
        summary.video = video;
    else
        std::fprintf(stderr, "volarix: warning: no video: %s\n", error.c_str());
    return true;
}
} // namespace

std::string ParseFrameRange(const std::string& text, double& start, double& end)
{
    const std::size_t colon = text.find(':');
    double first = 0.0;
    double last = 0.0;
    if (colon == std::string::npos || !ReadWholeFrame(std::string_view(text).substr(0, colon), first) ||
        !ReadWholeFrame(std::string_view(text).substr(colon + 1), last))
        return "expected START:END, two whole frame numbers, got \"" + text + "\"";
    if (first < 0.0)
        return "the start frame must not be negative, got \"" + text + "\"";
    if (last < first)
        return "the end frame comes before the start frame in \"" + text + "\"";
    if (last - first > 1e7)
        return "more than 10 million frames in \"" + text + "\"";
    start = first;
    end = last;
    return std::string();
}

std::string ParseSize(const std::string& text, int& width, int& height)
{
    const std::size_t x = text.find('x');
    double w = 0.0;
    double h = 0.0;
    if (x == std::string::npos || !ReadWholeFrame(std::string_view(text).substr(0, x), w) ||
        !ReadWholeFrame(std::string_view(text).substr(x + 1), h) || w < 1.0 || h < 1.0 || w > 16384.0 ||
        h > 16384.0)
        return "expected WIDTHxHEIGHT in pixels (1 to 16384 each), got \"" + text + "\"";
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return std::string();
}

int RunScene(const SceneRunOptions& options, std::FILE* out, SceneRunSummary* summaryOut)
{
    const Clock::time_point began = Clock::now();
    SceneRunSummary summary;
    summary.scene = options.scene;
    std::unique_ptr<CacheRecorder> recorder;
    if (!options.cacheDir.empty())
    {
        recorder = std::make_unique<CacheRecorder>(options.cacheDir, options.cacheFormat);
        std::string error;
        if (!recorder->Prepare(error))
            return Fail(error);
    }
    vxhost::ViewportOptions view;
    view.camera = options.view;
    view.width = options.width;
    view.height = options.height;
    std::string pictureBase;
    if (!options.playblastDir.empty())
    {
        std::string error;
        if (!PrepareOutputFolder(options.playblastDir, "playblast folder", error))
            return Fail(error);
        pictureBase =
            (std::filesystem::path(options.playblastDir) / std::filesystem::path(options.scene).stem())
                .string();
    }
    // Caps every parallel loop in the process, the plug-in's included.
    std::unique_ptr<tbb::global_control> threads;
    if (options.threads > 0)
        threads = std::make_unique<tbb::global_control>(tbb::global_control::max_allowed_parallelism,
                                                        static_cast<std::size_t>(options.threads));
    if (options.seed)
        vxhost::SeedRandom(*options.seed);

    // A batch run shows what goes wrong, not what each command returns;
    // quiet, it leaves out the commands' information too.
    vxhost::SetSeverityEcho(vxhost::Severity::kResult, false);
    vxhost::SetSeverityEcho(vxhost::Severity::kInfo, !options.quiet);
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    {
        const ScriptInterrupt interrupt;
        const MStatus ran = options.runScene          ? options.runScene(options.scene)
                            : options.sceneText.empty() ? engine.RunScriptFile(options.scene)
                                                        : engine.RunScript(options.sceneText, options.scene);
        if (ScriptInterrupt::Taken())
            return Fail("the scene \"" + options.scene + "\" was interrupted");
        if (!ran)
            return Fail("the scene \"" + options.scene + "\" failed; see the error above");
    }

    vxhost::Dynamics& dynamics = vxhost::Dynamics::Get();
    summary.startFrame = options.frameRange ? options.startFrame : dynamics.StartFrame();
    summary.endFrame = options.frameRange ? options.endFrame : dynamics.EndFrame();
    summary.frames = static_cast<unsigned>(summary.endFrame - summary.startFrame) + 1u;
    ProgressBar progress(stderr, options.progress, summary.startFrame, summary.endFrame);
    const unsigned connections = FieldConnections();
    TrailRecorder trails;
    auto stepped = [&](double frame)
    {
        ++summary.steps;
        if (frame >= summary.startFrame)
            progress.Update(frame, ParticleCount());
    };
    for (double frame = summary.startFrame; frame <= summary.endFrame; frame += 1.0)
    {
        const Clock::time_point stepStart = Clock::now();
        const MStatus status = dynamics.SetCurrentFrame(frame, stepped);
        summary.steppingSeconds += SecondsSince(stepStart);
        if (!status)
        {
            progress.Finish();
            return Fail("stepping \"" + options.scene + "\" failed at frame " +
                        vxhost::FormatDouble(dynamics.CurrentFrame() + 1.0) + ": " +
                        status.errorString().asChar());
        }
        if (recorder)
        {
            const Clock::time_point cacheStart = Clock::now();
            std::string error;
            if (!recorder->Record(frame, error))
            {
                progress.Finish();
                return Fail(error);
            }
            summary.cachingSeconds += SecondsSince(cacheStart);
        }
        if (!pictureBase.empty())
        {
            const Clock::time_point renderStart = Clock::now();
            // Framed on the first picture only, so the camera holds still.
            view.fitView = summary.pictures == 0;
            const std::string file =
                vxhost::FrameFileName(pictureBase, static_cast<int>(frame), vxhost::ImageFormat::kPng);
            if (const MStatus drawn = vxhost::RenderViewport(view, file); !drawn)
            {
                progress.Finish();
                return Fail("cannot draw frame " + vxhost::FormatDouble(frame) + " to \"" + file +
                            "\": " + drawn.errorString().asChar());
            }
            ++summary.pictures;
            trails.Record();
            summary.playblastSeconds += SecondsSince(renderStart);
        }
    }
    progress.Finish();
    vxhost::FlushMessages();
    if (recorder)
    {
        const Clock::time_point cacheStart = Clock::now();
        if (std::string error; !recorder->Finish(error))
            return Fail(error);
        summary.cachingSeconds += SecondsSince(cacheStart);
    }
    if (!pictureBase.empty())
    {
        const Clock::time_point renderStart = Clock::now();
        if (std::string error; !FinishPlayblast(pictureBase, view, trails, summary, error))
            return Fail(error);
        summary.playblastSeconds += SecondsSince(renderStart);
    }

    summary.particles = ParticleCount(&summary.shapes);
    summary.evaluations = summary.steps * connections;
    if (recorder)
    {
        summary.cacheDir = recorder->Dir();
        summary.cacheFormat = vxhost::CacheFormatName(recorder->Format());
        summary.bytesWritten = recorder->BytesWritten();
    }
    summary.playblastDir = options.playblastDir;
    summary.cacheFiles = recorder ? recorder->FilesWritten() : 0u;
    summary.filesWritten = summary.cacheFiles + summary.pictures + (summary.summaryPicture.empty() ? 0u : 1u) +
                           (summary.video.empty() ? 0u : 1u);
    summary.totalSeconds = SecondsSince(began);
    PrintSummary(summary, options.json, out);
    if (summaryOut)
        *summaryOut = summary;
    return 0;
}

void PrintSummary(const SceneRunSummary& s, bool json, std::FILE* out)
{
    const double stepMs = s.steps ? 1000.0 * s.steppingSeconds / s.steps : 0.0;
    const double cacheMs = s.frames ? 1000.0 * s.cachingSeconds / s.frames : 0.0;
    const double pictureMs = s.frames ? 1000.0 * s.playblastSeconds / s.frames : 0.0;
    const double evaluationsPerSecond = s.steppingSeconds > 0.0 ? s.evaluations / s.steppingSeconds : 0.0;
    if (json)
    {
        nlohmann::ordered_json j;
        j["scene"] = s.scene;
        j["particles"] = s.particles;
        j["particleShapes"] = s.shapes;
        j["frames"] = {
            {"start", s.startFrame}, {"end", s.endFrame}, {"count", s.frames}, {"stepped", s.steps}};
        j["msPerFrame"] = {{"total", stepMs + cacheMs + pictureMs},
                           {"stepping", stepMs},
                           {"caching", cacheMs},
                           {"playblast", pictureMs}};
        j["evaluations"] = s.evaluations;
        j["evaluationsPerSecond"] = evaluationsPerSecond;
        j["seconds"] = s.totalSeconds;
        j["filesWritten"] = s.filesWritten;
        if (!s.cacheDir.empty())
            j["cache"] = {{"directory", s.cacheDir},
                          {"format", s.cacheFormat},
                          {"files", s.cacheFiles},
                          {"bytes", s.bytesWritten}};
        else
            j["cache"] = nullptr;
        if (!s.playblastDir.empty())
            j["playblast"] = {{"directory", s.playblastDir},
                              {"pictures", s.pictures},
                              {"summaryPicture", s.summaryPicture},
                              {"video", s.video.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(s.video)}};
        else
            j["playblast"] = nullptr;
        std::fprintf(out, "%s\n", j.dump(2).c_str());
        return;
    }
    std::fprintf(out, "scene          %s\n", s.scene.c_str());
    std::fprintf(out, "particles      %u in %u particle shape%s\n", s.particles, s.shapes,
                 s.shapes == 1 ? "" : "s");
    std::fprintf(out, "frames         %u (%.0f to %.0f), %u stepped\n", s.frames, s.startFrame, s.endFrame,
                 s.steps);
    std::fprintf(out, "per frame      %.2f ms (stepping %.2f ms, caching %.2f ms, playblast %.2f ms)\n",
                 stepMs + cacheMs + pictureMs, stepMs, cacheMs, pictureMs);
    std::fprintf(out, "evaluations    %.1f per second (%u field evaluations)\n", evaluationsPerSecond,
                 s.evaluations);
    if (!s.cacheDir.empty())
        std::fprintf(out, "cache          %u %s files, %.1f MB, in %s\n", s.cacheFiles, s.cacheFormat.c_str(),
                     s.bytesWritten / 1e6, s.cacheDir.c_str());
    if (!s.playblastDir.empty())
    {
        std::fprintf(out, "playblast      %u pictures in %s\n", s.pictures, s.playblastDir.c_str());
        std::fprintf(out, "summary        %s\n", s.summaryPicture.c_str());
        if (!s.video.empty())
            std::fprintf(out, "video          %s\n", s.video.c_str());
    }
    std::fprintf(out, "files written  %u\n", s.filesWritten);
    std::fprintf(out, "wall time      %.2f s\n", s.totalSeconds);
}
