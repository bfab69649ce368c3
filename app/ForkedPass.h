#pragma once

#include <functional>
#include <string>

/// Work done in a copy of this process, so that it leaves no trace here:
/// a run's framing pass steps every frame in the copy, and the run itself
/// then steps them once, as it would without pictures. Stepping twice in
/// one process cannot give the same frames: going back to the start frame
/// restores the particles but not what a field keeps in its own memory
/// (the plug-in's per-particle Range numbers and wander directions) nor the
/// random draws it made.
class ForkedPass
{
public:
    /// Runs `work` in a child process (fork) and puts the line it returns
    /// in `answer`. While it runs, an interrupt asked for here (Ctrl-C) is
    /// passed on to it, and the child stops with the parent. Returns false,
    /// with `error` saying why, when the child cannot be started or ends
    /// without answering.
    static bool Run(const std::function<std::string()>& work, std::string& answer, std::string& error);
};
