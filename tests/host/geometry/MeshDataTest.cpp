// Mesh data, MFnMesh's reading and writing, the scene cache, builders and
// OBJ import.
#include <maya/MFnMesh.h>
#include <maya/MFnMeshData.h>
#include <vxhost/EmbreeSceneStats.h>
#include <vxhost/MeshBuilders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{
bool Mentions(const MStatus& status, const char* text)
{
    return std::string(status.errorString().asChar()).find(text) != std::string::npos;
}

/// What the plug-in does at every evaluation: copy the mesh, push each point
/// out along its vertex normal by `margin`, and query the copy.
MObject GrowAndQuery(const MObject& source, float margin)
{
    MFnMesh grown;
    const MObject copy = grown.copy(source);
    MFloatPointArray points;
    MFloatVectorArray normals;
    grown.getPoints(points);
    grown.getVertexNormals(false, normals);
    for (unsigned i = 0; i < points.length(); ++i)
        points[i] += normals[i] * margin;
    EXPECT_TRUE(grown.setPoints(points));
    MPoint closest;
    EXPECT_TRUE(grown.getClosestPoint(MPoint(3, 0.1, 0.2), closest));
    return copy;
}
} // namespace

TEST(MeshData, CreateValidatesAndCopiesAreIndependent)
{
    const MFloatPointArray square(4, MFloatPoint());
    const int quad[] = {0, 1, 2, 3};
    MFnMesh mesh;
    MStatus status;
    // Each inconsistency is refused with a text naming it.
    mesh.create(4, 1, square, MIntArray(1, 2), MIntArray(quad, 2), MObject::kNullObj, &status);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    EXPECT_TRUE(Mentions(status, "polygonCounts[0] is 2")) << status.errorString();
    mesh.create(4, 1, square, MIntArray(1, 4), MIntArray(quad, 3), MObject::kNullObj, &status);
    EXPECT_TRUE(Mentions(status, "add up to 4 vertices but polygonConnects has 3")) << status.errorString();
    const int outOfRange[] = {0, 1, 4, 3};
    mesh.create(4, 1, square, MIntArray(1, 4), MIntArray(outOfRange, 4), MObject::kNullObj, &status);
    EXPECT_TRUE(Mentions(status, "polygonConnects[2] is 4")) << status.errorString();
    mesh.create(5, 1, square, MIntArray(1, 4), MIntArray(quad, 4), MObject::kNullObj, &status);
    EXPECT_TRUE(Mentions(status, "vertexArray has 4 points")) << status.errorString();

    // Into an existing data object: that object now holds the mesh.
    MFnMeshData dataFn;
    const MObject data = dataFn.create();
    EXPECT_EQ(data.apiType(), MFn::kMeshData);
    EXPECT_TRUE(data.hasFn(MFn::kMesh) && data.hasFn(MFn::kGeometryData));
    const MObject source = vxhost::MakeBoxMesh(1, 1, 1);
    MFnMesh sourceFn(source);
    MFloatPointArray sourcePoints;
    sourceFn.getPoints(sourcePoints);
    EXPECT_EQ(mesh.create(8, 0, sourcePoints, MIntArray(), MIntArray(), data, &status), data);
    EXPECT_TRUE(status);
    EXPECT_EQ(MFnMesh(data).numVertices(), 8);
    // A refused create leaves the owner as it was.
    mesh.create(4, 1, square, MIntArray(1, 4), MIntArray(outOfRange, 4), data, &status);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    EXPECT_EQ(MFnMesh(data).numVertices(), 8);

    // A copy shares nothing visible: moving its points leaves the source.
    MFnMesh copyFn;
    copyFn.copy(source, data);
    EXPECT_EQ(copyFn.numPolygons(), 6);
    MFloatPointArray moved = sourcePoints;
    for (MFloatPoint& p : moved)
        p.y += 10;
    ASSERT_TRUE(copyFn.setPoints(moved, MSpace::kWorld));
    MFloatPointArray after;
    sourceFn.getPoints(after);
    EXPECT_EQ(after, sourcePoints);
    copyFn.getPoints(after, MSpace::kObject);
    EXPECT_EQ(after, moved);
    EXPECT_EQ(copyFn.setPoints(MFloatPointArray(3)), MStatus::kInvalidParameter);
}

