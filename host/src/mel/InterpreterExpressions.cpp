// Expressions: values, variables, elements, operators and assignments.
// A variable is written only after everything its new value needs has been
// evaluated, since evaluating may declare variables and move fSlots.

#include "mel/Interpreter.h"

#include "mel/Operators.h"

#include <string>
#include <utility>

namespace vxhost::mel
{

bool Interpreter::Evaluate(const Expr& expr, Value& out)
{
    if (!CheckStack())
        return false;
    std::string error;
    switch (expr.kind)
    {
    case ExprKind::kLiteral:
        out = expr.literal;
        return true;
    case ExprKind::kVariable:
    {
        const Value* value = Find(expr.name);
        if (!value)
            return Fail(expr.line, "\"$" + expr.name + "\" is an undeclared variable.");
        out = *value;
        return true;
    }
    case ExprKind::kIndex:
        return EvaluateIndex(expr, out);
    case ExprKind::kComponent:
    {
        Value base;
        if (!Evaluate(*expr.operands[0], base))
            return false;
        Vector3 v;
        if (base.GetType() != Type::kVector && !(IsArray(base.GetType()) ? false : ToVector(base, v)))
            return Fail(expr.line, "Only a vector has components .x, .y and .z, not data of type " +
                                       std::string(TypeName(base.GetType())) + ".");
        if (base.GetType() == Type::kVector)
            v = base.v;
        out = Value::Float(expr.component == 0 ? v.x : expr.component == 1 ? v.y : v.z);
        return true;
    }
    case ExprKind::kUnary:
    {
        Value operand;
        if (!Evaluate(*expr.operands[0], operand))
            return false;
        if (!ApplyUnary(expr.op, operand, out, error))
            return Fail(expr.line, error);
        return true;
    }
    case ExprKind::kBinary:
    {
        if (expr.operands[0]->kind == ExprKind::kBinary)
            return EvaluateChain(expr, out);
        Value left;
        Value right;
        if (!Evaluate(*expr.operands[0], left) || !Evaluate(*expr.operands[1], right))
            return false;
        if (!ApplyBinary(expr.op, left, right, out, error))
            return Fail(expr.line, error);
        return true;
    }
    case ExprKind::kLogical:
    {
        if (expr.operands[0]->kind == ExprKind::kLogical)
            return EvaluateChain(expr, out);
        Value side;
        bool truth = false;
        if (!Evaluate(*expr.operands[0], side))
            return false;
        if (!IsTrue(side, truth, error))
            return Fail(expr.line, error);
        if (truth == (expr.op == '|'))
        {
            out = Value::Int(truth ? 1 : 0);
            return true;
        }
        if (!Evaluate(*expr.operands[1], side))
            return false;
        if (!IsTrue(side, truth, error))
            return Fail(expr.line, error);
        out = Value::Int(truth ? 1 : 0);
        return true;
    }
    case ExprKind::kTernary:
    {
        Value condition;
        bool truth = false;
        if (!Evaluate(*expr.operands[0], condition))
            return false;
        if (!IsTrue(condition, truth, error))
            return Fail(expr.line, error);
        return Evaluate(*expr.operands[truth ? 1 : 2], out);
    }
    case ExprKind::kAssign:
        return EvaluateAssign(expr, out);
    case ExprKind::kIncrement:
        return EvaluateIncrement(expr, out);
    case ExprKind::kCall:
        return EvaluateCall(expr, out);
    case ExprKind::kCommand:
        return EvaluateCommand(expr, out);
    case ExprKind::kArrayLiteral:
        return EvaluateArray(expr, out);
    case ExprKind::kVectorLiteral:
        return EvaluateVector(expr, out);
    case ExprKind::kAttribute:
    {
        AttributeAccess* access = Current().attributes;
        if (!access)
            return Fail(expr.line, "\"" + expr.name + "\" is read only in an expression's script.");
        // An empty error: the command that read the scene has shown its own.
        if (!access->Read(expr.name, expr.line, out, error))
            return error.empty() ? false : Fail(expr.line, error);
        return true;
    }
    }
    return Fail(expr.line, "Internal error: an expression of unknown kind.");
}

bool Interpreter::EvaluateChain(const Expr& expr, Value& out)
{
    // a + b + c is (a + b) + c: a chain of operators of one level leans
    // left, as deep as it is long. Its left edge is walked in a loop, so
    // that only the right operands recurse and no length of chain can run
    // the stack out.
    std::vector<const Expr*> spine;
    const Expr* leftmost = &expr;
    while (leftmost->kind == expr.kind)
    {
        spine.push_back(leftmost);
        leftmost = leftmost->operands[0].get();
    }
    std::string error;
    Value left;
    if (!Evaluate(*leftmost, left))
        return false;
    if (expr.kind == ExprKind::kBinary)
    {
        for (auto node = spine.rbegin(); node != spine.rend(); ++node)
        {
            Value right;
            if (!Evaluate(*(*node)->operands[1], right))
                return false;
            if (!ApplyBinary((*node)->op, left, right, out, error))
                return Fail((*node)->line, error);
            left = std::move(out);
        }
        out = std::move(left);
        return true;
    }
    // && and ||: each gives 1 or 0, and evaluates its right side only when
    // the left does not decide.
    bool truth = false;
    if (!IsTrue(left, truth, error))
        return Fail(spine.back()->line, error);
    for (auto node = spine.rbegin(); node != spine.rend(); ++node)
    {
        if (truth == ((*node)->op == '|'))
            continue;
        Value right;
        if (!Evaluate(*(*node)->operands[1], right))
            return false;
        if (!IsTrue(right, truth, error))
            return Fail((*node)->line, error);
    }
    out = Value::Int(truth ? 1 : 0);
    return true;
}

bool Interpreter::EvaluateCondition(const Expr& expr, bool& truth)
{
    Value condition;
    std::string error;
    if (!Evaluate(expr, condition))
        return false;
    if (!IsTrue(condition, truth, error))
        return Fail(expr.line, error);
    return true;
}

bool Interpreter::EvaluateIndices(const Expr& expr, std::vector<int>& out)
{
    for (std::size_t i = 1; i < expr.operands.size(); ++i)
    {
        Value index;
        int n = 0;
        if (!Evaluate(*expr.operands[i], index))
            return false;
        if (!ToInt(index, n) || IsArray(index.GetType()))
            return Fail(expr.line, "An array index must be a number, not data of type " +
                                       std::string(TypeName(index.GetType())) + ".");
        if (n < 0)
            return Fail(expr.line, "Array index " + std::to_string(n) + " is out of bounds.");
        out.push_back(n);
    }
    return true;
}

bool Interpreter::EvaluateIndex(const Expr& expr, Value& out)
{
    std::vector<int> indices;
    if (!EvaluateIndices(expr, indices))
        return false;
    // A variable's element is read in place: no copy of the array.
    Value copy;
    const Value* base = nullptr;
    if (expr.operands[0]->kind == ExprKind::kVariable)
    {
        base = Find(expr.operands[0]->name);
        if (!base)
            return Fail(expr.line, "\"$" + expr.operands[0]->name + "\" is an undeclared variable.");
    }
    else
    {
        if (!Evaluate(*expr.operands[0], copy))
            return false;
        base = &copy;
    }
    if (base->GetType() == Type::kMatrix)
    {
        if (indices.size() != 2)
            return Fail(expr.line, "A matrix element needs a row and a column: $m[1][2].");
        const Matrix& m = base->m;
        if (indices[0] >= m.rows || indices[1] >= m.columns)
            return Fail(expr.line, "Matrix index [" + std::to_string(indices[0]) + "][" + std::to_string(indices[1]) +
                                       "] is out of bounds of a " + std::to_string(m.rows) + "x" +
                                       std::to_string(m.columns) + " matrix.");
        out = Value::Float(m.values[static_cast<std::size_t>(indices[0] * m.columns + indices[1])]);
        return true;
    }
    if (!IsArray(base->GetType()) || indices.size() != 1)
        return Fail(expr.line, "Data of type " + std::string(TypeName(base->GetType())) + " cannot be indexed.");
    out = ArrayElement(*base, static_cast<std::size_t>(indices[0]));
    return true;
}

bool Interpreter::EvaluateArray(const Expr& expr, Value& out)
{
    std::vector<Value> elements(expr.operands.size());
    Type type = Type::kIntArray;
    for (std::size_t i = 0; i < elements.size(); ++i)
    {
        if (!Evaluate(*expr.operands[i], elements[i]))
            return false;
        const Type t = elements[i].GetType();
        if (IsArray(t) || t == Type::kMatrix || t == Type::kNone)
            return Fail(expr.line, "An array cannot hold data of type " + std::string(TypeName(t)) + ".");
        // The widest element decides: int, then float, then vector or string.
        const Type as = ArrayType(t);
        if (as == Type::kStringArray || (as == Type::kVectorArray && type != Type::kStringArray) ||
            (as == Type::kFloatArray && type == Type::kIntArray))
            type = as;
    }
    Value array = Value::Default(type);
    ResizeArray(array, elements.size());
    for (std::size_t i = 0; i < elements.size(); ++i)
    {
        Value converted;
        if (!ConvertTo(elements[i], ElementType(type), converted))
            return Fail(expr.line, ConversionError(elements[i].GetType(), ElementType(type)));
        SetArrayElement(array, i, converted);
    }
    out = std::move(array);
    return true;
}

bool Interpreter::EvaluateVector(const Expr& expr, Value& out)
{
    std::vector<double> values(expr.operands.size());
    for (std::size_t i = 0; i < values.size(); ++i)
    {
        Value element;
        if (!Evaluate(*expr.operands[i], element))
            return false;
        if (element.GetType() != Type::kInt && element.GetType() != Type::kFloat)
            return Fail(expr.line, ConversionError(element.GetType(), Type::kFloat));
        ToFloat(element, values[i]);
    }
    if (expr.component == 0)
    {
        out = Value::Vector({values[0], values[1], values[2]});
        return true;
    }
    Matrix matrix;
    matrix.columns = expr.component;
    matrix.rows = static_cast<int>(values.size()) / expr.component;
    matrix.values = std::move(values);
    out = Value::MatrixValue(std::move(matrix));
    return true;
}

bool Interpreter::EvaluateAssign(const Expr& expr, Value& out)
{
    const Expr& target = *expr.operands[0];
    Value value;
    if (!Evaluate(*expr.operands[1], value))
        return false;
    if (expr.op != 0)
    {
        Value current;
        std::string error;
        if (!Evaluate(target, current))
            return false;
        Value combined;
        if (!ApplyBinary(expr.op, current, value, combined, error))
            return Fail(expr.line, error);
        value = std::move(combined);
    }
    return Store(target, std::move(value), out);
}

bool Interpreter::EvaluateIncrement(const Expr& expr, Value& out)
{
    const Expr& target = *expr.operands[0];
    Value current;
    if (!Evaluate(target, current))
        return false;
    Value next;
    std::string error;
    if (current.GetType() != Type::kInt && current.GetType() != Type::kFloat)
        return Fail(expr.line, std::string(expr.op == '+' ? "\"++\"" : "\"--\"") + " needs a number, not data of type " +
                                   TypeName(current.GetType()) + ".");
    if (!ApplyBinary(expr.op, current, Value::Int(1), next, error))
        return Fail(expr.line, error);
    Value stored;
    if (!Store(target, next, stored))
        return false;
    out = expr.prefix ? std::move(stored) : std::move(current);
    return true;
}

bool Interpreter::Store(const Expr& target, Value value, Value& stored)
{
    std::string error;
    if (target.kind == ExprKind::kAttribute)
    {
        AttributeAccess* access = Current().attributes;
        if (!access)
            return Fail(target.line, "\"" + target.name + "\" can be set only in an expression's script.");
        if (!access->Write(target.name, target.line, value, error))
            return error.empty() ? false : Fail(target.line, error);
        stored = std::move(value);
        return true;
    }
    if (target.kind == ExprKind::kVariable)
    {
        Value* variable = Find(target.name);
        if (!variable)
        {
            // MEL declares a variable where it is first assigned, with the
            // type of what it is given.
            if (value.GetType() == Type::kNone)
                return Fail(target.line, "\"$" + target.name + "\" cannot be declared from a call that returns nothing.");
            variable = Declare(target.name, value, target.line);
            if (!variable)
                return false;
            stored = std::move(value);
            return true;
        }
        if (value.GetType() == variable->GetType() && value.GetType() != Type::kMatrix)
        {
            *variable = value;
            stored = std::move(value);
            return true;
        }
        Value converted;
        if (!ConvertTo(value, variable->GetType(), converted))
            return Fail(target.line, ConversionError(value.GetType(), variable->GetType()));
        if (variable->GetType() == Type::kMatrix &&
            (converted.m.rows != variable->m.rows || converted.m.columns != variable->m.columns))
            return Fail(target.line, "The matrix value does not have the size of \"$" + target.name + "\".");
        *variable = converted;
        stored = std::move(converted);
        return true;
    }
    // An element: $a[i] or $m[r][c].
    std::vector<int> indices;
    if (!EvaluateIndices(target, indices))
        return false;
    if (target.operands[0]->kind != ExprKind::kVariable)
        return Fail(target.line, "Only an element of a variable can be assigned to.");
    const std::string& name = target.operands[0]->name;
    Value* container = Find(name);
    if (!container)
        return Fail(target.line, "\"$" + name + "\" is an undeclared variable.");
    if (!StoreElement(*container, indices, value, target.line))
        return false;
    stored = std::move(value);
    return true;
}

bool Interpreter::StoreElement(Value& container, const std::vector<int>& indices, const Value& element, int line)
{
    if (container.GetType() == Type::kMatrix)
    {
        Matrix& m = container.m;
        double number = 0.0;
        if (indices.size() != 2)
            return Fail(line, "A matrix element needs a row and a column: $m[1][2].");
        if (indices[0] >= m.rows || indices[1] >= m.columns)
            return Fail(line, "Matrix index [" + std::to_string(indices[0]) + "][" + std::to_string(indices[1]) +
                                  "] is out of bounds of a " + std::to_string(m.rows) + "x" +
                                  std::to_string(m.columns) + " matrix.");
        if (IsArray(element.GetType()) || !ToFloat(element, number))
            return Fail(line, ConversionError(element.GetType(), Type::kFloat));
        m.values[static_cast<std::size_t>(indices[0] * m.columns + indices[1])] = number;
        return true;
    }
    if (!IsArray(container.GetType()) || indices.size() != 1)
        return Fail(line, "Data of type " + std::string(TypeName(container.GetType())) + " cannot be indexed.");
    const Type elementType = ElementType(container.GetType());
    Value converted;
    if (!ConvertTo(element, elementType, converted))
        return Fail(line, ConversionError(element.GetType(), elementType));
    const auto index = static_cast<std::size_t>(indices[0]);
    if (index >= container.Size())
    {
        // Assigning past the end grows the array, as MEL does.
        if (!CheckSize(index + 1, ElementBytes(container.GetType()), line))
            return false;
        ResizeArray(container, index + 1);
    }
    SetArrayElement(container, index, converted);
    return true;
}

} // namespace vxhost::mel
