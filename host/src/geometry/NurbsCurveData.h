#pragma once
/// \file NurbsCurveData.h
/// The curve data object: what a curve shape's worldSpace output carries and
/// what MFnNurbsCurveData::create makes.

#include "NurbsCurve.h"

#include <vxhost/HostObject.h>

#include <memory>

namespace vxhost
{
/// Holds one curve (or none, when just created). The geometry is immutable
/// and shared: copying the data object is cheap, and giving it a new curve
/// (create, setCVs) swaps the pointer without touching other copies. Queries
/// may run on several threads at once; changing the curve while another
/// thread queries it is not allowed, as in Maya.
class NurbsCurveData final : public HostObject
{
public:
    MFn::Type ApiType() const override { return MFn::kNurbsCurveData; }
    /// Also geometry data and data in general, and a curve, so that
    /// MFnNurbsCurve attaches to it as it does in Maya.
    bool HasFn(MFn::Type type) const override
    {
        return type == MFn::kNurbsCurveData || type == MFn::kGeometryData || type == MFn::kData ||
               type == MFn::kNurbsCurve || type == MFn::kBase;
    }

    /// Shares the immutable curve: a later change swaps the copy's pointer.
    std::shared_ptr<HostObject> Clone() const override { return std::make_shared<NurbsCurveData>(*this); }

    /// The curve, null while the object is empty.
    const NurbsCurve* Curve() const { return fCurve.get(); }
    void SetCurve(std::shared_ptr<const NurbsCurve> curve) { fCurve = std::move(curve); }

private:
    std::shared_ptr<const NurbsCurve> fCurve;
};
} // namespace vxhost
