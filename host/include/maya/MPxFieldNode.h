#pragma once
/// \file MPxFieldNode.h
/// The base of plug-in fields: dynamic forces on particles.

#include <maya/MPxNode.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// A field node is a DAG node (a transform) with the field attributes
/// below. The dynamics connect each particle system to one element of
/// inputData / inputPPData and read its force from the same element of
/// outputForce.
class MPxFieldNode : public MPxNode
{
public:
    Type type() const override { return kFieldNode; }

    // inputData[]: per particle system.
    static MObject mInputData;
    static MObject mInputPositions;  ///< vectorArray, centimetres
    static MObject mInputVelocities; ///< vectorArray, centimetres per second
    static MObject mInputMass;       ///< doubleArray
    static MObject mDeltaTime;       ///< time
    /// inputPPData[]: the particle system's per-particle arrays for this field.
    static MObject mInputPPData;
    static MObject mOwnerPPData;
    static MObject mOwnerPosData;
    static MObject mOwnerVelData;
    /// outputForce[]: vectorArray, one force per particle.
    static MObject mOutputForce;
    static MObject mMagnitude;
    static MObject mAttenuation;
    static MObject mMaxDistance;
    static MObject mUseMaxDistance;
    static MObject mApplyPerVertex;
};

OPENMAYA_NAMESPACE_CLOSE
