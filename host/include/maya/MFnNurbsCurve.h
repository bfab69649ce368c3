#pragma once
/// \file MFnNurbsCurve.h
/// Function set for NURBS curves: creation and geometric queries.

#include <maya/MDoubleArray.h>
#include <maya/MFnBase.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

/// Maya's default tolerance of NURBS queries (closest point, length, ...).
#ifndef kMFnNurbsEpsilon
#define kMFnNurbsEpsilon 1.0e-3
#endif

namespace vxhost
{
class NurbsCurve;
class NurbsCurveData;
} // namespace vxhost

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Works on curve data objects (MFnNurbsCurveData::create). Knots follow
/// Maya's convention: a curve of degree N with C CVs has C + N - 1 knots (the
/// two outermost knots of the textbook vector are left out), so an open
/// cubic with 4 CVs has knots 0 0 0 1 1 1, and an open curve of degree N with
/// S spans has S + N CVs. A periodic curve of degree N repeats its first N
/// CVs at the end, and those count in numCVs() and getCVs().
///
/// A data object holds world coordinates (it stands for a curve shape's
/// worldSpace output), so MSpace::kObject and kWorld give the same answers.
/// Parameters outside the knot domain are clamped to it. Every call on a set
/// that is not attached to a curve fails with kInvalidParameter. The
/// queries are const and keep no state of their own, so several threads may
/// query one curve at once (through one function set or several).
class MFnNurbsCurve : public MFnBase
{
public:
    enum Form
    {
        kInvalid = 0,
        kOpen,     ///< ends apart
        kClosed,   ///< ends meet, possibly at a corner
        kPeriodic, ///< ends meet smoothly; the first degree CVs repeat at the end
        kLast
    };

    MFnNurbsCurve() = default;
    /// Attaches to object; fails with kInvalidParameter unless it is a curve.
    explicit MFnNurbsCurve(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kNurbsCurve; }
    MStatus setObject(const MObject& object) override;

    /// Makes a curve in parentOrOwner, a data object from
    /// MFnNurbsCurveData::create, and returns that object with the function
    /// set attached to it. With a null parentOrOwner a new data object is
    /// made and returned (the host has no DAG to put a curve shape in).
    /// Fails with kInvalidParameter, naming the problem, when degree < 1 (or
    /// above Maya's largest, 7), there are fewer than degree + 1 CVs, the
    /// knot count is not CVs + degree - 1, the knots decrease or repeat more
    /// than degree times, a kClosed curve's ends are apart, or a kPeriodic
    /// curve does not repeat its first degree CVs (and its knot spacing) at
    /// the end. create2D puts the curve in the XY plane (z = 0). Rational
    /// curves (a CV weight other than 1 with createRational) fail with
    /// kNotImplemented; without createRational the CVs' cartesian positions
    /// are used.
    MObject create(const MPointArray& controlVertices, const MDoubleArray& knotSequences, unsigned int degree,
                   Form form, bool create2D, bool createRational,
                   const MObject& parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = nullptr);

