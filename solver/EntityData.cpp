#include "EntityData.h"

#include "BoxVolume.h"
#include "CapsuleVolume.h"
#include "CurveVolume.h"
#include "MeshVolume.h"
#include "SphereVolume.h"

#include <maya/MTransformationMatrix.h>

#include <new>

void EntityData::Clear()
{
    volumeDimensions.clear();
    worldMatrices.clear();
    volumeTypes.clear();
    curves.clear();
    meshes.clear();
    weights.clear();
    curveDataArrays.clear();
    influenceMethods.clear();
    DeleteVolumes();
    count = 0;
}

void EntityData::AppendTransform(const MMatrix& matrix)
{
    worldMatrices.append(matrix);
    curves.append(MObject());
    curveDataArrays.emplace_back();
    meshes.append(MObject());
}

void EntityData::BuildVolumes()
{
    DeleteVolumes();
    for (unsigned i = 0; i < count; ++i)
    {
        const MTransformationMatrix transformation(worldMatrices[i]);
        const MPoint centre(transformation.getTranslation(MSpace::kWorld));
        const MPoint& size = volumeDimensions[i];
        Volume* volume = nullptr;
        switch (static_cast<VolumeType>(volumeTypes[i]))
        {
        case VolumeType::kSphere:
            volume = new (std::nothrow) SphereVolume(centre, size.x);
            break;
        case VolumeType::kCapsule:
            volume = new (std::nothrow) CapsuleVolume(centre, size.x, size.y, transformation);
            break;
        case VolumeType::kBox:
            volume = new (std::nothrow) BoxVolume(centre, size.x, size.y, size.z, transformation);
            break;
        case VolumeType::kCurve:
            volume = new (std::nothrow) CurveVolume(curves[i], curveDataArrays[i]);
            break;
        case VolumeType::kMesh:
            volume = new (std::nothrow) MeshVolume(meshes[i]);
            break;
        }
        volumes.emplace_back(volume);
    }
}

void EntityData::DeleteVolumes()
{
    // Destroyed in index order, then the sequence is emptied.
    for (std::unique_ptr<Volume>& volume : volumes)
        volume.reset();
    volumes.clear();
}