TEST(MeshData, VertexNormalsOfBoxAndPlane)
{
    MFnMesh box(vxhost::MakeBoxMesh(2, 4, 6, MPoint(1, 1, 1)));
    MPointArray points;
    box.getPoints(points);
    for (const bool angleWeighted : {false, true})
    {
        MFloatVectorArray normals;
        ASSERT_TRUE(box.getVertexNormals(angleWeighted, normals));
        ASSERT_EQ(normals.length(), 8u);
        // Three unit face normals at each corner: the diagonal away from the centre.
        const float s = 1.0f / std::sqrt(3.0f);
        for (unsigned i = 0; i < 8; ++i)
        {
            const MFloatVector expected(points[i].x > 1 ? s : -s, points[i].y > 1 ? s : -s,
                                        points[i].z > 1 ? s : -s);
            EXPECT_TRUE(normals[i].isEquivalent(expected, 1e-6f)) << i;
        }
    }

    // On a plane's border a vertex touches one, two or four quads; the normal
    // is +y all the same.
    MFnMesh plane(vxhost::MakePlaneMesh(3, 2, 3, 2));
    MFloatVectorArray normals;
    plane.getVertexNormals(false, normals);
    ASSERT_EQ(normals.length(), 12u);
    for (const MFloatVector& n : normals)
        EXPECT_TRUE(n.isEquivalent(MFloatVector::yAxis, 1e-6f));

    // The sphere's triangles: 2 * axis * (height - 1); its normals point out.
    MFnMesh sphere(vxhost::MakeSphereMesh(2, 10, 6));
    MIntArray triangleCounts, triangleVertices;
    sphere.getTriangles(triangleCounts, triangleVertices);
    EXPECT_EQ(triangleVertices.length(), 3u * 2 * 10 * 5);
    sphere.getVertexNormals(true, normals);
    sphere.getPoints(points);
    for (unsigned i = 0; i < points.length(); ++i)
        EXPECT_GT(MVector(normals[i]) * MVector(points[i]) / 2, 0.95) << i;
}

TEST(MeshData, SceneCacheKeyedByContent)
{
    // A size no other test uses: the first query must build.
    const MObject source = vxhost::MakeSphereMesh(0.777, 30, 15);
    MFnMesh mesh(source);
    MPoint closest;
    std::uint64_t builds = vxhost::EmbreeSceneBuildCount();
    ASSERT_TRUE(mesh.getClosestPoint(MPoint(1, 1, 1), closest));
    EXPECT_EQ(vxhost::EmbreeSceneBuildCount(), ++builds);

    // A copy, and a copy given back the same points, reuse the scene.
    MFnMesh copy;
    copy.copy(source);
    ASSERT_TRUE(copy.getClosestPoint(MPoint(1, 1, 1), closest));
    MFloatPointArray points;
    copy.getPoints(points);
    copy.setPoints(points);
    ASSERT_TRUE(copy.getClosestPoint(MPoint(1, 1, 1), closest));
    EXPECT_EQ(vxhost::EmbreeSceneBuildCount(), builds);

    // Growing by a margin builds once; growing again by the same margin, as
    // the next evaluation does, builds nothing; another margin builds again.
    GrowAndQuery(source, 0.125f);
    EXPECT_EQ(vxhost::EmbreeSceneBuildCount(), ++builds);
    GrowAndQuery(source, 0.125f);
    EXPECT_EQ(vxhost::EmbreeSceneBuildCount(), builds);
    GrowAndQuery(source, 0.25f);
    EXPECT_EQ(vxhost::EmbreeSceneBuildCount(), ++builds);

    // Points that differ in one bit are other content.
    points[3].x = std::nextafter(points[3].x, 10.0f);
    copy.setPoints(points);
    ASSERT_TRUE(copy.getClosestPoint(MPoint(1, 1, 1), closest));
    EXPECT_EQ(vxhost::EmbreeSceneBuildCount(), ++builds);
    EXPECT_LE(vxhost::EmbreeSceneCacheSize(), 32u);
}

