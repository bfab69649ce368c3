#pragma once
/// \file Dynamics.h
/// Time and the stepping of particle systems.

#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MTime.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace vxhost
{
class Attribute;
class DataNode;
class Node;
struct ParticleState;

/// Where a run of time stands when the particle hooks are called.
enum class ParticlePhase
{
    kStartOfRun,     ///< leaving the start frame, its state just kept
    kBeforeDynamics, ///< a step begins: ages advanced, no force asked yet
    kAfterDynamics   ///< a step ends: every system integrated
};

/// A host service that acts on particles as time runs (per-particle
/// expressions, saved scenes): called with every particle system and the
/// frame the step reaches (the start frame for kStartOfRun). A failure
/// stops the step.
using ParticleHook = std::function<MStatus(ParticlePhase phase, double frame,
                                           const std::vector<std::shared_ptr<Node>>& systems)>;

/// Frames advance one at a time from the start frame. Before the first step
/// away from the start frame each particle system's state is kept; going
/// back to the start frame or before it restores that state. Each step
/// advances every particle's age by dt, asks every field connected to a
/// particle system for its force (one compute per field and system), then
/// integrates every system:
///     v = v * conserve + F / mass * dt;  p = p + v * dt.
class Dynamics
{
public:
    static Dynamics& Get();

    double StartFrame() const { return fStart; }
    double EndFrame() const { return fEnd; }
    void SetRange(double start, double end);
    /// The animation range (playbackOptions -ast -aet): it holds the
    /// playback range, and follows it until set.
    double AnimationStart() const { return fAnimationSet ? std::min(fAnimationStart, fStart) : fStart; }
    double AnimationEnd() const { return fAnimationSet ? std::max(fAnimationEnd, fEnd) : fEnd; }
    /// Whether the animation range has been set apart from the playback range.
    bool AnimationRangeSet() const { return fAnimationSet; }
    /// Sets the animation range (after the playback range); one equal to
    /// the playback range follows it again.
    void SetAnimationRange(double start, double end)
    {
        fAnimationStart = start;
        fAnimationEnd = end;
        fAnimationSet = start != fStart || end != fEnd;
    }
    /// playbackOptions -by: the step a viewer plays back with; the dynamics
    /// still steps one frame at a time.
    double PlaybackBy() const { return fBy; }
    void SetPlaybackBy(double by) { fBy = by; }
    double CurrentFrame() const { return fCurrent; }
    /// Steps forward frame by frame to frame (rounded down to a whole
    /// frame), or resets and steps from the start. progress, when given, is
    /// called after every frame.
    MStatus SetCurrentFrame(double frame, const std::function<void(double)>& progress = nullptr);
    /// Substeps per frame.
    int Oversampling() const { return fOversampling; }
    void SetOversampling(int steps) { fOversampling = steps < 1 ? 1 : steps; }
    /// The time step the fields see: one frame over the oversampling.
    MTime StepTime() const;

    /// Forgets the kept states and goes back to the start frame; with the
    /// scene reset.
    void Reset();

    /// Adds a hook; hooks run in the order added.
    void AddParticleHook(ParticleHook hook) { fHooks.push_back(std::move(hook)); }
    /// The values `system` had at the start frame while time is past it (the
    /// state going back restores); null at or before the start frame.
    const std::map<const Attribute*, std::unique_ptr<DataNode>>* KeptValues(const Node& system) const;

private:
    Dynamics();
    MStatus Step(double frame);
    /// Step, with whatever it throws turned into a failed status.
    MStatus GuardedStep(double frame);
    /// Says once per run and system that `count` of its particles became
    /// NaN or infinite at `frame`, and what likely made them so.
    void ReportNonFinite(Node& system, unsigned count, double frame);
    MStatus RunHooks(ParticlePhase phase, double frame, const std::vector<std::shared_ptr<Node>>& systems);
    void Restore();

    double fStart = 1.0;
    double fEnd = 120.0;
    double fAnimationStart = 1.0;
    double fAnimationEnd = 120.0;
    bool fAnimationSet = false;
    double fBy = 1.0;
    double fCurrent = 1.0;
    int fOversampling = 1;
    std::map<const Node*, std::unique_ptr<ParticleState>> fKept;
    std::vector<ParticleHook> fHooks;
    std::set<const Node*> fNonFiniteReported;
    // One step's force arrays per system, kept for their capacity.
    std::vector<std::vector<MObject>> fForces;
    std::vector<const MVectorArray*> fForceArrays;
};

/// The particles of `system` whose position or velocity is NaN or infinite.
unsigned NonFiniteParticles(Node& system);
} // namespace vxhost
