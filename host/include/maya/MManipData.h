#pragma once
/// \file MManipData.h
/// A value passed between a manipulator and a plug by conversion callbacks.

#include <maya/MObject.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Either a simple value (a double; bools, ints and shorts are held as a
/// double) or a data object, such as MFnNumericData of type k3Double for a
/// point or a vector.
class MManipData
{
public:
    MManipData() = default;
    MManipData(bool value) : fValue(value ? 1.0 : 0.0) {}
    MManipData(short value) : fValue(value) {}
    MManipData(int value) : fValue(value) {}
    MManipData(unsigned int value) : fValue(value) {}
    MManipData(float value) : fValue(value) {}
    MManipData(double value) : fValue(value) {}
    MManipData(const MObject& data) : fData(data), fSimple(false) {}

    MManipData& operator=(bool value) { return *this = MManipData(value); }
    MManipData& operator=(short value) { return *this = MManipData(value); }
    MManipData& operator=(int value) { return *this = MManipData(value); }
    MManipData& operator=(unsigned int value) { return *this = MManipData(value); }
    MManipData& operator=(float value) { return *this = MManipData(value); }
    MManipData& operator=(double value) { return *this = MManipData(value); }
    MManipData& operator=(const MObject& data) { return *this = MManipData(data); }
    MManipData(const MManipData&) = default;
    MManipData& operator=(const MManipData&) = default;

    bool isSimple() const { return fSimple; }
    bool asBool() const { return fValue != 0.0; }
    short asShort() const { return static_cast<short>(fValue); }
    int asLong() const { return static_cast<int>(fValue); }
    unsigned int asUnsigned() const { return static_cast<unsigned int>(fValue); }
    float asFloat() const { return static_cast<float>(fValue); }
    double asDouble() const { return fValue; }
    /// The data object; null for a simple value.
    MObject asMObject() const { return fData; }

private:
    double fValue = 0.0;
    MObject fData;
    bool fSimple = true;
};

OPENMAYA_NAMESPACE_CLOSE
