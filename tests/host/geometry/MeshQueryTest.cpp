// Ray and closest-point queries of MFnMesh: against brute force over every
// triangle, and on shapes whose answers are known by hand.
#include <maya/MFnMesh.h>
#include <vxhost/MeshBuilders.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace
{
using V = MVector; // brute force in double; ^ is the cross product, * the dot

// Moller-Trumbore: the ray parameter of the hit, or NaN.
double RayTriangle(const V& o, const V& d, const V& a, const V& b, const V& c)
{
    const V e1 = b - a, e2 = c - a, p = d ^ e2, s = o - a, q = s ^ e1;
    const double det = e1 * p, u = s * p / det, v = d * q / det;
    if (std::abs(det) < 1e-300 || u < 0 || v < 0 || u + v > 1)
        return std::nan("");
    return e2 * q / det;
}

// Closest point by a different route than the host's region tests: project
// onto the plane and keep the projection if inside, else the nearest edge.
V ClosestOnTriangle(const V& p, const V& a, const V& b, const V& c)
{
    const V n = (b - a) ^ (c - a);
    const V q = p - n * ((p - a) * n / (n * n));
    if (((b - a) ^ (q - a)) * n >= 0 && ((c - b) ^ (q - b)) * n >= 0 && ((a - c) ^ (q - c)) * n >= 0)
        return q;
    V best = a; // on two of the edges
    for (const auto& [s, e] : {std::pair{a, b}, std::pair{b, c}, std::pair{c, a}})
    {
        const V x = s + (e - s) * std::clamp((p - s) * (e - s) / ((e - s) * (e - s)), 0.0, 1.0);
        if ((p - x).length() < (p - best).length())
            best = x;
    }
    return best;
}

/// Polygons of 3 to 5 random vertices, scattered through a cube: overlapping,
/// non-planar, of every orientation.
MObject RandomMesh(unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
    MFloatPointArray points;
    for (int i = 0; i < 300; ++i)
        points.append(coordinate(rng), coordinate(rng), coordinate(rng));
    MIntArray counts, connects;
    for (int f = 0; f < 150; ++f)
    {
        counts.append(3 + f % 3);
        for (int k = 0; k < 3 + f % 3; ++k)
            connects.append(static_cast<int>(rng() % 300));
    }
    return MFnMesh().create(300, 150, points, counts, connects);
}

void CheckAgainstBruteForce(const MObject& object, unsigned seed)
{
    // The mesh's fan triangles, with the polygon each came from.
    MFnMesh mesh(object);
    MPointArray mp;
    MIntArray counts, connects;
    mesh.getPoints(mp);
    mesh.getVertices(counts, connects);
    const std::vector<V> pts(mp.begin(), mp.end());
    std::vector<std::array<int, 4>> tris; // three vertices, then the polygon
    std::vector<int> first{0};            // of each polygon in connects
    for (unsigned f = 0; f < counts.length(); ++f)
    {
        for (int k = 1; k + 1 < counts[f]; ++k)
            tris.push_back({connects[first[f]], connects[first[f] + k], connects[first[f] + k + 1], int(f)});
        first.push_back(first[f] + counts[f]);
    }
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-2.0, 2.0);
    int hits = 0;
    for (int i = 0; i < 500; ++i)
    {
        // Directions of any length: the ray parameter is in their units.
        const V o(u(rng), u(rng), u(rng)), d(u(rng), u(rng), u(rng));
        double bestT = std::numeric_limits<double>::infinity();
        for (const auto& t : tris)
            if (const double hitT = RayTriangle(o, d, pts[t[0]], pts[t[1]], pts[t[2]]);
                hitT > 0 && hitT < bestT)
                bestT = hitT;
        MFloatPoint hitPoint;
        float param = 0, bary1 = 0, bary2 = 0;
        int face = -1, triangle = -1;
        const bool hit = mesh.closestIntersection(
            MFloatPoint(o.x, o.y, o.z), MFloatVector(d.x, d.y, d.z), nullptr, nullptr, false, MSpace::kObject,
            1e6f, false, nullptr, hitPoint, &param, &face, &triangle, &bary1, &bary2);
        ASSERT_EQ(hit, std::isfinite(bestT)) << "ray " << i;
        if (!hit)
            continue;
        ++hits;
        EXPECT_NEAR(param, bestT, 1e-4 * std::max(1.0, bestT)) << "ray " << i;
        const V expected = o + d * bestT;
        EXPECT_LT((V(hitPoint.x, hitPoint.y, hitPoint.z) - expected).length(), 1e-4) << "ray " << i;
        // Face, triangle within it and barycentrics name the hit point.
        const int* fan = &connects[first[face]];
        const V fromBary = pts[fan[0]] * bary1 + pts[fan[triangle + 1]] * bary2 +
                           pts[fan[triangle + 2]] * (1.0 - bary1 - bary2);
        EXPECT_LT((fromBary - expected).length(), 1e-4) << "ray " << i;
    }
    EXPECT_GT(hits, 50); // the comparison must not be all misses

    for (int i = 0; i < 500; ++i)
    {
        // Per polygon, as the closest point is often a corner or edge that
        // several polygons share: any of them is a right answer.
        const V p(u(rng), u(rng), u(rng));
        std::vector<double> faceDistance(counts.length(), std::numeric_limits<double>::infinity());
        for (const auto& t : tris)
            faceDistance[t[3]] = std::min(
                faceDistance[t[3]], (p - ClosestOnTriangle(p, pts[t[0]], pts[t[1]], pts[t[2]])).length());
        const double best = *std::min_element(faceDistance.begin(), faceDistance.end());
        MPoint closest;
        int face = -1;
        ASSERT_TRUE(mesh.getClosestPoint(MPoint(p), closest, MSpace::kObject, &face));
        EXPECT_NEAR((p - V(closest)).length(), best, 1e-6) << "point " << i;
        ASSERT_GE(face, 0);
        EXPECT_NEAR(faceDistance[face], best, 1e-6) << "point " << i;
    }
}
} // namespace

