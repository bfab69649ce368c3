#pragma once
/// \file NurbsCurve.h
/// The geometry of a non-rational NURBS curve and the tables that make its
/// queries fast: per-span polynomial forms, a bounding hierarchy over the
/// spans for closest-point searches and an arc-length table. A curve is
/// immutable once built, so any number of threads may query it at once.

#include <maya/MDoubleArray.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>

#include <memory>
#include <vector>

namespace vxhost
{

/// A point on a curve nearest to a query point.
struct CurveClosestPoint
{
    MPoint point;
    double param = 0.0;
    double distance = 0.0;
};

/// A status with the given code and a printf-style description.
__attribute__((format(printf, 2, 3))) MStatus CurveStatus(MStatus::MStatusCode code, const char* format, ...);

class NurbsCurve
{
public:
    /// Maya's largest curve degree; fixed-size working arrays rely on it.
    static constexpr int kMaxDegree = 7;

    /// Same numbering as MFnNurbsCurve::Form.
    enum class Form
    {
        kOpen = 1,
        kClosed = 2,
        kPeriodic = 3
    };

    /// Checks the description and builds the curve with all its tables.
    /// knots follow Maya's convention (numCVs + degree - 1 values). CVs are
    /// cartesian positions (w is ignored). On failure outCurve is left empty
    /// and the status (kInvalidParameter) says what is wrong.
    static MStatus Create(const MPointArray& cvs, const MDoubleArray& knots, unsigned int degree, Form form,
                          std::shared_ptr<const NurbsCurve>& outCurve);

    int Degree() const { return fDegree; }
    Form GetForm() const { return fForm; }
    int NumCVs() const { return static_cast<int>(fCVs.size()); }
    /// numCVs - degree, as Maya counts spans (for periodic curves too).
    int NumSpans() const { return NumCVs() - fDegree; }
    int NumKnots() const { return static_cast<int>(fKnots.size()); }
    const std::vector<MPoint>& CVs() const { return fCVs; }
    /// Maya's knots (without the two outermost knots of the textbook vector).
    const std::vector<double>& Knots() const { return fKnots; }
    double DomainStart() const { return fSpans.front().t0; }
    double DomainEnd() const { return fSpans.back().t1; }
    /// True when every CV is at the same place: the curve is a single point.
    bool IsZeroLength() const { return fExtent == 0.0; }

    /// The parameter clamped to the knot domain.
    double ClampParam(double u) const;
    /// Position and derivatives with respect to the parameter, orders 0 to
    /// maxOrder (at most kMaxDegree; orders above the degree are zero), by de
    /// Boor's algorithm on derivative control points. u is clamped to the
    /// domain; at a knot the derivatives of the span starting there are
    /// returned, at the domain end those of the last span.
    void Evaluate(double u, int maxOrder, MVector* outDerivatives) const;
    MPoint PointAt(double u) const;
    /// The unit direction of travel at u. Where the first derivative vanishes
    /// (coincident CVs) the first non-zero higher derivative gives the limit
    /// direction. False for a zero-length curve.
    bool TangentAt(double u, MVector& outTangent) const;
    /// The unit principal normal at u (towards the centre of curvature). On
    /// straight parts, where it is undefined, the component of the world axis
    /// least aligned with the tangent that is perpendicular to the tangent.
    /// False for a zero-length curve.
    bool NormalAt(double u, MVector& outNormal) const;

    /// The nearest point of the curve to q. Its distance exceeds the true
    /// nearest distance by at most tolerance (>= 0). No allocation; q must be
    /// finite.
    CurveClosestPoint ClosestPoint(const MPoint& q, double tolerance) const;

    /// Total arc length (accurate to about 1e-12 relative).
    double Length() const { return fLength; }
    /// Arc length from the domain start to u (clamped).
    double LengthAtParam(double u) const;
    /// The parameter at which the arc length from the start is length,
    /// clamped to [0, Length()]; the domain start for a zero-length curve.
    double ParamAtLength(double length) const;

private:
    /// A knot interval of positive length inside the domain.
    struct Span
    {
        double t0 = 0.0;
        double t1 = 0.0;
        /// Index s of the textbook knot vector with U[s] <= u < U[s+1].
        int knotSpan = 0;
        /// Centre of the Bezier hull's box: closest-point polynomials are
        /// taken relative to it to keep cancellation low far from the origin.
        MVector centre;
        MVector boxMin;
        MVector boxMax;
        /// The span's ends (cached points of the curve).
        MVector start;
        MVector end;
    };
    /// Node of the bounding hierarchy over consecutive spans.
    struct Node
    {
        MVector boxMin;
        MVector boxMax;
        int left = -1; ///< -1 for a leaf
        int right = -1;
        int span = -1; ///< the leaf's span
    };
    /// A stretch of one span whose arc length is tabulated.
    struct LengthPiece
    {
        double s0 = 0.0; ///< local span parameter, 0 to 1
        double s1 = 0.0;
        double before = 0.0; ///< arc length from the domain start to s0
        int span = 0;
    };

    NurbsCurve() = default;
    void BuildSpans();
    int BuildHierarchy(int first, int last);
    void BuildLengthTable();
    void AddLengthPieces(int span, double s0, double s1, double estimate, int depth);

    // The helpers declared inline are defined in NurbsCurve.cpp, the only
    // file that calls them: inline, they are not interposable in the shared
    // library, so the compiler may fold them into the per-query loops.

    /// Index into fSpans of the span holding u (already clamped).
    inline int FindSpan(double u) const;
    /// Derivatives minOrder..maxOrder of the span at u into outDerivatives[k];
    /// the lower orders are left unwritten (and cost nothing).
    void EvaluateInSpan(int knotSpan, double u, int maxOrder, MVector* outDerivatives,
                        int minOrder = 0) const;

    /// Span polynomial (local parameter s in [0, 1]) and its first two
    /// derivatives with respect to s.
    inline void SpanPoint(int span, double s, MVector& outPoint) const;
    inline void SpanDerivatives(int span, double s, MVector& outPoint, MVector& outD1, MVector& outD2) const;
    inline double SpanSpeed(int span, double s) const;
    double SpanArcLength(int span, double s0, double s1) const;
    inline double ParamFromLocal(int span, double s) const;

    struct Search;
    inline void SearchSpan(int span, Search& search) const;
    void IsolateMinima(int span, const double* coefficients, double a, double b, int depth,
                       Search& search) const;
    inline void RefineMinimum(int span, double a, double b, double ga, double gb, Search& search) const;

    int fDegree = 1;
    Form fForm = Form::kOpen;
    std::vector<MPoint> fCVs;
    std::vector<double> fKnots;
    /// Textbook knot vector: Maya's knots with one knot added at each end.
    std::vector<double> fU;
    /// Largest distance of a CV from the first one: 0 for a point-like curve.
    double fExtent = 0.0;

    std::vector<Span> fSpans;
    /// Per span, fDegree + 1 power-basis coefficients in s.
    std::vector<MVector> fPower;
    /// Per span, 2 * fDegree Bernstein coefficients of the closest-point
    /// condition g(s) = (C(s) - q) . C'(s) = a_k - (q - centre) . b_k.
    std::vector<double> fRootA;
    std::vector<MVector> fRootB;
    std::vector<Node> fNodes;

    std::vector<LengthPiece> fPieces;
    std::vector<int> fFirstPiece; ///< per span, plus one past the end
    double fLength = 0.0;
};

} // namespace vxhost
