#pragma once

#include <chrono>
#include <cstdio>
#include <functional>

/// The progress line of a long run, redrawn in place on a terminal:
///
///     [#########-----------]  frame 120/240  4000 particles  35.2 frames/s  3.4 s left
///
/// Short runs stay silent: nothing is drawn until a second has passed, so a
/// quick run prints only its summary. Redraws at most ten times a second.
class ProgressBar
{
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    /// A bar for frames firstFrame .. lastFrame, written to `to` when
    /// `enabled` (see Wanted); `now` is the clock, replaceable for tests.
    ProgressBar(std::FILE* to, bool enabled, double firstFrame, double lastFrame, Now now = Clock::now);

    /// Whether a run should show a bar: not asked to be quiet, and the
    /// stream is a terminal (a bar in a log file or a pipe is only noise).
    static bool Wanted(bool quiet, std::FILE* stream);

    /// Frame `frame` is done and the scene holds `particles` particles.
    void Update(double frame, unsigned particles);
    /// Ends the line if a bar was drawn, so that what follows starts afresh.
    void Finish();

    bool HasDrawn() const { return fDrawn; }

private:
    std::FILE* fTo;
    bool fEnabled;
    double fFirst;
    double fLast;
    Now fNow;
    Clock::time_point fStart;
    Clock::time_point fLastDraw;
    bool fDrawn = false;
};
