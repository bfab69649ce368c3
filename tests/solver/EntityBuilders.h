#pragma once
// Builders that fill the entity records the way the gathering does.

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

inline MMatrix Translation(const MPoint& p)
{
    MTransformationMatrix m;
    m.setTranslation(MVector(p), MSpace::kTransform);
    return m.asMatrix();
}

/// One target; the defaults make a Seek target at the origin with no volume.
struct TargetSetup
{
    SteeringType type = SteeringType::kSeek;
    MPoint position;
    VolumeType volume = VolumeType::kSphere;
    MPoint size = MPoint(0, 0, 0); ///< a zero size bounds nothing
    InfluenceMethod influence = InfluenceMethod::kFull;
    double weight = 1.0;
    double arrival = 0.0;
    WanderMode wanderMode = WanderMode::kRandomDirection;
    MPoint wander = MPoint(0, 0, 0); ///< strength, rate, attraction
    MObject curve;                   ///< for volume kCurve, with the tube samples
    MPointArray tube;
    int containment = 0;
    double separationMin = 0.0;
};

/// A Path Follow target with containment on a degree-1 curve along x from 0
/// to length (its parameter is the distance from the start), in a tube of radius.
inline TargetSetup Tube(double length, double radius, double separationMin = 0.0)
{
    const MPoint cvs[] = {MPoint(0, 0, 0), MPoint(length, 0, 0)},
                 keys[] = {{0, radius, 1}, {length, radius, 1}};
    const double knots[] = {0.0, length};
    TargetSetup s;
    s.type = SteeringType::kPathFollow;
    s.volume = VolumeType::kCurve;
    s.curve = MFnNurbsCurveData().create();
    MStatus status;
    MFnNurbsCurve().create(MPointArray(cvs, 2), MDoubleArray(knots, 2), 1, MFnNurbsCurve::kOpen, false, false,
                           s.curve, &status);
    EXPECT_TRUE(status) << status.errorString();
    s.tube = MPointArray(keys, 2);
    s.containment = 1;
    s.separationMin = separationMin;
    return s;
}

inline void AddTarget(TargetData& data, const TargetSetup& s)
{
    const bool onCurve = s.volume == VolumeType::kCurve;
    data.AppendTransform(Translation(onCurve ? MPoint::origin : s.position));
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
    data.curveDirLimits.append(0);
    data.useCurveVolumes.append(onCurve ? 1 : 0);
    data.wanderModes.append(static_cast<int>(s.wanderMode));
    data.containments.append(s.containment);
    data.containmentSeparationMins.append(s.separationMin);
    data.reverseCurveDirections.append(0);
    data.wanderParameters.append(s.wander);
    ++data.count;
}

inline void AddModifier(ModifierData& data, VolumeType volume, const MPoint& position, const MPoint& size,
                        ModificationMethod method, std::map<ParameterKey, double> overrides,
                        double weight = 1.0, InfluenceMethod influence = InfluenceMethod::kFull)
{
    data.AppendTransform(Translation(position));
    data.volumeTypes.append(static_cast<int>(volume));
    data.volumeDimensions.append(size);
    data.weights.append(weight);
    data.influenceMethods.append(static_cast<int>(influence));
    data.modificationMethods.append(static_cast<int>(method));
    data.parameterOverrides.push_back(std::move(overrides));
    ++data.count;
}

/// An obstacle; mesh, when not null, is the mesh of a kMesh obstacle.
inline void AddObstacle(ObstacleData& data, VolumeType volume, const MPoint& position, const MPoint& size,
                        const MObject& mesh = MObject())
{
    data.AppendTransform(Translation(position));
    data.meshes[data.count] = mesh;
    data.volumeTypes.append(static_cast<int>(volume));
    data.volumeDimensions.append(size);
    data.weights.append(1.0);
    data.influenceMethods.append(0);
    ++data.count;
}

/// Every field distinct, so a test can tell which one changed: speed 10, force 4.
inline ParticleParameters DistinctParams()
{
    return {1.0, 10.0, 4.0, 3.0, 0.0, 4, 1.0, 0.5, 0.25};
}
