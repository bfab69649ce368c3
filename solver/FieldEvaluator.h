#pragma once

#include "ArrayView.h"
#include "FlockParameters.h"
#include "KDTree.h"
#include "ModifierData.h"
#include "NeighbourList.h"
#include "ObstacleData.h"
#include "ParticleParameters.h"
#include "PerlinNoise.h"
#include "TargetData.h"
#include "TargetSteering.h"

#include <maya/MDoubleArray.h>
#include <maya/MStatus.h>
#include <maya/MVectorArray.h>

#include <tbb/combinable.h>
#include <tbb/task_arena.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

/// What the host hands a field for one particle system and one time step.
struct FieldInput
{
    const MVectorArray* positions = nullptr;  ///< cm; required
    const MVectorArray* velocities = nullptr; ///< cm/s; missing entries count as zero
    double deltaTime = 0.0;                   ///< seconds
    double magnitude = 1.0;                   ///< the field's magnitude
    /// The particle system's "magnitude" array, or null; used only when it
    /// holds at least one value per particle.
    const MDoubleArray* magnitudePerParticle = nullptr;
};

/// The evaluation core of the flocking field: from one particle system's
/// positions and velocities, the nine parameter settings and the evaluation's
/// targets, modifiers and obstacles, one force per particle. Keeps what a
/// field node keeps between evaluations (parameter caches, wander states,
/// noise, neighbour tree) and its working arrays, so repeated evaluations
/// allocate only when the particle count grows.
///
/// Everything that draws random numbers or changes shared state (the
/// accuracy draw, wander draws and states, obstacles grown per particle) runs
/// in particle order on the calling thread; the neighbour queries and boid
/// rules, which dominate, run on up to ThreadCount() threads, and so does the
/// rest of the entity work whenever the evaluation allows it (see
/// SetSplitEntityPass). Forces are bit-identical for any thread count.
class FieldEvaluator
{
public:
    /// threads: the most threads one evaluation uses; 0 (or more than there
    /// are cores) means every core.
    explicit FieldEvaluator(int threads = 0);

    /// One evaluation: writes exactly positions.length() forces to outForces.
    /// The entity records must be filled, with their volumes built, before;
    /// they are left as they are (the caller empties them). On failure (a
    /// curve target whose point cannot be found) the error is reported and
    /// outForces is left untouched.
    MStatus Evaluate(const FieldInput& input, const FlockSettings& settings, MVectorArray& outForces);

    void SetThreadCount(int threads);
    int ThreadCount() const;

    /// Whether the entity work may be split (the default): modifiers, curve
    /// searches, target and obstacle forces run on the evaluation's threads
    /// and only the draws and the state they keep stay in particle order. It
    /// splits only when every obstacle is grown by the same separation and
    /// every shape involved answers without changing. Off, all of it runs in
    /// particle order. The forces are the same either way.
    void SetSplitEntityPass(bool split) { splitAllowed_ = split; }
    /// Whether the last evaluation split its entity work.
    bool EntityPassWasSplit() const { return split_; }

    const FlockParameters& Parameters() const { return parameters_; }
    const KDTree& Tree() const { return tree_; }

    // The entities of the coming evaluation, filled by the caller.
    TargetData targets;
    ModifierData modifiers;
    ObstacleData obstacles;

private:
    /// The target and obstacle forces the whole in-order pass found for one
    /// particle, kept for the boid pass.
    struct EntityForces
    {
        MVector target;   ///< priority 0
        MVector obstacle; ///< priority 100
    };

    /// In particle order: modifiers, the accuracy draw, targets and obstacles;
    /// or, when the entity pass splits, only the draws.
    MStatus RunSerialPass(const MVectorArray& positions, const MVectorArray& velocities,
                          TargetSteering& steering);
    /// Readies the split entity pass, resolving every particle's parameters
    /// on the evaluation's threads; false when the pass must stay whole.
    bool PrepareSplit(const MVectorArray& positions, TargetSteering& steering);
    /// The in-order part of the split pass: the accuracy draw and the wander draws.
    MStatus RunDrawPass(const MVectorArray& positions, const MVectorArray& velocities,
                        TargetSteering& steering);
    /// Steers the particles order[begin..end); safe to run on several threads.
    void SteerInOrder(ArrayView<std::int32_t> order, std::size_t begin, std::size_t end,
                      const FieldInput& input, const MVectorArray& velocities, TargetSteering& steering,
                      MVectorArray& outForces);
    /// rank: i's place in the order it is steered in (the tree's leaf order
    /// when the tree is built).
    void SteerParticle(std::int32_t i, std::size_t rank, const FieldInput& input,
                       const MVectorArray& velocities, TargetSteering& steering, NeighbourList& neighbours,
                       MVectorArray& outForces);

    /// Particle i's parameters as this evaluation steers it.
    ParticleParameters ParamsOf(std::size_t i) const
    {
        return paramsStored_ ? params_[i] : parameters_.Resolve(i);
    }

    // Between evaluations.
    KDTree tree_;
    PerlinNoise noise_{0};
    FlockParameters parameters_;

    // Working arrays of one evaluation, kept for their capacity.
    std::vector<std::int32_t> finiteParticles_; ///< particles with finite position and velocity
    std::vector<std::uint8_t> steered_;         ///< 1 when the particle gets a force this evaluation
    /// Per particle, when paramsStored_: the parameters after modifiers (and,
    /// when the pass is whole, curve containment). Otherwise they are what
    /// parameters_ resolves, and nothing is kept per particle.
    std::vector<ParticleParameters> params_;
    std::vector<EntityForces> entityForces_;                 ///< per particle, when the entity pass is whole
    std::vector<TargetSteering::CurveSearch> curveSearches_; ///< per particle and curve target
    std::vector<MVector> wanderDraws_; ///< per particle and drawing wander target, when split
    bool hasEntities_ = false;
    bool splitAllowed_ = true;
    bool split_ = false;                  ///< this evaluation's entity pass is split
    bool paramsStored_ = false;           ///< params_ holds this evaluation's parameters
    MVectorArray paddedVelocities_;       ///< used when fewer velocities than positions arrive
    std::vector<MVector> leafVelocities_; ///< in the tree's leaf order, when it is built
    /// This thread's neighbour list, made on the thread's first query.
    NeighbourList& LocalNeighbourList() const;
    // The lists live in neighbourListStore_, in ordinary heap memory, and
    // the per-thread slots only point at them: TBB may take a slot's
    // storage from its own allocator, where LeakSanitizer cannot see that
    // the lists' buffers are still owned.
    mutable tbb::combinable<NeighbourList*> neighbourLists_{[]
                                                            { return static_cast<NeighbourList*>(nullptr); }};
    mutable std::mutex neighbourListMutex_;
    mutable std::vector<std::unique_ptr<NeighbourList>> neighbourListStore_;
    std::unique_ptr<tbb::task_arena> arena_;
};
