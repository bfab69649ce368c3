#include "FlockDemo.h"

#include "FieldEvaluator.h"

#include <vxhost/CRandom.h>

#include <chrono>
#include <cmath>
#include <random>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

FlockSettings DemoSettings()
{
    FlockSettings s;
    s.simulationAccuracy = {0.9, 0.0, 1.0, ParameterType::kConstant, {}};
    s.maximumSpeed = {30.0, 20.0, 40.0, ParameterType::kRange, {}};
    s.maximumForce = {40.0, 0.0, 0.0, ParameterType::kConstant, {}};
    s.boidSeparation = {4.0, 0.0, 0.0, ParameterType::kConstant, {}};
    s.obstacleSeparation = {2.0, 0.0, 0.0, ParameterType::kConstant, {}};
    s.numberOfNeighbours = {8, 6, 10, ParameterType::kRange, {}};
    s.boidSeparationUrge = {2.0, 0.0, 0.0, ParameterType::kConstant, {}};
    s.flockCentringUrge = {0.6, 0.0, 0.0, ParameterType::kConstant, {}};
    s.velocityMatchingUrge = {1.0, 0.0, 0.0, ParameterType::kConstant, {}};
    return s;
}

struct Snapshot
{
    int frame;
    double spread;    ///< RMS distance from the flock's centre, cm
    double meanSpeed; ///< cm/s
    double alignment; ///< |mean velocity| / mean speed: 0 chaotic, 1 all parallel
};

Snapshot Measure(int frame, const MVectorArray& p, const MVectorArray& v)
{
    const double n = static_cast<double>(p.length());
    MVector centre;
    MVector meanVelocity;
    double speed = 0.0;
    for (unsigned i = 0; i < p.length(); ++i)
    {
        centre += p[i];
        meanVelocity += v[i];
        speed += v[i].length();
    }
    centre = centre / n;
    double spread = 0.0;
    for (unsigned i = 0; i < p.length(); ++i)
    {
        const MVector d = p[i] - centre;
        spread += d * d;
    }
    const double meanSpeed = speed / n;
    return {frame, std::sqrt(spread / n), meanSpeed,
            meanSpeed > 0.0 ? (meanVelocity / n).length() / meanSpeed : 0.0};
}

// A loose ball of particles heading roughly the same way, each with its own
// random deviation: the flock has to sort itself out into one heading.
void Seed(int count, MVectorArray& p, MVectorArray& v)
{
    std::mt19937 rng(2024);
    std::normal_distribution<double> g(0.0, 1.0);
    p.setLength(static_cast<unsigned>(count));
    v.setLength(static_cast<unsigned>(count));
    const double radius = 6.0 * std::cbrt(static_cast<double>(count));
    for (int i = 0; i < count; ++i)
    {
        MVector d(g(rng), g(rng), g(rng));
        p[static_cast<unsigned>(i)] = d * (radius / 2.0);
        const MVector h(g(rng), g(rng), g(rng));
        v[static_cast<unsigned>(i)] = MVector(12.0, 0.0, 0.0) + h * 10.0;
    }
}
} // namespace

int RunFlockDemo(const FlockDemoOptions& o, std::FILE* out)
{
    vxhost::SeedRandom(o.seed);
    MVectorArray positions;
    MVectorArray velocities;
    Seed(o.particles, positions, velocities);

    FieldEvaluator field(o.threads);
    const FlockSettings settings = DemoSettings();
    const double dt = 1.0 / o.framesPerSecond;
    MVectorArray forces;
    std::vector<Snapshot> history{Measure(0, positions, velocities)};
    const int every = o.frames >= 10 ? o.frames / 10 : 1;

    std::fprintf(out, "Volarix demo: %d particles, %d frames at %g fps, %d threads\n", o.particles, o.frames,
                 o.framesPerSecond, field.ThreadCount());
    const Clock::time_point start = Clock::now();
    double solverSeconds = 0.0;
    for (int frame = 1; frame <= o.frames; ++frame)
    {
        FieldInput input;
        input.positions = &positions;
        input.velocities = &velocities;
        input.deltaTime = dt;
        const Clock::time_point t0 = Clock::now();
        const MStatus status = field.Evaluate(input, settings, forces);
        solverSeconds += std::chrono::duration<double>(Clock::now() - t0).count();
        if (!status)
        {
            std::fprintf(stderr, "volarix: evaluation failed at frame %d: %s\n", frame,
                         status.errorString().asChar());
            return 1;
        }
        for (unsigned i = 0; i < positions.length(); ++i)
        {
            velocities[i] += forces[i] * dt;
            positions[i] += velocities[i] * dt;
        }
        if (frame % every == 0 || frame == o.frames)
            history.push_back(Measure(frame, positions, velocities));
        if (o.progress)
        {
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            const double rate = frame / elapsed;
            std::fprintf(stderr, "\rframe %d/%d  %d particles  %.0f frames/s  %.1fs left   ", frame, o.frames,
                         o.particles, rate, (o.frames - frame) / rate);
            std::fflush(stderr);
        }
    }
    if (o.progress)
        std::fprintf(stderr, "\n");

    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    std::fprintf(out, "\nparticles        %d\n", o.particles);
    std::fprintf(out, "frames           %d\n", o.frames);
    std::fprintf(out, "wall time        %.2f s (solver %.2f s)\n", total, solverSeconds);
    std::fprintf(out, "evaluations/s    %.1f (%.2f M particle evaluations/s)\n", o.frames / solverSeconds,
                 o.frames * static_cast<double>(o.particles) / solverSeconds / 1e6);
    std::fprintf(out, "\n  frame   spread (cm)   mean speed (cm/s)   alignment\n");
    for (const Snapshot& s : history)
        std::fprintf(out, "  %5d   %11.2f   %17.2f   %9.3f\n", s.frame, s.spread, s.meanSpeed, s.alignment);
    return 0;
}
