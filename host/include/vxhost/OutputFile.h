#pragma once
/// \file OutputFile.h
/// The one way the host and the volarix program write a file: caches,
/// pictures, saved scenes, summaries. A file is written whole or not at
/// all, under a temporary name nobody can guess or plant beforehand, and
/// never through a symbolic link or into a device or pipe.

#include <cstdio>
#include <string>
#include <string_view>

namespace vxhost
{
/// Whether `path` may be replaced: it is absent or a regular file. False,
/// with the reason in `error` ("it is a symbolic link, which is not
/// followed"), for a link, a folder, a device or pipe, or a socket.
bool CheckOutputTarget(const std::string& path, std::string& error);

/// A file being written: a fresh temporary file in the target's folder,
/// made exclusively (a name planted there, link or not, is never opened)
/// and renamed over the target only by Commit. Destroyed uncommitted, it
/// removes the temporary file. While one is open, SIGXFSZ is ignored, so a
/// file size limit shows as a write error (EFBIG) rather than ending the
/// process.
class OutputFile
{
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Checks the target (CheckOutputTarget) and makes the temporary file.
    /// False with the reason in `error` (not naming `path`: callers do).
    bool Open(const std::string& path, std::string& error);
    /// Where to write; null when not open.
    std::FILE* Stream() const { return fStream; }
    /// The temporary file's name, for a writer that opens it by name.
    const std::string& TemporaryPath() const { return fTemporary; }
    /// Writes `bytes`; false with the reason when the disk refuses.
    bool Write(std::string_view bytes, std::string& error);
    /// Flushes and closes the temporary file and renames it over the
    /// target, checked again. On failure the temporary file is removed and
    /// `error` says why.
    bool Commit(std::string& error);
    /// Removes the temporary file; the target stays as it was.
    void Discard();

private:
    std::string fPath;
    std::string fTemporary;
    std::FILE* fStream = nullptr;
    int fSlot = -1;
};

/// `bytes` as the whole contents of `path`, through an OutputFile.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& error);

/// Unlinks every temporary file an OutputFile holds open. Safe in a signal
/// handler: for one about to end the process.
void RemoveOutputTemporaries();

/// errno `code` as a reason, with EFBIG said as the file size limit.
std::string WriteErrorText(int code);
} // namespace vxhost
