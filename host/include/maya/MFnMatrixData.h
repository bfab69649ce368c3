#pragma once
/// \file MFnMatrixData.h
/// Function set for matrix data objects.

#include <maya/MFnData.h>
#include <maya/MMatrix.h>
#include <maya/MTransformationMatrix.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFnMatrixData : public MFnData
{
public:
    MFnMatrixData() = default;
    explicit MFnMatrixData(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kMatrixData; }

    MObject create(const MMatrix& matrix, MStatus* ReturnStatus = nullptr);
    MObject create(MStatus* ReturnStatus = nullptr);
    const MMatrix& matrix(MStatus* ReturnStatus = nullptr) const;
    MTransformationMatrix transformation(MStatus* ReturnStatus = nullptr) const;
    MStatus set(const MMatrix& matrix);
    bool isTransformation(MStatus* ReturnStatus = nullptr) const;
};

OPENMAYA_NAMESPACE_CLOSE
