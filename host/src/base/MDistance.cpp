// Lengths convert through whole micrometres per unit: every unit Maya offers
// is an exact number of micrometres, so the factor between two units is an
// exact ratio of integers and whole lengths convert without drift
// (1 ft -> 12 in, not 12.000000000000002).

#include <maya/MDistance.h>

#include <atomic>
#include <cstdint>
#include <numeric>

namespace
{
std::atomic<int> gUIUnit{MDistance::kCentimeters};

bool IsValid(MDistance::Unit unit)
{
    return unit > MDistance::kInvalid && unit < MDistance::kLast;
}

std::int64_t Micrometres(MDistance::Unit unit)
{
    switch (unit)
    {
    case MDistance::kInches:
        return 25'400;
    case MDistance::kFeet:
        return 304'800;
    case MDistance::kYards:
        return 914'400;
    case MDistance::kMiles:
        return 1'609'344'000;
    case MDistance::kMillimeters:
        return 1'000;
    case MDistance::kCentimeters:
        return 10'000;
    case MDistance::kKilometers:
        return 1'000'000'000;
    case MDistance::kMeters:
        return 1'000'000;
    default:
        return 0;
    }
}

// Both units valid. Reducing the ratio first keeps the factors small, so
// value * numerator stays exact for ordinary values and only the division
// rounds.
double Convert(double value, MDistance::Unit from, MDistance::Unit to)
{
    if (from == to)
        return value;
    std::int64_t numerator = Micrometres(from);
    std::int64_t denominator = Micrometres(to);
    const std::int64_t common = std::gcd(numerator, denominator);
    numerator /= common;
    denominator /= common;
    return value * static_cast<double>(numerator) / static_cast<double>(denominator);
}
} // namespace

MStatus MDistance::setUnit(Unit newUnit)
{
    if (!IsValid(newUnit))
        return MStatus::kInvalidParameter;
    fUnit = newUnit;
    return MStatus::kSuccess;
}

MStatus MDistance::setValue(double newValue)
{
    fValue = newValue;
    return MStatus::kSuccess;
}

double MDistance::asUnits(Unit otherUnit, MStatus* ReturnStatus) const
{
    const bool valid = IsValid(fUnit) && IsValid(otherUnit);
    if (ReturnStatus)
        *ReturnStatus = valid ? MStatus::kSuccess : MStatus::kInvalidParameter;
    return valid ? Convert(fValue, fUnit, otherUnit) : 0.0;
}

MDistance::Unit MDistance::uiUnit()
{
    return static_cast<Unit>(gUIUnit.load(std::memory_order_relaxed));
}

MStatus MDistance::setUIUnit(Unit newUnit)
{
    if (!IsValid(newUnit))
        return MStatus::kInvalidParameter;
    gUIUnit.store(newUnit, std::memory_order_relaxed);
    return MStatus::kSuccess;
}

double MDistance::uiToInternal(double value)
{
    return Convert(value, uiUnit(), internalUnit());
}

double MDistance::internalToUI(double value)
{
    return Convert(value, internalUnit(), uiUnit());
}
