#include "OutputFile.h"

#include <vxhost/OutputFile.h>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

bool ReplaceFile(const fs::path& path, const std::function<bool(const fs::path& partial)>& write,
                 std::string& error)
{
    vxhost::OutputFile file;
    // The writer opens the temporary file by name; the stream the helper
    // keeps writes nothing, so what the writer leaves is what is renamed.
    if (file.Open(path.string(), error))
    {
        if (write(file.TemporaryPath()) && file.Commit(error))
            return true;
        if (error.empty())
            error = "the writer failed";
    }
    error = "cannot write \"" + path.string() + "\": " + error;
    return false;
}

bool WriteText(const fs::path& path, const std::string& text, std::string& error)
{
    if (vxhost::WriteWholeFile(path.string(), text, error))
        return true;
    error = "cannot write \"" + path.string() + "\": " + error;
    return false;
}

FolderLock::~FolderLock()
{
    if (fFd < 0)
        return;
    // Removed while still held: a run that opened it meanwhile finds, once
    // it has the lock, that the name is no longer its file, and tries anew.
    ::unlink(fPath.c_str());
    ::close(fFd);
}

bool FolderLock::Take(const std::string& dir, const char* what, const std::string& scene, std::string& error)
{
    fPath = (fs::path(dir) / kName).string();
    for (;;)
    {
        const int fd = ::open(fPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
        if (fd < 0)
        {
            error = std::string("cannot lock the ") + what + " \"" + dir + "\" (" + fPath + "): " +
                    (errno == ELOOP ? "it is a symbolic link, which is not followed" : std::strerror(errno));
            return false;
        }
        struct stat info;
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        {
            ::close(fd);
            error = std::string("cannot lock the ") + what + " \"" + dir + "\": " + fPath +
                    " is not a regular file; left as it is";
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        {
            const int code = errno;
            char holder[512] = "";
            const ssize_t got = ::pread(fd, holder, sizeof(holder) - 1, 0);
            ::close(fd);
            std::string who = got > 0 ? std::string(holder, static_cast<std::size_t>(got)) : std::string();
            while (!who.empty() && (who.back() == '\n' || who.back() == ' '))
                who.pop_back();
            error = std::string("the ") + what + " \"" + dir + "\" " +
                    (code == EWOULDBLOCK
                         ? "is in use by another run" + (who.empty() ? std::string() : " (" + who + ")") +
                               "; wait for it to end or choose another folder"
                         : "cannot be locked: " + std::string(std::strerror(code)));
            return false;
        }
        struct stat named;
        if (::stat(fPath.c_str(), &named) != 0 || named.st_ino != info.st_ino || named.st_dev != info.st_dev)
        {
            // Its holder ended and removed it between our open and flock.
            ::close(fd);
            continue;
        }
        const std::string holder = "pid " + std::to_string(::getpid()) + ", scene " + scene + "\n";
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, holder.data(), holder.size(), 0) < 0)
        {
            // The lock holds all the same; only the name of its holder is missing.
        }
        fFd = fd;
        return true;
    }
}
