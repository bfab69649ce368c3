#pragma once

#include "SceneRun.h"

#include <chrono>
#include <memory>
#include <string>

#include <tbb/global_control.h>

class CacheRecorder;
class FolderLock;
namespace vxhost
{
struct ViewportOptions;
}

/// The frames of a run: steps the current scene over a range of frames,
/// writing caches and pictures as it goes, then finishes them. Shared by
/// `volarix run` (after its script) and volarix.run() in Python (on the
/// scene Python made), so that both write the same files.
class FrameRun
{
public:
    /// Starts the clock of the run's wall time.
    FrameRun();
    ~FrameRun();
    FrameRun(const FrameRun&) = delete;
    FrameRun& operator=(const FrameRun&) = delete;

    /// Makes the cache and playblast folders, locks them for this run
    /// (FolderLock: a second run into one is refused), and caps the
    /// process's threads
    /// (until the run ends), so that a run with nowhere to write fails
    /// before anything is stepped. Reads the options' outputs, frames,
    /// threads, view and progress; not the scene script. `error` says why.
    bool Prepare(const SceneRunOptions& options, std::string& error);

    /// Steps from the start frame (options' range, or the scene's playback
    /// range) to the end frame, each frame cached and drawn, then finishes
    /// the caches, the summary picture and the video. Fills `summary`,
    /// `options.scene` naming it. `error` says which frame or file failed.
    /// Touches no Python, so Python may let go of its lock meanwhile.
    /// While a ScriptInterrupt lives, Ctrl-C stops the run between frames
    /// (Interrupted() then says so); the frames written stay whole.
    /// Nothing thrown while stepping or writing leaves it: running out of
    /// memory fails the run with an error, its temporary files removed.
    /// cache.json says "complete": false from the first frame until every
    /// frame is written. The summary counts the errors shown meanwhile.
    bool Run(SceneRunSummary& summary, std::string& error);
    bool Interrupted() const { return fInterrupted; }

private:
    bool RunFrames(SceneRunSummary& summary, std::string& error);
    // The first pass of a run framed on all its frames: steps them in a
    // copy of the process, writing nothing, and fixes `view`'s bounds on
    // all they showed.
    bool FrameAllFrames(const SceneRunSummary& summary, vxhost::ViewportOptions& view, std::string& error);

    std::chrono::steady_clock::time_point fBegan;
    SceneRunOptions fOptions;
    std::unique_ptr<CacheRecorder> fRecorder;
    std::unique_ptr<FolderLock> fCacheLock;
    std::unique_ptr<FolderLock> fPlayblastLock;
    std::unique_ptr<tbb::global_control> fThreads;
    std::string fPictureBase;
    bool fInterrupted = false;
};
