// Every time unit is a rational rate, units per second (24/1 for film,
// 1/60 for minutes, 24000/1001 for 23.976 fps). Converting multiplies by one
// reduced ratio of integers, so whole values convert exactly whenever the
// result is whole.

#include <maya/MTime.h>

#include <atomic>
#include <cstdint>
#include <numeric>

namespace
{
std::atomic<int> gUIUnit{MTime::kFilm};

struct Rate
{
    std::int64_t units;   // units per `seconds` seconds
    std::int64_t seconds; // 0 for a unit the host cannot convert
};

Rate RateOf(MTime::Unit unit)
{
    switch (unit)
    {
    case MTime::kHours:
        return {1, 3600};
    case MTime::kMinutes:
        return {1, 60};
    case MTime::kSeconds:
        return {1, 1};
    case MTime::kMilliseconds:
        return {1000, 1};
    case MTime::kGames:
        return {15, 1};
    case MTime::kFilm:
        return {24, 1};
    case MTime::kPALFrame:
        return {25, 1};
    case MTime::kNTSCFrame:
        return {30, 1};
    case MTime::kShowScan:
        return {48, 1};
    case MTime::kPALField:
        return {50, 1};
    case MTime::kNTSCField:
        return {60, 1};
    case MTime::k2FPS:
        return {2, 1};
    case MTime::k3FPS:
        return {3, 1};
    case MTime::k4FPS:
        return {4, 1};
    case MTime::k5FPS:
        return {5, 1};
    case MTime::k6FPS:
        return {6, 1};
    case MTime::k8FPS:
        return {8, 1};
    case MTime::k10FPS:
        return {10, 1};
    case MTime::k12FPS:
        return {12, 1};
    case MTime::k16FPS:
        return {16, 1};
    case MTime::k20FPS:
        return {20, 1};
    case MTime::k40FPS:
        return {40, 1};
    case MTime::k75FPS:
        return {75, 1};
    case MTime::k80FPS:
        return {80, 1};
    case MTime::k100FPS:
        return {100, 1};
    case MTime::k120FPS:
        return {120, 1};
    case MTime::k125FPS:
        return {125, 1};
    case MTime::k150FPS:
        return {150, 1};
    case MTime::k200FPS:
        return {200, 1};
    case MTime::k240FPS:
        return {240, 1};
    case MTime::k250FPS:
        return {250, 1};
    case MTime::k300FPS:
        return {300, 1};
    case MTime::k375FPS:
        return {375, 1};
    case MTime::k400FPS:
        return {400, 1};
    case MTime::k500FPS:
        return {500, 1};
    case MTime::k600FPS:
        return {600, 1};
    case MTime::k750FPS:
        return {750, 1};
    case MTime::k1200FPS:
        return {1200, 1};
    case MTime::k1500FPS:
        return {1500, 1};
    case MTime::k2000FPS:
        return {2000, 1};
    case MTime::k3000FPS:
        return {3000, 1};
    case MTime::k6000FPS:
        return {6000, 1};
    case MTime::k23_976FPS:
        return {24000, 1001};
    case MTime::k29_97FPS:
    case MTime::k29_97DF:
        return {30000, 1001};
    case MTime::k47_952FPS:
        return {48000, 1001};
    case MTime::k59_94FPS:
        return {60000, 1001};
    case MTime::k44100FPS:
        return {44100, 1};
    case MTime::k48000FPS:
        return {48000, 1};
    case MTime::k90FPS:
        return {90, 1};
    default:
        return {0, 0};
    }
}

bool IsValid(MTime::Unit unit)
{
    return RateOf(unit).seconds != 0;
}

// The factors that bring a value in `from` and a value in `to` onto one
// scale: x from-units equal x * fromScale / toScale to-units. Reduced, so
// the products stay exact for ordinary values.
void Scales(MTime::Unit from, MTime::Unit to, double& fromScale, double& toScale)
{
    const Rate a = RateOf(from);
    const Rate b = RateOf(to);
    std::int64_t numerator = b.units * a.seconds;
    std::int64_t denominator = a.units * b.seconds;
    const std::int64_t common = std::gcd(numerator, denominator);
    fromScale = static_cast<double>(numerator / common);
    toScale = static_cast<double>(denominator / common);
}

double Convert(double value, MTime::Unit from, MTime::Unit to)
{
    if (from == to)
        return value;
    double fromScale = 0.0;
    double toScale = 0.0;
    Scales(from, to, fromScale, toScale);
    return value * fromScale / toScale;
}
} // namespace

MStatus MTime::setUnit(Unit newUnit)
{
    if (!IsValid(newUnit))
        return MStatus::kInvalidParameter;
    fUnit = newUnit;
    return MStatus::kSuccess;
}

MStatus MTime::setValue(double newValue)
{
    fValue = newValue;
    return MStatus::kSuccess;
}

double MTime::as(Unit otherUnit) const
{
    return asUnits(otherUnit);
}

double MTime::asUnits(Unit otherUnit, MStatus* ReturnStatus) const
{
    const bool valid = IsValid(fUnit) && IsValid(otherUnit);
    if (ReturnStatus)
        *ReturnStatus = valid ? MStatus::kSuccess : MStatus::kInvalidParameter;
    return valid ? Convert(fValue, fUnit, otherUnit) : 0.0;
}

MTime MTime::operator+(const MTime& other) const
{
    return MTime(fValue + other.as(fUnit), fUnit);
}

MTime MTime::operator-(const MTime& other) const
{
    return MTime(fValue - other.as(fUnit), fUnit);
}

MTime& MTime::operator+=(const MTime& other)
{
    fValue += other.as(fUnit);
    return *this;
}

MTime& MTime::operator-=(const MTime& other)
{
    fValue -= other.as(fUnit);
    return *this;
}

MTime& MTime::operator+=(double value)
{
    fValue += value;
    return *this;
}

MTime& MTime::operator-=(double value)
{
    fValue -= value;
    return *this;
}

MTime& MTime::operator*=(double factor)
{
    fValue *= factor;
    return *this;
}

MTime& MTime::operator/=(double divisor)
{
    fValue /= divisor;
    return *this;
}

bool MTime::operator==(const MTime& other) const
{
    if (!IsValid(fUnit) || !IsValid(other.fUnit))
        return false;
    if (fUnit == other.fUnit)
        return fValue == other.fValue;
    double mine = 0.0;
    double theirs = 0.0;
    Scales(fUnit, other.fUnit, mine, theirs);
    return fValue * mine == other.fValue * theirs;
}

bool MTime::operator<(const MTime& other) const
{
    if (!IsValid(fUnit) || !IsValid(other.fUnit))
        return false;
    if (fUnit == other.fUnit)
        return fValue < other.fValue;
    double mine = 0.0;
    double theirs = 0.0;
    Scales(fUnit, other.fUnit, mine, theirs);
    return fValue * mine < other.fValue * theirs;
}

MTime::Unit MTime::uiUnit()
{
    return static_cast<Unit>(gUIUnit.load(std::memory_order_relaxed));
}

MStatus MTime::setUIUnit(Unit newUnit)
{
    if (!IsValid(newUnit))
        return MStatus::kInvalidParameter;
    gUIUnit.store(newUnit, std::memory_order_relaxed);
    return MStatus::kSuccess;
}
