#include <maya/MFnNurbsCurve.h>

#include "NurbsCurve.h"
#include "NurbsCurveData.h"

#include <cmath>

using vxhost::CurveStatus;
using vxhost::NurbsCurve;

namespace
{
void SetStatus(MStatus* out, const MStatus& status)
{
    if (out)
        *out = status;
}

bool IsFinite(const MPoint& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.w);
}

MStatus NotANumber(const char* what)
{
    return CurveStatus(MStatus::kInvalidParameter, "The %s is not a finite number", what);
}

MStatus NoDirection(const NurbsCurve& curve, double param)
{
    if (curve.IsZeroLength())
        return MStatus(MStatus::kFailure,
                       "The curve has zero length (all its CVs coincide), so it has no direction");
    return CurveStatus(MStatus::kFailure,
                       "The curve has no direction at parameter %g (its CVs coincide there)", param);
}

/// The cartesian positions of the CVs. Weights other than 1 are refused
/// when the caller asks for a rational curve, which the host cannot make.
MStatus CartesianCVs(const MPointArray& cvs, bool rational, bool flatten, MPointArray& outCVs)
{
    outCVs.setLength(cvs.length());
    for (unsigned int i = 0; i < cvs.length(); ++i)
    {
        MPoint cv = cvs[i];
        if (cv.w != 1.0)
        {
            if (rational)
                return CurveStatus(MStatus::kNotImplemented,
                                   "Rational curves are not supported: CV %u has weight %g", i, cv.w);
            if (cv.w == 0.0)
                return CurveStatus(MStatus::kInvalidParameter, "CV %u has w = 0 and so no position", i);
            cv.cartesianize();
        }
        if (flatten)
            cv.z = 0.0;
        outCVs[i] = cv;
    }
    return MStatus::kSuccess;
}
} // namespace

MFnNurbsCurve::MFnNurbsCurve(const MObject& object, MStatus* ReturnStatus)
{
    SetStatus(ReturnStatus, setObject(object));
}

MStatus MFnNurbsCurve::setObject(const MObject& object)
{
    const MStatus status = MFnBase::setObject(object);
    fData = status ? dynamic_cast<vxhost::NurbsCurveData*>(fObject.HostImpl().get()) : nullptr;
    return status;
}

const NurbsCurve* MFnNurbsCurve::Geometry(MSpace::Space space, MStatus* ReturnStatus) const
{
    // As in Maya, a function set on a data object rather than on a DAG path
    // has no world space: world-space queries fail. (A shape's "worldSpace"
    // data already holds world coordinates; its own space is the world.)
    if (space == MSpace::kWorld)
    {
        SetStatus(ReturnStatus, MStatus(MStatus::kInvalidParameter,
                                        "MFnNurbsCurve: world space needs a DAG path; this curve is data"));
        return nullptr;
    }
    if (!fData)
    {
        SetStatus(ReturnStatus,
                  MStatus(MStatus::kInvalidParameter, "MFnNurbsCurve is not attached to a curve"));
        return nullptr;
    }
    const NurbsCurve* curve = fData->Curve();
    if (!curve)
    {
        SetStatus(ReturnStatus,
                  MStatus(MStatus::kInvalidParameter,
                          "The curve data object holds no curve yet (MFnNurbsCurve::create fills it)"));
        return nullptr;
    }
    // This is the one place where a function set bound to a DAG path would
    // hand out a world-space copy of the curve for kWorld (its CVs times the
    // path's world matrix: exact, NURBS being affine invariant, and better
    // than moving the query point, which would not survive non-uniform
    // scale); CV writes in kWorld would go through the inverse matrix.
    SetStatus(ReturnStatus, MStatus::kSuccess);
    return curve;
}

