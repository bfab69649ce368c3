#pragma once

#include "dynamics/ParticleCache.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

/// `volarix run SCENE.mel`: runs a scene script on the host, steps its
/// frames, writes what was asked for, and prints a summary.
struct SceneRunOptions
{
    std::string scene;
    /// Step from startFrame to endFrame; without it, the scene's playback
    /// range (playbackOptions -min/-max, 1 to 120 when the scene sets none).
    bool frameRange = false;
    double startFrame = 1.0;
    double endFrame = 1.0;
    /// Where to write one cache file per frame per particle shape; empty
    /// for none.
    std::string cacheDir;
    vxhost::CacheFormat cacheFormat = vxhost::CacheFormat::kPdc;
    /// Where to write a picture per frame (<scene>.<frame>.png, the frame
    /// padded to four digits); empty for none.
    std::string playblastDir;
    std::string view = "persp"; ///< the playblast camera: persp, top, front or side
    int width = 960;            ///< playblast pictures, pixels
    int height = 540;
    /// Most threads the process's parallel loops use; 0 for every core.
    int threads = 0;
    /// Seed of the C-runtime generator, set before the script runs.
    std::optional<unsigned> seed;
    bool progress = true; ///< a progress bar on stderr (long runs only)
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
    unsigned pictures = 0;
    unsigned filesWritten = 0; ///< cache files and pictures
};

/// Reads "START:END", two whole frame numbers with 0 <= START <= END.
/// Returns an empty string, or what is wrong with `text`.
std::string ParseFrameRange(const std::string& text, double& start, double& end);

/// Reads "WIDTHxHEIGHT", each 1 to 16384 pixels. Returns an empty string,
/// or what is wrong with `text`.
std::string ParseSize(const std::string& text, int& width, int& height);

/// Runs the scene. Returns the process exit status: 0 on success, 1 when
/// the scene, a frame or a cache file fails (the reason is on stderr). The
/// summary goes to `out`, and into `summary` when given.
int RunScene(const SceneRunOptions& options, std::FILE* out, SceneRunSummary* summary = nullptr);

/// The summary as text lines, or as one JSON object.
void PrintSummary(const SceneRunSummary& summary, bool json, std::FILE* out);
