#pragma once

#include "dynamics/ParticleCache.h"

#include <array>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

/// Makes folder `dir` (and its parents) and checks that a file can be
/// written in it, so that a run fails before it starts rather than after the
/// scene has been stepped. `error` names the folder (as `what`, e.g. "cache
/// folder") and the reason.
bool PrepareOutputFolder(const std::string& dir, const char* what, std::string& error);

/// Writes the particle caches of a run: at each frame, one file per particle
/// shape of the scene, `<dir>/<shape>.<frame>.<format>`.
///
/// Record copies the shapes' state and returns; a writer thread encodes and
/// writes the files while the next frame steps. It holds one frame at a
/// time: the next Record waits for it, so memory stays bounded. A failed
/// write is reported by the next Record or by Finish.
///
/// Each file is written through vxhost::OutputFile, under a temporary name
/// renamed once complete, so the folder never holds half a cache file: an
/// interrupted run (ScriptInterrupt) finishes the frame in hand, and one
/// that ends at once has the temporary file removed by the signal.
class CacheRecorder
{
public:
    CacheRecorder(std::string dir, vxhost::CacheFormat format);
    /// Finishes the last frame's files.
    ~CacheRecorder();
    CacheRecorder(const CacheRecorder&) = delete;
    CacheRecorder& operator=(const CacheRecorder&) = delete;

    /// PrepareOutputFolder for the cache folder.
    bool Prepare(std::string& error) { return PrepareOutputFolder(fDir, "cache folder", error); }
    /// Removes the cache files an earlier run left here for `shapes` in this
    /// format (`<shape>.<frame>.<extension>`, regular files only), so the
    /// folder never mixes two runs, and says how many in an information
    /// line; files of other shapes or formats are left alone, and said.
    void RemoveEarlier(const std::vector<std::string>& shapes);
    /// Writes cache.json beside the frames: the scene, whether the run has
    /// written all its frames (`complete`), the frames, the format and
    /// each shape's particles and channels at the last frame written.
    bool WriteManifest(const std::string& scene, double startFrame, double endFrame, bool complete,
                       std::string& error);

    /// Takes every particle shape's current state as frame `frame`, to be
    /// written. `error` names the shape or the file and the reason.
    bool Record(double frame, std::string& error);
    /// Waits until every recorded frame is written; false, with the first
    /// failure in `error`, when one could not be.
    bool Finish(std::string& error);

    const std::string& Dir() const { return fDir; }
    vxhost::CacheFormat Format() const { return fFormat; }
    /// Of the frames written so far (all of them after Finish).
    unsigned FilesWritten() const;
    std::uint64_t BytesWritten() const;

private:
    struct File
    {
        std::string path;
        vxhost::ParticleCacheFrame frame; // reused: its arrays keep their capacity
    };

    void Write();
    // Waits until the writer has no frame; the caller holds the lock.
    void WaitIdle(std::unique_lock<std::mutex>& lock);

    std::string fDir;
    vxhost::CacheFormat fFormat;
    std::vector<File> fTaking; // the frame being captured
    std::size_t fTaken = 0;    // files of it in use
    mutable std::mutex fMutex;
    std::condition_variable fChanged;
    std::vector<File> fWriting; // the frame the writer has, guarded by fMutex
    std::size_t fToWrite = 0;
    bool fBusy = false;
    bool fStop = false;
    std::string fError; // the first failure
    unsigned fFiles = 0;
    std::uint64_t fBytes = 0;
    std::thread fWriter;
};
