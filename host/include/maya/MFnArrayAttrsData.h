#pragma once
/// \file MFnArrayAttrsData.h
/// Function set for a named collection of per-particle arrays.

#include <maya/MDoubleArray.h>
#include <maya/MFnData.h>
#include <maya/MIntArray.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Holds arrays of vectors, doubles or ints by name, as particle systems
/// hand them to fields and emitters.
class MFnArrayAttrsData : public MFnData
{
public:
    enum Type
    {
        kInvalid,
        kVectorArray,
        kDoubleArray,
        kIntArray,
        kStringArray,
        kLast
    };

    MFnArrayAttrsData() = default;
    explicit MFnArrayAttrsData(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kDynArrayAttrsData; }

    MObject create(MStatus* ReturnStatus = nullptr);
    unsigned int count() const;
    MStringArray list(MStatus* ReturnStatus = nullptr) const;
    /// Whether an array of that name exists, and its type.
    bool checkArrayExist(const MString attrName, Type& arrayType, MStatus* ReturnStatus = nullptr);
    /// The named array, made (empty) when missing. kInvalidParameter when
    /// the name holds an array of another type.
    MVectorArray vectorArray(const MString& attrName, MStatus* ReturnStatus = nullptr);
    MDoubleArray doubleArray(const MString& attrName, MStatus* ReturnStatus = nullptr);
    MIntArray intArray(const MString& attrName, MStatus* ReturnStatus = nullptr);
    /// The arrays themselves, to fill in place (host extension for speed).
    MVectorArray* vectorArrayRef(const MString& attrName, MStatus* ReturnStatus = nullptr);
    MDoubleArray* doubleArrayRef(const MString& attrName, MStatus* ReturnStatus = nullptr);
    MIntArray* intArrayRef(const MString& attrName, MStatus* ReturnStatus = nullptr);
    MStatus clear();
};

OPENMAYA_NAMESPACE_CLOSE
