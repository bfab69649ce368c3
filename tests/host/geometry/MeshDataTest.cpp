// Mesh data, MFnMesh's reading and writing, and the scene cache.
#include <maya/MFnMesh.h>
#include <maya/MFnMeshData.h>
#include <vxhost/EmbreeSceneStats.h>
#include <vxhost/MeshBuilders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace
{
bool Mentions(const MStatus& status, const char* text)
{
    return std::string(status.errorString().asChar()).find(text) != std::string::npos;
}

/// What the plug-in does at every evaluation: copy the mesh, push each point
/// out along its vertex normal by `margin`, and query the copy.
void GrowAndQuery(const MObject& source, float margin)
{
    MFnMesh grown;
    grown.copy(source);
    MFloatPointArray points;
    MFloatVectorArray normals;
    grown.getPoints(points);
    grown.getVertexNormals(false, normals);
    for (unsigned i = 0; i < points.length(); ++i)
        points[i] += normals[i] * margin;
    EXPECT_TRUE(grown.setPoints(points));
    MPoint closest;
    EXPECT_TRUE(grown.getClosestPoint(MPoint(3, 0.1, 0.2), closest));
}
} // namespace

TEST(MeshData, CreateValidatesAndCopiesAreIndependent)
{
    const MFloatPointArray square(4, MFloatPoint());
    const int quad[] = {0, 1, 2, 3}, outOfRange[] = {0, 1, 4, 3};
    MFnMesh mesh;
    MStatus status;
    // Each inconsistency is refused with a text naming it.
    mesh.create(4, 1, square, MIntArray(1, 2), MIntArray(quad, 2), MObject::kNullObj, &status);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    EXPECT_TRUE(Mentions(status, "polygonCounts[0] is 2")) << status.errorString();
    mesh.create(4, 1, square, MIntArray(1, 4), MIntArray(outOfRange, 4), MObject::kNullObj, &status);
    EXPECT_TRUE(Mentions(status, "polygonConnects[2] is 4")) << status.errorString();

    // Into an existing data object, which then holds the mesh; a refused
    // create leaves it as it was.
    const MObject data = MFnMeshData().create();
    const MObject source = vxhost::MakeBoxMesh(1, 1, 1);
    MFnMesh sourceFn(source);
    MFloatPointArray sourcePoints;
    sourceFn.getPoints(sourcePoints);
    EXPECT_EQ(mesh.create(8, 0, sourcePoints, MIntArray(), MIntArray(), data, &status), data);
    EXPECT_TRUE(status);
    mesh.create(4, 1, square, MIntArray(1, 4), MIntArray(outOfRange, 4), data, &status);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    EXPECT_EQ(MFnMesh(data).numVertices(), 8);

    // A copy shares nothing visible: moving its points leaves the source.
    MFnMesh copyFn;
    copyFn.copy(source, data);
    MFloatPointArray moved = sourcePoints;
    for (MFloatPoint& p : moved)
        p.y += 10;
    ASSERT_TRUE(copyFn.setPoints(moved, MSpace::kObject));
    MFloatPointArray after;
    sourceFn.getPoints(after);
    EXPECT_EQ(after, sourcePoints);
    copyFn.getPoints(after, MSpace::kObject);
    EXPECT_EQ(after, moved);
    EXPECT_EQ(copyFn.setPoints(MFloatPointArray(3)), MStatus::kInvalidParameter);
}

TEST(MeshData, VertexNormalsOfABox)
{
    // Three unit face normals at each box corner: the diagonal away from the centre.
    MFnMesh box(vxhost::MakeBoxMesh(2, 4, 6, MPoint(1, 1, 1)));
    MPointArray points;
    box.getPoints(points);
    const float s = 1.0f / std::sqrt(3.0f);
    for (const bool angleWeighted : {false, true})
    {
        MFloatVectorArray normals;
        ASSERT_TRUE(box.getVertexNormals(angleWeighted, normals));
        ASSERT_EQ(normals.length(), 8u);
        for (unsigned i = 0; i < 8; ++i)
            EXPECT_TRUE(normals[i].isEquivalent(
                MFloatVector(points[i].x > 1 ? s : -s, points[i].y > 1 ? s : -s, points[i].z > 1 ? s : -s),
                1e-6f))
                << i;
    }
}

TEST(MeshData, SceneCacheKeyedByContent)
{
    // A size no other test uses: the first query must build, once, however
    // many threads ask at the same time, and they all get the same answers.
    const MObject source = vxhost::MakeSphereMesh(0.777, 30, 15);
    std::uint64_t builds = vxhost::EmbreeSceneBuildCount();
    std::vector<std::vector<MPoint>> results(4, std::vector<MPoint>(200));
    std::vector<std::thread> threads;
    for (auto& result : results)
        threads.emplace_back(
            [&]
            {
                for (std::size_t i = 0; i < result.size(); ++i)
                    MFnMesh(source).getClosestPoint(MPoint(std::sin(i), std::cos(i * 0.3), 0.01 * i),
                                                    result[i]);
            });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(vxhost::EmbreeSceneBuildCount(), ++builds);
    for (const auto& result : results)
        EXPECT_EQ(result, results[0]);

    // A copy given back the same points reuses the scene.
    MPoint closest;
    MFnMesh copy;
    copy.copy(source);
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
    MFnMesh empty(MFnMeshData().create());
    status = empty.getClosestPoint(MPoint(), closest);
    EXPECT_EQ(status, MStatus::kFailure);
    EXPECT_TRUE(Mentions(status, "no faces")) << status.errorString();
    EXPECT_FALSE(intersect(empty));
    EXPECT_TRUE(Mentions(status, "no faces")) << status.errorString();

    MFnMesh unattached;
    EXPECT_EQ(unattached.getClosestPoint(MPoint(), closest), MStatus::kInvalidParameter);
    EXPECT_FALSE(intersect(unattached));
    EXPECT_TRUE(Mentions(status, "No mesh is attached")) << status.errorString();
}

TEST(MeshData, ObjFiles)
{
    // A quad and a triangle sharing an edge: faces stay polygons, not triangles.
    const std::string path = ::testing::TempDir() + "vx_two_faces.obj";
    if (std::FILE* file = std::fopen(path.c_str(), "w"))
    {
        std::fputs("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\nf 1 2 3 4\nf 2 5 3\n", file);
        std::fclose(file);
    }
    MObject mesh;
    ASSERT_TRUE(vxhost::ReadObjMesh(MString(path.c_str()), mesh));
    MFnMesh fn(mesh);
    EXPECT_EQ(fn.numVertices(), 5);
    EXPECT_EQ(fn.numPolygons(), 2);
    MPoint closest;
    ASSERT_TRUE(fn.getClosestPoint(MPoint(1.5, 0.25, 3), closest));
    EXPECT_NEAR(closest.distanceTo(MPoint(1.5, 0.25, 0)), 0.0, 1e-6);

    // A missing file fails and names the path.
    MObject none;
    const MStatus status = vxhost::ReadObjMesh("/nonexistent/vx.obj", none);
    EXPECT_FALSE(status);
    EXPECT_TRUE(Mentions(status, "/nonexistent/vx.obj")) << status.errorString();
}