MObject MFnNurbsCurve::create(const MPointArray& controlVertices, const MDoubleArray& knotSequences,
                              unsigned int degree, Form form, bool create2D, bool createRational,
                              const MObject& parentOrOwner, MStatus* ReturnStatus)
{
    std::shared_ptr<vxhost::NurbsCurveData> data;
    if (parentOrOwner.isNull())
        data = std::make_shared<vxhost::NurbsCurveData>();
    else
    {
        data = std::dynamic_pointer_cast<vxhost::NurbsCurveData>(parentOrOwner.HostImpl());
        if (!data)
        {
            SetStatus(
                ReturnStatus,
                CurveStatus(MStatus::kInvalidParameter,
                            "The owner of a new curve must be a curve data object, got an object of type %s",
                            parentOrOwner.apiTypeStr()));
            return MObject::kNullObj;
        }
    }
    if (form != kOpen && form != kClosed && form != kPeriodic)
    {
        SetStatus(ReturnStatus,
                  MStatus(MStatus::kInvalidParameter, "The form must be kOpen, kClosed or kPeriodic"));
        return MObject::kNullObj;
    }
    MPointArray cvs;
    MStatus status = CartesianCVs(controlVertices, createRational, create2D, cvs);
    std::shared_ptr<const NurbsCurve> curve;
    if (status)
        status = NurbsCurve::Create(cvs, knotSequences, degree, static_cast<NurbsCurve::Form>(form), curve);
    SetStatus(ReturnStatus, status);
    if (!status)
        return MObject::kNullObj;

    data->SetCurve(std::move(curve));
    fObject = parentOrOwner.isNull() ? MObject(data) : parentOrOwner;
    fData = data.get();
    return fObject;
}

MStatus MFnNurbsCurve::Rebuild(const MPointArray& array)
{
    MStatus status;
    const NurbsCurve* curve = Geometry(MSpace::kObject, &status);
    if (!curve)
        return status;
    if (array.length() != static_cast<unsigned int>(curve->NumCVs()))
        return CurveStatus(MStatus::kInvalidParameter, "The curve has %d CVs, got %u", curve->NumCVs(),
                           array.length());
    MPointArray cvs;
    status = CartesianCVs(array, false, false, cvs);
    if (!status)
        return status;
    const std::vector<double>& knots = curve->Knots();
    std::shared_ptr<const NurbsCurve> rebuilt;
    status = NurbsCurve::Create(cvs, MDoubleArray(knots.data(), static_cast<unsigned int>(knots.size())),
                                static_cast<unsigned int>(curve->Degree()), curve->GetForm(), rebuilt);
    if (status)
        fData->SetCurve(std::move(rebuilt));
    return status;
}

MFnNurbsCurve::Form MFnNurbsCurve::form(MStatus* ReturnStatus) const
{
    const NurbsCurve* curve = Geometry(MSpace::kObject, ReturnStatus);
    return curve ? static_cast<Form>(curve->GetForm()) : kInvalid;
}

int MFnNurbsCurve::degree(MStatus* ReturnStatus) const
{
    const NurbsCurve* curve = Geometry(MSpace::kObject, ReturnStatus);
    return curve ? curve->Degree() : 0;
}

int MFnNurbsCurve::numCVs(MStatus* ReturnStatus) const
{
    const NurbsCurve* curve = Geometry(MSpace::kObject, ReturnStatus);
    return curve ? curve->NumCVs() : 0;
}

int MFnNurbsCurve::numSpans(MStatus* ReturnStatus) const
{
    const NurbsCurve* curve = Geometry(MSpace::kObject, ReturnStatus);
    return curve ? curve->NumSpans() : 0;
}

int MFnNurbsCurve::numKnots(MStatus* ReturnStatus) const
{
    const NurbsCurve* curve = Geometry(MSpace::kObject, ReturnStatus);
    return curve ? curve->NumKnots() : 0;
}

MStatus MFnNurbsCurve::getKnotDomain(double& start, double& end) const
{
    MStatus status;
    if (const NurbsCurve* curve = Geometry(MSpace::kObject, &status))
    {
        start = curve->DomainStart();
        end = curve->DomainEnd();
    }
    return status;
}

MStatus MFnNurbsCurve::getKnots(MDoubleArray& array) const
{
    MStatus status;
    if (const NurbsCurve* curve = Geometry(MSpace::kObject, &status))
    {
        const std::vector<double>& knots = curve->Knots();
        array.setLength(static_cast<unsigned int>(knots.size()));
        std::copy(knots.begin(), knots.end(), array.begin());
    }
    return status;
}

