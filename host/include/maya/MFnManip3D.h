#pragma once
/// \file MFnManip3D.h
/// What every built-in 3D manipulator has: visibility and size.

#include <maya/MFnDagNode.h>

namespace vxhost
{
class HostManip;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Works on the host's built-in manipulators (MFnDistanceManip's), which
/// a container adds with MPxManipContainer::addDistanceManip.
class MFnManip3D : public MFnDagNode
{
public:
    MFnManip3D() = default;
    explicit MFnManip3D(const MObject& object, MStatus* ReturnStatus = nullptr);
    explicit MFnManip3D(const MDagPath& path, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kDagNode; }

    bool isVisible(MStatus* ReturnStatus = nullptr) const;
    /// A hidden manipulator is neither drawn nor pressed.
    MStatus setVisible(bool isVisible);
    float manipScale(MStatus* ReturnStatus = nullptr) const;
    /// Scales the drawn handle (not the values).
    MStatus setManipScale(float size);

protected:
    bool Accepts(const MObject& object) const override;
#ifdef VXHOST_INTERNAL
    /// The attached manipulator, or null (with *ReturnStatus set).
    vxhost::HostManip* Manip(MStatus* ReturnStatus = nullptr) const;
#endif
};

OPENMAYA_NAMESPACE_CLOSE
