#include "FrameRun.h"

#include "CacheRecorder.h"
#include "ForkedPass.h"
#include "OutputFile.h"
#include "ProgressBar.h"
#include "SceneRun.h"
#include "ScriptInterrupt.h"
#include "TrailRecorder.h"
#include "Video.h"
#include "commands/ParticleArrays.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MTime.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>
#include <vxhost/OutputFile.h>
#include <vxhost/Viewport.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>
#include <tuple>

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

// The speed at the red end of every picture of the run: the largest
// maximumSpeed of the scene's fields, so a colour means one speed all
// through; 0 (each picture its fastest) when the scene has no field.
double RunSpeedScale()
{
    double scale = 0.0;
    for (const auto& node : vxhost::Scene::Get().Nodes())
    {
        if (node->cls->typeName != "particleVolarix")
            continue;
        vxhost::CommandResult speed;
        if (vxhost::CommandEngine::Instance().InvokeCommand(
                CommandStatement("getAttr", {{vxhost::ScriptArgument::Kind::kString, node->name + ".maximumSpeed"}}),
                speed) &&
            speed.Doubles().size() == 1)
            scale = std::max(scale, speed.Doubles()[0]);
    }
    return scale;
}

// After the frames of a playblast: the summary picture, framed on the whole
// flight, and the video of the frames when ffmpeg is at hand. A video that
// fails is only warned about: the pictures asked for are all there.
bool FinishPlayblast(const std::string& base, vxhost::ViewportOptions view, const TrailRecorder& trails,
                     SceneRunSummary& summary, std::string& error)
{
    view.manipulators = false;
    view.trails = trails.Trails();
    view.trailFirstFrame = summary.startFrame;
    view.trailLastFrame = summary.endFrame;
    view.headsUp = {std::filesystem::path(summary.scene).filename().string() + "  (summary)",
                    "camera " + view.camera,
                    "frames " + vxhost::FormatDouble(summary.startFrame) + " to " +
                        vxhost::FormatDouble(summary.endFrame),
                    std::to_string(ParticleCount()) + " particles"};
    const std::string picture = base + ".summary.png";
    if (const MStatus drawn = vxhost::RenderViewport(view, picture); !drawn)
    {
        error = "cannot draw the summary picture \"" + picture + "\": " + drawn.errorString().asChar();
        return false;
    }
    summary.summaryPicture = picture;
    const std::string ffmpeg = FindOnPath("ffmpeg");
    if (summary.pictures == 0)
        return true;
    if (ffmpeg.empty())
    {
        std::fprintf(stderr, "volarix: warning: no MP4: ffmpeg is not on PATH (apt-get install ffmpeg)\n");
        return true;
    }
    const std::string video = base + ".mp4";
    // A link, device or pipe where the video goes is refused like any
    // other output, not warned about as ffmpeg's failures are.
    if (std::string why; !vxhost::CheckOutputTarget(video, why))
    {
        error = "cannot write the video \"" + video + "\": " + why;
        return false;
    }
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

// The pictures and video an earlier run of this scene left beside `base`
// (<scene>.<frame>.png, <scene>.summary.png, <scene>.mp4; regular files
// only): removed before the first frame, so that the summary picture, made
// last, says the folder's pictures are one whole run's.
void RemoveEarlierPictures(const std::string& base)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(base).parent_path();
    const std::string stem = fs::path(base).filename().string() + ".";
    unsigned removed = 0;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(dir.empty() ? fs::path(".") : dir, code))
    {
        const std::string name = entry.path().filename().string();
        if (name.rfind(stem, 0) != 0)
            continue;
        const std::string rest = name.substr(stem.size());
        const std::string digits = rest.size() > 4 ? rest.substr(0, rest.size() - 4) : std::string();
        const bool frame = rest.ends_with(".png") && !digits.empty() &&
                           digits.find_first_not_of("0123456789") == std::string::npos;
        std::error_code removing;
        if ((frame || rest == "summary.png" || rest == "mp4") && !entry.is_symlink(removing) &&
            entry.is_regular_file(removing) && fs::remove(entry.path(), removing))
            ++removed;
    }
    if (removed > 0)
        vxhost::LogMessage(vxhost::Severity::kInfo, "Removed " + std::to_string(removed) + " picture" +
                                                        (removed == 1 ? "" : "s") + " an earlier run left in " +
                                                        dir.string() + ".");
}

