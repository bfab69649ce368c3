#pragma once

#include "EntityTypes.h"
#include "ModifierData.h"
#include "ObstacleData.h"
#include "ParticleParameters.h"
#include "TargetData.h"

#include <maya/MDoubleArray.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>
#include <maya/MTransformationMatrix.h>

#include <gtest/gtest.h>

#include <map>

// Builders that fill the entity records the way the gathering does, so tests
// and benchmarks can set up scenes in a few lines.

inline MMatrix Translation(double x, double y, double z)
{
    MTransformationMatrix m;
    m.setTranslation(MVector(x, y, z), MSpace::kTransform);
    return m.asMatrix();
}

/// A degree-1 curve from a to b whose parameter runs from 0 to |b - a|, so
/// the parameter of a point is its distance from a.
inline MObject StraightCurve(const MPoint& a, const MPoint& b)
{
    MPointArray cvs;
    cvs.append(a);
    cvs.append(b);
    MDoubleArray knots;
    knots.append(0.0);
    knots.append((b - a).length());
    MObject data = MFnNurbsCurveData().create();
    MStatus status;
    MFnNurbsCurve().create(cvs, knots, 1, MFnNurbsCurve::kOpen, false, false, data, &status);
    EXPECT_TRUE(status) << status.errorString();
    return data;
}

/// Tube samples of one radius: a key at each end of a curve of the given
/// parameter length.
inline MPointArray ConstantTube(double length, double radius)
{
    MPointArray samples;
    samples.append(MPoint(0.0, radius, 1.0));
    samples.append(MPoint(length, radius, 1.0));
    return samples;
}

/// One target. The defaults make a Seek target at the origin with no volume
/// (every particle is under its full influence).
struct TargetSetup
{
    SteeringType type = SteeringType::kSeek;
    MPoint position = MPoint(0, 0, 0);
    VolumeType volume = VolumeType::kSphere;
    MPoint size = MPoint(0, 0, 0); ///< a zero size bounds nothing
    InfluenceMethod influence = InfluenceMethod::kFull;
    double weight = 1.0;
    double arrival = 0.0;
    WanderMode wanderMode = WanderMode::kRandomDirection;
    MPoint wander = MPoint(0, 0, 0); ///< strength, rate, attraction
    // Curve targets (volume kCurve).
    MObject curve;
    MPointArray tube;
    int useCurveVolume = 0;
    int containment = 0;
    double separationMin = 0.0;
    int dirLimit = 0;
    int reverse = 0;
};

inline void AddTarget(TargetData& data, const TargetSetup& s)
{
    const bool onCurve = s.volume == VolumeType::kCurve;
    data.AppendTransform(onCurve ? MMatrix() : Translation(s.position.x, s.position.y, s.position.z));
    if (onCurve)
    {
        data.curves[data.count] = s.curve;
        data.curveDataArrays[data.count] = s.tube;
    }
    data.volumeTypes.append(static_cast<int>(s.volume));
    data.volumeDimensions.append(s.size);
    data.weights.append(s.weight);
    data.influenceMethods.append(static_cast<int>(s.influence));
    data.steeringTypes.append(static_cast<int>(s.type));
    data.arrivalDistances.append(s.arrival);
    data.curveDirLimits.append(s.dirLimit);
    data.useCurveVolumes.append(s.useCurveVolume);
    data.wanderModes.append(static_cast<int>(s.wanderMode));
    data.containments.append(s.containment);
    data.containmentSeparationMins.append(s.separationMin);
    data.reverseCurveDirections.append(s.reverse);
    data.wanderParameters.append(s.wander);
    ++data.count;
}

inline void AddModifier(ModifierData& data, VolumeType volume, const MPoint& position, const MPoint& size,
                        ModificationMethod method, std::map<ParameterKey, double> overrides,
                        double weight = 1.0, InfluenceMethod influence = InfluenceMethod::kFull)
{
    data.AppendTransform(Translation(position.x, position.y, position.z));
    data.volumeTypes.append(static_cast<int>(volume));
    data.volumeDimensions.append(size);
    data.weights.append(weight);
    data.influenceMethods.append(static_cast<int>(influence));
    data.modificationMethods.append(static_cast<int>(method));
    data.parameterOverrides.push_back(std::move(overrides));
    ++data.count;
}

/// An obstacle shape by type; mesh, when not null, is the mesh of a kMesh obstacle.
inline void AddObstacle(ObstacleData& data, VolumeType volume, const MPoint& position, const MPoint& size,
                        const MObject& mesh = MObject())
{
    data.AppendTransform(Translation(position.x, position.y, position.z));
    data.meshes[data.count] = mesh;
    data.volumeTypes.append(static_cast<int>(volume));
    data.volumeDimensions.append(size);
    data.weights.append(1.0);
    data.influenceMethods.append(0);
    ++data.count;
}

/// A record with every field distinct, so a test can tell which one changed.
inline ParticleParameters DistinctParams()
{
    ParticleParameters p;
    p.simulationAccuracy = 1.0;
    p.maximumSpeed = 10.0;
    p.maximumForce = 4.0;
    p.boidSeparation = 3.0;
    p.obstacleSeparation = 0.0;
    p.numberOfNeighbours = 4;
    p.boidSeparationUrge = 1.0;
    p.flockCentringUrge = 0.5;
    p.velocityMatchingUrge = 0.25;
    return p;
}
