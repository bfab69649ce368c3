#pragma once
/// \file MFnMeshData.h
/// Function set that creates mesh data objects.

#include <maya/MFnBase.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Creates mesh data objects (kMeshData): the form in which meshes pass
/// between nodes and into which MFnMesh::create and MFnMesh::copy can write.
class MFnMeshData : public MFnBase
{
public:
    MFnMeshData() = default;
    /// Attaches to a mesh data object; see MFnBase::setObject for failures.
    explicit MFnMeshData(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kMeshData; }

    /// A new, empty mesh data object (no vertices, no faces), to which the
    /// function set is then attached.
    MObject create(MStatus* ReturnStatus = nullptr);
};

OPENMAYA_NAMESPACE_CLOSE