double MFnNurbsCurve::knot(unsigned int index, MStatus* ReturnStatus) const
{
    const NurbsCurve* curve = Geometry(MSpace::kObject, ReturnStatus);
    if (!curve)
        return 0.0;
    if (index >= static_cast<unsigned int>(curve->NumKnots()))
    {
        SetStatus(ReturnStatus,
                  CurveStatus(MStatus::kInvalidParameter, "Knot index %u is out of range (%d knots)", index,
                              curve->NumKnots()));
        return 0.0;
    }
    return curve->Knots()[index];
}

MStatus MFnNurbsCurve::getCVs(MPointArray& array, MSpace::Space space) const
{
    MStatus status;
    if (const NurbsCurve* curve = Geometry(space, &status))
    {
        const std::vector<MPoint>& cvs = curve->CVs();
        array.setLength(static_cast<unsigned int>(cvs.size()));
        std::copy(cvs.begin(), cvs.end(), array.begin());
    }
    return status;
}

MStatus MFnNurbsCurve::getCV(unsigned int index, MPoint& pt, MSpace::Space space) const
{
    MStatus status;
    const NurbsCurve* curve = Geometry(space, &status);
    if (!curve)
        return status;
    if (index >= static_cast<unsigned int>(curve->NumCVs()))
        return CurveStatus(MStatus::kInvalidParameter, "CV index %u is out of range (%d CVs)", index,
                           curve->NumCVs());
    pt = curve->CVs()[index];
    return MStatus::kSuccess;
}

MStatus MFnNurbsCurve::setCVs(const MPointArray& array, MSpace::Space space)
{
    MStatus status;
    if (space == MSpace::kWorld && !Geometry(space, &status))
        return status;
    return Rebuild(array);
}

MStatus MFnNurbsCurve::setCV(unsigned int index, const MPoint& pt, MSpace::Space space)
{
    MPointArray cvs;
    MStatus status = getCVs(cvs, space);
    if (!status)
        return status;
    if (index >= cvs.length())
        return CurveStatus(MStatus::kInvalidParameter, "CV index %u is out of range (%u CVs)", index,
                           cvs.length());
    cvs[index] = pt;
    return Rebuild(cvs);
}

MStatus MFnNurbsCurve::updateCurve()
{
    MStatus status;
    Geometry(MSpace::kObject, &status);
    return status;
}

MStatus MFnNurbsCurve::getPointAtParam(double param, MPoint& point, MSpace::Space space) const
{
    MStatus status;
    const NurbsCurve* curve = Geometry(space, &status);
    if (!curve)
        return status;
    if (std::isnan(param))
        return NotANumber("parameter");
    point = curve->PointAt(param);
    return MStatus::kSuccess;
}

MStatus MFnNurbsCurve::getDerivativesAtParm(double param, MPoint& pos, MVector& dU, MSpace::Space space,
                                            MVector* dUU) const
{
    MStatus status;
    const NurbsCurve* curve = Geometry(space, &status);
    if (!curve)
        return status;
    if (std::isnan(param))
        return NotANumber("parameter");
    MVector d[3];
    curve->Evaluate(param, 2, d);
    pos = d[0];
    dU = d[1];
    if (dUU)
        *dUU = d[2];
    return MStatus::kSuccess;
}

namespace
{
// A unit direction of the curve at param (tangent or normal), or a failed
// status when there is none.
MVector Direction(const NurbsCurve* curve, double param, bool (NurbsCurve::*at)(double, MVector&) const,
                  MStatus* ReturnStatus)
{
    MVector result;
    if (!curve)
        return result;
    if (std::isnan(param))
        SetStatus(ReturnStatus, NotANumber("parameter"));
    else if (!(curve->*at)(param, result))
        SetStatus(ReturnStatus, NoDirection(*curve, param));
    return result;
}
} // namespace

