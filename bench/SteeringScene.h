#pragma once
/// \file SteeringScene.h
/// The steering benchmark's scene, shared with the test that keeps its
/// forces as recorded: every kind of entity over a cloud of about +-230 cm.

#include "FieldEvaluator.h"

#include <maya/MDoubleArray.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>
#include <maya/MTransformationMatrix.h>
#include <vxhost/MeshBuilders.h>

#include <cmath>

namespace steering_scene
{
inline MMatrix Translation(double x, double y, double z)
{
    MTransformationMatrix m;
    m.setTranslation(MVector(x, y, z), MSpace::kTransform);
    return m.asMatrix();
}

/// The scene's geometry, made once: a cubic curve through the cloud with a
/// tube of radius 30 to 50, and a 10,000-triangle sphere.
struct Geometry
{
    MObject curve;
    MPointArray tube;
    MObject mesh = vxhost::MakeSphereMesh(60.0, 100, 51, MPoint(0, 0, 120));

    Geometry()
    {
        MPointArray cvs;
        for (int k = 0; k < 6; ++k)
            cvs.append(MPoint(-200.0 + 80.0 * k, 60.0 * std::sin(k), 40.0 * std::cos(k)));
        MDoubleArray knots;
        for (const double u : {0.0, 0.0, 0.0, 1.0, 2.0, 3.0, 3.0, 3.0})
            knots.append(u);
        curve = MFnNurbsCurveData().create();
        MFnNurbsCurve().create(cvs, knots, 3, MFnNurbsCurve::kOpen, false, false, curve);
        for (int k = 0; k <= 30; ++k)
            tube.append(MPoint(0.1 * k, 30.0 + 20.0 * (k % 10 == 0 ? 1 : 0), k % 10 == 0 ? 1.0 : 0.0));
    }
};

inline void AddCommon(EntityData& data, const MMatrix& matrix, VolumeType type, const MPoint& size,
                      double weight, InfluenceMethod influence)
{
    data.AppendTransform(matrix);
    data.volumeTypes.append(static_cast<int>(type));
    data.volumeDimensions.append(size);
    data.weights.append(weight);
    data.influenceMethods.append(static_cast<int>(influence));
}

inline void AddTarget(TargetData& targets, SteeringType type, const MMatrix& matrix, VolumeType volume,
                      const MPoint& size, const MPoint& wander = MPoint(0, 0, 0))
{
    AddCommon(targets, matrix, volume, size, 1.0, InfluenceMethod::kLinearFalloff);
    targets.steeringTypes.append(static_cast<int>(type));
    targets.arrivalDistances.append(40.0);
    targets.curveDirLimits.append(0);
    targets.useCurveVolumes.append(volume == VolumeType::kCurve ? 1 : 0);
    targets.wanderModes.append(static_cast<int>(WanderMode::kSphericalConstraint));
    targets.containments.append(volume == VolumeType::kCurve ? 1 : 0);
    targets.containmentSeparationMins.append(0.2);
    targets.reverseCurveDirections.append(0);
    targets.wanderParameters.append(wander);
    ++targets.count;
}

/// The entities: one target of each steering type, an override modifier
/// with falloff and an additive one, a sphere, a box and a mesh obstacle.
/// separationModifier adds a third modifier that grows the obstacles by a
/// different separation per particle. Refilled at every evaluation, as the
/// field node gathers them.
inline void FillSteeringEntities(FieldEvaluator& field, const Geometry& geometry,
                                 bool separationModifier = false)
{
    field.targets.Clear();
    field.modifiers.Clear();
    field.obstacles.Clear();

    TargetData& targets = field.targets;
    AddTarget(targets, SteeringType::kSeek, Translation(100, 0, 0), VolumeType::kSphere, MPoint(200, 0, 0));
    AddTarget(targets, SteeringType::kFlee, Translation(-100, 50, 0), VolumeType::kBox,
              MPoint(200, 200, 200));
    AddTarget(targets, SteeringType::kWander, Translation(0, 0, 0), VolumeType::kSphere, MPoint(0, 0, 0),
              MPoint(0.5, 0.2, 0.1));
    AddTarget(targets, SteeringType::kPathFollow, MMatrix(), VolumeType::kCurve, MPoint(0, 0, 0));
    targets.curves[3] = geometry.curve;
    targets.curveDataArrays[3] = geometry.tube;

    ModifierData& modifiers = field.modifiers;
    AddCommon(modifiers, Translation(50, 50, 50), VolumeType::kSphere, MPoint(120, 0, 0), 0.8,
              InfluenceMethod::kLinearFalloff);
    modifiers.modificationMethods.append(static_cast<int>(ModificationMethod::kOverride));
    modifiers.parameterOverrides.push_back({{ParameterKey::kMaximumSpeed, 30.0}});
    AddCommon(modifiers, Translation(-80, -80, 0), VolumeType::kBox, MPoint(150, 150, 150), 1.0,
              InfluenceMethod::kFull);
    modifiers.modificationMethods.append(static_cast<int>(ModificationMethod::kAdditive));
    modifiers.parameterOverrides.push_back(
        {{ParameterKey::kBoidSeparation, 2.0}, {ParameterKey::kNumberOfNeighbours, 2.0}});
    modifiers.count = 2;
    if (separationModifier)
    {
        // Obstacles grown differently per particle cannot be shared: the
        // entity pass stays whole even where it is allowed to split.
        AddCommon(modifiers, Translation(100, -100, 0), VolumeType::kSphere, MPoint(80, 0, 0), 1.0,
                  InfluenceMethod::kLinearFalloff);
        modifiers.modificationMethods.append(static_cast<int>(ModificationMethod::kAdditive));
        modifiers.parameterOverrides.push_back({{ParameterKey::kObstacleSeparation, 3.0}});
        modifiers.count = 3;
    }

    ObstacleData& obstacles = field.obstacles;
    AddCommon(obstacles, Translation(120, -100, 0), VolumeType::kSphere, MPoint(40, 0, 0), 1.0,
              InfluenceMethod::kFull);
    AddCommon(obstacles, Translation(-120, 100, -50), VolumeType::kBox, MPoint(60, 60, 60), 1.0,
              InfluenceMethod::kFull);
    AddCommon(obstacles, MMatrix(), VolumeType::kMesh, MPoint(0, 0, 0), 1.0, InfluenceMethod::kFull);
    obstacles.meshes[2] = geometry.mesh;
    obstacles.count = 3;

    targets.BuildVolumes();
    modifiers.BuildVolumes();
    obstacles.BuildVolumes();
}
} // namespace steering_scene
