#include "BoxVolume.h"
#include "CapsuleVolume.h"
#include "CurveVolume.h"
#include "MeshVolume.h"
#include "ModifierData.h"
#include "ObstacleData.h"
#include "SphereVolume.h"
#include "TargetData.h"

#include <maya/MTransformationMatrix.h>

#include <gtest/gtest.h>

namespace
{
MMatrix Translation(double x, double y, double z)
{
    MTransformationMatrix m;
    m.setTranslation(MVector(x, y, z), MSpace::kTransform);
    return m.asMatrix();
}

// One entity given by a matrix, with its type and sizes.
void AddEntity(EntityData& data, int type, const MMatrix& matrix, const MPoint& size)
{
    data.AppendTransform(matrix);
    data.volumeTypes.append(type);
    data.volumeDimensions.append(size);
    data.weights.append(1.0);
    ++data.count;
}
} // namespace

TEST(EntityData, BuildsOneVolumePerEntityByType)
{
    ObstacleData data;
    data.BuildVolumes();
    EXPECT_TRUE(data.volumes.empty());

    AddEntity(data, 0, Translation(1, 2, 3), MPoint(4, 0, 0));
    AddEntity(data, 1, Translation(0, 5, 0), MPoint(1, 6, 0));
    AddEntity(data, 2, Translation(-1, 0, 0), MPoint(2, 3, 4));
    AddEntity(data, 3, MMatrix(), MPoint(0, 0, 0));  // a curve type given by a matrix
    AddEntity(data, 4, MMatrix(), MPoint(0, 0, 0));  // a mesh type with no mesh
    AddEntity(data, 7, MMatrix(), MPoint(1, 1, 1));  // no such shape
    data.BuildVolumes();
    ASSERT_EQ(data.volumes.size(), 6u);

    const auto* sphere = dynamic_cast<SphereVolume*>(data.volumes[0].get());
    ASSERT_NE(sphere, nullptr);
    EXPECT_EQ(sphere->centre, MPoint(1, 2, 3));
    EXPECT_EQ(sphere->radius, 4.0);
    const auto* capsule = dynamic_cast<CapsuleVolume*>(data.volumes[1].get());
    ASSERT_NE(capsule, nullptr);
    EXPECT_EQ(capsule->radius, 1.0);
    EXPECT_EQ(capsule->height, 6.0);
    EXPECT_EQ(capsule->centre, MPoint(0, 5, 0));
    const auto* box = dynamic_cast<BoxVolume*>(data.volumes[2].get());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->width, 2.0);
    EXPECT_EQ(box->depth, 4.0);
    const auto* curve = dynamic_cast<CurveVolume*>(data.volumes[3].get());
    ASSERT_NE(curve, nullptr);
    EXPECT_TRUE(curve->curve.isNull());
    EXPECT_EQ(curve->curveData.length(), 0u);
    EXPECT_NE(dynamic_cast<MeshVolume*>(data.volumes[4].get()), nullptr);
    EXPECT_EQ(data.volumes[5], nullptr);
    // Shapes are built lazily.
    EXPECT_FALSE(box->initialised);

    // Building again replaces the volumes rather than adding to them.
    data.BuildVolumes();
    EXPECT_EQ(data.volumes.size(), 6u);
}

TEST(EntityData, AppendTransformAndClear)
{
    TargetData targets;
    targets.AppendTransform(Translation(1, 0, 0));
    EXPECT_EQ(targets.worldMatrices.length(), 1u);
    EXPECT_TRUE(targets.curves[0].isNull());
    EXPECT_TRUE(targets.meshes[0].isNull());
    ASSERT_EQ(targets.curveDataArrays.size(), 1u);
    EXPECT_EQ(targets.curveDataArrays[0].length(), 0u);
    EXPECT_EQ(targets.count, 0u); // the caller counts

    targets.volumeTypes.append(0);
    targets.volumeDimensions.append(MPoint(1, 1, 1));
    targets.steeringTypes.append(static_cast<int>(SteeringType::kSeek));
    targets.wanderParameters.append(MPoint(1, 2, 3));
    targets.count = 1;
    targets.BuildVolumes();
    targets.Clear();
    EXPECT_EQ(targets.count, 0u);
    EXPECT_EQ(targets.worldMatrices.length(), 0u);
    EXPECT_EQ(targets.steeringTypes.length(), 0u);
    EXPECT_EQ(targets.wanderParameters.length(), 0u);
    EXPECT_TRUE(targets.volumes.empty());
    targets.Clear(); // twice in a row is harmless
    EXPECT_EQ(targets.count, 0u);

    ModifierData modifiers;
    modifiers.modificationMethods.append(static_cast<int>(ModificationMethod::kAdditive));
    modifiers.parameterOverrides.push_back({{ParameterKey::kMaximumForce, 3.0}});
    modifiers.Clear();
    EXPECT_TRUE(modifiers.parameterOverrides.empty());
    EXPECT_EQ(modifiers.modificationMethods.length(), 0u);
}
