#include "FieldEvaluator.h"

#include "ApplyModifiers.h"
#include "ArrayView.h"
#include "AvoidObstacles.h"
#include "BoidRules.h"
#include "Prefetch.h"
#include "RandomDraw.h"
#include "SteeringForce.h"
#include "TargetSteering.h"
#include "Truncate.h"

#include <maya/MPoint.h>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/task_group.h>

#include <cmath>
#include <cstring>

namespace
{
bool IsFinite(const MVector& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Queries of neighbouring particles share most of their tree nodes; chunks of
// this many keep one thread on one region of the tree.
constexpr std::size_t kGrain = 512;
constexpr std::size_t kPrefetchAhead = 4;
} // namespace

FieldEvaluator::FieldEvaluator(int threads)
{
    SetThreadCount(threads);
}

void FieldEvaluator::SetThreadCount(int threads)
{
    // More threads than cores would only add contention.
    const int cores = tbb::this_task_arena::max_concurrency();
    arena_ = std::make_unique<tbb::task_arena>(threads <= 0 || threads > cores ? cores : threads);
}

int FieldEvaluator::ThreadCount() const
{
    return arena_->max_concurrency();
}

MStatus FieldEvaluator::Evaluate(const FieldInput& input, const FlockSettings& settings,
                                 MVectorArray& outForces)
{
    const MVectorArray& positions = *input.positions;
    const std::size_t count = positions.length();

    parameters_.Set(settings);
    parameters_.Fill(count);

    // A short velocity array is padded with zeros rather than read past.
    const MVectorArray* velocities = input.velocities;
    if (velocities == nullptr || velocities->length() < count)
    {
        paddedVelocities_.setLength(static_cast<unsigned>(count));
        const unsigned given = velocities ? velocities->length() : 0;
        for (unsigned j = 0; j < count; ++j)
            paddedVelocities_[j] = j < given ? (*velocities)[j] : MVector::zero;
        velocities = &paddedVelocities_;
    }

    // A particle with a non-finite position or velocity is left out of the
    // neighbour search altogether, so it cannot spread into its neighbours.
    finiteParticles_.clear();
    finiteParticles_.reserve(count);
    for (std::size_t j = 0; j < count; ++j)
    {
        const unsigned u = static_cast<unsigned>(j);
        if (IsFinite(positions[u]) && IsFinite((*velocities)[u]))
            finiteParticles_.push_back(static_cast<std::int32_t>(j));
    }

    // The tree and the in-order pass need nothing of each other: the tree is
    // built on the evaluation's threads while this thread draws, in order.
    tree_.Reset();
    tbb::task_group build;
    const bool buildTree = finiteParticles_.size() > 10;
    if (buildTree)
        arena_->execute([&] { build.run([&] { tree_.Build(positions, finiteParticles_); }); });
    TargetSteering steering(targets, obstacles, parameters_.wanderStates, noise_);
    const MStatus status = RunSerialPass(positions, *velocities, steering);
    if (buildTree)
        arena_->execute([&] { build.wait(); });
    if (!status)
        return status;

    outForces.setLength(static_cast<unsigned>(count));
    for (unsigned j = 0; j < count; ++j)
        outForces[j] = MVector::zero;

    // The steering pass reads positions and velocities in the tree's leaf
    // order, where each particle's neighbours lie close by: the tree holds
    // the positions, and the velocities are gathered once.
    leafVelocities_.clear();
    if (tree_.IsBuilt())
    {
        const ArrayView<std::int32_t> leafOrder = tree_.LeafOrder();
        leafVelocities_.resize(leafOrder.size());
        arena_->execute(
            [&]
            {
                tbb::parallel_for(tbb::blocked_range<std::size_t>(0, leafOrder.size(), kGrain),
                                  [&](const tbb::blocked_range<std::size_t>& range)
                                  {
                                      for (std::size_t r = range.begin(); r != range.end(); ++r)
                                          leafVelocities_[r] =
                                              (*velocities)[static_cast<unsigned>(leafOrder[r])];
                                  });
            });
    }

    // The neighbour queries dominate and draw no random numbers: they run in
    // parallel, in leaf order when the tree exists.
    const ArrayView<std::int32_t> order =
        tree_.IsBuilt() ? tree_.LeafOrder() : ArrayView<std::int32_t>(finiteParticles_);
    arena_->execute(
        [&]
        {
            tbb::parallel_for(tbb::blocked_range<std::size_t>(0, order.size(), kGrain),
                              [&](const tbb::blocked_range<std::size_t>& range) {
                                  SteerInOrder(order, range.begin(), range.end(), input, *velocities,
                                               steering, outForces);
                              });
        });
    return MStatus::kSuccess;
}

void FieldEvaluator::SteerInOrder(ArrayView<std::int32_t> order, std::size_t begin, std::size_t end,
                                  const FieldInput& input, const MVectorArray& velocities,
                                  TargetSteering& steering, MVectorArray& outForces)
{
    const MVectorArray& positions = *input.positions;
    NeighbourList& neighbours = LocalNeighbourList();
    for (std::size_t r = begin; r != end; ++r)
    {
        // Leaf order visits the particle arrays out of order: fetch a few
        // particles ahead.
        if (r + kPrefetchAhead < end)
        {
            const unsigned ahead = static_cast<unsigned>(order[r + kPrefetchAhead]);
            if (leafVelocities_.empty())
            {
                Prefetch(&positions[ahead]);
                Prefetch(&velocities[ahead]);
            }
            Prefetch(&outForces[ahead], true);
            Prefetch(&steered_[ahead]);
            if (paramsStored_)
                Prefetch(&params_[ahead]);
            if (split_)
            {
                steering.Prefetch(ahead);
                if (const std::size_t columns = steering.WanderColumns())
                    Prefetch(wanderDraws_.data() + ahead * columns);
            }
        }
        const std::int32_t i = order[r];
        if (steered_[static_cast<std::size_t>(i)])
            SteerParticle(i, r, input, velocities, steering, neighbours, outForces);
    }
}

MStatus FieldEvaluator::RunSerialPass(const MVectorArray& positions, const MVectorArray& velocities,
                                      TargetSteering& steering)
{
    const std::size_t count = positions.length();
    hasEntities_ = targets.count > 0 || modifiers.count > 0 || obstacles.count > 0;
    split_ = false;
    paramsStored_ = false;
    steered_.assign(count, 0);
    if (targets.count > 0)
        arena_->execute(
            [&]
            { steering.PrecomputeCurveSearches(finiteParticles_, positions, velocities, curveSearches_); });
    if (hasEntities_ && splitAllowed_ && PrepareSplit(positions, steering))
        return RunDrawPass(positions, velocities, steering);

    if (hasEntities_)
    {
        params_.resize(count);
        entityForces_.resize(count);
    }
    for (const std::int32_t particle : finiteParticles_)
    {
        const unsigned i = static_cast<unsigned>(particle);
        const MVector& position = positions[i];
        const MPoint p(position.x, position.y, position.z);
        const MVector& v = velocities[i];
        // Modifiers may have been applied already, by a split that did not go ahead.
        ParticleParameters params = ParamsOf(i);
        if (!paramsStored_ && modifiers.count > 0)
            ApplyModifiers(modifiers, p, params);
        // simulationAccuracy is the chance of being steered: a draw of exactly
        // the accuracy still steers.
        if (RandomDraw() > params.simulationAccuracy)
            continue;
        steered_[i] = 1;
        if (!hasEntities_)
            continue;

        SteeringForce targetForce;
        const MStatus status = steering.TargetPass(i, p, v, params, targetForce);
        if (!status)
            return status;
        entityForces_[i] = {targetForce.vector, AvoidObstacles(obstacles, p, v, params).vector};
        params_[i] = params;
    }
    paramsStored_ = hasEntities_;
    return MStatus::kSuccess;
}

bool FieldEvaluator::PrepareSplit(const MVectorArray& positions, TargetSteering& steering)
{
    if (finiteParticles_.empty() || !PrepareModifiers(modifiers) || !steering.PrepareSplitPass())
        return false;

    // Modifiers only read their volumes now and draw nothing. Without them
    // every particle's parameters are what parameters_ resolves.
    if (modifiers.count > 0)
    {
        params_.resize(positions.length());
        arena_->execute(
            [&]
            {
                tbb::parallel_for(tbb::blocked_range<std::size_t>(0, finiteParticles_.size(), kGrain),
                                  [&](const tbb::blocked_range<std::size_t>& range)
                                  {
                                      for (std::size_t r = range.begin(); r != range.end(); ++r)
                                      {
                                          const unsigned i = static_cast<unsigned>(finiteParticles_[r]);
                                          ParticleParameters params = parameters_.Resolve(i);
                                          const MVector& x = positions[i];
                                          ApplyModifiers(modifiers, MPoint(x.x, x.y, x.z), params);
                                          params_[i] = params;
                                      }
                                  });
            });
        paramsStored_ = true;
    }

    // Obstacles are grown per particle: they can be shared only when every
    // particle grows them alike, to the bit (0 and -0 differ in a sum with -0).
    const auto bits = [&](std::int32_t particle)
    {
        const double separation = ParamsOf(static_cast<std::size_t>(particle)).obstacleSeparation;
        std::uint64_t value = 0;
        std::memcpy(&value, &separation, sizeof value);
        return value;
    };
    const std::uint64_t first = bits(finiteParticles_.front());
    for (const std::int32_t particle : finiteParticles_)
        if (bits(particle) != first)
            return false;
    const double margin = ParamsOf(static_cast<std::size_t>(finiteParticles_.front())).obstacleSeparation;
    // NaN never equals the margin it was set to: every query would grow the shapes again.
    if (!(margin == margin && PrepareObstacles(obstacles, margin)))
        return false;
    steering.NoteFixedTargetsInObstacles();
    return true;
}

MStatus FieldEvaluator::RunDrawPass(const MVectorArray& positions, const MVectorArray& velocities,
                                    TargetSteering& steering)
{
    split_ = true;
    const std::size_t columns = steering.WanderColumns();
    wanderDraws_.resize(positions.length() * columns);
    for (const std::int32_t particle : finiteParticles_)
    {
        const unsigned i = static_cast<unsigned>(particle);
        const ParticleParameters params = ParamsOf(i);
        if (RandomDraw() > params.simulationAccuracy)
            continue;
        steered_[i] = 1;
        const MVector& position = positions[i];
        const MStatus status = steering.DrawWander(i, MPoint(position.x, position.y, position.z),
                                                   velocities[i], params, wanderDraws_.data() + i * columns);
        if (!status)
            return status;
    }
    return MStatus::kSuccess;
}

void FieldEvaluator::SteerParticle(std::int32_t i, std::size_t rank, const FieldInput& input,
                                   const MVectorArray& velocities, TargetSteering& steering,
                                   NeighbourList& neighbours, MVectorArray& outForces)
{
    const MVectorArray& positions = *input.positions;
    const unsigned u = static_cast<unsigned>(i);
    const std::size_t count = positions.length();
    ParticleParameters params = ParamsOf(u);
    const bool leaf = !leafVelocities_.empty();
    const double* x = leaf ? tree_.Points()[rank].position : nullptr;
    const MPoint p = leaf ? MPoint(x[0], x[1], x[2]) : MPoint(positions[u].x, positions[u].y, positions[u].z);
    const MVector& v = leaf ? leafVelocities_[rank] : velocities[u];

    const double m = input.magnitudePerParticle && input.magnitudePerParticle->length() >= count
                         ? (*input.magnitudePerParticle)[u]
                         : input.magnitude;

    // The obstacle force has priority 100 even when it is zero, so it always
    // halves the target and boid forces when merged.
    SteeringForce targetSum;
    SteeringForce obstacleForce;
    obstacleForce.priority = 100;
    if (split_)
    {
        // What the in-order pass would do here, with its draws made already.
        const std::size_t columns = steering.WanderColumns();
        targetSum.vector =
            steering.TargetPassWithDraws(u, p, v, params, wanderDraws_.data() + u * columns).vector;
        obstacleForce.vector = AvoidObstacles(obstacles, p, v, params).vector;
    }
    else if (hasEntities_)
    {
        targetSum.vector = entityForces_[u].target;
        obstacleForce.vector = entityForces_[u].obstacle;
    }
    const SteeringForce boidForce = BoidForce(i, rank, p, positions, velocities, params, tree_,
                                              finiteParticles_, neighbours, leafVelocities_);

    SteeringForce total;
    Accumulate(total, targetSum);
    Accumulate(total, boidForce);
    Accumulate(total, obstacleForce);

    MVector force = total.vector * m;
    Truncate(force, params.maximumForce);

    const double s = params.maximumSpeed;
    const double dt = input.deltaTime;
    const MVector next = v + force * dt;
    if (next * next > s * s)
    {
        // The time step is deliberately left out here: the limit works on
        // v + F, then F becomes whatever brings v there.
        MVector d = v + force;
        Truncate(d, s);
        force = d - v;
    }
    else if (dt == 0.0)
    {
        Truncate(force, s);
    }
    outForces[u] = force;
}

NeighbourList& FieldEvaluator::LocalNeighbourList() const
{
    NeighbourList*& local = neighbourLists_.local();
    if (local == nullptr)
    {
        const std::lock_guard<std::mutex> lock(neighbourListMutex_);
        neighbourListStore_.push_back(std::make_unique<NeighbourList>());
        local = neighbourListStore_.back().get();
    }
    return *local;
}
