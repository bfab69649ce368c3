// MEL's values and the conversions it makes between them, silently or not.

#include "mel/Value.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>

namespace vxhost::mel
{
namespace
{

// MEL reads the number a string starts with and ignores the rest, so
// "12abc" is 12 and "abc" is 0. strtod is not used: it would also accept
// hex, "inf" and "nan", which MEL reads as 0. `pos` is left after the number.
double ReadLeadingNumber(const std::string& text, std::size_t& pos)
{
    std::size_t i = pos;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const auto digit = [&](std::size_t at) { return at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); };
    bool digits = false;
    while (digit(i))
    {
        ++i;
        digits = true;
    }
    if (i < text.size() && text[i] == '.')
    {
        ++i;
        while (digit(i))
        {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    // An exponent counts only when digits follow it ("2e" is 2).
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E'))
    {
        std::size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        if (digit(e))
        {
            while (digit(e))
                ++e;
            i = e;
        }
    }
    pos = i;
    return std::strtod(text.substr(start, i - start).c_str(), nullptr);
}

double ReadLeadingNumber(const std::string& text)
{
    std::size_t pos = 0;
    return ReadLeadingNumber(text, pos);
}

int SaturatingInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<int>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<int>::min();
    return static_cast<int>(value); // truncates toward zero
}

double Magnitude(const Vector3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

std::string VectorText(const Vector3& v)
{
    return FormatMelFloat(v.x) + " " + FormatMelFloat(v.y) + " " + FormatMelFloat(v.z);
}

// A string gives a vector of the (up to) three numbers it starts with, the
// missing ones 0: "1 2" is <<1, 2, 0>>.
Vector3 VectorFromText(const std::string& text)
{
    double c[3] = {0.0, 0.0, 0.0};
    std::size_t pos = 0;
    for (double& component : c)
    {
        const std::size_t before = pos;
        component = ReadLeadingNumber(text, pos);
        if (pos == before)
            break;
    }
    return {c[0], c[1], c[2]};
}

// Element-wise conversion of the scalar members of one array into another.
template <typename To, typename From, typename Convert>
std::vector<To> MapElements(const std::vector<From>& from, Convert convert)
{
    std::vector<To> to;
    to.reserve(from.size());
    for (const From& element : from)
        to.push_back(convert(element));
    return to;
}

bool ConvertArray(const Value& value, Type type, Value& out)
{
    switch (type)
    {
    case Type::kIntArray:
        if (value.GetType() == Type::kFloatArray)
            out = Value::Ints(MapElements<int>(value.fa, SaturatingInt));
        else if (value.GetType() == Type::kStringArray)
            out = Value::Ints(MapElements<int>(value.sa, [](const std::string& s) { return SaturatingInt(ReadLeadingNumber(s)); }));
        else
            return false;
        return true;
    case Type::kFloatArray:
        if (value.GetType() == Type::kIntArray)
            out = Value::Floats(MapElements<double>(value.ia, [](int i) { return static_cast<double>(i); }));
        else if (value.GetType() == Type::kStringArray)
            out = Value::Floats(MapElements<double>(value.sa, [](const std::string& s) { return ReadLeadingNumber(s); }));
        else
            return false;
        return true;
    case Type::kStringArray:
        if (value.GetType() == Type::kIntArray)
            out = Value::Strings(MapElements<std::string>(value.ia, [](int i) { return std::to_string(i); }));
        else if (value.GetType() == Type::kFloatArray)
            out = Value::Strings(MapElements<std::string>(value.fa, FormatMelFloat));
        else if (value.GetType() == Type::kVectorArray)
            out = Value::Strings(MapElements<std::string>(value.va, VectorText));
        else
            return false;
        return true;
    case Type::kVectorArray:
        if (value.GetType() == Type::kStringArray)
            out = Value::Vectors(MapElements<Vector3>(value.sa, VectorFromText));
        else
            return false;
        return true;
    default:
        return false;
    }
}

} // namespace

const char* TypeName(Type type)
{
    switch (type)
    {
    case Type::kNone: return "none";
    case Type::kInt: return "int";
    case Type::kFloat: return "float";
    case Type::kString: return "string";
    case Type::kVector: return "vector";
    case Type::kMatrix: return "matrix";
    case Type::kIntArray: return "int[]";
    case Type::kFloatArray: return "float[]";
    case Type::kStringArray: return "string[]";
    case Type::kVectorArray: return "vector[]";
    }
    return "none";
}

bool IsArray(Type type)
{
    return type == Type::kIntArray || type == Type::kFloatArray || type == Type::kStringArray ||
           type == Type::kVectorArray;
}

Type ElementType(Type type)
{
    switch (type)
    {
    case Type::kIntArray: return Type::kInt;
    case Type::kFloatArray: return Type::kFloat;
    case Type::kStringArray: return Type::kString;
    case Type::kVectorArray: return Type::kVector;
    default: return type;
    }
}

Type ArrayType(Type type)
{
    switch (type)
    {
    case Type::kInt: return Type::kIntArray;
    case Type::kFloat: return Type::kFloatArray;
    case Type::kString: return Type::kStringArray;
    case Type::kVector: return Type::kVectorArray;
    default: return Type::kNone;
    }
}

Value Value::String(std::string value)
{
    Value result;
    result.fType = Type::kString;
    result.s = std::move(value);
    return result;
}

Value Value::Ints(std::vector<int> values)
{
    Value result;
    result.fType = Type::kIntArray;
    result.ia = std::move(values);
    return result;
}

Value Value::Floats(std::vector<double> values)
{
    Value result;
    result.fType = Type::kFloatArray;
    result.fa = std::move(values);
    return result;
}

Value Value::Strings(std::vector<std::string> values)
{
    Value result;
    result.fType = Type::kStringArray;
    result.sa = std::move(values);
    return result;
}

Value Value::Vectors(std::vector<Vector3> values)
{
    Value result;
    result.fType = Type::kVectorArray;
    result.va = std::move(values);
    return result;
}

Value Value::MatrixValue(Matrix value)
{
    Value result;
    result.fType = Type::kMatrix;
    result.m = std::move(value);
    return result;
}

Value Value::Default(Type type)
{
    switch (type)
    {
    case Type::kInt: return Int(0);
    case Type::kFloat: return Float(0.0);
    case Type::kString: return String({});
    case Type::kVector: return Vector({});
    case Type::kMatrix: return MatrixValue({});
    case Type::kIntArray: return Ints({});
    case Type::kFloatArray: return Floats({});
    case Type::kStringArray: return Strings({});
    case Type::kVectorArray: return Vectors({});
    case Type::kNone: break;
    }
    return Value();
}

std::size_t Value::Size() const
{
    switch (fType)
    {
    case Type::kIntArray: return ia.size();
    case Type::kFloatArray: return fa.size();
    case Type::kStringArray: return sa.size();
    case Type::kVectorArray: return va.size();
    default: return 0;
    }
}

bool ToFloat(const Value& value, double& out)
{
    switch (value.GetType())
    {
    case Type::kInt: out = value.i; return true;
    case Type::kFloat: out = value.f; return true;
    case Type::kString: out = ReadLeadingNumber(value.s); return true;
    // MEL takes a vector's length where it wants a number.
    case Type::kVector: out = Magnitude(value.v); return true;
    default: return false;
    }
}

bool ToInt(const Value& value, int& out)
{
    if (value.GetType() == Type::kInt)
    {
        out = value.i;
        return true;
    }
    double f = 0.0;
    if (!ToFloat(value, f))
        return false;
    out = SaturatingInt(f);
    return true;
}

bool ToString(const Value& value, std::string& out)
{
    switch (value.GetType())
    {
    case Type::kInt: out = std::to_string(value.i); return true;
    case Type::kFloat: out = FormatMelFloat(value.f); return true;
    case Type::kString: out = value.s; return true;
    case Type::kVector: out = VectorText(value.v); return true;
    default: return false;
    }
}

bool ToVector(const Value& value, Vector3& out)
{
    switch (value.GetType())
    {
    case Type::kInt:
    case Type::kFloat:
    {
        double f = 0.0;
        ToFloat(value, f);
        out = {f, f, f};
        return true;
    }
    case Type::kString: out = VectorFromText(value.s); return true;
    case Type::kVector: out = value.v; return true;
    case Type::kFloatArray:
        if (value.fa.size() != 3)
            return false;
        out = {value.fa[0], value.fa[1], value.fa[2]};
        return true;
    case Type::kIntArray:
        if (value.ia.size() != 3)
            return false;
        out = {static_cast<double>(value.ia[0]), static_cast<double>(value.ia[1]), static_cast<double>(value.ia[2])};
        return true;
    default: return false;
    }
}

bool ConvertTo(const Value& value, Type type, Value& out)
{
    const Type from = value.GetType();
    if (from == Type::kNone || type == Type::kNone)
        return false;
    if (from == type)
    {
        out = value;
        return true;
    }
    switch (type)
    {
    case Type::kInt:
    {
        int i = 0;
        if (!ToInt(value, i))
            return false;
        out = Value::Int(i);
        return true;
    }
    case Type::kFloat:
    {
        double f = 0.0;
        if (!ToFloat(value, f))
            return false;
        out = Value::Float(f);
        return true;
    }
    case Type::kString:
    {
        std::string s;
        if (!ToString(value, s))
            return false;
        out = Value::String(std::move(s));
        return true;
    }
    case Type::kVector:
    {
        Vector3 v;
        if (!ToVector(value, v))
            return false;
        out = Value::Vector(v);
        return true;
    }
    case Type::kMatrix: return false;
    default: break;
    }
    // To an array: a vector spreads into three floats, a scalar of the
    // element type becomes a one-element array, arrays map element-wise.
    if (from == Type::kVector && type == Type::kFloatArray)
    {
        out = Value::Floats({value.v.x, value.v.y, value.v.z});
        return true;
    }
    if (!IsArray(from))
    {
        if (ElementType(type) != from)
            return false;
        Value single = Value::Default(type);
        switch (from)
        {
        case Type::kInt: single.ia.push_back(value.i); break;
        case Type::kFloat: single.fa.push_back(value.f); break;
        case Type::kString: single.sa.push_back(value.s); break;
        case Type::kVector: single.va.push_back(value.v); break;
        default: return false;
        }
        out = std::move(single);
        return true;
    }
    return ConvertArray(value, type, out);
}

std::string ConversionError(Type from, Type to)
{
    return std::string("Cannot convert data of type ") + TypeName(from) + " to type " + TypeName(to) + ".";
}

std::string FormatMelFloat(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", value);
    return buffer;
}

std::string PrintText(const Value& value)
{
    std::string text;
    const auto line = [&text](const std::string& element)
    {
        text += element;
        text += '\n';
    };
    switch (value.GetType())
    {
    case Type::kNone: break;
    case Type::kInt:
    case Type::kFloat:
    case Type::kString:
    case Type::kVector: ToString(value, text); break;
    case Type::kIntArray:
        for (int i : value.ia)
            line(std::to_string(i));
        break;
    case Type::kFloatArray:
        for (double f : value.fa)
            line(FormatMelFloat(f));
        break;
    case Type::kStringArray:
        for (const std::string& s : value.sa)
            line(s);
        break;
    case Type::kVectorArray:
        for (const Vector3& v : value.va)
            line(VectorText(v));
        break;
    case Type::kMatrix:
        // One line per row, values separated by spaces: the layout a reader
        // of the log (or a tool splitting lines) expects of rows of numbers.
        for (int r = 0; r < value.m.rows; ++r)
        {
            std::string row;
            for (int c = 0; c < value.m.columns; ++c)
            {
                const std::size_t index = static_cast<std::size_t>(r) * static_cast<std::size_t>(value.m.columns) +
                                          static_cast<std::size_t>(c);
                if (c > 0)
                    row += ' ';
                row += FormatMelFloat(index < value.m.values.size() ? value.m.values[index] : 0.0);
            }
            line(row);
        }
        break;
    }
    return text;
}

std::size_t ElementBytes(Type type)
{
    switch (type)
    {
    case Type::kIntArray:
        return sizeof(int);
    case Type::kFloatArray:
        return sizeof(double);
    case Type::kStringArray:
        return sizeof(std::string);
    default:
        return sizeof(Vector3);
    }
}

void ResizeArray(Value& array, std::size_t size)
{
    switch (array.GetType())
    {
    case Type::kIntArray:
        array.ia.resize(size);
        break;
    case Type::kFloatArray:
        array.fa.resize(size);
        break;
    case Type::kStringArray:
        array.sa.resize(size);
        break;
    case Type::kVectorArray:
        array.va.resize(size);
        break;
    default:
        break;
    }
}

Value ArrayElement(const Value& array, std::size_t index)
{
    if (index >= array.Size())
        return Value::Default(ElementType(array.GetType()));
    switch (array.GetType())
    {
    case Type::kIntArray:
        return Value::Int(array.ia[index]);
    case Type::kFloatArray:
        return Value::Float(array.fa[index]);
    case Type::kStringArray:
        return Value::String(array.sa[index]);
    default:
        return Value::Vector(array.va[index]);
    }
}

void SetArrayElement(Value& array, std::size_t index, const Value& element)
{
    switch (array.GetType())
    {
    case Type::kIntArray:
        array.ia[index] = element.i;
        break;
    case Type::kFloatArray:
        array.fa[index] = element.f;
        break;
    case Type::kStringArray:
        array.sa[index] = element.s;
        break;
    default:
        array.va[index] = element.v;
        break;
    }
}


} // namespace vxhost::mel