// Nothing to frame: Maya's default grid, 24 centimetres across.
MBoundingBox DefaultBounds()
{
    return MBoundingBox(MPoint(-12.0, -12.0, -12.0), MPoint(12.0, 12.0, 12.0));
}
} // namespace

FrameRun::FrameRun() : fBegan(Clock::now()) {}

FrameRun::~FrameRun() = default;

bool FrameRun::Prepare(const SceneRunOptions& options, std::string& error)
{
    fOptions = options;
    if (!options.cacheDir.empty())
    {
        fRecorder = std::make_unique<CacheRecorder>(options.cacheDir, options.cacheFormat);
        if (!fRecorder->Prepare(error))
            return false;
        fCacheLock = std::make_unique<FolderLock>();
        if (!fCacheLock->Take(options.cacheDir, "cache folder", options.scene, error))
            return false;
    }
    if (!options.playblastDir.empty())
    {
        if (!PrepareOutputFolder(options.playblastDir, "playblast folder", error))
            return false;
        // One folder for both is locked once: a second lock of it would
        // be refused as another run's.
        std::error_code code;
        if (options.cacheDir.empty() || !std::filesystem::equivalent(options.cacheDir, options.playblastDir, code))
        {
            fPlayblastLock = std::make_unique<FolderLock>();
            if (!fPlayblastLock->Take(options.playblastDir, "playblast folder", options.scene, error))
                return false;
        }
        fPictureBase =
            (std::filesystem::path(options.playblastDir) / std::filesystem::path(options.scene).stem())
                .string();
    }
    // Caps every parallel loop in the process, the plug-in's included.
    if (options.threads > 0)
        fThreads = std::make_unique<tbb::global_control>(tbb::global_control::max_allowed_parallelism,
                                                         static_cast<std::size_t>(options.threads));
    return true;
}

