#pragma once
/// \file MDistance.h
/// A length with its unit, and the host's linear units: the internal unit
/// (always centimetres) and the UI unit (`currentUnit -l`).

#include <maya/MStatus.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// A length: a value together with the unit it is measured in.
class MDistance
{
public:
    /// Maya's linear units, in Maya's order.
    enum Unit
    {
        kInvalid,
        kInches,
        kFeet,
        kYards,
        kMiles,
        kMillimeters,
        kCentimeters,
        kKilometers,
        kMeters,
        kLast
    };

    /// Zero centimetres.
    MDistance() = default;
    /// `value` in `unit`. An invalid unit is kept, and every conversion of
    /// the distance then fails.
    MDistance(double value, Unit unit = kCentimeters) : fValue(value), fUnit(unit) {}

    Unit unit() const { return fUnit; }
    double value() const { return fValue; }
    /// Relabels the value with another unit; the number is not converted.
    /// Fails with kInvalidParameter for kInvalid or kLast.
    MStatus setUnit(Unit newUnit);
    MStatus setValue(double newValue);

    /// The length in `otherUnit`. 0 and kInvalidParameter in *ReturnStatus
    /// when either unit is not a real one. Conversions go through exact
    /// integer factors (micrometres per unit), so whole values convert
    /// exactly: 1 in is 2.54 cm, 1 ft is 12 in.
    double asUnits(Unit otherUnit, MStatus* ReturnStatus = nullptr) const;
    /// Same as asUnits.
    double as(Unit otherUnit, MStatus* ReturnStatus = nullptr) const
    {
        return asUnits(otherUnit, ReturnStatus);
    }
    double asInches(MStatus* ReturnStatus = nullptr) const { return asUnits(kInches, ReturnStatus); }
    double asFeet(MStatus* ReturnStatus = nullptr) const { return asUnits(kFeet, ReturnStatus); }
    double asYards(MStatus* ReturnStatus = nullptr) const { return asUnits(kYards, ReturnStatus); }
    double asMiles(MStatus* ReturnStatus = nullptr) const { return asUnits(kMiles, ReturnStatus); }
    double asMillimeters(MStatus* ReturnStatus = nullptr) const
    {
        return asUnits(kMillimeters, ReturnStatus);
    }
    double asCentimeters(MStatus* ReturnStatus = nullptr) const
    {
        return asUnits(kCentimeters, ReturnStatus);
    }
    double asKilometers(MStatus* ReturnStatus = nullptr) const { return asUnits(kKilometers, ReturnStatus); }
    double asMeters(MStatus* ReturnStatus = nullptr) const { return asUnits(kMeters, ReturnStatus); }

    /// The unit lengths are shown in and typed in; centimetres until
    /// `currentUnit -l` or setUIUnit changes it. Process-wide.
    static Unit uiUnit();
    /// Fails with kInvalidParameter (and keeps the unit) for kInvalid or kLast.
    static MStatus setUIUnit(Unit newUnit);
    /// The unit the dependency graph stores lengths in: always kCentimeters.
    static Unit internalUnit() { return kCentimeters; }
    /// A length typed in the UI unit, in centimetres.
    static double uiToInternal(double value);
    /// A length in centimetres, in the UI unit.
    static double internalToUI(double value);

private:
    double fValue = 0.0;
    Unit fUnit = kCentimeters;
};

OPENMAYA_NAMESPACE_CLOSE
