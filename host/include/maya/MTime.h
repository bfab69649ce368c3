#pragma once
/// \file MTime.h
/// A time with its unit, and the host's UI time unit (`currentUnit -t`).

#include <maya/MStatus.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// A time: a value together with the unit it is counted in. The frame rates
/// are units too: 10 kFilm is ten frames at 24 fps.
class MTime
{
public:
    /// Maya's time units, in Maya's order. The kNNFPS units are NN frames
    /// per second; k23_976FPS and its kin are the NTSC rates (24000/1001 and
    /// so on). kUserDef is not supported by the host and converts like
    /// kInvalid.
    enum Unit
    {
        kInvalid,
        kHours,
        kMinutes,
        kSeconds,
        kMilliseconds,
        kGames,     ///< 15 fps
        kFilm,      ///< 24 fps
        kPALFrame,  ///< 25 fps
        kNTSCFrame, ///< 30 fps
        kShowScan,  ///< 48 fps
        kPALField,  ///< 50 fps
        kNTSCField, ///< 60 fps
        k2FPS,
        k3FPS,
        k4FPS,
        k5FPS,
        k6FPS,
        k8FPS,
        k10FPS,
        k12FPS,
        k16FPS,
        k20FPS,
        k40FPS,
        k75FPS,
        k80FPS,
        k100FPS,
        k120FPS,
        k125FPS,
        k150FPS,
        k200FPS,
        k240FPS,
        k250FPS,
        k300FPS,
        k375FPS,
        k400FPS,
        k500FPS,
        k600FPS,
        k750FPS,
        k1200FPS,
        k1500FPS,
        k2000FPS,
        k3000FPS,
        k6000FPS,
        k23_976FPS,
        k29_97FPS,
        k29_97DF,
        k47_952FPS,
        k59_94FPS,
        k44100FPS,
        k48000FPS,
        k90FPS,
        kUserDef,
        kLast
    };

    /// Zero in the UI unit.
    MTime() : fUnit(uiUnit()) {}
    /// `value` in `unit` (by default the UI unit at the time of the call).
    MTime(double value, Unit unit = uiUnit()) : fValue(value), fUnit(unit) {}

    Unit unit() const { return fUnit; }
    double value() const { return fValue; }
    /// Relabels the value with another unit; the number is not converted.
    /// Fails with kInvalidParameter for a unit the host cannot convert.
    MStatus setUnit(Unit newUnit);
    MStatus setValue(double newValue);

    /// The time in `otherUnit`; 0 when either unit cannot be converted.
    /// Conversions use exact rational rates, so whole values convert
    /// exactly where the result is whole (1 s is 24 film frames, 30 NTSC).
    double as(Unit otherUnit) const;
    /// Same as as(), reporting a unit that cannot be converted through
    /// *ReturnStatus (kInvalidParameter).
    double asUnits(Unit otherUnit, MStatus* ReturnStatus = nullptr) const;

    /// Sums and differences are in this time's unit.
    MTime operator+(const MTime& other) const;
    MTime operator-(const MTime& other) const;
    MTime& operator+=(const MTime& other);
    MTime& operator-=(const MTime& other);
    /// Adds or subtracts a value in this time's unit.
    MTime operator+(double value) const { return MTime(fValue + value, fUnit); }
    MTime operator-(double value) const { return MTime(fValue - value, fUnit); }
    MTime& operator+=(double value);
    MTime& operator-=(double value);
    MTime operator*(double factor) const { return MTime(fValue * factor, fUnit); }
    MTime operator/(double divisor) const { return MTime(fValue / divisor, fUnit); }
    MTime& operator*=(double factor);
    MTime& operator/=(double divisor);
    MTime operator-() const { return MTime(-fValue, fUnit); }

    /// Comparisons are by the moment in time, whatever the units: 1 s equals
    /// 24 kFilm. Each side is scaled once by an integer, so a == b exactly
    /// when b == a. A time in a unit that cannot be converted is neither
    /// equal to, nor less or greater than, any time.
    bool operator==(const MTime& other) const;
    bool operator!=(const MTime& other) const { return !(*this == other); }
    bool operator<(const MTime& other) const;
    bool operator>(const MTime& other) const { return other < *this; }
    bool operator<=(const MTime& other) const { return *this < other || *this == other; }
    bool operator>=(const MTime& other) const { return other < *this || *this == other; }

    /// The unit times are shown in and typed in: kFilm until `currentUnit -t`
    /// or setUIUnit changes it. Process-wide.
    static Unit uiUnit();
    /// Fails with kInvalidParameter (and keeps the unit) for a unit the host
    /// cannot convert.
    static MStatus setUIUnit(Unit newUnit);

private:
    double fValue = 0.0;
    Unit fUnit;
};

OPENMAYA_NAMESPACE_CLOSE
