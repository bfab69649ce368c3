#pragma once
/// \file AttributeLimits.h
/// The hard and soft limits an attribute is made with, named as they are set.

#include <optional>

/// Limits left unset are not given to the host. Set them by name:
/// AttributeLimits().Min(0.0).SoftMax(10.0).
struct AttributeLimits
{
    std::optional<double> min = {};
    std::optional<double> max = {};
    std::optional<double> softMin = {};
    std::optional<double> softMax = {};

    AttributeLimits& Min(double value) { return Set(min, value); }
    AttributeLimits& Max(double value) { return Set(max, value); }
    AttributeLimits& SoftMin(double value) { return Set(softMin, value); }
    AttributeLimits& SoftMax(double value) { return Set(softMax, value); }

    /// Gives the set limits to an attribute function set. Their statuses are
    /// not tested: a limit the host refuses leaves the attribute usable, only
    /// less constrained.
    template <typename Fn> void ApplyTo(Fn& fn) const
    {
        if (min)
            fn.setMin(*min);
        if (max)
            fn.setMax(*max);
        if (softMin)
            fn.setSoftMin(*softMin);
        if (softMax)
            fn.setSoftMax(*softMax);
    }

private:
    AttributeLimits& Set(std::optional<double>& limit, double value)
    {
        limit = value;
        return *this;
    }
};
