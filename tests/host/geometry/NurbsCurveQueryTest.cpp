// Closest point, parameter at point and arc length, checked against dense
// sampling on random curves and against closed forms.
#include "NurbsCurveTestUtil.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace
{
/// A random clamped curve: CVs anywhere in a box (so spans cross and fold),
/// uneven knots, some of them doubled.
void RandomCurve(std::mt19937& rng, MFnNurbsCurve& fn)
{
    const unsigned degrees[] = {1, 2, 3, 5};
    const unsigned degree = degrees[rng() % 4];
    const unsigned spans = 1 + rng() % 12;
    std::uniform_real_distribution<double> coordinate(-5.0, 5.0);
    std::uniform_real_distribution<double> step(0.2, 2.0);
    MPointArray cvs;
    for (unsigned i = 0; i < spans + degree; ++i)
        cvs.append(coordinate(rng), coordinate(rng), coordinate(rng));
    MDoubleArray knots(degree, 0.0);
    double knot = 0.0;
    for (unsigned i = 1; i < spans; ++i)
    {
        if (degree < 2 || rng() % 4 != 0 || knots[knots.length() - 1] == knots[knots.length() - 2])
            knot += step(rng);
        knots.append(knot);
    }
    knot += step(rng);
    for (unsigned i = 0; i < degree; ++i)
        knots.append(knot);
    MakeCurve(fn, cvs, knots, degree);
}

/// Points at `perSpan` even parameter steps over every knot interval of the
/// domain, so that corners at knots are sampled exactly.
std::vector<MPoint> Samples(const MFnNurbsCurve& fn, int perSpan)
{
    double start = 0, end = 0;
    fn.getKnotDomain(start, end);
    MDoubleArray knots;
    fn.getKnots(knots);
    std::vector<MPoint> samples;
    MPoint p;
    fn.getPointAtParam(start, p);
    samples.push_back(p);
    for (unsigned k = 1; k < knots.length(); ++k)
    {
        const double a = std::max(knots[k - 1], start), b = std::min(knots[k], end);
        for (int i = 1; a < b && i <= perSpan; ++i)
        {
            fn.getPointAtParam(a + (b - a) * i / perSpan, p);
            samples.push_back(p);
        }
    }
    return samples;
}

double SampledDistance(const std::vector<MPoint>& samples, const MPoint& q)
{
    double best = HUGE_VAL;
    for (const MPoint& s : samples)
        best = std::min(best, s.distanceTo(q));
    return best;
}
} // namespace

TEST(NurbsCurveQuery, RandomCurvesAgainstDenseSampling)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> box(-7.0, 7.0);
    for (int curveIndex = 0; curveIndex < 20; ++curveIndex)
    {
        MFnNurbsCurve fn;
        RandomCurve(rng, fn);
        const std::vector<MPoint> samples = Samples(fn, 2000);
        double start = 0, end = 0;
        fn.getKnotDomain(start, end);
        for (int i = 0; i < 60; ++i)
        {
            const MPoint q(box(rng), box(rng), box(rng));
            const double sampled = SampledDistance(samples, q);
            for (const double tolerance : {1e-3, 0.0})
            {
                // Sampling never beats the true distance, which the search
                // misses by at most the tolerance; the answer is the curve's
                // point at the answered parameter.
                double param = -1e9;
                const MPoint p = fn.closestPoint(q, &param, tolerance);
                EXPECT_LE(p.distanceTo(q), sampled + tolerance + 1e-10) << "curve " << curveIndex;
                ASSERT_TRUE(param >= start && param <= end);
                MPoint onCurve;
                fn.getPointAtParam(param, onCurve);
                EXPECT_LT(onCurve.distanceTo(p), 1e-9);
            }
        }
        // The length against the polyline of the samples (short by O(h^2)),
        // and length -> param -> length round trips.
        double polyline = 0.0;
        for (size_t k = 1; k < samples.size(); ++k)
            polyline += samples[k].distanceTo(samples[k - 1]);
        const double total = fn.length();
        EXPECT_NEAR(total, polyline, 1e-6 * total);
        for (int k = 0; k <= 10; ++k)
            EXPECT_NEAR(fn.findLengthFromParam(fn.findParamFromLength(total * k / 10)), total * k / 10,
                        1e-10 * total);
        // The tangent (from the span's power form) is the direction of the
        // first derivative (de Boor's), at knots too.
        MDoubleArray knots;
        fn.getKnots(knots);
        for (int k = 0; k < 12; ++k)
        {
            const double at = k < 4
                                  ? knots[std::min<unsigned>(k + fn.degree() - 1, knots.length() - 1)]
                                  : start + (end - start) * std::uniform_real_distribution<double>(0, 1)(rng);
            MPoint position;
            MVector dU;
            ASSERT_TRUE(fn.getDerivativesAtParm(at, position, dU, MSpace::kObject));
            if (dU.length() > 1e-6)
            {
                EXPECT_TRUE(fn.tangent(at).isEquivalent(dU.normal(), 1e-10)) << "curve " << curveIndex;
            }
        }
        // A point of the curve maps back to a parameter with that point.
        const double u = start + (end - start) * std::uniform_real_distribution<double>(0, 1)(rng);
        MPoint q, back;
        fn.getPointAtParam(u, q);
        double param = -1;
        ASSERT_TRUE(fn.getParamAtPoint(q, param, 1e-6));
        fn.getPointAtParam(param, back);
        EXPECT_LT(back.distanceTo(q), 1e-7);
    }
}