TEST(MeshQuery, AgreesWithBruteForce)
{
    CheckAgainstBruteForce(vxhost::MakeSphereMesh(1.0, 24, 12), 7);
    CheckAgainstBruteForce(RandomMesh(3), 11);
}

TEST(MeshQuery, BoxAndPlaneByHand)
{
    MFnMesh box(vxhost::MakeBoxMesh(1, 1, 1));
    MPoint closest;
    int face = -1;
    ASSERT_TRUE(box.getClosestPoint(MPoint(10, 0, 0), closest, MSpace::kObject, &face));
    EXPECT_EQ(closest, MPoint(0.5, 0, 0));
    EXPECT_EQ(face, 4); // the +x quad
    // Mesh data, not a DAG path: no world space, as in Maya.
    EXPECT_EQ(box.getClosestPoint(MPoint(10, 0, 0), closest, MSpace::kWorld), MStatus::kInvalidParameter);
    ASSERT_TRUE(box.getClosestPoint(MPoint(2, 3, 0.25), closest));
    EXPECT_TRUE(closest.isEquivalent(MPoint(0.5, 0.5, 0.25), 1e-7)); // on the edge between +x and +y

    MFnMesh plane(vxhost::MakePlaneMesh(4, 4, 2, 2));
    MFloatPoint hit;
    float t = 0;
    int hitFace = -1, hitTriangle = -1;
    const auto shoot = [&](MFnMesh& mesh, MFloatPoint from, MFloatVector direction, float maxParam, bool both,
                           const MIntArray* faces = nullptr, const MIntArray* triangles = nullptr)
    {
        return mesh.closestIntersection(from, direction, faces, triangles, false, MSpace::kObject, maxParam,
                                        both, nullptr, hit, &t, &hitFace, &hitTriangle, nullptr, nullptr);
    };
    // From y = 5 down with a direction of length 2: the plane is at t = 2.5.
    EXPECT_FALSE(shoot(plane, {0.3f, 5, 0.1f}, {0, -2, 0}, 2.4f, false));
    ASSERT_TRUE(shoot(plane, {0.3f, 5, 0.1f}, {0, -2, 0}, 2.5f, false));
    EXPECT_FLOAT_EQ(t, 2.5f);
    EXPECT_TRUE(hit.isEquivalent(MFloatPoint(0.3f, 0, 0.1f)));
    // Pointing away: only found when testing backwards, at negative t.
    EXPECT_FALSE(shoot(plane, {0.3f, 1, 0.1f}, {0, 1, 0}, 100, false));
    ASSERT_TRUE(shoot(plane, {0.3f, 1, 0.1f}, {0, 1, 0}, 100, true));
    EXPECT_FLOAT_EQ(t, -1.0f);

    // Inside the box, both ways: the nearer hit wins, whichever side it is on.
    const MFloatPoint inside(0, 0.2f, 0.1f);
    ASSERT_TRUE(shoot(box, inside, {0, 1, 0}, 100, true));
    EXPECT_FLOAT_EQ(t, 0.3f);
    ASSERT_TRUE(shoot(box, inside, {0, -1, 0}, 100, true));
    EXPECT_FLOAT_EQ(t, -0.3f);
    EXPECT_EQ(hitFace, 1); // +y
    // Restricted to faces: the -x quad alone is only behind a +x ray.
    const MIntArray minusX(1, 5), plusX(1, 4), firstTriangle(1, 0), secondTriangle(1, 1), badFace(1, 6);
    ASSERT_TRUE(shoot(box, inside, {1, 0, 0}, 100, true, &minusX));
    EXPECT_FLOAT_EQ(t, -0.5f);
    EXPECT_EQ(hitFace, 5);
    // (0.5, 0.2, 0.1) lies in the second fan triangle (1, 5, 3) of the +x quad.
    EXPECT_FALSE(shoot(box, inside, {1, 0, 0}, 100, true, &plusX, &firstTriangle));
    ASSERT_TRUE(shoot(box, inside, {1, 0, 0}, 100, false, &plusX, &secondTriangle));
    EXPECT_EQ(hitTriangle, 1);
    EXPECT_FALSE(shoot(box, inside, {1, 0, 0}, 100, true, &badFace));
}
