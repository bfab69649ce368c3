// Ray and closest-point queries of MFnMesh: against brute force over every
// triangle, and on shapes whose answers are known by hand.
#include <maya/MFnMesh.h>
#include <vxhost/EmbreeSceneStats.h>
#include <vxhost/MeshBuilders.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <thread>
#include <vector>

namespace
{
using Vec = std::array<double, 3>;

Vec Sub(const Vec& a, const Vec& b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double Dot(const Vec& a, const Vec& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vec Cross(const Vec& a, const Vec& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec Lerp(const Vec& a, const Vec& b, double t)
{
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}
double Distance(const Vec& a, const Vec& b)
{
    return std::sqrt(Dot(Sub(a, b), Sub(a, b)));
}

/// A mesh's fan triangles, as plain data, with the polygon each came from.
struct Soup
{
    std::vector<Vec> points;
    std::vector<std::array<int, 3>> triangles;
    std::vector<int> face;
};

Soup SoupOf(const MFnMesh& mesh)
{
    Soup soup;
    MPointArray points;
    MIntArray counts, connects;
    mesh.getPoints(points);
    mesh.getVertices(counts, connects);
    for (const MPoint& p : points)
        soup.points.push_back({p.x, p.y, p.z});
    int start = 0;
    for (unsigned f = 0; f < counts.length(); ++f)
    {
        for (int k = 1; k + 1 < counts[f]; ++k)
        {
            soup.triangles.push_back({connects[start], connects[start + k], connects[start + k + 1]});
            soup.face.push_back(static_cast<int>(f));
        }
        start += counts[f];
    }
    return soup;
}

// Moller-Trumbore in double: the ray parameter of the hit, or NaN.
double RayTriangle(const Vec& o, const Vec& d, const Vec& a, const Vec& b, const Vec& c)
{
    const Vec e1 = Sub(b, a), e2 = Sub(c, a), p = Cross(d, e2);
    const double det = Dot(e1, p);
    if (std::abs(det) < 1e-300)
        return std::nan("");
    const Vec s = Sub(o, a);
    const double u = Dot(s, p) / det;
    const Vec q = Cross(s, e1);
    const double v = Dot(d, q) / det;
    if (u < 0 || v < 0 || u + v > 1)
        return std::nan("");
    return Dot(e2, q) / det;
}

// Closest point by a different route than the host's region tests: project
// onto the plane and keep the projection if inside, else the nearest edge.
Vec ClosestOnTriangle(const Vec& p, const Vec& a, const Vec& b, const Vec& c)
{
    const Vec n = Cross(Sub(b, a), Sub(c, a));
    const double h = Dot(Sub(p, a), n) / Dot(n, n);
    const Vec q = {p[0] - h * n[0], p[1] - h * n[1], p[2] - h * n[2]};
    if (Dot(Cross(Sub(b, a), Sub(q, a)), n) >= 0 && Dot(Cross(Sub(c, b), Sub(q, b)), n) >= 0 &&
        Dot(Cross(Sub(a, c), Sub(q, c)), n) >= 0)
        return q;
    Vec best{};
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const auto& [s, e] : {std::pair{a, b}, std::pair{b, c}, std::pair{c, a}})
    {
        const double t = std::clamp(Dot(Sub(p, s), Sub(e, s)) / Dot(Sub(e, s), Sub(e, s)), 0.0, 1.0);
        const Vec x = Lerp(s, e, t);
        if (Distance(p, x) < bestDistance)
        {
            bestDistance = Distance(p, x);
            best = x;
        }
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
        const int n = 3 + f % 3;
        counts.append(n);
        for (int k = 0; k < n; ++k)
            connects.append(static_cast<int>(rng() % 300));
    }
    MFnMesh mesh;
    MStatus status;
    MObject object = mesh.create(300, 150, points, counts, connects, MObject::kNullObj, &status);
    EXPECT_TRUE(status) << status.errorString();
    return object;
}

void CheckAgainstBruteForce(const MObject& object, unsigned seed)
{
    MFnMesh mesh(object);
    const Soup soup = SoupOf(mesh);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-2.0, 2.0);

    int hits = 0;
    for (int i = 0; i < 500; ++i)
    {
        // Directions of any length: the ray parameter is in their units.
        const Vec o = {u(rng), u(rng), u(rng)};
        const Vec d = {u(rng), u(rng), u(rng)};
        double bestT = std::numeric_limits<double>::infinity();
        for (const auto& t : soup.triangles)
        {
            const double hitT = RayTriangle(o, d, soup.points[t[0]], soup.points[t[1]], soup.points[t[2]]);
            if (hitT > 0 && hitT < bestT)
                bestT = hitT;
        }
        MFloatPoint hitPoint;
        float param = 0, bary1 = 0, bary2 = 0;
        int face = -1, triangle = -1;
        const bool hit = mesh.closestIntersection(
            MFloatPoint(float(o[0]), float(o[1]), float(o[2])),
            MFloatVector(float(d[0]), float(d[1]), float(d[2])), nullptr, nullptr, false, MSpace::kWorld,
            1e6f, false, nullptr, hitPoint, &param, &face, &triangle, &bary1, &bary2);
        ASSERT_EQ(hit, std::isfinite(bestT)) << "ray " << i;
        if (!hit)
            continue;
        ++hits;
        EXPECT_NEAR(param, bestT, 1e-4 * std::max(1.0, bestT)) << "ray " << i;
        const Vec expected = {o[0] + bestT * d[0], o[1] + bestT * d[1], o[2] + bestT * d[2]};
        EXPECT_LT(Distance({hitPoint.x, hitPoint.y, hitPoint.z}, expected), 1e-4) << "ray " << i;

        // Face, triangle within it and barycentrics name the hit point.
        MIntArray counts, connects;
        mesh.getVertices(counts, connects);
        int first = 0;
        for (int f = 0; f < face; ++f)
            first += counts[f];
        const Vec& a = soup.points[connects[first]];
        const Vec& b = soup.points[connects[first + triangle + 1]];
        const Vec& c = soup.points[connects[first + triangle + 2]];
        const double w = 1.0 - bary1 - bary2;
        const Vec fromBary = {bary1 * a[0] + bary2 * b[0] + w * c[0], bary1 * a[1] + bary2 * b[1] + w * c[1],
                              bary1 * a[2] + bary2 * b[2] + w * c[2]};
        EXPECT_LT(Distance(fromBary, expected), 1e-4) << "ray " << i;
    }
    EXPECT_GT(hits, 50); // the comparison must not be all misses

    for (int i = 0; i < 500; ++i)
    {
        const Vec p = {u(rng), u(rng), u(rng)};
        // Per polygon, as the closest point is often a corner or edge that
        // several polygons share: any of them is a right answer.
        std::vector<double> faceDistance(soup.face.back() + 1, std::numeric_limits<double>::infinity());
        for (std::size_t t = 0; t < soup.triangles.size(); ++t)
        {
            const auto& tri = soup.triangles[t];
            double& distance = faceDistance[soup.face[t]];
            distance =
                std::min(distance, Distance(p, ClosestOnTriangle(p, soup.points[tri[0]], soup.points[tri[1]],
                                                                 soup.points[tri[2]])));
        }
        const double bestDistance = *std::min_element(faceDistance.begin(), faceDistance.end());
        MPoint closest;
        int face = -1;
        ASSERT_TRUE(mesh.getClosestPoint(MPoint(p[0], p[1], p[2]), closest, MSpace::kObject, &face));
        EXPECT_NEAR(Distance(p, {closest.x, closest.y, closest.z}), bestDistance, 1e-6) << "point " << i;
        ASSERT_GE(face, 0);
        EXPECT_NEAR(faceDistance[face], bestDistance, 1e-6) << "point " << i;
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
    ASSERT_TRUE(box.getClosestPoint(MPoint(2, 3, 0.25), closest));
    EXPECT_TRUE(closest.isEquivalent(MPoint(0.5, 0.5, 0.25), 1e-7)); // on the edge between +x and +y

    MFnMesh plane(vxhost::MakePlaneMesh(4, 4, 2, 2));
    MFloatPoint hit;
    float t = 0;
    MStatus status;
    const auto shoot = [&](MFloatPoint from, MFloatVector direction, float maxParam, bool both)
    {
        return plane.closestIntersection(from, direction, nullptr, nullptr, false, MSpace::kObject, maxParam,
                                         both, nullptr, hit, &t, nullptr, nullptr, nullptr, nullptr, 1e-6f,
                                         &status);
    };
    // Parallel to the plane, above it: no hit, and not an error.
    EXPECT_FALSE(shoot({-5, 0.5f, 0.3f}, {1, 0, 0}, 100, true));
    EXPECT_TRUE(status);

    // From y = 5 down with a direction of length 2: the plane is at t = 2.5.
    EXPECT_FALSE(shoot({0.3f, 5, 0.1f}, {0, -2, 0}, 2.4f, false));
    ASSERT_TRUE(shoot({0.3f, 5, 0.1f}, {0, -2, 0}, 2.5f, false));
    EXPECT_FLOAT_EQ(t, 2.5f);
    EXPECT_TRUE(hit.isEquivalent(MFloatPoint(0.3f, 0, 0.1f)));

    // Pointing away: only found when testing backwards, at negative t.
    EXPECT_FALSE(shoot({0.3f, 1, 0.1f}, {0, 1, 0}, 100, false));
    ASSERT_TRUE(shoot({0.3f, 1, 0.1f}, {0, 1, 0}, 100, true));
    EXPECT_FLOAT_EQ(t, -1.0f);

    // Inside the box, both ways: the nearer hit wins, whichever side it is on.
    int hitFace = -1;
    const auto shootBox = [&](MFloatVector direction, const MIntArray* faces, const MIntArray* triangles)
    {
        return box.closestIntersection({0, 0.2f, 0.1f}, direction, faces, triangles, false, MSpace::kObject,
                                       100, true, nullptr, hit, &t, &hitFace, nullptr, nullptr, nullptr);
    };
    ASSERT_TRUE(shootBox({0, 1, 0}, nullptr, nullptr));
    EXPECT_FLOAT_EQ(t, 0.3f);
    ASSERT_TRUE(shootBox({0, -1, 0}, nullptr, nullptr));
    EXPECT_FLOAT_EQ(t, -0.3f);
    EXPECT_EQ(hitFace, 1); // +y
    EXPECT_TRUE(hit.isEquivalent(MFloatPoint(0, 0.5f, 0.1f)));

    // Restricted to faces: the -x quad alone is only behind a +x ray.
    const MIntArray minusX(1, 5), plusX(1, 4);
    ASSERT_TRUE(shootBox({1, 0, 0}, &minusX, nullptr));
    EXPECT_FLOAT_EQ(t, -0.5f);
    EXPECT_EQ(hitFace, 5);
    // (0.5, 0.2, 0.1) lies in the second fan triangle (1, 5, 3) of the +x quad.
    const MIntArray first(1, 0), second(1, 1);
    EXPECT_FALSE(shootBox({1, 0, 0}, &plusX, &first));
    int hitTriangle = -1;
    ASSERT_TRUE(box.closestIntersection({0, 0.2f, 0.1f}, {1, 0, 0}, &plusX, &second, true, MSpace::kObject,
                                        100, false, nullptr, hit, &t, &hitFace, &hitTriangle, nullptr,
                                        nullptr));
    EXPECT_EQ(hitTriangle, 1);
    const MIntArray badFace(1, 6);
    EXPECT_FALSE(shootBox({1, 0, 0}, &badFace, nullptr));
}

TEST(MeshQuery, ParallelQueriesShareOneBuild)
{
    // A radius no other test uses, so the scene is new to the cache.
    MFnMesh mesh(vxhost::MakeSphereMesh(1.2345, 40, 20));
    std::vector<MPoint> queries;
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(-2, 2);
    for (int i = 0; i < 400; ++i)
        queries.emplace_back(u(rng), u(rng), u(rng));

    const std::uint64_t builds = vxhost::EmbreeSceneBuildCount();
    std::vector<std::vector<MPoint>> results(4, std::vector<MPoint>(queries.size()));
    std::vector<std::thread> threads;
    for (std::size_t k = 0; k < results.size(); ++k)
        threads.emplace_back(
            [&, k]
            {
                for (std::size_t i = 0; i < queries.size(); ++i)
                    mesh.getClosestPoint(queries[i], results[k][i]);
            });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(vxhost::EmbreeSceneBuildCount(), builds + 1);
    for (std::size_t k = 1; k < results.size(); ++k)
        EXPECT_EQ(results[k], results[0]);
}
