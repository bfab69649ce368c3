#pragma once
/// \file MFnTransform.h
/// Function set for transforms: translate, rotate, scale, shear.

#include <maya/MEulerRotation.h>
#include <maya/MFnDagNode.h>
#include <maya/MTransformationMatrix.h>
#include <maya/MVector.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFnTransform : public MFnDagNode
{
public:
    MFnTransform() = default;
    explicit MFnTransform(const MObject& object, MStatus* ReturnStatus = nullptr);
    explicit MFnTransform(const MDagPath& path, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kTransform; }

    /// A new transform under parent.
    MObject create(const MObject& parent = MObject::kNullObj, MStatus* ReturnStatus = nullptr);

    /// The local transformation, from the node's attributes.
    MTransformationMatrix transformation(MStatus* ReturnStatus = nullptr) const;
    /// Sets translate, rotate (with its order), scale and shear from t.
    MStatus set(const MTransformationMatrix& transformation);
    /// kTransform and kObject give the local translation; kWorld the world one.
    MVector getTranslation(MSpace::Space space, MStatus* ReturnStatus = nullptr) const;
    MStatus setTranslation(const MVector& vec, MSpace::Space space);
    MStatus getRotation(MEulerRotation& rotation) const;
    MStatus setRotation(const MEulerRotation& rotation);
    MStatus getScale(double scale[3]) const;
    MStatus setScale(const double scale[3]);
    MStatus getShear(double shear[3]) const;
    MStatus setShear(const double shear[3]);
};

OPENMAYA_NAMESPACE_CLOSE
