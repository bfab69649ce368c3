#pragma once
/// \file Value.h
/// A value of the scene-script language (MEL): an int, float, string,
/// vector or matrix, or an array of ints, floats, strings or vectors.
///
/// Values are plain and copyable. Scalars need no allocation, so loops over
/// ints and floats stay cheap; only the member that the type uses holds
/// anything.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vxhost::mel
{

enum class Type : std::uint8_t
{
    kNone, ///< what a procedure without a return type, or a command without a result, gives
    kInt,
    kFloat,
    kString,
    kVector,
    kMatrix,
    kIntArray,
    kFloatArray,
    kStringArray,
    kVectorArray
};

/// The type as MEL writes it: "int", "float[]", "string[]", "vector" ...
/// ("none" for kNone).
const char* TypeName(Type type);
bool IsArray(Type type);
/// The element type of an array type (kInt for kIntArray ...); the type
/// itself for a scalar.
Type ElementType(Type type);
/// The array type of a scalar type (kIntArray for kInt ...); kNone for a
/// matrix or an array.
Type ArrayType(Type type);

struct Vector3
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

/// A matrix: rows x columns floats, row by row.
struct Matrix
{
    int rows = 0;
    int columns = 0;
    std::vector<double> values;
};

class Value
{
public:
    Value() = default;
    // Copies and moves touch only the member the type uses, so passing a
    // number around costs a few words, not the whole set of members.
    Value(const Value& other) : i(other.i), f(other.f), v(other.v), fType(other.fType) { CopyHeld(other); }
    Value(Value&& other) noexcept : i(other.i), f(other.f), v(other.v), fType(other.fType) { MoveHeld(other); }
    Value& operator=(const Value& other);
    Value& operator=(Value&& other) noexcept;
    ~Value() = default;

    static Value Int(int value)
    {
        Value result;
        result.fType = Type::kInt;
        result.i = value;
        return result;
    }
    static Value Float(double value)
    {
        Value result;
        result.fType = Type::kFloat;
        result.f = value;
        return result;
    }
    static Value String(std::string value);
    static Value Vector(Vector3 value)
    {
        Value result;
        result.fType = Type::kVector;
        result.v = value;
        return result;
    }
    static Value Ints(std::vector<int> values);
    static Value Floats(std::vector<double> values);
    static Value Strings(std::vector<std::string> values);
    static Value Vectors(std::vector<Vector3> values);
    static Value MatrixValue(Matrix value);
    /// The zero value of a type: 0, 0.0, "", <<0, 0, 0>>, an empty array.
    static Value Default(Type type);

    Type GetType() const { return fType; }

    // Direct access to the member the type uses.
    int i = 0;                       ///< kInt
    double f = 0.0;                  ///< kFloat
    std::string s;                   ///< kString
    Vector3 v;                       ///< kVector
    Matrix m;                        ///< kMatrix
    std::vector<int> ia;             ///< kIntArray
    std::vector<double> fa;          ///< kFloatArray
    std::vector<std::string> sa;     ///< kStringArray
    std::vector<Vector3> va;         ///< kVectorArray

    /// Elements of an array (0 for a scalar).
    std::size_t Size() const;

private:
    // The member of the type that owns memory (a string, a matrix, an
    // array): copied, moved, or released when the type changes.
    void CopyHeld(const Value& other);
    void MoveHeld(Value& other) noexcept;
    void ReleaseHeld() noexcept;

    Type fType = Type::kNone;
};

inline void Value::CopyHeld(const Value& other)
{
    switch (other.fType)
    {
    case Type::kString: s = other.s; break;
    case Type::kMatrix: m = other.m; break;
    case Type::kIntArray: ia = other.ia; break;
    case Type::kFloatArray: fa = other.fa; break;
    case Type::kStringArray: sa = other.sa; break;
    case Type::kVectorArray: va = other.va; break;
    default: break;
    }
}

inline void Value::MoveHeld(Value& other) noexcept
{
    switch (other.fType)
    {
    case Type::kString: s = std::move(other.s); break;
    case Type::kMatrix: m = std::move(other.m); break;
    case Type::kIntArray: ia = std::move(other.ia); break;
    case Type::kFloatArray: fa = std::move(other.fa); break;
    case Type::kStringArray: sa = std::move(other.sa); break;
    case Type::kVectorArray: va = std::move(other.va); break;
    default: break;
    }
}

inline void Value::ReleaseHeld() noexcept
{
    switch (fType)
    {
    case Type::kString: s = std::string(); break;
    case Type::kMatrix: m = Matrix(); break;
    case Type::kIntArray: ia = std::vector<int>(); break;
    case Type::kFloatArray: fa = std::vector<double>(); break;
    case Type::kStringArray: sa = std::vector<std::string>(); break;
    case Type::kVectorArray: va = std::vector<Vector3>(); break;
    default: break;
    }
}

inline Value& Value::operator=(const Value& other)
{
    if (this == &other)
        return *this;
    if (fType != other.fType)
        ReleaseHeld();
    i = other.i;
    f = other.f;
    v = other.v;
    fType = other.fType;
    CopyHeld(other);
    return *this;
}

inline Value& Value::operator=(Value&& other) noexcept
{
    if (this == &other)
        return *this;
    if (fType != other.fType)
        ReleaseHeld();
    i = other.i;
    f = other.f;
    v = other.v;
    fType = other.fType;
    MoveHeld(other);
    return *this;
}

/// Arrays element by element; `array` must be of an array type.
/// The bytes an element of an array type takes, for memory estimates.
std::size_t ElementBytes(Type arrayType);
/// Grows (with zeros) or shrinks the array to `size` elements.
void ResizeArray(Value& array, std::size_t size);
/// Element `index`; past the end it is the element type's zero, as MEL
/// reads it.
Value ArrayElement(const Value& array, std::size_t index);
/// Sets element `index` (< size) from a value of the element type.
void SetArrayElement(Value& array, std::size_t index, const Value& element);

/// MEL's conversions. Each returns false, leaving `out` alone, only where MEL
/// itself refuses ("Cannot convert data of type string[] to type float."):
/// an array to a scalar, a scalar to an array other than by its own element
/// type... Conversions that MEL makes silently succeed:
///   - float to int truncates toward zero (out-of-range floats saturate);
///   - int to float is exact;
///   - a number to string prints it as MEL prints it (FormatMelFloat);
///   - a string to a number reads its leading number ("12abc" is 12, "abc"
///     is 0), as MEL does;
///   - a vector to float[] (three elements) and float[] / int[] of exactly
///     three elements to a vector; a number to a vector fills all three;
///   - a vector to string is "x y z";
///   - arrays convert element by element between int[], float[] and
///     string[].
bool ToInt(const Value& value, int& out);
bool ToFloat(const Value& value, double& out);
bool ToString(const Value& value, std::string& out);
bool ToVector(const Value& value, Vector3& out);
/// Converts to any type (the rules above); kNone converts to nothing.
bool ConvertTo(const Value& value, Type type, Value& out);
/// "Cannot convert data of type FROM to type TO.", the message of a failed
/// conversion.
std::string ConversionError(Type from, Type to);

/// A float as MEL prints it and turns it into a string: up to ten
/// significant digits, no trailing zeros, whole numbers without a decimal
/// point ("0.3333333333", "2.5", "3", "1e+20").
std::string FormatMelFloat(double value);

/// The value as `print` shows it: scalars as text, a vector as "x y z",
/// arrays one element per line (each followed by a newline), a matrix row
/// by row.
std::string PrintText(const Value& value);

} // namespace vxhost::mel