TEST(MeshData, EmptyAndUnattachedFailCleanly)
{
    MPoint closest;
    MFloatPoint hit;
    MStatus status;
    const auto intersect = [&](const MFnMesh& mesh)
    {
        return mesh.closestIntersection({0, 0, 0}, {1, 0, 0}, nullptr, nullptr, false, MSpace::kObject, 10,
                                        false, nullptr, hit, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        1e-6f, &status);
    };

    MFnMeshData dataFn;
    MFnMesh empty(dataFn.create(), &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(empty.numVertices(), 0);
    status = empty.getClosestPoint(MPoint(), closest);
    EXPECT_EQ(status, MStatus::kFailure);
    EXPECT_TRUE(Mentions(status, "no faces")) << status.errorString();
    EXPECT_FALSE(intersect(empty));
    EXPECT_TRUE(Mentions(status, "no faces")) << status.errorString();

    // Vertices but no faces is a valid mesh, with nothing to hit either.
    MFnMesh pointsOnly;
    pointsOnly.create(3, 0, MFloatPointArray(3), MIntArray(), MIntArray(), MObject::kNullObj, &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(pointsOnly.getClosestPoint(MPoint(), closest), MStatus::kFailure);

    MFnMesh unattached;
    EXPECT_EQ(unattached.getClosestPoint(MPoint(), closest), MStatus::kInvalidParameter);
    EXPECT_FALSE(intersect(unattached));
    EXPECT_TRUE(Mentions(status, "No mesh is attached")) << status.errorString();
    unattached.numPolygons(&status);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    EXPECT_EQ(unattached.setObject(MObject()), MStatus::kInvalidParameter);
}

TEST(MeshData, ObjRoundTrip)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vx_mesh_obj_test";
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "cube.obj";
    {
        // A unit cube, its faces as quads, one written with texture and
        // normal indices as exporters do.
        std::ofstream out(file);
        out << "# cube\no cube\n"
               "v -0.5 -0.5 0.5\nv 0.5 -0.5 0.5\nv -0.5 0.5 0.5\nv 0.5 0.5 0.5\n"
               "v -0.5 0.5 -0.5\nv 0.5 0.5 -0.5\nv -0.5 -0.5 -0.5\nv 0.5 -0.5 -0.5\n"
               "vt 0 0\nvn 0 0 1\n"
               "f 1/1/1 2/1/1 4/1/1 3/1/1\nf 3 4 6 5\nf 5 6 8 7\nf 7 8 2 1\nf 2 8 6 4\nf 7 1 3 5\n";
    }
    MObject object;
    ASSERT_TRUE(vxhost::ReadObjMesh(file.c_str(), object));
    MFnMesh read(object);
    MFnMesh box(vxhost::MakeBoxMesh(1, 1, 1));
    MIntArray readCounts, readConnects, boxCounts, boxConnects;
    read.getVertices(readCounts, readConnects);
    box.getVertices(boxCounts, boxConnects);
    EXPECT_EQ(readCounts, boxCounts); // quads stay quads
    EXPECT_EQ(readConnects, boxConnects);
    MFloatPointArray readPoints, boxPoints;
    read.getPoints(readPoints);
    box.getPoints(boxPoints);
    EXPECT_EQ(readPoints, boxPoints);
    std::filesystem::remove_all(dir);

    const MStatus missing = vxhost::ReadObjMesh((dir / "missing.obj").c_str(), object);
    EXPECT_EQ(missing, MStatus::kFailure);
    EXPECT_TRUE(Mentions(missing, "missing.obj")) << missing.errorString();
}
