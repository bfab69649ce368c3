// Numeric, vector and random built-ins. Results are floats unless MEL keeps
// ints (abs, min and max of ints) or works component-wise on vectors.

#include "mel/BuiltinArgs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

namespace vxhost::mel
{
namespace
{

using Args = std::vector<Value>;

constexpr double kDegree = std::numbers::pi / 180.0;

// One float in, one float out: the shape of most of MEL's maths.
template <double (*F)(double)>
bool Unary(Args& arguments, Value& result, std::string& error)
{
    double x = 0.0;
    if (!ArgFloat(arguments, 0, x, error))
        return false;
    result = Value::Float(F(x));
    return true;
}

template <double (*F)(double, double)>
bool Binary(Args& arguments, Value& result, std::string& error)
{
    double a = 0.0;
    double b = 0.0;
    if (!ArgFloat(arguments, 0, a, error) || !ArgFloat(arguments, 1, b, error))
        return false;
    result = Value::Float(F(a, b));
    return true;
}

template <double (*F)(double, double, double)>
bool Ternary(Args& arguments, Value& result, std::string& error)
{
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
    if (!ArgFloat(arguments, 0, a, error) || !ArgFloat(arguments, 1, b, error) || !ArgFloat(arguments, 2, c, error))
        return false;
    result = Value::Float(F(a, b, c));
    return true;
}

double Sqrt(double x) { return std::sqrt(x); }
double Exp(double x) { return std::exp(x); }
double Log(double x) { return std::log(x); }
double Log10(double x) { return std::log10(x); }
double Sin(double x) { return std::sin(x); }
double Cos(double x) { return std::cos(x); }
double Tan(double x) { return std::tan(x); }
double Asin(double x) { return std::asin(x); }
double Acos(double x) { return std::acos(x); }
double Atan(double x) { return std::atan(x); }
double Sind(double x) { return std::sin(x * kDegree); }
double Cosd(double x) { return std::cos(x * kDegree); }
double Tand(double x) { return std::tan(x * kDegree); }
double Asind(double x) { return std::asin(x) / kDegree; }
double Acosd(double x) { return std::acos(x) / kDegree; }
double Atand(double x) { return std::atan(x) / kDegree; }
double DegToRad(double x) { return x * kDegree; }
double RadToDeg(double x) { return x / kDegree; }
double Floor(double x) { return std::floor(x); }
double Ceil(double x) { return std::ceil(x); }
double Trunc(double x) { return std::trunc(x); }
double Sign(double x) { return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0); }
double Pow(double a, double b) { return std::pow(a, b); }
double Atan2(double y, double x) { return std::atan2(y, x); }
double Atan2d(double y, double x) { return std::atan2(y, x) / kDegree; }
double Hypot(double a, double b) { return std::hypot(a, b); }
double Fmod(double a, double b) { return std::fmod(a, b); }

// MEL's order: the bounds first, the value last.
double Clamp(double low, double high, double value)
{
    return value < low ? low : (value > high ? high : value);
}

double Linstep(double start, double end, double parameter)
{
    if (parameter <= start)
        return 0.0;
    if (parameter >= end)
        return 1.0;
    return (parameter - start) / (end - start);
}

double Smoothstep(double start, double end, double parameter)
{
    const double t = Linstep(start, end, parameter);
    return t * t * (3.0 - 2.0 * t);
}

// Vectors may come as vector values or as arrays of three numbers (what
// getAttr gives for a double3 attribute).
bool IsVectorLike(const Value& value)
{
    return value.GetType() == Type::kVector || value.GetType() == Type::kFloatArray ||
           value.GetType() == Type::kIntArray;
}

bool Abs(Args& arguments, Value& result, std::string& error)
{
    const Value& x = arguments[0];
    if (x.GetType() == Type::kInt)
    {
        // |INT_MIN| does not fit; MEL's ints wrap there, as C's do.
        result = Value::Int(x.i == std::numeric_limits<int>::min() ? x.i : std::abs(x.i));
        return true;
    }
    if (IsVectorLike(x))
    {
        Vector3 v;
        if (!ArgVector(arguments, 0, v, error))
            return false;
        result = Value::Vector({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
        return true;
    }
    double f = 0.0;
    if (!ArgFloat(arguments, 0, f, error))
        return false;
    result = Value::Float(std::fabs(f));
    return true;
}

template <bool kMax>
bool MinMax(Args& arguments, Value& result, std::string& error)
{
    if (arguments[0].GetType() == Type::kInt && arguments[1].GetType() == Type::kInt)
    {
        result = Value::Int(kMax ? std::max(arguments[0].i, arguments[1].i) : std::min(arguments[0].i, arguments[1].i));
        return true;
    }
    double a = 0.0;
    double b = 0.0;
    if (!ArgFloat(arguments, 0, a, error) || !ArgFloat(arguments, 1, b, error))
        return false;
    result = Value::Float(kMax ? std::max(a, b) : std::min(a, b));
    return true;
}

bool Equivalent(Args& arguments, Value& result, std::string& error)
{
    double a = 0.0;
    double b = 0.0;
    double tolerance = 0.0001; // Maya's default for equivalent
    if (!ArgFloat(arguments, 0, a, error) || !ArgFloat(arguments, 1, b, error))
        return false;
    if (arguments.size() > 2 && !ArgFloat(arguments, 2, tolerance, error))
        return false;
    result = Value::Int(std::fabs(a - b) <= tolerance ? 1 : 0);
    return true;
}

// Vectors.

double Dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

double Length(const Vector3& v)
{
    return std::sqrt(Dot(v, v));
}

Vector3 Cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// A zero vector has no direction; it stays zero rather than becoming NaNs.
Vector3 Unit(const Vector3& v)
{
    const double length = Length(v);
    if (length == 0.0)
        return v;
    return {v.x / length, v.y / length, v.z / length};
}

bool Mag(Args& arguments, Value& result, std::string& error)
{
    Vector3 v;
    if (!ArgVector(arguments, 0, v, error))
        return false;
    result = Value::Float(Length(v));
    return true;
}

bool UnitVector(Args& arguments, Value& result, std::string& error)
{
    Vector3 v;
    if (!ArgVector(arguments, 0, v, error))
        return false;
    result = Value::Vector(Unit(v));
    return true;
}

bool CrossProduct(Args& arguments, Value& result, std::string& error)
{
    Vector3 a;
    Vector3 b;
    if (!ArgVector(arguments, 0, a, error) || !ArgVector(arguments, 1, b, error))
        return false;
    result = Value::Vector(Cross(a, b));
    return true;
}

bool DotProduct(Args& arguments, Value& result, std::string& error)
{
    Vector3 a;
    Vector3 b;
    if (!ArgVector(arguments, 0, a, error) || !ArgVector(arguments, 1, b, error))
        return false;
    result = Value::Float(Dot(a, b));
    return true;
}

bool Angle(Args& arguments, Value& result, std::string& error)
{
    Vector3 a;
    Vector3 b;
    if (!ArgVector(arguments, 0, a, error) || !ArgVector(arguments, 1, b, error))
        return false;
    // atan2 of |a x b| and a.b keeps precision near 0 and pi, where acos of
    // the normalised dot product loses it.
    result = Value::Float(std::atan2(Length(Cross(a, b)), Dot(a, b)));
    return true;
}

// rot(v, axis, radians): v turned about the axis by the right-hand rule
// (Rodrigues' formula).
bool Rot(Args& arguments, Value& result, std::string& error)
{
    Vector3 v;
    Vector3 axis;
    double angle = 0.0;
    if (!ArgVector(arguments, 0, v, error) || !ArgVector(arguments, 1, axis, error) ||
        !ArgFloat(arguments, 2, angle, error))
        return false;
    const Vector3 k = Unit(axis);
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const Vector3 kxv = Cross(k, v);
    const double kv = Dot(k, v) * (1.0 - c);
    result = Value::Vector({v.x * c + kxv.x * s + k.x * kv, v.y * c + kxv.y * s + k.y * kv,
                            v.z * c + kxv.z * s + k.z * kv});
    return true;
}

// Random numbers, from the scripts' own generator.

double Between(double low, double high)
{
    return low + (high - low) * ScriptUniform();
}

// rand(max), rand(min, max); a vector anywhere makes every bound a vector
// and the result a vector, each component drawn in its own range.
bool Rand(Args& arguments, Value& result, std::string& error)
{
    const bool vector = std::any_of(arguments.begin(), arguments.end(), IsVectorLike);
    if (vector)
    {
        Vector3 low;
        Vector3 high;
        if (!ArgVector(arguments, 0, high, error))
            return false;
        if (arguments.size() == 2)
        {
            low = high;
            if (!ArgVector(arguments, 1, high, error))
                return false;
        }
        // Drawn in x, y, z order so that a seed fixes each component.
        const double x = Between(low.x, high.x);
        const double y = Between(low.y, high.y);
        const double z = Between(low.z, high.z);
        result = Value::Vector({x, y, z});
        return true;
    }
    double low = 0.0;
    double high = 0.0;
    if (!ArgFloat(arguments, 0, high, error))
        return false;
    if (arguments.size() == 2)
    {
        low = high;
        if (!ArgFloat(arguments, 1, high, error))
            return false;
    }
    result = Value::Float(Between(low, high));
    return true;
}

// A point uniformly inside the unit sphere, by rejection from the cube
// around it (on average 1.9 tries).
Vector3 InUnitSphere()
{
    for (;;)
    {
        const double x = 2.0 * ScriptUniform() - 1.0;
        const double y = 2.0 * ScriptUniform() - 1.0;
        const double z = 2.0 * ScriptUniform() - 1.0;
        if (x * x + y * y + z * z <= 1.0)
            return {x, y, z};
    }
}

// sphrand(radius) is uniform inside a sphere; sphrand(<<a, b, c>>) inside
// the ellipsoid with those semi-axes.
bool Sphrand(Args& arguments, Value& result, std::string& error)
{
    Vector3 radius;
    if (IsVectorLike(arguments[0]))
    {
        if (!ArgVector(arguments, 0, radius, error))
            return false;
    }
    else
    {
        // Read as one number, so that a string radius "2" is 2 every way
        // rather than the vector <<2, 0, 0>>.
        double r = 0.0;
        if (!ArgFloat(arguments, 0, r, error))
            return false;
        radius = {r, r, r};
    }
    const Vector3 p = InUnitSphere();
    result = Value::Vector({p.x * radius.x, p.y * radius.y, p.z * radius.z});
    return true;
}

// One standard normal draw (Box-Muller; 1 - u keeps the log finite).
double StandardNormal()
{
    const double u = 1.0 - ScriptUniform();
    const double w = ScriptUniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * w);
}

// gauss(sd) is a float; gauss(sdX, sdY) a vector in the XY plane;
// gauss(<<sdX, sdY, sdZ>>) a vector.
bool Gauss(Args& arguments, Value& result, std::string& error)
{
    if (arguments.size() == 1 && !IsVectorLike(arguments[0]))
    {
        double sd = 0.0;
        if (!ArgFloat(arguments, 0, sd, error))
            return false;
        result = Value::Float(sd * StandardNormal());
        return true;
    }
    Vector3 sd;
    if (arguments.size() == 2)
    {
        if (!ArgFloat(arguments, 0, sd.x, error) || !ArgFloat(arguments, 1, sd.y, error))
            return false;
    }
    else if (!ArgVector(arguments, 0, sd, error))
        return false;
    const double x = sd.x * StandardNormal();
    const double y = sd.y * StandardNormal();
    const double z = sd.z == 0.0 ? 0.0 : sd.z * StandardNormal();
    result = Value::Vector({x, y, z});
    return true;
}

constexpr Builtin kMath[] = {
    {"abs", 1, 1, 0, Abs},
    {"sqrt", 1, 1, 0, Unary<Sqrt>},
    {"pow", 2, 2, 0, Binary<Pow>},
    {"exp", 1, 1, 0, Unary<Exp>},
    {"log", 1, 1, 0, Unary<Log>},
    {"log10", 1, 1, 0, Unary<Log10>},
    {"sin", 1, 1, 0, Unary<Sin>},
    {"cos", 1, 1, 0, Unary<Cos>},
    {"tan", 1, 1, 0, Unary<Tan>},
    {"asin", 1, 1, 0, Unary<Asin>},
    {"acos", 1, 1, 0, Unary<Acos>},
    {"atan", 1, 1, 0, Unary<Atan>},
    {"atan2", 2, 2, 0, Binary<Atan2>},
    {"sind", 1, 1, 0, Unary<Sind>},
    {"cosd", 1, 1, 0, Unary<Cosd>},
    {"tand", 1, 1, 0, Unary<Tand>},
    {"asind", 1, 1, 0, Unary<Asind>},
    {"acosd", 1, 1, 0, Unary<Acosd>},
    {"atand", 1, 1, 0, Unary<Atand>},
    {"atan2d", 2, 2, 0, Binary<Atan2d>},
    {"deg_to_rad", 1, 1, 0, Unary<DegToRad>},
    {"rad_to_deg", 1, 1, 0, Unary<RadToDeg>},
    {"floor", 1, 1, 0, Unary<Floor>},
    {"ceil", 1, 1, 0, Unary<Ceil>},
    {"trunc", 1, 1, 0, Unary<Trunc>},
    {"sign", 1, 1, 0, Unary<Sign>},
    {"min", 2, 2, 0, MinMax<false>},
    {"max", 2, 2, 0, MinMax<true>},
    {"clamp", 3, 3, 0, Ternary<Clamp>},
    {"hypot", 2, 2, 0, Binary<Hypot>},
    {"fmod", 2, 2, 0, Binary<Fmod>},
    {"linstep", 3, 3, 0, Ternary<Linstep>},
    {"smoothstep", 3, 3, 0, Ternary<Smoothstep>},
    {"equivalent", 2, 2, 0, Equivalent},
    {"equivalentTol", 3, 3, 0, Equivalent},
    {"mag", 1, 1, 0, Mag},
    {"unit", 1, 1, 0, UnitVector},
    {"normalize", 1, 1, 0, UnitVector},
    {"cross", 2, 2, 0, CrossProduct},
    {"dot", 2, 2, 0, DotProduct},
    {"angle", 2, 2, 0, Angle},
    {"rot", 3, 3, 0, Rot},
    {"rand", 1, 2, 0, Rand},
    {"sphrand", 1, 1, 0, Sphrand},
    {"gauss", 1, 2, 0, Gauss},
};

} // namespace

std::span<const Builtin> MathBuiltins()
{
    return kMath;
}

} // namespace vxhost::mel
