#pragma once

#include "FieldEvaluator.h"
#include "FlockParameters.h"

#include <maya/MApiNamespace.h>
#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MObject.h>
#include <maya/MPxFieldNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>
#include <maya/MVectorArray.h>

/// The flocking field "particleVolarix": for each connected particle system,
/// one steering force per particle from the flocking rules and the targets,
/// modifiers and obstacles connected to its "target", "modifier" and
/// "obstacle" arrays. The node reads attributes and plugs and hands plain
/// values to its FieldEvaluator, which keeps the state that lasts between
/// evaluations (parameter caches, wander states, noise, neighbour tree).
class Volarix : public MPxFieldNode
{
public:
    Volarix() = default;
    ~Volarix() override = default;

    /// Computes one element of the inherited output force; kUnknownParameter
    /// for any other plug. On failure the error has been shown and the force
    /// is left unwritten.
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    /// Creates and adds the attribute schema and declares what affects the
    /// output force. Reports the first failure and returns kFailure.
    static MStatus initialize();

    static const MTypeId id;
    static const char* const typeName;       ///< "particleVolarix"
    static const char* const classification; ///< the Viewport 2.0 draw classification

    // The nine simulation parameters: value, Range (a min/max pair) and Type
    // (a ParameterType enum). Distance values are stored in centimetres; the
    // Range pairs of distances are plain numbers in the user's unit.
    static MObject mSimulationAccuracy;
    static MObject mSimulationAccuracyRange;
    static MObject mSimulationAccuracyType;
    static MObject mBoidSeparation;
    static MObject mBoidSeparationRange;
    static MObject mBoidSeparationType;
    static MObject mObstacleSeparation;
    static MObject mObstacleSeparationRange;
    static MObject mObstacleSeparationType;
    static MObject mNumberOfNeighbours;
    static MObject mNumberOfNeighboursRange;
    static MObject mNumberOfNeighboursType;
    static MObject mMaximumSpeed;
    static MObject mMaximumSpeedRange;
    static MObject mMaximumSpeedType;
    static MObject mMaximumForce;
    static MObject mMaximumForceRange;
    static MObject mMaximumForceType;
    static MObject mBoidSeparationUrge;
    static MObject mBoidSeparationUrgeRange;
    static MObject mBoidSeparationUrgeType;
    static MObject mFlockCentringUrge;
    static MObject mFlockCentringUrgeRange;
    static MObject mFlockCentringUrgeType;
    static MObject mVelocityMatchingUrge;
    static MObject mVelocityMatchingUrgeRange;
    static MObject mVelocityMatchingUrgeType;

    // The entity arrays. The entity commands connect, and the gathering
    // reads, their children by child index.
    static MObject mTarget;
    static MObject mModifier;
    static MObject mObstacle;

    /// Read the connected entities of each kind into the evaluator's records
    /// and build their volumes. Elements without their defining connection
    /// are skipped. On failure the error has been shown, kFailure is returned
    /// and the record keeps what was read so far, without volumes.
    MStatus GatherTargets();
    MStatus GatherModifiers();
    MStatus GatherObstacles();

    const FieldEvaluator& Evaluator() const { return evaluator_; }

private:
    /// Steps 5 and 6 of compute: the per-particle arrays and the 27 parameter
    /// attributes, into settings_.
    MStatus ReadPerParticleData(MDataBlock& block, unsigned index);
    MStatus ReadParameters(MDataBlock& block);
    MStatus ReadParameterArrays(MFnArrayAttrsData& perParticle);

    FieldEvaluator evaluator_;
    FlockSettings settings_;

    // The particle system's arrays of one evaluation; the settings' spans
    // point into them. Kept for their capacity.
    bool hasMagnitudePP_ = false;
    MDoubleArray magnitudePP_;
    MDoubleArray simulationAccuracyPP_;
    MIntArray numberOfNeighboursPP_;
    MDoubleArray boidSeparationPP_;
    MDoubleArray obstacleSeparationPP_;
    MDoubleArray maximumSpeedPP_;
    MDoubleArray maximumForcePP_;
    MDoubleArray boidSeparationUrgePP_;
    MDoubleArray flockCentringUrgePP_;
    MDoubleArray velocityMatchingUrgePP_;
};