bool FrameRun::FrameAllFrames(const SceneRunSummary& summary, vxhost::ViewportOptions& view, std::string& error)
{
    // The pass runs in a copy of the process: see ForkedPass. Its answer is
    // one line: "bounds" and six numbers (hexadecimal, exact), "empty",
    // "interrupted FRAME" or "failed MESSAGE".
    const auto pass = [&]() -> std::string
    {
        vxhost::Dynamics& dynamics = vxhost::Dynamics::Get();
        ProgressBar progress(stderr, fOptions.progress, summary.startFrame, summary.endFrame);
        MBoundingBox all;
        bool bounded = false;
        for (double frame = summary.startFrame; frame <= summary.endFrame; frame += 1.0)
        {
            MStatus status;
            if (!ScriptInterrupt::Pending())
                status = dynamics.SetCurrentFrame(frame,
                                                  [&](double stepped)
                                                  {
                                                      if (stepped >= summary.startFrame)
                                                          progress.Update(stepped, ParticleCount());
                                                  });
            if (ScriptInterrupt::Pending())
            {
                progress.Finish();
                return "interrupted " +
                       vxhost::FormatDouble(std::max(summary.startFrame, dynamics.CurrentFrame() + 1.0));
            }
            if (!status)
            {
                progress.Finish();
                return "failed stepping \"" + fOptions.scene + "\" failed at frame " +
                       vxhost::FormatDouble(dynamics.CurrentFrame() + 1.0) + " while framing the camera: " +
                       status.errorString().asChar();
            }
            MBoundingBox bounds;
            bool any = false;
            if (const MStatus measured = vxhost::ViewportBounds(view, bounds, any); !measured)
            {
                progress.Finish();
                return std::string("failed cannot frame the camera: ") + measured.errorString().asChar();
            }
            all.expand(bounds);
            bounded = bounded || any;
        }
        progress.Finish();
        if (!bounded)
            return "empty";
        char line[256];
        std::snprintf(line, sizeof line, "bounds %a %a %a %a %a %a", all.min().x, all.min().y, all.min().z,
                      all.max().x, all.max().y, all.max().z);
        return line;
    };
    std::string answer;
    if (std::string failure; !ForkedPass::Run(pass, answer, failure))
    {
        if (ScriptInterrupt::Pending())
        {
            fInterrupted = true;
            error = "interrupted while framing the camera; no frames were written";
            return false;
        }
        // The pictures can still be made, framed as --frame-first frames them.
        std::fprintf(stderr, "volarix: warning: %s; the camera is framed on the first frame\n", failure.c_str());
        return true;
    }
    if (answer.rfind("interrupted ", 0) == 0)
    {
        fInterrupted = true;
        error = "interrupted while framing the camera at frame " + answer.substr(12) + "; no frames were written";
        return false;
    }
    if (answer.rfind("failed ", 0) == 0)
    {
        error = answer.substr(7);
        return false;
    }
    double c[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    if (answer == "empty")
        view.fixedBounds = DefaultBounds();
    else if (std::sscanf(answer.c_str(), "bounds %la %la %la %la %la %la", &c[0], &c[1], &c[2], &c[3], &c[4],
                         &c[5]) == 6)
        view.fixedBounds = MBoundingBox(MPoint(c[0], c[1], c[2]), MPoint(c[3], c[4], c[5]));
    else
    {
        error = "the framing pass gave no bounds: \"" + answer + "\"";
        return false;
    }
    return true;
}

bool FrameRun::Run(SceneRunSummary& summary, std::string& error)
{
    const unsigned errorsBefore = vxhost::ErrorCount();
    bool ran = false;
    try
    {
        ran = RunFrames(summary, error);
    }
    catch (const std::bad_alloc&)
    {
        error = "out of memory at frame " + vxhost::FormatDouble(vxhost::Dynamics::Get().CurrentFrame()) +
                "; the files of the frames before it are complete";
    }
    catch (const std::exception& e)
    {
        error = std::string("the run failed at frame ") +
                vxhost::FormatDouble(vxhost::Dynamics::Get().CurrentFrame()) + ": " + e.what();
    }
    vxhost::FlushMessages();
    summary.errors = vxhost::ErrorCount() - errorsBefore;
    return ran;
}

bool FrameRun::RunFrames(SceneRunSummary& summary, std::string& error)
{
    summary = SceneRunSummary();
    summary.scene = fOptions.scene;
    vxhost::ViewportOptions view;
    view.camera = fOptions.view;
    view.width = fOptions.width;
    view.height = fOptions.height;
    if (fOptions.speedRange)
        std::tie(view.speedLow, view.speedScale) = *fOptions.speedRange;
    else
        view.speedScale = RunSpeedScale();
    vxhost::Dynamics& dynamics = vxhost::Dynamics::Get();
    summary.startFrame = fOptions.frameRange ? fOptions.startFrame : dynamics.StartFrame();
    summary.endFrame = fOptions.frameRange ? fOptions.endFrame : dynamics.EndFrame();
    summary.frames = static_cast<unsigned>(summary.endFrame - summary.startFrame) + 1u;
    using Framing = SceneRunOptions::Framing;
    const bool framePictures = !fPictureBase.empty() && fOptions.framePictures;
    view.fitView = fOptions.framing != Framing::kAsItStands;
    // Before the earlier caches go: a run stopped while framing leaves the
    // folder as it was.
    if (framePictures && fOptions.framing == Framing::kAllFrames)
    {
        const Clock::time_point framingStart = Clock::now();
        if (!FrameAllFrames(summary, view, error))
            return false;
        summary.playblastSeconds += SecondsSince(framingStart);
    }
    if (fRecorder && !fOptions.keepOldCaches)
    {
        std::vector<std::string> shapes;
        for (const auto& node : vxhost::Scene::Get().Nodes())
            if (node->cls->typeName == "particle")
                shapes.push_back(node->name);
        fRecorder->RemoveEarlier(shapes);
    }
    if (!fPictureBase.empty() && !fOptions.keepOldCaches)
        RemoveEarlierPictures(fPictureBase);
    // Until the last frame is written the folder says it is not complete,
    // so that a run stopped half-way is never taken for a whole one.
    if (fRecorder && !fRecorder->WriteManifest(fOptions.scene, summary.startFrame, summary.endFrame, false, error))
        return false;
    ProgressBar progress(stderr, fOptions.progress, summary.startFrame, summary.endFrame);
    const unsigned connections = FieldConnections();
    TrailRecorder trails;
    auto stepped = [&](double frame)
    {
        ++summary.steps;
        if (frame >= summary.startFrame)
            progress.Update(frame, ParticleCount());
    };
    const auto interrupted = [&]
    {
        progress.Finish();
        fInterrupted = true;
        // The frame that was to come next, and those written whole before it.
        const double next = std::max(summary.startFrame, dynamics.CurrentFrame() + 1.0);
        error = "interrupted at frame " + vxhost::FormatDouble(next) + "; " +
                (next > summary.startFrame ? "frames " + vxhost::FormatDouble(summary.startFrame) + " to " +
                                                 vxhost::FormatDouble(next - 1.0) + " are complete"
                                           : std::string("no frame is complete"));
        return false;
    };
    for (double frame = summary.startFrame; frame <= summary.endFrame; frame += 1.0)
    {
        // Only between frames, so every file written is a whole frame's.
        if (ScriptInterrupt::Pending())
            return interrupted();
        const Clock::time_point stepStart = Clock::now();
        const MStatus status = dynamics.SetCurrentFrame(frame, stepped);
        summary.steppingSeconds += SecondsSince(stepStart);
        if (!status && ScriptInterrupt::Pending()) // an expression's script stopped
            return interrupted();
        if (!status)
        {
            progress.Finish();
            error = "stepping \"" + fOptions.scene + "\" failed at frame " +
                    vxhost::FormatDouble(dynamics.CurrentFrame() + 1.0) + ": " + status.errorString().asChar();
            return false;
        }
        if (fRecorder)
        {
            const Clock::time_point cacheStart = Clock::now();
            if (!fRecorder->Record(frame, error))
            {
                progress.Finish();
                return false;
            }
            summary.cachingSeconds += SecondsSince(cacheStart);
        }
        if (!fPictureBase.empty())
        {
            const Clock::time_point renderStart = Clock::now();
            view.headsUp = {std::filesystem::path(fOptions.scene).filename().string(), "camera " + view.camera,
                            "frame " + vxhost::FormatDouble(frame), std::to_string(ParticleCount()) + " particles"};
            const std::string file =
                vxhost::FrameFileName(fPictureBase, static_cast<int>(frame), vxhost::ImageFormat::kPng);
            if (fOptions.framePictures)
            {
                // The first picture fixes the bounds (unless every frame's
                // did), and so the camera and the grid for the rest of the run.
                if (!view.fixedBounds)
                {
                    MBoundingBox bounds;
                    bool bounded = false;
                    vxhost::ViewportBounds(view, bounds, bounded);
                    view.fixedBounds = bounded ? bounds : DefaultBounds();
                }
                if (const MStatus drawn = vxhost::RenderViewport(view, file); !drawn)
                {
                    progress.Finish();
                    error = "cannot draw frame " + vxhost::FormatDouble(frame) + " to \"" + file +
                            "\": " + drawn.errorString().asChar();
                    return false;
                }
                ++summary.pictures;
            }
            trails.Record();
            summary.playblastSeconds += SecondsSince(renderStart);
        }
    }
    progress.Finish();
    vxhost::FlushMessages();
    if (fRecorder)
    {
        const Clock::time_point cacheStart = Clock::now();
        if (!fRecorder->Finish(error) ||
            !fRecorder->WriteManifest(fOptions.scene, summary.startFrame, summary.endFrame, true, error))
            return false;
        summary.cachingSeconds += SecondsSince(cacheStart);
    }
    if (!fPictureBase.empty())
    {
        const Clock::time_point renderStart = Clock::now();
        // The summary shares the run's camera when it was framed on every
        // frame or left as it stands; otherwise it frames the whole flight
        // (and sizes its grid) on its own.
        if (fOptions.framing == Framing::kFirstFrame ||
            (fOptions.framing == Framing::kAllFrames && !framePictures))
        {
            view.fixedBounds.reset();
            view.fitView = true;
        }
        if (!FinishPlayblast(fPictureBase, view, trails, summary, error))
            return false;
        summary.playblastSeconds += SecondsSince(renderStart);
    }

    summary.particles = ParticleCount(&summary.shapes);
    for (const auto& node : vxhost::Scene::Get().Nodes())
        if (node->cls->typeName == "particle")
            summary.nonFinite += vxhost::NonFiniteParticles(*node);
    summary.evaluations = summary.steps * connections;
    if (fRecorder)
    {
        summary.cacheDir = fRecorder->Dir();
        summary.cacheFormat = vxhost::CacheFormatName(fRecorder->Format());
        summary.bytesWritten = fRecorder->BytesWritten();
    }
    summary.playblastDir = fOptions.playblastDir;
    summary.cacheFiles = fRecorder ? fRecorder->FilesWritten() : 0u;
    summary.filesWritten = summary.cacheFiles + summary.pictures + (summary.summaryPicture.empty() ? 0u : 1u) +
                           (summary.video.empty() ? 0u : 1u);
    summary.totalSeconds = SecondsSince(fBegan);
    return true;
}
