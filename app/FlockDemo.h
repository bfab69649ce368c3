#pragma once

#include <cstdio>

/// The built-in demo: a flock stepped by the solver alone, with explicit
/// Euler integration (v += F dt, p += v dt, unit mass), reporting progress and
/// a summary of how the flock's spread and speed evolve.
struct FlockDemoOptions
{
    int particles = 4000;
    int frames = 300;
    double framesPerSecond = 24.0;
    int threads = 0;      ///< 0: every core
    unsigned seed = 1;    ///< seed of the C-runtime generator the solver draws from
    bool progress = true; ///< a live progress line on stderr
};

/// Runs the demo; writes the summary to out. Returns 0 on success.
int RunFlockDemo(const FlockDemoOptions& options, std::FILE* out);
