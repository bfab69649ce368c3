#include "NurbsCurve.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace vxhost
{
namespace
{
constexpr int kMaxCoefficients = 2 * NurbsCurve::kMaxDegree;
/// Subdivision depth after which a stretch of the closest-point condition
/// that still shows several sign changes (a multiple root) is settled by its
/// midpoint: the stretch is then 2^-40 of a span long.
constexpr int kMaxIsolationDepth = 40;
/// Depth limit of the arc-length subdivision; only reached next to cusps.
constexpr int kMaxLengthDepth = 24;
/// The largest CV coordinate taken (10 million km in centimetres). The
/// queries square distances and speeds; from CVs inside this bound those
/// stay far from overflow, so lengths and closest points stay finite.
constexpr double kMaxCoordinate = 1e15;

/// Positive half of the 8-point Gauss-Legendre rule on [-1, 1].
constexpr double kGaussNodes[4] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136268,
                                   0.9602898564975363};
constexpr double kGaussWeights[4] = {0.3626837833783620, 0.3137066458778874, 0.2223810344533745,
                                     0.1012285362903762};

double Binomial(int n, int k)
{
    double result = 1.0;
    for (int i = 1; i <= k; ++i)
        result = result * (n - k + i) / i;
    return result;
}

bool IsFinite(const MPoint& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

MVector Min(const MVector& a, const MVector& b)
{
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}

MVector Max(const MVector& a, const MVector& b)
{
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

/// de Casteljau split at the middle of the m Bernstein coefficients g.
void SplitBernstein(const double* g, int m, double* outLeft, double* outRight)
{
    double work[kMaxCoefficients];
    std::copy(g, g + m, work);
    outLeft[0] = work[0];
    outRight[m - 1] = work[m - 1];
    for (int level = 1; level < m; ++level)
    {
        for (int i = 0; i < m - level; ++i)
            work[i] = 0.5 * (work[i] + work[i + 1]);
        outLeft[level] = work[0];
        outRight[m - 1 - level] = work[m - 1 - level];
    }
}

/// How far v lies outside [lo, hi] (0 inside).
inline double Outside(double v, double lo, double hi)
{
    return v < lo ? lo - v : (v > hi ? v - hi : 0.0);
}

/// Squared distance from q to the box (0 inside it).
inline double BoxDistance2(const MVector& boxMin, const MVector& boxMax, const MVector& q)
{
    const double dx = Outside(q.x, boxMin.x, boxMax.x);
    const double dy = Outside(q.y, boxMin.y, boxMax.y);
    const double dz = Outside(q.z, boxMin.z, boxMax.z);
    return dx * dx + dy * dy + dz * dz;
}
} // namespace

MStatus CurveStatus(MStatus::MStatusCode code, const char* format, ...)
{
    char text[320];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return MStatus(code, MString(text));
}

/// The state of one closest-point query; it lives on the caller's stack so
/// that queries on a shared curve never write to shared memory.
struct NurbsCurve::Search
{
    MVector q;
    double tolerance = 0.0;
    /// Step length (in distance) below which Newton refinement stops, squared.
    double stopStep2 = 0.0;
    double best2 = std::numeric_limits<double>::infinity();
    /// Boxes at least this far (squared) cannot improve the answer by more
    /// than the tolerance.
    double prune2 = std::numeric_limits<double>::infinity();
    int bestSpan = 0;
    double bestS = 0.0;
    MVector bestPoint;

    void Consider(int span, double s, const MVector& point)
    {
        const MVector d = point - q;
        const double d2 = d * d;
        if (d2 < best2)
        {
            best2 = d2;
            bestSpan = span;
            bestS = s;
            bestPoint = point;
            const double reach = std::max(std::sqrt(d2) - tolerance, 0.0);
            prune2 = reach * reach;
        }
    }
};

MStatus NurbsCurve::Create(const MPointArray& cvs, const MDoubleArray& knots, unsigned int degreeIn,
                           Form form, std::shared_ptr<const NurbsCurve>& outCurve)
{
    outCurve.reset();
    if (degreeIn < 1 || degreeIn > kMaxDegree)
        return CurveStatus(MStatus::kInvalidParameter, "Curve degree must be between 1 and %d, got %u",
                           kMaxDegree, degreeIn);
    const int degree = static_cast<int>(degreeIn);
    const int numCVs = static_cast<int>(cvs.length());
    if (numCVs < degree + 1)
        return CurveStatus(MStatus::kInvalidParameter, "A curve of degree %d needs at least %d CVs, got %d",
                           degree, degree + 1, numCVs);
    const int numKnots = numCVs + degree - 1;
    if (static_cast<int>(knots.length()) != numKnots)
        return CurveStatus(
            MStatus::kInvalidParameter,
            "A curve of degree %d with %d CVs needs %d knots (number of CVs + degree - 1), got %u", degree,
            numCVs, numKnots, knots.length());
    for (int i = 0; i < numCVs; ++i)
    {
        if (!IsFinite(cvs[i]))
            return CurveStatus(MStatus::kInvalidParameter, "CV %d is not a finite point", i);
        if (std::max({std::fabs(cvs[i].x), std::fabs(cvs[i].y), std::fabs(cvs[i].z)}) > kMaxCoordinate)
            return CurveStatus(MStatus::kInvalidParameter,
                               "CV %d (%g, %g, %g) lies too far out: coordinates are limited to %g", i,
                               cvs[i].x, cvs[i].y, cvs[i].z, kMaxCoordinate);
    }
    for (int i = 0; i < numKnots; ++i)
    {
        if (!std::isfinite(knots[i]))
            return CurveStatus(MStatus::kInvalidParameter, "Knot %d is not a finite number", i);
        if (i > 0 && knots[i] < knots[i - 1])
            return CurveStatus(MStatus::kInvalidParameter,
                               "Knots must not decrease: knot %d (%g) is less than knot %d (%g)", i, knots[i],
                               i - 1, knots[i - 1]);
    }
    // A knot repeated more than degree times would break the curve apart.
    for (int i = 0, run = 1; i + 1 < numKnots; ++i)
    {
        run = knots[i + 1] == knots[i] ? run + 1 : 1;
        if (run > degree)
            return CurveStatus(MStatus::kInvalidParameter,
                               "Knot value %g repeats %d times; a curve of degree %d allows at most %d",
                               knots[i], run, degree, degree);
    }
    const double start = knots[degree - 1];
    const double end = knots[numCVs - 1];
    if (!(start < end))
        return CurveStatus(MStatus::kInvalidParameter, "The knots leave an empty parameter range [%g, %g]",
                           start, end);

    std::shared_ptr<NurbsCurve> curve(new NurbsCurve());
    curve->fDegree = degree;
    curve->fForm = form;
    curve->fCVs.reserve(numCVs);
    for (const MPoint& cv : cvs)
    {
        curve->fCVs.emplace_back(cv.x, cv.y, cv.z);
        curve->fExtent = std::max(curve->fExtent, curve->fCVs.back().distanceTo(curve->fCVs.front()));
    }
    curve->fKnots.assign(knots.begin(), knots.end());
    curve->fU.reserve(numKnots + 2);
    curve->fU.push_back(knots[0]);
    curve->fU.insert(curve->fU.end(), knots.begin(), knots.end());
    curve->fU.push_back(knots[numKnots - 1]);

    // Coincidence tests are relative to the curve's size: CVs typed in or
    // computed in single precision are not bit-identical.
    const double closeEnough = 1e-6 * curve->fExtent;
    if (form == Form::kPeriodic)
    {
        if (numCVs < 2 * degree)
            return CurveStatus(
                MStatus::kInvalidParameter,
                "A periodic curve of degree %d needs at least %d CVs (its first %d repeated at the end), "
                "got %d",
                degree, 2 * degree, degree, numCVs);
        for (int i = 0; i < degree; ++i)
            if (curve->fCVs[numCVs - degree + i].distanceTo(curve->fCVs[i]) > closeEnough)
                return CurveStatus(
                    MStatus::kInvalidParameter,
                    "A periodic curve of degree %d must repeat its first %d CVs as its last %d: CV %d "
                    "differs from CV %d",
                    degree, degree, degree, numCVs - degree + i, i);
        // The knot spacing has to repeat with the period for the curve to be
        // as smooth across its seam as anywhere else.
        const int period = numCVs - degree;
        const double spacingTolerance = 1e-9 * (end - start);
        for (int i = 0; i + period + 1 < numKnots; ++i)
        {
            const double here = knots[i + 1] - knots[i];
            const double there = knots[i + period + 1] - knots[i + period];
            if (std::fabs(here - there) > spacingTolerance)
                return CurveStatus(
                    MStatus::kInvalidParameter,
                    "A periodic curve's knot spacing must repeat every %d knots: knots %d to %d are %g "
                    "apart, knots %d to %d are %g apart",
                    period, i, i + 1, here, i + period, i + period + 1, there);
        }
    }

    curve->BuildSpans();
    if (form == Form::kClosed)
    {
        const double gap = (curve->fSpans.front().start - curve->fSpans.back().end).length();
        if (gap > closeEnough)
            return CurveStatus(MStatus::kInvalidParameter,
                               "A closed curve must end where it starts; its ends are %g apart", gap);
    }
    curve->fNodes.reserve(2 * curve->fSpans.size() - 1);
    curve->BuildHierarchy(0, static_cast<int>(curve->fSpans.size()) - 1);
    curve->BuildLengthTable();
    // Knots crowded next to each other make speeds that overflow even from
    // CVs in bounds.
    if (!std::isfinite(curve->fLength))
        return CurveStatus(MStatus::kInvalidParameter,
                           "The curve's length overflows: its knots are too close together for its CVs");
    outCurve = std::move(curve);
    return MStatus::kSuccess;
}

void NurbsCurve::BuildSpans()
{
    const int p = fDegree;
    const int m = 2 * p;
    // Weights of the Bernstein product (degree p times degree p - 1).
    double productWeight[kMaxDegree + 1][kMaxDegree];
    for (int i = 0; i <= p; ++i)
        for (int j = 0; j < p; ++j)
            productWeight[i][j] = Binomial(p, i) * Binomial(p - 1, j) / Binomial(m - 1, i + j);

    for (int s = p; s < NumCVs(); ++s)
    {
        if (!(fU[s] < fU[s + 1]))
            continue;
        Span span;
        span.t0 = fU[s];
        span.t1 = fU[s + 1];
        span.knotSpan = s;

        // Power basis in s = (u - t0) / h from the derivatives at the span
        // start: c_k = h^k C^(k)(t0) / k!.
        MVector derivatives[kMaxDegree + 1];
        EvaluateInSpan(s, span.t0, p, derivatives);
        const double h = span.t1 - span.t0;
        double factor = 1.0;
        for (int k = 0; k <= p; ++k)
        {
            if (k > 0)
                factor *= h / k;
            fPower.push_back(derivatives[k] * factor);
        }
        const MVector* c = &fPower[fPower.size() - (p + 1)];

        // Bezier points of the span: their hull bounds it tighter than the
        // span's B-spline CVs do.
        MVector bezier[kMaxDegree + 1];
        for (int i = 0; i <= p; ++i)
        {
            bezier[i] = MVector();
            for (int k = 0; k <= i; ++k)
                bezier[i] += c[k] * (Binomial(i, k) / Binomial(p, k));
        }
        span.boxMin = span.boxMax = bezier[0];
        for (int i = 1; i <= p; ++i)
        {
            span.boxMin = Min(span.boxMin, bezier[i]);
            span.boxMax = Max(span.boxMax, bezier[i]);
        }
        span.centre = (span.boxMin + span.boxMax) * 0.5;
        span.start = derivatives[0];
        EvaluateInSpan(s, span.t1, 0, derivatives);
        span.end = derivatives[0];

        // g(s) = (C(s) - q) . C'(s) in Bernstein form of degree 2p - 1, split
        // into query-independent scalar coefficients and vector coefficients
        // that a query dots with its point.
        MVector offset[kMaxDegree + 1];
        MVector velocity[kMaxDegree];
        for (int i = 0; i <= p; ++i)
            offset[i] = bezier[i] - span.centre;
        for (int j = 0; j < p; ++j)
            velocity[j] = (bezier[j + 1] - bezier[j]) * p;
        const size_t first = fRootA.size();
        fRootA.resize(first + m, 0.0);
        fRootB.resize(first + m, MVector());
        for (int i = 0; i <= p; ++i)
            for (int j = 0; j < p; ++j)
            {
                fRootA[first + i + j] += productWeight[i][j] * (offset[i] * velocity[j]);
                fRootB[first + i + j] += velocity[j] * productWeight[i][j];
            }
        fSpans.push_back(span);
    }
}

int NurbsCurve::BuildHierarchy(int first, int last)
{
    const int index = static_cast<int>(fNodes.size());
    fNodes.emplace_back();
    if (first == last)
    {
        fNodes[index].boxMin = fSpans[first].boxMin;
        fNodes[index].boxMax = fSpans[first].boxMax;
        fNodes[index].span = first;
        return index;
    }
    // Consecutive spans lie close together, so halving the run keeps the
    // boxes small without a spatial sort.
    const int middle = (first + last) / 2;
    const int left = BuildHierarchy(first, middle);
    const int right = BuildHierarchy(middle + 1, last);
    Node& node = fNodes[index];
    node.left = left;
    node.right = right;
    node.boxMin = Min(fNodes[left].boxMin, fNodes[right].boxMin);
    node.boxMax = Max(fNodes[left].boxMax, fNodes[right].boxMax);
    return index;
}

void NurbsCurve::BuildLengthTable()
{
    fFirstPiece.clear();
    for (int span = 0; span < static_cast<int>(fSpans.size()); ++span)
    {
        fFirstPiece.push_back(static_cast<int>(fPieces.size()));
        AddLengthPieces(span, 0.0, 1.0, SpanArcLength(span, 0.0, 1.0), 0);
    }
    fFirstPiece.push_back(static_cast<int>(fPieces.size()));
    // AddLengthPieces left each piece's own length in `before`.
    double total = 0.0;
    for (LengthPiece& piece : fPieces)
    {
        const double length = piece.before;
        piece.before = total;
        total += length;
    }
    fLength = total;
}

void NurbsCurve::AddLengthPieces(int span, double s0, double s1, double estimate, int depth)
{
    const double middle = 0.5 * (s0 + s1);
    const double left = SpanArcLength(span, s0, middle);
    const double right = SpanArcLength(span, middle, s1);
    // Halves that agree with the whole to 1e-12 show that the rule resolves
    // the speed here, so the halves (and any stretch inside them, which the
    // length-to-parameter search integrates) are accurate.
    // A length that is not finite cannot converge: stop here, and Create
    // refuses the curve.
    if (std::fabs(left + right - estimate) <= 1e-12 * (left + right) || depth >= kMaxLengthDepth ||
        !std::isfinite(left + right))
    {
        fPieces.push_back({s0, middle, left, span});
        fPieces.push_back({middle, s1, right, span});
        return;
    }
    AddLengthPieces(span, s0, middle, left, depth + 1);
    AddLengthPieces(span, middle, s1, right, depth + 1);
}

double NurbsCurve::ClampParam(double u) const
{
    return std::clamp(u, DomainStart(), DomainEnd());
}

inline int NurbsCurve::FindSpan(double u) const
{
    const auto after = std::upper_bound(fSpans.begin(), fSpans.end(), u,
                                        [](double value, const Span& s) { return value < s.t0; });
    return std::max(static_cast<int>(after - fSpans.begin()) - 1, 0);
}

void NurbsCurve::Evaluate(double u, int maxOrder, MVector* outDerivatives) const
{
    u = ClampParam(u);
    EvaluateInSpan(fSpans[FindSpan(u)].knotSpan, u, maxOrder, outDerivatives);
}

MPoint NurbsCurve::PointAt(double u) const
{
    MVector point;
    Evaluate(u, 0, &point);
    return point;
}

void NurbsCurve::EvaluateInSpan(int s, double u, int maxOrder, MVector* outDerivatives, int minOrder) const
{
    const int p = fDegree;
    // The k-th derivative is a B-spline of degree p - k on the same knots
    // whose CVs are scaled differences of those of the (k-1)-th; only the
    // p - k + 1 CVs that act on span s are formed.
    MVector cvs[kMaxDegree + 1];
    for (int i = 0; i <= p; ++i)
        cvs[i] = fCVs[s - p + i];
    for (int k = 0; k <= maxOrder; ++k)
    {
        if (k > p)
        {
            outDerivatives[k] = MVector();
            continue;
        }
        if (k > 0)
            for (int i = 0; i <= p - k; ++i)
            {
                const int cv = s - p + i;
                cvs[i] = (cvs[i + 1] - cvs[i]) * ((p - k + 1) / (fU[cv + p + 1] - fU[cv + k]));
            }
        if (k < minOrder)
            continue;
        // de Boor's algorithm, degree r.
        const int r = p - k;
        MVector d[kMaxDegree + 1];
        for (int j = 0; j <= r; ++j)
            d[j] = cvs[j];
        for (int level = 1; level <= r; ++level)
            for (int j = r; j >= level; --j)
            {
                const double left = fU[j + s - r];
                const double right = fU[j + 1 + s - level];
                const double alpha = (u - left) / (right - left);
                d[j] = d[j - 1] * (1.0 - alpha) + d[j] * alpha;
            }
        outDerivatives[k] = d[r];
    }
}

bool NurbsCurve::TangentAt(double u, MVector& outTangent) const
{
    if (IsZeroLength())
        return false;
    u = ClampParam(u);
    const int index = FindSpan(u);
    const Span& span = fSpans[index];
    // The first derivative nearly always decides: from the span's power
    // form it costs a few multiplications, against de Boor's divisions.
    {
        const double h = span.t1 - span.t0;
        const double s = std::clamp((u - span.t0) / h, 0.0, 1.0);
        const MVector* c = &fPower[index * (fDegree + 1)];
        MVector d1 = c[fDegree] * fDegree;
        for (int k = fDegree - 1; k >= 1; --k)
            d1 = d1 * s + c[k] * k;
        if (d1.length() > 1e-12 * fExtent)
        {
            outTangent = d1.normal();
            return true;
        }
    }
    MVector d[kMaxDegree + 1];
    EvaluateInSpan(span.knotSpan, u, fDegree, d, 1);
    // At the domain end the derivatives are the last span's, i.e. taken
    // from the left, where the k-th derivative points along the direction
    // of travel times (-1)^(k+1).
    const bool fromLeft = u >= DomainEnd();
    const double h = span.t1 - span.t0;
    double threshold = 1e-12 * fExtent;
    for (int k = 1; k <= fDegree; ++k)
    {
        // A k-th derivative scales like extent / h^k; below this it is
        // rounding noise of coincident CVs.
        threshold /= h;
        if (d[k].length() > threshold)
        {
            outTangent = (fromLeft && k % 2 == 0 ? -d[k] : d[k]).normal();
            return true;
        }
    }
    return false;
}

bool NurbsCurve::NormalAt(double u, MVector& outNormal) const
{
    MVector tangent;
    if (!TangentAt(u, tangent))
        return false;
    MVector d[3];
    Evaluate(u, 2, d);
    const double speed2 = d[1] * d[1];
    const MVector bend = d[2] - tangent * (d[2] * tangent);
    // Curvature |bend| / speed^2 below 1e-9 of the curve's size counts as
    // straight (also where the first derivative vanishes).
    if (speed2 > 0.0 && bend.length() * fExtent > 1e-9 * speed2)
    {
        outNormal = bend.normal();
        return true;
    }
    const double ax = std::fabs(tangent.x), ay = std::fabs(tangent.y), az = std::fabs(tangent.z);
    const MVector axis =
        ax <= ay && ax <= az ? MVector(1, 0, 0) : (ay <= az ? MVector(0, 1, 0) : MVector(0, 0, 1));
    outNormal = (axis - tangent * (axis * tangent)).normal();
    return true;
}

inline void NurbsCurve::SpanPoint(int span, double s, MVector& outPoint) const
{
    const MVector* c = &fPower[span * (fDegree + 1)];
    MVector point = c[fDegree];
    for (int k = fDegree - 1; k >= 0; --k)
        point = point * s + c[k];
    outPoint = point;
}

inline void NurbsCurve::SpanDerivatives(int span, double s, MVector& outPoint, MVector& outD1,
                                        MVector& outD2) const
{
    const MVector* c = &fPower[span * (fDegree + 1)];
    MVector point = c[fDegree];
    MVector d1;
    MVector half2; // half the second derivative, as Horner's scheme builds it
    for (int k = fDegree - 1; k >= 0; --k)
    {
        half2 = half2 * s + d1;
        d1 = d1 * s + point;
        point = point * s + c[k];
    }
    outPoint = point;
    outD1 = d1;
    outD2 = half2 * 2.0;
}

inline double NurbsCurve::SpanSpeed(int span, double s) const
{
    const MVector* c = &fPower[span * (fDegree + 1)];
    MVector d1 = c[fDegree] * fDegree;
    for (int k = fDegree - 1; k >= 1; --k)
        d1 = d1 * s + c[k] * k;
    return d1.length();
}

double NurbsCurve::SpanArcLength(int span, double s0, double s1) const
{
    const double half = 0.5 * (s1 - s0);
    const double middle = 0.5 * (s0 + s1);
    double sum = 0.0;
    for (int i = 0; i < 4; ++i)
        sum += kGaussWeights[i] * (SpanSpeed(span, middle - half * kGaussNodes[i]) +
                                   SpanSpeed(span, middle + half * kGaussNodes[i]));
    return sum * half;
}

inline double NurbsCurve::ParamFromLocal(int span, double s) const
{
    const Span& sp = fSpans[span];
    if (s <= 0.0)
        return sp.t0;
    if (s >= 1.0)
        return sp.t1;
    return std::min(sp.t0 + s * (sp.t1 - sp.t0), sp.t1);
}

CurveClosestPoint NurbsCurve::ClosestPoint(const MPoint& q, double tolerance) const
{
    Search search;
    search.q = MVector(q);
    search.tolerance = tolerance > 0.0 ? tolerance : 0.0;
    const double stopStep = std::max(1e-6 * search.tolerance, 1e-14 * fExtent);
    search.stopStep2 = stopStep * stopStep;

    // Best-first descent of the span hierarchy: the nearer child is searched
    // first so that a good answer prunes the rest early.
    struct Entry
    {
        int node;
        double distance2;
    };
    Entry stack[64]; // a balanced tree over any int count of spans is shallower
    int top = 0;
    stack[top++] = {0, BoxDistance2(fNodes[0].boxMin, fNodes[0].boxMax, search.q)};
    while (top > 0)
    {
        const Entry entry = stack[--top];
        if (entry.distance2 >= search.prune2)
            continue;
        const Node& node = fNodes[entry.node];
        if (node.left < 0)
        {
            SearchSpan(node.span, search);
            continue;
        }
        const Node& left = fNodes[node.left];
        const Node& right = fNodes[node.right];
        const Entry l{node.left, BoxDistance2(left.boxMin, left.boxMax, search.q)};
        const Entry r{node.right, BoxDistance2(right.boxMin, right.boxMax, search.q)};
        const Entry& nearer = l.distance2 <= r.distance2 ? l : r;
        const Entry& farther = l.distance2 <= r.distance2 ? r : l;
        if (farther.distance2 < search.prune2)
            stack[top++] = farther;
        if (nearer.distance2 < search.prune2)
            stack[top++] = nearer;
    }

    CurveClosestPoint result;
    result.point = search.bestPoint;
    result.param = ParamFromLocal(search.bestSpan, search.bestS);
    result.distance = std::sqrt(search.best2);
    return result;
}

inline void NurbsCurve::SearchSpan(int span, Search& search) const
{
    const int m = 2 * fDegree;
    const Span& sp = fSpans[span];
    const MVector local = search.q - sp.centre;
    const double* a = &fRootA[span * m];
    const MVector* b = &fRootB[span * m];
    double g[kMaxCoefficients];
    for (int k = 0; k < m; ++k)
        g[k] = a[k] - local * b[k];
    search.Consider(span, 0.0, sp.start);
    search.Consider(span, 1.0, sp.end);
    IsolateMinima(span, g, 0.0, 1.0, 0, search);
}

void NurbsCurve::IsolateMinima(int span, const double* g, double a, double b, int depth, Search& search) const
{
    // Bernstein coefficients bound the number of roots (variation
    // diminishing): no sign change means no interior critical point of the
    // distance, a single change from - to + means exactly one, a minimum.
    const int m = 2 * fDegree;
    int changes = 0;
    int firstSign = 0;
    int lastSign = 0;
    for (int k = 0; k < m; ++k)
    {
        const int sign = (g[k] > 0.0) - (g[k] < 0.0);
        if (sign == 0)
            continue;
        if (firstSign == 0)
            firstSign = sign;
        else if (sign != lastSign)
            ++changes;
        lastSign = sign;
    }
    if (changes == 0)
        return;
    if (changes == 1)
    {
        if (firstSign < 0)
            RefineMinimum(span, a, b, g[0], g[m - 1], search);
        return;
    }
    const double middle = 0.5 * (a + b);
    if (depth >= kMaxIsolationDepth)
    {
        MVector point;
        SpanPoint(span, middle, point);
        search.Consider(span, middle, point);
        return;
    }
    double left[kMaxCoefficients];
    double right[kMaxCoefficients];
    SplitBernstein(g, m, left, right);
    IsolateMinima(span, left, a, middle, depth + 1, search);
    IsolateMinima(span, right, middle, b, depth + 1, search);
}

inline void NurbsCurve::RefineMinimum(int span, double a, double b, double ga, double gb,
                                      Search& search) const
{
    // Newton on g(s) = (C - q) . C', kept inside the bracket [lo, hi] where g
    // goes from - to +, with bisection whenever a step would leave it, so it
    // cannot diverge.
    double lo = a;
    double hi = b;
    double s = ga < 0.0 && gb > 0.0 ? a + (b - a) * (ga / (ga - gb)) : 0.5 * (a + b);
    MVector point, d1, d2;
    for (int iteration = 0; iteration < 100 && hi - lo > 1e-15; ++iteration)
    {
        SpanDerivatives(span, s, point, d1, d2);
        const MVector r = point - search.q;
        const double g = r * d1;
        if (g < 0.0)
            lo = s;
        else if (g > 0.0)
            hi = s;
        else
            break;
        const double slope = d1 * d1 + r * d2;
        if (slope > 0.0)
        {
            const double step = -g / slope;
            // Near the root the distance is flat, so once the remaining step
            // moves the point by less than the accuracy asked for, stop.
            if (step * step * (d1 * d1) <= search.stopStep2)
            {
                s = std::clamp(s + step, lo, hi);
                break;
            }
            if (s + step > lo && s + step < hi)
            {
                s += step;
                continue;
            }
        }
        s = 0.5 * (lo + hi);
    }
    SpanPoint(span, s, point);
    search.Consider(span, s, point);
}

double NurbsCurve::LengthAtParam(double u) const
{
    u = ClampParam(u);
    const int span = FindSpan(u);
    const Span& sp = fSpans[span];
    const double s = std::clamp((u - sp.t0) / (sp.t1 - sp.t0), 0.0, 1.0);
    const auto first = fPieces.begin() + fFirstPiece[span];
    const auto last = fPieces.begin() + fFirstPiece[span + 1];
    const auto after = std::upper_bound(
        first, last, s, [](double value, const LengthPiece& piece) { return value < piece.s0; });
    const LengthPiece& piece = *std::prev(after);
    return piece.before + SpanArcLength(span, piece.s0, s);
}

double NurbsCurve::ParamAtLength(double length) const
{
    if (!(length > 0.0) || !(fLength > 0.0))
        return DomainStart();
    if (length >= fLength)
        return DomainEnd();
    const auto after =
        std::upper_bound(fPieces.begin(), fPieces.end(), length,
                         [](double value, const LengthPiece& piece) { return value < piece.before; });
    const auto index = static_cast<size_t>(after - fPieces.begin()) - 1;
    const LengthPiece& piece = fPieces[index];
    const double pieceEnd = index + 1 < fPieces.size() ? fPieces[index + 1].before : fLength;
    const double target = length - piece.before;
    const double pieceLength = pieceEnd - piece.before;
    if (!(pieceLength > 0.0))
        return ParamFromLocal(piece.span, piece.s0);

    // Newton on F(s) = length(s0, s) - target, F' = speed, bracketed by the
    // piece so a vanishing speed falls back to bisection.
    double lo = piece.s0;
    double hi = piece.s1;
    double s = piece.s0 + (piece.s1 - piece.s0) * (target / pieceLength);
    for (int iteration = 0; iteration < 100 && hi - lo > 1e-15; ++iteration)
    {
        const double f = SpanArcLength(piece.span, piece.s0, s) - target;
        if (std::fabs(f) <= 1e-14 * fLength)
            break;
        if (f < 0.0)
            lo = s;
        else
            hi = s;
        const double speed = SpanSpeed(piece.span, s);
        const double next = speed > 0.0 ? s - f / speed : lo;
        s = next > lo && next < hi ? next : 0.5 * (lo + hi);
    }
    return ParamFromLocal(piece.span, s);
}

} // namespace vxhost
