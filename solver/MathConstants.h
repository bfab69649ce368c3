#pragma once
/// \file MathConstants.h
/// The constants the plug-in needs, as C++17 has no <numbers>.

constexpr double kPi = 3.141592653589793238462643383279502884;
constexpr double kSqrt2 = 1.414213562373095048801688724209698079;
