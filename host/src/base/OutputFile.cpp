#include <vxhost/OutputFile.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vxhost
{
namespace
{
// The temporary files open now, for a signal handler to remove: a slot is
// taken (1) while its name is copied in, then whole (2) until let go.
struct PendingSlot
{
    std::atomic<int> state{0};
    char path[4096];
};
constexpr int kSlots = 32;
PendingSlot gPending[kSlots];

int TakeSlot(const std::string& path)
{
    if (path.size() >= sizeof(gPending[0].path))
        return -1;
    for (int i = 0; i < kSlots; ++i)
    {
        int expected = 0;
        if (gPending[i].state.compare_exchange_strong(expected, 1))
        {
            std::memcpy(gPending[i].path, path.c_str(), path.size() + 1);
            gPending[i].state.store(2);
            return i;
        }
    }
    return -1; // more writers than slots: only a signal's cleanup misses it
}

void ReleaseSlot(int slot)
{
    if (slot >= 0)
        gPending[slot].state.store(0);
}

// SIGXFSZ is ignored while any file is open, and given back after.
std::mutex gSignalMutex;
int gOpenFiles = 0;
struct sigaction gPreviousXfsz;

void HoldFileSizeSignal()
{
    std::lock_guard lock(gSignalMutex);
    if (gOpenFiles++ > 0)
        return;
    struct sigaction ignore;
    std::memset(&ignore, 0, sizeof(ignore));
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &gPreviousXfsz);
}

void ReleaseFileSizeSignal()
{
    std::lock_guard lock(gSignalMutex);
    if (--gOpenFiles == 0)
        sigaction(SIGXFSZ, &gPreviousXfsz, nullptr);
}

mode_t FileModeMask()
{
    // umask can only be read by setting it: once, at the first file.
    static const mode_t mask = []
    {
        const mode_t m = umask(022);
        umask(m);
        return m;
    }();
    return mask;
}
} // namespace

std::string WriteErrorText(int code)
{
    if (code == EFBIG)
        return "the file size limit (ulimit -f) was reached";
    return std::strerror(code);
}

bool CheckOutputTarget(const std::string& path, std::string& error)
{
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
    {
        if (errno == ENOENT)
            return true;
        error = std::strerror(errno);
        return false;
    }
    if (S_ISREG(info.st_mode))
        return true;
    error = S_ISLNK(info.st_mode)   ? "it is a symbolic link, which is not followed; left as it is"
            : S_ISDIR(info.st_mode) ? std::strerror(EISDIR)
                                    : "it is not a regular file (a device, pipe or socket); left as it is";
    return false;
}

OutputFile::~OutputFile()
{
    Discard();
}

bool OutputFile::Open(const std::string& path, std::string& error)
{
    Discard();
    if (!CheckOutputTarget(path, error))
        return false;
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    // Hidden, and short enough to leave room for the random part.
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() > 200)
        name.resize(200);
    std::string temporary = dir + "." + name + ".XXXXXX";
    HoldFileSizeSignal();
    // O_EXCL (in mkostemp) never opens what is there, a link included.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
    {
        error = std::strerror(errno);
        ReleaseFileSizeSignal();
        return false;
    }
    fSlot = TakeSlot(temporary);
    // mkstemp makes the file private; an output is an ordinary file.
    ::fchmod(fd, 0666 & ~FileModeMask());
    fStream = ::fdopen(fd, "wb");
    if (!fStream)
    {
        error = std::strerror(errno);
        ::close(fd);
        ::unlink(temporary.c_str());
        ReleaseSlot(fSlot);
        fSlot = -1;
        ReleaseFileSizeSignal();
        return false;
    }
    fPath = path;
    fTemporary = std::move(temporary);
    return true;
}

bool OutputFile::Write(std::string_view bytes, std::string& error)
{
    if (!fStream)
    {
        error = "the file is not open";
        return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), fStream) == bytes.size())
        return true;
    error = WriteErrorText(errno);
    return false;
}

bool OutputFile::Commit(std::string& error)
{
    if (!fStream)
    {
        error = "the file is not open";
        return false;
    }
    errno = 0;
    const bool flushed = std::fflush(fStream) == 0 && !std::ferror(fStream);
    const int flushErrno = errno;
    // fclose writes what is left: a full disk may show only here.
    const bool closed = std::fclose(fStream) == 0;
    const int closeErrno = errno;
    fStream = nullptr;
    if (!flushed || !closed)
    {
        const int code = !flushed ? flushErrno : closeErrno;
        error = WriteErrorText(code ? code : EIO);
        Discard();
        return false;
    }
    // A link planted while the file was written is refused too; rename
    // would only replace the link, but the run should say so.
    if (!CheckOutputTarget(fPath, error))
    {
        Discard();
        return false;
    }
    if (std::rename(fTemporary.c_str(), fPath.c_str()) != 0)
    {
        error = std::strerror(errno);
        Discard();
        return false;
    }
    ReleaseSlot(fSlot);
    fSlot = -1;
    fTemporary.clear();
    ReleaseFileSizeSignal();
    return true;
}

void OutputFile::Discard()
{
    if (fTemporary.empty())
        return;
    if (fStream)
        std::fclose(fStream);
    fStream = nullptr;
    ::unlink(fTemporary.c_str());
    ReleaseSlot(fSlot);
    fSlot = -1;
    fTemporary.clear();
    ReleaseFileSizeSignal();
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& error)
{
    OutputFile file;
    return file.Open(path, error) && file.Write(bytes, error) && file.Commit(error);
}

void RemoveOutputTemporaries()
{
    for (PendingSlot& slot : gPending)
        if (slot.state.load() == 2)
            ::unlink(slot.path);
}
} // namespace vxhost