    /// Curve description.
    Form form(MStatus* ReturnStatus = nullptr) const;
    int degree(MStatus* ReturnStatus = nullptr) const;
    int numCVs(MStatus* ReturnStatus = nullptr) const;
    /// numCVs() - degree(), for every form.
    int numSpans(MStatus* ReturnStatus = nullptr) const;
    /// numCVs() + degree() - 1.
    int numKnots(MStatus* ReturnStatus = nullptr) const;
    /// The parameter range: knots degree - 1 and numCVs - 1.
    MStatus getKnotDomain(double& start, double& end) const;
    MStatus getKnots(MDoubleArray& array) const;
    /// Knot index; kInvalidParameter when out of range.
    double knot(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    MStatus getCVs(MPointArray& array, MSpace::Space space = MSpace::kObject) const;
    MStatus getCV(unsigned int index, MPoint& pt, MSpace::Space space = MSpace::kObject) const;
    /// Replaces every CV (same count, same checks as create). The curve's
    /// tables are rebuilt at once, so updateCurve() has nothing left to do.
    MStatus setCVs(const MPointArray& array, MSpace::Space space = MSpace::kObject);
    MStatus setCV(unsigned int index, const MPoint& pt, MSpace::Space space = MSpace::kObject);
    /// Maya's signal that CV edits are done; changes here apply immediately.
    MStatus updateCurve();

    /// Position at param (clamped to the knot domain).
    MStatus getPointAtParam(double param, MPoint& point, MSpace::Space space = MSpace::kObject) const;
    /// Position and first (optionally second) derivative with respect to the
    /// parameter (Maya's spelling).
    MStatus getDerivativesAtParm(double param, MPoint& pos, MVector& dU, MSpace::Space space,
                                 MVector* dUU = nullptr) const;
    /// Unit tangent in the direction of increasing parameter. Where the first
    /// derivative vanishes (coincident CVs) the limit direction is returned.
    /// Fails with kFailure on a zero-length curve, which has no direction.
    MVector tangent(double param, MSpace::Space space = MSpace::kObject,
                    MStatus* ReturnStatus = nullptr) const;
    /// Unit principal normal (towards the centre of curvature). On straight
    /// parts: the unit vector perpendicular to the tangent in the plane of the
    /// tangent and the world axis least aligned with it. Fails like tangent().
    MVector normal(double param, MSpace::Space space = MSpace::kObject,
                   MStatus* ReturnStatus = nullptr) const;

    /// The point of the curve nearest toThisPoint, and its parameter in
    /// *param when given. The distance to the returned point exceeds the true
    /// nearest distance by at most tolerance. Allocation-free.
    MPoint closestPoint(const MPoint& toThisPoint, double* param = nullptr,
                        double tolerance = kMFnNurbsEpsilon, MSpace::Space space = MSpace::kObject,
                        MStatus* ReturnStatus = nullptr) const;
    /// Distance from pt to the nearest point of the curve.
    double distanceToPoint(const MPoint& pt, MSpace::Space space = MSpace::kObject,
                           MStatus* ReturnStatus = nullptr) const;
    /// The parameter of the curve point nearest atThisPoint. Fails with
    /// kFailure (param unchanged) when that point is farther than tolerance.
    MStatus getParamAtPoint(const MPoint& atThisPoint, double& param,
                            MSpace::Space space = MSpace::kObject) const;
    MStatus getParamAtPoint(const MPoint& atThisPoint, double& param, double tolerance,
                            MSpace::Space space = MSpace::kObject) const;
    /// True when point is within tolerance of the curve.
    bool isPointOnCurve(const MPoint& point, double tolerance = kMFnNurbsEpsilon,
                        MSpace::Space space = MSpace::kObject, MStatus* ReturnStatus = nullptr) const;

    /// Arc length of the whole curve; cached when the curve is made, accurate
    /// to about 1e-12 relative, which satisfies any tolerance. 0 for a
    /// zero-length curve.
    double length(double tolerance = kMFnNurbsEpsilon, MStatus* ReturnStatus = nullptr) const;
    /// The parameter at arc length partLength from the start. Lengths outside
    /// [0, length()] give the domain start or end; a zero-length curve gives
    /// the domain start.
    double findParamFromLength(double partLength, MStatus* ReturnStatus = nullptr) const;
    /// Arc length from the domain start to param (clamped).
    double findLengthFromParam(double param, MStatus* ReturnStatus = nullptr) const;

private:
    const vxhost::NurbsCurve* Geometry(MSpace::Space space, MStatus* ReturnStatus) const;
    MStatus Rebuild(const MPointArray& cvs);

    /// The attached data object (owned through fObject), cached so queries
    /// skip the type check.
    vxhost::NurbsCurveData* fData = nullptr;
};

OPENMAYA_NAMESPACE_CLOSE
