#pragma once
/// \file MFnNurbsCurveData.h
/// Function set for NURBS curve data objects.

#include <maya/MFnBase.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Creates curve data objects, the values that curve attributes pass
/// through the dependency graph. A new object is empty until
/// MFnNurbsCurve::create fills it:
///
///     MObject data = MFnNurbsCurveData().create();
///     MFnNurbsCurve().create(cvs, knots, 3, MFnNurbsCurve::kOpen, false, false, data);
class MFnNurbsCurveData : public MFnBase
{
public:
    MFnNurbsCurveData() = default;
    /// Attaches to object; fails with kInvalidParameter unless it is curve data.
    explicit MFnNurbsCurveData(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kNurbsCurveData; }

    /// A new, empty curve data object; the function set is attached to it.
    MObject create(MStatus* ReturnStatus = nullptr);
};

OPENMAYA_NAMESPACE_CLOSE
