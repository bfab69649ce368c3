#include "CacheRecorder.h"

#include "dg/Scene.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace
{
// The temporary file being written, for the signal handler to remove. Set
// and cleared around each write; the handler reads it only while
// gPendingSet says it is whole.
char gPending[4096];
volatile std::sig_atomic_t gPendingSet = 0;

extern "C" void RemovePendingAndDie(int signal)
{
    if (gPendingSet)
        unlink(gPending);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void SetPending(const std::string& path)
{
    gPendingSet = 0;
    const std::size_t length = std::min(path.size(), sizeof(gPending) - 1);
    std::memcpy(gPending, path.data(), length);
    gPending[length] = '\0';
    gPendingSet = length == path.size() ? 1 : 0;
}
} // namespace

CacheRecorder::CacheRecorder(std::string dir, vxhost::CacheFormat format)
    : fDir(std::move(dir)), fFormat(format)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, RemovePendingAndDie);
}

CacheRecorder::~CacheRecorder()
{
    gPendingSet = 0;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, SIG_DFL);
}

bool PrepareOutputFolder(const std::string& dir, const char* what, std::string& error)
{
    std::error_code code;
    std::filesystem::create_directories(dir, code);
    if (!code && !std::filesystem::is_directory(dir, code))
        code = std::make_error_code(std::errc::not_a_directory);
    if (code)
    {
        error = std::string("cannot make the ") + what + " \"" + dir + "\": " + code.message();
        return false;
    }
    // Root may write where the permission bits say no one can, so only a
    // real write tells.
    const std::string probe = (std::filesystem::path(dir) / ".volarix-write-test").string();
    std::FILE* file = std::fopen(probe.c_str(), "wb");
    if (!file)
    {
        error = std::string("cannot write to the ") + what + " \"" + dir + "\": " + std::strerror(errno);
        return false;
    }
    std::fclose(file);
    std::remove(probe.c_str());
    return true;
}

bool CacheRecorder::Record(double frame, std::string& error)
{
    for (const auto& node : vxhost::Scene::Get().Nodes())
    {
        if (node->cls->typeName != "particle")
            continue;
        if (MStatus status = vxhost::CaptureParticleFrame(*node, fFrame); !status)
        {
            error = "cannot read the state of " + node->name + ": " + status.errorString().asChar();
            return false;
        }
        const std::string path = vxhost::ParticleCachePath(fDir, node->name, frame, fFormat);
        SetPending(vxhost::TemporaryCachePath(path));
        std::size_t bytes = 0;
        const bool written = vxhost::WriteParticleCacheFile(path, fFrame, fFormat, error, &bytes);
        gPendingSet = 0;
        if (!written)
            return false;
        ++fFiles;
        fBytes += bytes;
    }
    return true;
}