MVector MFnNurbsCurve::tangent(double param, MSpace::Space space, MStatus* ReturnStatus) const
{
    return Direction(Geometry(space, ReturnStatus), param, &NurbsCurve::TangentAt, ReturnStatus);
}

MVector MFnNurbsCurve::normal(double param, MSpace::Space space, MStatus* ReturnStatus) const
{
    return Direction(Geometry(space, ReturnStatus), param, &NurbsCurve::NormalAt, ReturnStatus);
}

MPoint MFnNurbsCurve::closestPoint(const MPoint& toThisPoint, double* param, double tolerance,
                                   MSpace::Space space, MStatus* ReturnStatus) const
{
    const NurbsCurve* curve = Geometry(space, ReturnStatus);
    if (!curve)
        return MPoint();
    if (!IsFinite(toThisPoint))
    {
        SetStatus(ReturnStatus, MStatus(MStatus::kInvalidParameter, "The query point is not finite"));
        return MPoint();
    }
    const vxhost::CurveClosestPoint closest = curve->ClosestPoint(toThisPoint, tolerance);
    if (param)
        *param = closest.param;
    return closest.point;
}

double MFnNurbsCurve::distanceToPoint(const MPoint& pt, MSpace::Space space, MStatus* ReturnStatus) const
{
    const NurbsCurve* curve = Geometry(space, ReturnStatus);
    if (!curve)
        return 0.0;
    if (!IsFinite(pt))
    {
        SetStatus(ReturnStatus, MStatus(MStatus::kInvalidParameter, "The query point is not finite"));
        return 0.0;
    }
    return curve->ClosestPoint(pt, 0.0).distance;
}

MStatus MFnNurbsCurve::getParamAtPoint(const MPoint& atThisPoint, double& param, MSpace::Space space) const
{
    return getParamAtPoint(atThisPoint, param, kMFnNurbsEpsilon, space);
}

MStatus MFnNurbsCurve::getParamAtPoint(const MPoint& atThisPoint, double& param, double tolerance,
                                       MSpace::Space space) const
{
    MStatus status;
    const NurbsCurve* curve = Geometry(space, &status);
    if (!curve)
        return status;
    if (!IsFinite(atThisPoint))
        return MStatus(MStatus::kInvalidParameter, "The query point is not finite");
    // An exact search, so that a point just inside the tolerance is not
    // turned away by the search's own error.
    const vxhost::CurveClosestPoint closest = curve->ClosestPoint(atThisPoint, 0.0);
    if (!(closest.distance <= tolerance))
        return CurveStatus(MStatus::kFailure, "The point is %g from the curve, farther than the tolerance %g",
                           closest.distance, tolerance);
    param = closest.param;
    return MStatus::kSuccess;
}

bool MFnNurbsCurve::isPointOnCurve(const MPoint& point, double tolerance, MSpace::Space space,
                                   MStatus* ReturnStatus) const
{
    MStatus status;
    const double distance = distanceToPoint(point, space, &status);
    SetStatus(ReturnStatus, status);
    return status && distance <= tolerance;
}

double MFnNurbsCurve::length(double, MStatus* ReturnStatus) const
{
    const NurbsCurve* curve = Geometry(MSpace::kObject, ReturnStatus);
    return curve ? curve->Length() : 0.0;
}

double MFnNurbsCurve::findParamFromLength(double partLength, MStatus* ReturnStatus) const
{
    const NurbsCurve* curve = Geometry(MSpace::kObject, ReturnStatus);
    if (!curve)
        return 0.0;
    if (std::isnan(partLength))
    {
        SetStatus(ReturnStatus, NotANumber("length"));
        return 0.0;
    }
    return curve->ParamAtLength(partLength);
}

double MFnNurbsCurve::findLengthFromParam(double param, MStatus* ReturnStatus) const
{
    const NurbsCurve* curve = Geometry(MSpace::kObject, ReturnStatus);
    if (!curve)
        return 0.0;
    if (std::isnan(param))
    {
        SetStatus(ReturnStatus, NotANumber("parameter"));
        return 0.0;
    }
    return curve->LengthAtParam(param);
}
