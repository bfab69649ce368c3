#include "ProgressBar.h"

#include <unistd.h>

namespace
{
constexpr std::chrono::milliseconds kSilentFor{1000};
constexpr std::chrono::milliseconds kRedrawEvery{100};
constexpr int kBarWidth = 20;
} // namespace

ProgressBar::ProgressBar(std::FILE* to, bool enabled, double firstFrame, double lastFrame, Now now)
    : fTo(to), fEnabled(enabled), fFirst(firstFrame), fLast(lastFrame), fNow(std::move(now)), fStart(fNow()),
      fLastDraw(fStart)
{
}

bool ProgressBar::Wanted(bool quiet, std::FILE* stream)
{
    return !quiet && stream && isatty(fileno(stream)) != 0;
}

void ProgressBar::Update(double frame, unsigned particles)
{
    if (!fEnabled)
        return;
    const Clock::time_point now = fNow();
    const bool last = frame >= fLast;
    if (now - fStart < kSilentFor || (now - fLastDraw < kRedrawEvery && !last))
        return;
    fLastDraw = now;
    const double seconds = std::chrono::duration<double>(now - fStart).count();
    const double total = fLast - fFirst;
    const double done = frame - fFirst;
    const double fraction = total > 0.0 ? done / total : 1.0;
    const double rate = seconds > 0.0 ? done / seconds : 0.0;
    const double left = rate > 0.0 ? (fLast - frame) / rate : 0.0;
    char bar[kBarWidth + 1];
    const int filled = static_cast<int>(fraction * kBarWidth + 0.5);
    for (int i = 0; i < kBarWidth; ++i)
        bar[i] = i < filled ? '#' : '-';
    bar[kBarWidth] = '\0';
    // "\033[K" clears what a longer earlier line left on the right.
    std::fprintf(fTo, "\r[%s]  frame %.0f/%.0f  %u particles  %.1f frames/s  %.1f s left\033[K", bar, frame,
                 fLast, particles, rate, left);
    std::fflush(fTo);
    fDrawn = true;
}

void ProgressBar::Finish()
{
    if (fDrawn)
    {
        std::fputc('\n', fTo);
        std::fflush(fTo);
        fDrawn = false;
    }
}
