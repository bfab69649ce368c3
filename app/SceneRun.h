#pragma once

#include "dynamics/ParticleCache.h"

#include <maya/MStatus.h>
#include <vxhost/Script.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

/// `volarix run SCENE.mel`: runs a scene script on the host, steps its
/// frames, writes what was asked for, and prints a summary.
struct SceneRunOptions
{
    std::string scene;
    /// The script itself when it does not come from the file `scene` (the
    /// built-in demo); `scene` then only names it.
    std::string sceneText;
    /// Runs the file `scene` in place of the MEL interpreter: how a Python
    /// scene runs. It shows its own errors.
    std::function<MStatus(const std::string& scene)> runScene;
    /// Step from startFrame to endFrame; without it, the scene's playback
    /// range (playbackOptions -min/-max, 1 to 120 when the scene sets none).
    bool frameRange = false;
    double startFrame = 1.0;
    double endFrame = 1.0;
    /// Where to write one cache file per frame per particle shape; empty
    /// for none.
    std::string cacheDir;
    vxhost::CacheFormat cacheFormat = vxhost::CacheFormat::kPdc;
    /// Leaves the cache files an earlier run wrote for the same shapes in
    /// cacheDir; by default they are removed before the first frame, so the
    /// folder holds this run's frames only. cache.json says what they are.
    /// The same goes for the pictures and video of this scene that an
    /// earlier run left in playblastDir.
    bool keepOldCaches = false;
    /// Where to write a picture per frame (<scene>.<frame>.png, the frame
    /// padded to four digits), the summary picture of the run
    /// (<scene>.summary.png: the last frame with the trails of a sample of
    /// particles) and, when ffmpeg is on PATH, <scene>.mp4; empty for none.
    std::string playblastDir;
    /// With playblastDir: a picture of every frame, or (false) only the
    /// summary picture, as a wedge's contact sheet needs.
    bool framePictures = true;
    std::string view = "persp"; ///< the playblast camera: persp, top, front or side
    /// Where the playblast camera is put, once for the whole run, so that it
    /// holds still: framed on everything the run shows over all its frames
    /// (a first pass steps the frames writing nothing, then the dynamics
    /// go back to the start), on the first frame only, or left as the
    /// scene has it. Without frame pictures (a wedge's summary picture
    /// alone) no first pass is made: the summary frames its own flight.
    enum class Framing
    {
        kAllFrames,
        kFirstFrame,
        kAsItStands
    };
    Framing framing = Framing::kAllFrames;
    /// The speeds (cm/s) at the blue and red ends of the particles'
    /// colours; unset: 0 to the largest maximumSpeed of the scene's fields.
    std::optional<std::pair<double, double>> speedRange;
    int width = 960;            ///< playblast pictures, pixels
    int height = 540;
    /// Most threads the process's parallel loops use; 0 for every core.
    int threads = 0;
    /// The run's seed: set before the script runs, and given in place of
    /// the seed of each `seed` statement of the scene (an information line
    /// says so), so that it decides every random draw.
    std::optional<unsigned> seed;
    /// "NODE.ATTR=VALUE" settings applied, in order, after the script has
    /// run and before the first frame steps, as `setAttr NODE.ATTR VALUE`
    /// (a string attribute takes VALUE whole, others its space-separated
    /// values).
    std::vector<std::string> sets;
    bool progress = true; ///< a progress bar on stderr (long runs only)
    /// Leaves out the information messages of the script's commands; the
    /// results they return are never shown, warnings and errors always.
    bool quiet = false;
    bool json = false;    ///< the summary as JSON rather than text
};

/// What a run did, as the summary reports it.
struct SceneRunSummary
{
    std::string scene;
    unsigned particles = 0; ///< at the end of the run, over every shape
    unsigned shapes = 0;    ///< particle shapes
    double startFrame = 0.0;
    double endFrame = 0.0;
    unsigned frames = 0;      ///< frames in the range, each one cached
    unsigned steps = 0;       ///< frames stepped (the run-up to the range included)
    unsigned evaluations = 0; ///< field evaluations: steps x field connections
    double steppingSeconds = 0.0;
    double cachingSeconds = 0.0;
    double totalSeconds = 0.0;
    std::string cacheDir;
    std::string cacheFormat;
    unsigned cacheFiles = 0;
    std::uint64_t bytesWritten = 0; ///< of the cache files
    double playblastSeconds = 0.0;
    std::string playblastDir;
    unsigned pictures = 0;        ///< one per frame, the summary picture not counted
    std::string summaryPicture;   ///< empty when no playblast was asked for
    std::string video;            ///< the MP4, empty when none was made
    unsigned filesWritten = 0;    ///< cache files, pictures and video
    unsigned errors = 0;          ///< errors shown while the frames stepped
    unsigned nonFinite = 0;       ///< particles NaN or infinite at the end
};

/// A host command call made in code: `command` with `arguments`.
vxhost::ScriptStatement CommandStatement(std::string command, std::vector<vxhost::ScriptArgument> arguments);
/// Writes "volarix: MESSAGE" to stderr after the host's pending messages;
/// returns `status`, for `return FailRun(...)`.
int FailRun(const std::string& message, int status = 1);

/// Splits "NODE.ATTR=VALUE" at its first '='. Returns an empty string, or
/// what is wrong with `setting`.
std::string ParseSetting(const std::string& setting, std::string& plug, std::string& value);
/// Applies one "NODE.ATTR=VALUE" setting as SceneRunOptions::sets says.
/// Returns an empty string, or what is wrong (the host's own message when
/// setAttr refuses it).
std::string ApplySetting(const std::string& setting);

/// The exit status of a run stopped by Ctrl-C (128 + SIGINT), as a shell
/// reports it; SIGTERM and SIGHUP give 128 + theirs.
constexpr int kInterruptedStatus = 130;

/// Reads "START:END", two whole frame numbers with 0 <= START <= END.
/// Returns an empty string, or what is wrong with `text`.
std::string ParseFrameRange(const std::string& text, double& start, double& end);

/// Reads "WIDTHxHEIGHT", each 1 to 16384 pixels. Returns an empty string,
/// or what is wrong with `text`.
std::string ParseSize(const std::string& text, int& width, int& height);

/// Reads "LO:HI", two speeds in cm/s with 0 <= LO < HI. Returns an empty
/// string, or what is wrong with `text`.
std::string ParseSpeedRange(const std::string& text, double& low, double& high);
/// Checks a speed range given as numbers, as ParseSpeedRange does; the
/// message names `text`, the range as the caller wrote it.
std::string CheckSpeedRange(double low, double high, const std::string& text);

/// Whether `name` is a camera a playblast can look through; when not,
/// `error` names it and lists the cameras.
bool CameraNamed(const std::string& name, std::string& error);

/// Runs the scene. Returns the process exit status: 0 on success, 1 when
/// the scene, a frame or a cache file fails or errors were shown while the
/// frames stepped (the reason is on stderr), 128 + the signal when SIGINT,
/// SIGTERM or SIGHUP stopped the frames. The summary goes to
/// `out`, and into `summary` when given.
int RunScene(const SceneRunOptions& options, std::FILE* out, SceneRunSummary* summary = nullptr);

/// The summary as one JSON object (what --json prints), indented.
std::string SummaryJson(const SceneRunSummary& summary);

/// The summary as text lines, or as one JSON object.
void PrintSummary(const SceneRunSummary& summary, bool json, std::FILE* out);
