#pragma once

#include "dynamics/ParticleCache.h"

#include <cstdint>
#include <string>

/// Makes folder `dir` (and its parents) and checks that a file can be
/// written in it, so that a run fails before it starts rather than after the
/// scene has been stepped. `error` names the folder (as `what`, e.g. "cache
/// folder") and the reason.
bool PrepareOutputFolder(const std::string& dir, const char* what, std::string& error);

/// Writes the particle caches of a run: at each frame, one file per particle
/// shape of the scene, `<dir>/<shape>.<frame>.<format>`.
///
/// Each file is written under a temporary name and renamed once complete,
/// and an interrupted run (SIGINT, SIGTERM, SIGHUP) removes the file it was
/// writing before it ends, so the folder never holds half a cache file.
class CacheRecorder
{
public:
    CacheRecorder(std::string dir, vxhost::CacheFormat format);
    ~CacheRecorder();
    CacheRecorder(const CacheRecorder&) = delete;
    CacheRecorder& operator=(const CacheRecorder&) = delete;

    /// PrepareOutputFolder for the cache folder.
    bool Prepare(std::string& error) { return PrepareOutputFolder(fDir, "cache folder", error); }
    /// Writes every particle shape's current state as frame `frame`.
    /// `error` names the file and the reason.
    bool Record(double frame, std::string& error);

    const std::string& Dir() const { return fDir; }
    vxhost::CacheFormat Format() const { return fFormat; }
    unsigned FilesWritten() const { return fFiles; }
    std::uint64_t BytesWritten() const { return fBytes; }

private:
    std::string fDir;
    vxhost::CacheFormat fFormat;
    vxhost::ParticleCacheFrame fFrame; // reused: its arrays keep their capacity
    unsigned fFiles = 0;
    std::uint64_t fBytes = 0;
};
