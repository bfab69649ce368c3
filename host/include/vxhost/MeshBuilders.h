#pragma once
/// \file MeshBuilders.h
/// Ready-made meshes (box, sphere, plane, as Maya's polyCube, polySphere and
/// polyPlane make them) and OBJ import. Host code only: the commands that
/// make meshes and tests build on these.

#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

namespace vxhost
{

/// A box of the given size along x, y and z centred on `centre`: 8 vertices,
/// 6 quads with outward normals, in polyCube's vertex and face order.
/// Returns a mesh data object; null (status kInvalidParameter) when a size
/// is not positive.
MObject MakeBoxMesh(double width, double height, double depth, const MPoint& centre = MPoint::origin,
                    MStatus* ReturnStatus = nullptr);

/// A UV sphere around the y axis: subdivisionsAxis (>= 3) segments around,
/// subdivisionsHeight (>= 2) from pole to pole. Quads between rings,
/// triangles at the poles, outward normals; 2 * axis * (height - 1)
/// triangles in all. Returns a mesh data object; null (status
/// kInvalidParameter) on a bad radius or subdivision count.
MObject MakeSphereMesh(double radius, int subdivisionsAxis, int subdivisionsHeight,
                       const MPoint& centre = MPoint::origin, MStatus* ReturnStatus = nullptr);

/// A plane in the XZ plane facing +y, width along x and height along z,
/// cut into subdivisionsX by subdivisionsY quads (each >= 1). Vertices run
/// along +x, row by row from +z to -z, as polyPlane's do. Returns a mesh data
/// object; null (status kInvalidParameter) on a bad size or count.
MObject MakePlaneMesh(double width, double height, int subdivisionsX, int subdivisionsY,
                      const MPoint& centre = MPoint::origin, MStatus* ReturnStatus = nullptr);

/// Reads a Wavefront OBJ file into a new mesh data object in `outMesh`. All
/// its groups become one mesh; polygons stay polygons (they are not
/// triangulated on reading) and the vertex list is kept as the file gives
/// it. An unreadable file fails with kFailure naming the path and the
/// reader's message; inconsistent faces fail as MFnMesh::create does.
MStatus ReadObjMesh(const MString& path, MObject& outMesh);

} // namespace vxhost
