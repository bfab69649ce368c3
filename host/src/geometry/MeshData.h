#pragma once
/// \file MeshData.h
/// The mesh data object: what an MObject of type kMeshData refers to.

#include "MeshGeometry.h"

#include <vxhost/HostObject.h>

#include <maya/MObject.h>

#include <memory>

namespace vxhost
{

/// A polygon mesh passed as data (a mesh shape's "worldMesh" output, or the
/// result of MFnMeshData::create). It holds one immutable geometry version;
/// copying the object shares that version, and changing the points swaps in
/// a new one, so copies never see each other's changes.
///
/// Its coordinates are world coordinates, as a worldMesh output's are: for
/// a data object, object space and world space are the same.
class MeshData : public HostObject
{
public:
    /// An empty mesh: no vertices, no faces.
    MeshData() : fGeometry(MeshGeometry::Empty()) {}
    explicit MeshData(std::shared_ptr<const MeshGeometry> geometry) : fGeometry(std::move(geometry)) {}

    MFn::Type ApiType() const override { return MFn::kMeshData; }
    /// Also geometry data and plain data, like any mesh data; and a mesh, so
    /// that MFnMesh attaches to it as it does in Maya.
    bool HasFn(MFn::Type type) const override
    {
        return type == MFn::kMeshData || type == MFn::kGeometryData || type == MFn::kData ||
               type == MFn::kMesh || type == MFn::kBase;
    }

    /// Shares the immutable geometry version; setting points on the copy
    /// swaps in a new version for the copy alone.
    std::shared_ptr<HostObject> Clone() const override { return std::make_shared<MeshData>(fGeometry); }

    const MeshGeometry& Geometry() const { return *fGeometry; }
    const std::shared_ptr<const MeshGeometry>& GeometryPtr() const { return fGeometry; }
    /// Replaces the geometry. Not safe while another thread queries this
    /// object (as in Maya, changing a mesh and querying it do not overlap).
    void SetGeometry(std::shared_ptr<const MeshGeometry> geometry) { fGeometry = std::move(geometry); }

    /// A new MObject holding a new mesh data object.
    static MObject New(std::shared_ptr<const MeshGeometry> geometry = MeshGeometry::Empty())
    {
        return MObject(std::make_shared<MeshData>(std::move(geometry)));
    }
    /// The mesh data an MObject refers to, or null when it refers to
    /// something else.
    static MeshData* From(const MObject& object) { return dynamic_cast<MeshData*>(object.HostImpl().get()); }

private:
    std::shared_ptr<const MeshGeometry> fGeometry;
};

} // namespace vxhost
