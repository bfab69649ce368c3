#pragma once

#include "Volume.h"

#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MMatrix.h>
#include <maya/MMatrixArray.h>
#include <maya/MObjectArray.h>
#include <maya/MPointArray.h>

#include <memory>
#include <vector>

/// The entities of one kind gathered for one evaluation, as parallel arrays
/// indexed by entity number: entry i of every array belongs to entity i.
/// After a successful gathering every array, volumes included, holds count
/// entries. Lengths in centimetres. Emptied at the end of every evaluation.
class EntityData
{
public:
    EntityData() = default;
    EntityData(const EntityData&) = delete;
    EntityData& operator=(const EntityData&) = delete;
    virtual ~EntityData() = default;

    /// Empties every array and deletes the volumes.
    virtual void Clear();
    /// Appends one entity's transform, with a null curve, no curve samples and
    /// a null mesh. The caller appends the other arrays and counts the entity.
    void AppendTransform(const MMatrix& matrix);
    /// Builds one volume per entity from its volume type (null where the type
    /// makes none). Shapes are constructed only; they compute themselves on
    /// first use.
    void BuildVolumes();
    /// Deletes every volume and leaves volumes empty.
    void DeleteVolumes();

    unsigned count = 0;
    MMatrixArray worldMatrices;                   ///< identity for a curve target or a mesh obstacle
    MIntArray volumeTypes;                        ///< VolumeType codes
    MObjectArray curves;                          ///< curve data of a curve target, else null
    MObjectArray meshes;                          ///< mesh data of a mesh obstacle, else null
    MDoubleArray weights;                         ///< obstacles: always 1
    MPointArray volumeDimensions;                 ///< (width, height, depth, 1)
    std::vector<MPointArray> curveDataArrays;     ///< curve samples of a curve target, else empty
    MIntArray influenceMethods;                   ///< InfluenceMethod; targets and modifiers only
    std::vector<std::unique_ptr<Volume>> volumes; ///< null where there is no shape
};
