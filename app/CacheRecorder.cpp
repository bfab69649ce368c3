#include "CacheRecorder.h"

#include "OutputFile.h"
#include "dg/Scene.h"

#include <maya/MStatus.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>

#include <fcntl.h>
#include <unistd.h>

CacheRecorder::CacheRecorder(std::string dir, vxhost::CacheFormat format)
    : fDir(std::move(dir)), fFormat(format), fWriter([this] { Write(); })
{
}

CacheRecorder::~CacheRecorder()
{
    {
        std::unique_lock lock(fMutex);
        WaitIdle(lock);
        fStop = true;
    }
    fChanged.notify_all();
    fWriter.join();
}

void CacheRecorder::WaitIdle(std::unique_lock<std::mutex>& lock)
{
    fChanged.wait(lock, [this] { return !fBusy; });
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
    // real write tells: a file made afresh and exclusively, so a name
    // planted here is never opened.
    std::string probe = (std::filesystem::path(dir) / ".volarix-write-test.XXXXXX").string();
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0)
    {
        error = std::string("cannot write to the ") + what + " \"" + dir + "\": " + std::strerror(errno);
        return false;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

void CacheRecorder::RemoveEarlier(const std::vector<std::string>& shapes)
{
    namespace fs = std::filesystem;
    const std::string extension = std::string(".") + vxhost::CacheFormatName(fFormat);
    unsigned removed = 0;
    unsigned others = 0;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(fDir, code))
    {
        // <shape>.<frame>.<extension>, the frame a whole number.
        const std::string name = entry.path().filename().string();
        const std::size_t last = name.rfind('.');
        const std::size_t frame = last == std::string::npos || last == 0 ? std::string::npos : name.rfind('.', last - 1);
        if (frame == std::string::npos || frame == 0 || frame + 1 == last)
            continue;
        const std::string digits = name.substr(frame + 1, last - frame - 1);
        const std::size_t first = digits[0] == '-' ? 1 : 0;
        if (digits.size() == first || digits.find_first_not_of("0123456789", first) != std::string::npos)
            continue;
        const std::string shape = name.substr(0, frame);
        const std::string kind = name.substr(last);
        if (kind != ".pdc" && kind != ".ply" && kind != ".csv")
            continue;
        const bool ours = kind == extension && std::find(shapes.begin(), shapes.end(), shape) != shapes.end();
        std::error_code removing;
        if (ours && entry.is_regular_file(removing) && !entry.is_symlink(removing) && fs::remove(entry.path(), removing))
            ++removed;
        else
            ++others;
    }
    if (removed > 0)
        vxhost::LogMessage(vxhost::Severity::kInfo, "Removed " + std::to_string(removed) + " cache file" +
                                                        (removed == 1 ? "" : "s") + " an earlier run left in " +
                                                        fDir + ".");
    if (others > 0)
        vxhost::LogMessage(vxhost::Severity::kWarning,
                           fDir + " also holds " + std::to_string(others) + " cache file" + (others == 1 ? "" : "s") +
                               " of other particle shapes or formats; left as they are.");
}

bool CacheRecorder::WriteManifest(const std::string& scene, double startFrame, double endFrame, bool complete,
                                  std::string& error)
{
    nlohmann::ordered_json shapes = nlohmann::ordered_json::object();
    {
        std::unique_lock lock(fMutex);
        WaitIdle(lock);
        // The frame written last is still held, by name.
        for (std::size_t i = 0; i < fToWrite; ++i)
        {
            const File& file = fWriting[i];
            const std::string name = std::filesystem::path(file.path).filename().string();
            nlohmann::ordered_json channels = nlohmann::ordered_json::array();
            for (const vxhost::CacheChannel& channel : file.frame.channels)
                channels.push_back({{"name", channel.name}, {"type", channel.IsVector() ? "vector" : "double"}});
            shapes[name.substr(0, name.rfind('.', name.rfind('.') - 1))] = {{"particles", file.frame.count},
                                                                             {"channels", channels}};
        }
    }
    const nlohmann::ordered_json manifest = {{"scene", scene},
                                             {"complete", complete},
                                             {"frames", {{"start", startFrame}, {"end", endFrame}}},
                                             {"format", vxhost::CacheFormatName(fFormat)},
                                             {"files", FilesWritten()},
                                             {"shapes", shapes}};
    return WriteText(std::filesystem::path(fDir) / "cache.json", manifest.dump(2) + "\n", error);
}

bool CacheRecorder::Record(double frame, std::string& error)
{
    // Captured on this thread, which owns the scene; written on the other.
    fTaken = 0;
    for (const auto& node : vxhost::Scene::Get().Nodes())
    {
        if (node->cls->typeName != "particle")
            continue;
        if (fTaken == fTaking.size())
            fTaking.emplace_back();
        File& file = fTaking[fTaken++];
        if (MStatus status = vxhost::CaptureParticleFrame(*node, file.frame); !status)
        {
            error = "cannot read the state of " + node->name + ": " + status.errorString().asChar();
            return false;
        }
        file.path = vxhost::ParticleCachePath(fDir, node->name, frame, fFormat);
    }
    {
        std::unique_lock lock(fMutex);
        WaitIdle(lock);
        if (!fError.empty())
        {
            error = fError;
            return false;
        }
        std::swap(fTaking, fWriting);
        fToWrite = fTaken;
        fBusy = true;
    }
    fChanged.notify_all();
    return true;
}

bool CacheRecorder::Finish(std::string& error)
{
    std::unique_lock lock(fMutex);
    WaitIdle(lock);
    error = fError;
    return fError.empty();
}

unsigned CacheRecorder::FilesWritten() const
{
    std::lock_guard lock(fMutex);
    return fFiles;
}

std::uint64_t CacheRecorder::BytesWritten() const
{
    std::lock_guard lock(fMutex);
    return fBytes;
}

void CacheRecorder::Write()
{
    std::unique_lock lock(fMutex);
    for (;;)
    {
        fChanged.wait(lock, [this] { return fBusy || fStop; });
        if (!fBusy)
            return;
        // The files are the writer's until it says it is done; after a
        // failure the run stops, so the rest of the frame is not written.
        lock.unlock();
        unsigned files = 0;
        std::uint64_t bytes = 0;
        std::string error;
        for (std::size_t i = 0; i < fToWrite && error.empty(); ++i)
        {
            std::size_t size = 0;
            // No exception may end this thread, and with it the process.
            try
            {
                if (vxhost::WriteParticleCacheFile(fWriting[i].path, fWriting[i].frame, fFormat, error, &size))
                {
                    ++files;
                    bytes += size;
                }
            }
            catch (const std::bad_alloc&)
            {
                error = "Cannot write particle cache \"" + fWriting[i].path + "\": out of memory.";
            }
        }
        lock.lock();
        fFiles += files;
        fBytes += bytes;
        if (fError.empty())
            fError = error;
        fBusy = false;
        fChanged.notify_all();
    }
}
