#pragma once

#include "ArrayView.h"
#include "ParameterType.h"
#include "RandomDraw.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

/// One flocking parameter as the field's attributes last set it, with the
/// per-particle cache that keeps each particle's "Range" draw from one
/// evaluation to the next. T is double, or int for numberOfNeighbours.
template <typename T> class ParameterEntry
{
public:
    /// clampRange: store negative Range bounds as 0 (distances, limits,
    /// accuracy and the neighbour count; the urges may be negative).
    explicit ParameterEntry(bool clampRange) : clampRange_(clampRange) {}

    /// Stores one evaluation's attribute values. For "Expression" the cache
    /// becomes a copy of perParticle (which may be empty when the particle
    /// system has no array of the parameter's name).
    void Set(T newValue, T lo, T hi, ParameterType newType, ArrayView<T> perParticle)
    {
        type = newType;
        if (type == ParameterType::kExpression)
        {
            cache.assign(perParticle.begin(), perParticle.end());
            constantRuns_.clear();
            // Forces the next Range or Constant setting to count as a new range.
            minimum = T(-1);
            // Kept for particles the array does not cover (see Fill).
            value = newValue;
            return;
        }
        // Incoming bounds are compared before clamping, so a negative bound of
        // a clamped parameter redraws the cache at every evaluation. NaN never
        // compares equal, which also counts as a change.
        if (!(lo == minimum) || !(hi == maximum))
        {
            cache.clear();
            constantRuns_.clear();
        }
        value = newValue;
        minimum = clampRange_ ? std::max(lo, T(0)) : lo;
        maximum = clampRange_ ? std::max(hi, T(0)) : hi;
    }

    /// Grows the numbers to count, drawing one random number per new particle
    /// for "Range"; a "Constant" gives new particles its value. They never
    /// shrink.
    void Fill(std::size_t count)
    {
        if (type == ParameterType::kExpression)
        {
            // An array shorter than the particle count (or none) is not used at
            // all: every particle falls back to the value, as Maya's own fields
            // ignore a per-particle array of the wrong length.
            useArray_ = cache.size() >= count;
            return;
        }
        if (type == ParameterType::kConstant)
        {
            // Resolve never reads them: noted as runs, they cost nothing per
            // particle unless a "Range" of the same bounds takes them over.
            const std::size_t size = Size();
            if (size >= count)
                return;
            if (!constantRuns_.empty() && std::memcmp(&constantRuns_.back().value, &value, sizeof value) == 0)
                constantRuns_.back().count += count - size;
            else
                constantRuns_.push_back({count - size, value});
            return;
        }
        const std::size_t size = std::max(count, Size());
        if (cache.capacity() < size)
            cache.reserve(std::max(size, cache.capacity() + cache.capacity() / 2));
        for (const ConstantRun& run : constantRuns_)
            cache.insert(cache.end(), run.count, run.value);
        constantRuns_.clear();
        while (cache.size() < count)
            cache.push_back(DrawInRange());
    }

    /// How many particles have their number.
    std::size_t Size() const
    {
        std::size_t size = cache.size();
        for (const ConstantRun& run : constantRuns_)
            size += run.count;
        return size;
    }

    /// The number of particle i; i must be below the count given to Fill.
    T Resolve(std::size_t i) const
    {
        if (type == ParameterType::kConstant || (type == ParameterType::kExpression && !useArray_))
            return value;
        return cache[i];
    }

    T value = T(0);
    T minimum = T(0);
    T maximum = T(0);
    ParameterType type = ParameterType::kConstant;
    std::vector<T> cache;

private:
    T DrawInRange() const
    {
        if constexpr (std::is_integral_v<T>)
        {
            // Widening the top by just under one gives every integer of
            // [minimum, maximum] about the same chance after flooring. A draw
            // is consumed even when minimum equals maximum.
            const double a = static_cast<double>(minimum);
            const double b = static_cast<double>(maximum) + 0.99999;
            const double x = a >= b ? a : a + (b - a) * RandomDraw();
            return static_cast<T>(std::floor(x));
        }
        else
        {
            if (minimum >= maximum)
                return minimum;
            return minimum + (maximum - minimum) * RandomDraw();
        }
    }

    /// count particles after those in cache that a "Constant" gave value.
    struct ConstantRun
    {
        std::size_t count;
        T value;
    };

    std::vector<ConstantRun> constantRuns_;
    bool clampRange_;
    bool useArray_ = false;
};