TEST(NurbsCurveQuery, LineLengthAndParamRefusal)
{
    // CVs evenly on a line: the length is the end-to-end distance, and a
    // length along it lands that far from the start.
    MFnNurbsCurve line;
    MakeCurve(line, Points({{0, 0, 0}, {1, 2, 2}, {2, 4, 4}, {3, 6, 6}, {4, 8, 8}}),
              Knots({0, 0, 0, 1, 2, 2, 2}), 3);
    EXPECT_NEAR(line.length(), 12.0, 1e-12);
    for (const double l : {0.5, 6.0, 11.9})
    {
        MPoint p;
        line.getPointAtParam(line.findParamFromLength(l), p);
        EXPECT_NEAR(p.distanceTo(MPoint::origin), l, 1e-10);
    }
    // 0.01 away from a Bezier curve along its normal: a point found within a
    // looser tolerance only, the parameter untouched on refusal.
    MFnNurbsCurve fn;
    MakeCurve(fn, Points({{0, 0, 0}, {1, 2, 0}, {3, 2, 0}, {4, 0, 1}}), Knots({0, 0, 0, 1, 1, 1}), 3);
    MPoint off;
    fn.getPointAtParam(0.5, off);
    off -= 0.01 * fn.normal(0.5);
    double param = 42;
    const MStatus status = fn.getParamAtPoint(off, param, 1e-3);
    EXPECT_EQ(status, MS::kFailure);
    EXPECT_NE(std::string(status.errorString().asChar()).find("farther than the tolerance"),
              std::string::npos);
    EXPECT_EQ(param, 42.0);
    EXPECT_TRUE(fn.getParamAtPoint(off, param, 0.02));
    EXPECT_NEAR(param, 0.5, 1e-9);
    EXPECT_NEAR(fn.distanceToPoint(off), 0.01, 1e-12);
}

TEST(NurbsCurveQuery, PeriodicCircleAndClosedSquare)
{
    // Eight CVs on a circle of radius 10, the first three repeated: a uniform
    // periodic cubic over params 0..8.
    std::vector<MPoint> ring;
    for (int i = 0; i < 8; ++i)
        ring.emplace_back(10 * std::cos(i * M_PI / 4), 10 * std::sin(i * M_PI / 4), 0.0);
    MPointArray cvs;
    MDoubleArray knots;
    for (int i = 0; i < 11; ++i)
        cvs.append(ring[i % 8]);
    for (int i = 0; i < 13; ++i)
        knots.append(i - 2.0);
    MFnNurbsCurve fn;
    MakeCurve(fn, cvs, knots, 3, MFnNurbsCurve::kPeriodic);
    EXPECT_EQ(fn.numSpans(), 8);
    for (int i = 0; i <= 8; ++i)
    {
        // At knot i the uniform cubic sits at (P_i + 4 P_i+1 + P_i+2) / 6.
        const MVector expected =
            (MVector(ring[i % 8]) + 4 * MVector(ring[(i + 1) % 8]) + MVector(ring[(i + 2) % 8])) / 6;
        MPoint p;
        fn.getPointAtParam(i, p);
        EXPECT_TRUE(p.isEquivalent(MPoint(expected), 1e-12)) << i;
    }
    EXPECT_TRUE(fn.tangent(0.0).isEquivalent(fn.tangent(8.0), 1e-12)); // smooth across the seam
    // Near the seam, and at the centre where every span is nearly as close.
    const std::vector<MPoint> samples = Samples(fn, 5000);
    for (const MPoint& q : {MPoint(12, -0.3, 1), MPoint(12, 0.3, -1), MPoint(0, 0, 0), MPoint(0.1, 0.2, 5)})
    {
        const double sampled = SampledDistance(samples, q);
        EXPECT_LE(fn.closestPoint(q, nullptr, 0.0).distanceTo(q), sampled + 1e-10);
        EXPECT_GT(fn.closestPoint(q, nullptr, 0.0).distanceTo(q), sampled - 1e-3);
    }
    // A closed polyline square.
    MFnNurbsCurve square;
    MakeCurve(square, Points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}}), Knots({0, 1, 2, 3, 4}),
              1, MFnNurbsCurve::kClosed);
    EXPECT_NEAR(square.length(), 4.0, 1e-13);
    EXPECT_NEAR(square.findParamFromLength(2.5), 2.5, 1e-12);
}
