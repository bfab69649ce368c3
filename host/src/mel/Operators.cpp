#include "mel/Operators.h"

#include "mel/Ast.h"

#include <climits>
#include <cmath>
#include <utility>

namespace vxhost::mel
{
namespace
{

bool IsNumber(Type type)
{
    return type == Type::kInt || type == Type::kFloat;
}

double AsDouble(const Value& value)
{
    return value.GetType() == Type::kInt ? static_cast<double>(value.i) : value.f;
}

// MEL's ints are 32 bits and wrap as the hardware does; computed in 64 bits
// so that overflow is never undefined.
int Wrap(long long value)
{
    return static_cast<int>(static_cast<unsigned int>(static_cast<unsigned long long>(value)));
}

bool Compare(int op, double a, double b)
{
    switch (op)
    {
    case '<':
        return a < b;
    case '>':
        return a > b;
    case kOpLessEqual:
        return a <= b;
    case kOpGreaterEqual:
        return a >= b;
    case kOpEqual:
        return a == b;
    default:
        return a != b;
    }
}

bool IsComparison(int op)
{
    return op == '<' || op == '>' || op == kOpLessEqual || op == kOpGreaterEqual || op == kOpEqual ||
           op == kOpNotEqual;
}

bool Illegal(int op, const Value& a, const Value& b, std::string& error)
{
    const Type bad = (IsNumber(a.GetType()) || a.GetType() == Type::kVector) ? b.GetType() : a.GetType();
    error = "Illegal operation \"" + OperatorText(op) + "\" on data of type " + TypeName(bad) + ".";
    return false;
}

bool IntOp(int op, int a, int b, Value& out, std::string& error)
{
    const long long x = a;
    const long long y = b;
    switch (op)
    {
    case '+':
        out = Value::Int(Wrap(x + y));
        return true;
    case '-':
        out = Value::Int(Wrap(x - y));
        return true;
    case '*':
        out = Value::Int(Wrap(x * y));
        return true;
    case '/':
    case '%':
        if (b == 0)
        {
            error = "Division by zero.";
            return false;
        }
        out = Value::Int(Wrap(op == '/' ? x / y : x % y));
        return true;
    default:
        error = "Illegal operation \"^\" on data of type int.";
        return false;
    }
}

bool FloatOp(int op, double a, double b, Value& out, std::string& error)
{
    switch (op)
    {
    case '+':
        out = Value::Float(a + b);
        return true;
    case '-':
        out = Value::Float(a - b);
        return true;
    case '*':
        out = Value::Float(a * b);
        return true;
    case '/':
        out = Value::Float(a / b);
        return true;
    case '%':
        out = Value::Float(std::fmod(a, b));
        return true;
    default:
        error = "Illegal operation \"^\" on data of type float.";
        return false;
    }
}

bool VectorOp(int op, const Value& a, const Value& b, Value& out, std::string& error)
{
    const bool va = a.GetType() == Type::kVector;
    const bool vb = b.GetType() == Type::kVector;
    if (va && vb)
    {
        const Vector3& p = a.v;
        const Vector3& q = b.v;
        switch (op)
        {
        case '+':
            out = Value::Vector({p.x + q.x, p.y + q.y, p.z + q.z});
            return true;
        case '-':
            out = Value::Vector({p.x - q.x, p.y - q.y, p.z - q.z});
            return true;
        case '*':
            out = Value::Float(p.x * q.x + p.y * q.y + p.z * q.z);
            return true;
        case '^':
            out = Value::Vector({p.y * q.z - p.z * q.y, p.z * q.x - p.x * q.z, p.x * q.y - p.y * q.x});
            return true;
        case kOpEqual:
        case kOpNotEqual:
        {
            const bool same = p.x == q.x && p.y == q.y && p.z == q.z;
            out = Value::Int((op == kOpEqual) == same ? 1 : 0);
            return true;
        }
        default:
            return Illegal(op, a, b, error);
        }
    }
    // A vector and a number.
    const Vector3& p = va ? a.v : b.v;
    const double s = AsDouble(va ? b : a);
    switch (op)
    {
    case '*':
        out = Value::Vector({p.x * s, p.y * s, p.z * s});
        return true;
    case '/':
        if (!va)
            return Illegal(op, a, b, error);
        out = Value::Vector({p.x / s, p.y / s, p.z / s});
        return true;
    case '+':
        out = Value::Vector({p.x + s, p.y + s, p.z + s});
        return true;
    case '-':
        out = va ? Value::Vector({p.x - s, p.y - s, p.z - s}) : Value::Vector({s - p.x, s - p.y, s - p.z});
        return true;
    default:
        return Illegal(op, a, b, error);
    }
}

bool MatrixMultiply(const Value& a, const Value& b, Value& out, std::string& error)
{
    const Matrix& p = a.m;
    const Matrix& q = b.m;
    if (p.columns != q.rows)
    {
        error = "Cannot multiply a " + std::to_string(p.rows) + "x" + std::to_string(p.columns) + " matrix by a " +
                std::to_string(q.rows) + "x" + std::to_string(q.columns) + " matrix.";
        return false;
    }
    Matrix product;
    product.rows = p.rows;
    product.columns = q.columns;
    product.values.assign(static_cast<std::size_t>(p.rows) * static_cast<std::size_t>(q.columns), 0.0);
    for (int r = 0; r < p.rows; ++r)
        for (int c = 0; c < q.columns; ++c)
        {
            double sum = 0.0;
            for (int k = 0; k < p.columns; ++k)
                sum += p.values[static_cast<std::size_t>(r * p.columns + k)] *
                       q.values[static_cast<std::size_t>(k * q.columns + c)];
            product.values[static_cast<std::size_t>(r * q.columns + c)] = sum;
        }
    out = Value::MatrixValue(std::move(product));
    return true;
}

} // namespace

std::string OperatorText(int op)
{
    switch (op)
    {
    case kOpEqual:
        return "==";
    case kOpNotEqual:
        return "!=";
    case kOpLessEqual:
        return "<=";
    case kOpGreaterEqual:
        return ">=";
    default:
        return std::string(1, static_cast<char>(op));
    }
}

bool ApplyBinary(int op, const Value& a, const Value& b, Value& out, std::string& error)
{
    const Type ta = a.GetType();
    const Type tb = b.GetType();
    if (ta == Type::kInt && tb == Type::kInt)
    {
        if (IsComparison(op))
        {
            out = Value::Int(Compare(op, a.i, b.i) ? 1 : 0);
            return true;
        }
        return IntOp(op, a.i, b.i, out, error);
    }
    if (IsNumber(ta) && IsNumber(tb))
    {
        if (IsComparison(op))
        {
            out = Value::Int(Compare(op, AsDouble(a), AsDouble(b)) ? 1 : 0);
            return true;
        }
        return FloatOp(op, AsDouble(a), AsDouble(b), out, error);
    }
    const bool sa = ta == Type::kString;
    const bool sb = tb == Type::kString;
    if ((sa || sb) && op == '+' && !IsArray(ta) && !IsArray(tb) && ta != Type::kMatrix && tb != Type::kMatrix)
    {
        // Strings are joined where they stand; only a number is printed first.
        std::string leftText;
        std::string rightText;
        const std::string& left = sa ? a.s : (ToString(a, leftText), leftText);
        const std::string& right = sb ? b.s : (ToString(b, rightText), rightText);
        if (left.size() + right.size() > kMaxStringBytes)
        {
            error = "A string of " + std::to_string(left.size() + right.size()) +
                    " bytes is longer than a script may make (" + std::to_string(kMaxStringBytes) + ").";
            return false;
        }
        std::string joined;
        joined.reserve(left.size() + right.size());
        joined.append(left).append(right);
        out = Value::String(std::move(joined));
        return true;
    }
    if (sa && sb && IsComparison(op))
    {
        const int order = a.s.compare(b.s);
        out = Value::Int(Compare(op, order, 0) ? 1 : 0);
        return true;
    }
    if ((ta == Type::kVector && (tb == Type::kVector || IsNumber(tb))) || (IsNumber(ta) && tb == Type::kVector))
        return VectorOp(op, a, b, out, error);
    if (ta == Type::kMatrix && tb == Type::kMatrix && op == '*')
        return MatrixMultiply(a, b, out, error);
    return Illegal(op, a, b, error);
}

bool ApplyUnary(int op, const Value& a, Value& out, std::string& error)
{
    if (op == '!')
    {
        bool truth = false;
        if (!IsTrue(a, truth, error))
            return false;
        out = Value::Int(truth ? 0 : 1);
        return true;
    }
    switch (a.GetType())
    {
    case Type::kInt:
        out = Value::Int(Wrap(-static_cast<long long>(a.i)));
        return true;
    case Type::kFloat:
        out = Value::Float(-a.f);
        return true;
    case Type::kVector:
        out = Value::Vector({-a.v.x, -a.v.y, -a.v.z});
        return true;
    default:
        error = "Illegal operation \"-\" on data of type " + std::string(TypeName(a.GetType())) + ".";
        return false;
    }
}

bool IsTrue(const Value& value, bool& out, std::string& error)
{
    switch (value.GetType())
    {
    case Type::kInt:
        out = value.i != 0;
        return true;
    case Type::kFloat:
        out = value.f != 0.0;
        return true;
    case Type::kString:
    {
        double number = 0.0;
        ToFloat(value, number);
        out = number != 0.0;
        return true;
    }
    case Type::kVector:
        out = value.v.x != 0.0 || value.v.y != 0.0 || value.v.z != 0.0;
        return true;
    default:
        error = "Cannot use data of type " + std::string(TypeName(value.GetType())) + " as a condition.";
        return false;
    }
}

bool ValuesEqual(const Value& a, const Value& b)
{
    Value result;
    std::string error;
    if (a.GetType() == Type::kString || b.GetType() == Type::kString)
    {
        std::string left;
        std::string right;
        return ToString(a, left) && ToString(b, right) && left == right;
    }
    return ApplyBinary(kOpEqual, a, b, result, error) && result.i == 1;
}

} // namespace vxhost::mel
