#pragma once
/// \file OutputFile.h
/// Files written whole or not at all: a reader (or a run that stops half-way)
/// never sees half of one. Both go through vxhost::OutputFile, the host's
/// one writer, so a link, device or pipe at `path` is refused, never
/// followed or replaced.

#include <filesystem>
#include <functional>
#include <string>

/// `write` fills `partial`, a fresh temporary file beside `path` (made
/// empty and exclusively), which is then renamed over `path`. False, with
/// `error`, when either fails.
bool ReplaceFile(const std::filesystem::path& path,
                 const std::function<bool(const std::filesystem::path& partial)>& write, std::string& error);
/// ReplaceFile with `text` as the file's contents.
bool WriteText(const std::filesystem::path& path, const std::string& text, std::string& error);

/// One run at a time in an output folder: an exclusive lock (flock) on
/// DIR/.volarix.lock, held while it lives, which says which process and
/// scene hold it, so that two runs never mix their frames or trip over
/// each other's files. The lock file goes when the lock does.
class FolderLock
{
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    /// Takes the lock of `dir` for `scene`. False, with `error` naming the
    /// folder (as `what`) and the run holding it ("pid 1234, scene
    /// seek.mel"), when another run has it.
    bool Take(const std::string& dir, const char* what, const std::string& scene, std::string& error);

    static constexpr const char* kName = ".volarix.lock";

private:
    std::string fPath;
    int fFd = -1;
};
