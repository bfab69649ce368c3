// Expressions, by precedence from the loosest (assignment) to the
// tightest (a value, a call, a literal).

#include "mel/ScriptReader.h"

#include <climits>
#include <utility>

namespace vxhost::mel
{
namespace
{
constexpr int kCompoundOps[] = {Lexer::Code('+', '='), Lexer::Code('-', '='), Lexer::Code('*', '='),
                                Lexer::Code('/', '='), Lexer::Code('%', '='), Lexer::Code('^', '=')};
} // namespace

bool ScriptReader::IsCompound(const Token& token)
{
    if (token.kind != Token::Kind::kPunct)
        return false;
    for (const int op : kCompoundOps)
        if (token.op == op)
            return true;
    return false;
}

bool ScriptReader::IsAssignable(const Expr& expr)
{
    return expr.kind == ExprKind::kVariable || expr.kind == ExprKind::kIndex || expr.kind == ExprKind::kAttribute;
}

ExprPtr ScriptReader::ParseAssignment()
{
    const Token first = Peek();
    const Nesting nesting(*this, first.line);
    ExprPtr target = ParseTernary();
    const Token token = Peek();
    if (!token.Is('=') && !IsCompound(token))
        return target;
    Next();
    if (!IsAssignable(*target))
        Fail(token, "only a variable, an array element or an attribute can be assigned to.");
    ExprPtr assign = MakeExpr(ExprKind::kAssign, token.line);
    assign->op = token.Is('=') ? 0 : (token.op >> 8);
    assign->operands.push_back(std::move(target));
    assign->operands.push_back(ParseAssignment());
    return assign;
}

ExprPtr ScriptReader::ParseTernary()
{
    ExprPtr condition = ParseOr();
    if (!Peek().Is('?'))
        return condition;
    const Token token = Next();
    ExprPtr ternary = MakeExpr(ExprKind::kTernary, token.line);
    ternary->operands.push_back(std::move(condition));
    ternary->operands.push_back(ParseAssignment());
    Expect(':', "\":\" in \"?:\"");
    // a ? b : c ? d : ... nests to the right: each "?:" is a level.
    const Nesting nesting(*this, token.line);
    ternary->operands.push_back(ParseTernary());
    return ternary;
}

ExprPtr ScriptReader::ParseOr()
{
    ExprPtr left = ParseAnd();
    while (Peek().Is(Lexer::Code('|', '|')))
        left = Combine(ExprKind::kLogical, '|', std::move(left), Next(), &ScriptReader::ParseAnd);
    return left;
}

ExprPtr ScriptReader::ParseAnd()
{
    ExprPtr left = ParseEquality();
    while (Peek().Is(Lexer::Code('&', '&')))
        left = Combine(ExprKind::kLogical, '&', std::move(left), Next(), &ScriptReader::ParseEquality);
    return left;
}

ExprPtr ScriptReader::ParseEquality()
{
    ExprPtr left = ParseRelational();
    for (;;)
    {
        const Token token = Peek();
        if (token.Is(Lexer::Code('=', '=')))
            left = Combine(ExprKind::kBinary, kOpEqual, std::move(left), Next(), &ScriptReader::ParseRelational);
        else if (token.Is(Lexer::Code('!', '=')))
            left = Combine(ExprKind::kBinary, kOpNotEqual, std::move(left), Next(), &ScriptReader::ParseRelational);
        else
            return left;
    }
}

ExprPtr ScriptReader::ParseRelational()
{
    ExprPtr left = ParseAdditive();
    for (;;)
    {
        const Token token = Peek();
        int op = 0;
        if (token.Is('<') || token.Is('>'))
            op = token.op;
        else if (token.Is(Lexer::Code('<', '=')))
            op = kOpLessEqual;
        else if (token.Is(Lexer::Code('>', '=')))
            op = kOpGreaterEqual;
        else
            return left;
        left = Combine(ExprKind::kBinary, op, std::move(left), Next(), &ScriptReader::ParseAdditive);
    }
}

ExprPtr ScriptReader::ParseAdditive()
{
    ExprPtr left = ParseMultiplicative();
    while (Peek().Is('+') || Peek().Is('-'))
    {
        const Token token = Next();
        left = Combine(ExprKind::kBinary, token.op, std::move(left), token, &ScriptReader::ParseMultiplicative);
    }
    return left;
}

ExprPtr ScriptReader::ParseMultiplicative()
{
    ExprPtr left = ParseUnary();
    while (Peek().Is('*') || Peek().Is('/') || Peek().Is('%') || Peek().Is('^'))
    {
        const Token token = Next();
        left = Combine(ExprKind::kBinary, token.op, std::move(left), token, &ScriptReader::ParseUnary);
    }
    return left;
}

ExprPtr ScriptReader::Combine(ExprKind kind, int op, ExprPtr left, const Token& token, ExprPtr (ScriptReader::*right)())
{
    ExprPtr expr = MakeExpr(kind, token.line);
    expr->op = op;
    expr->operands.push_back(std::move(left));
    expr->operands.push_back((this->*right)());
    return expr;
}

ExprPtr ScriptReader::ParseUnary()
{
    const Token token = Peek();
    if (token.Is('-') || token.Is('!') || token.Is('+'))
    {
        // Only an operator nests: a parenthesis is counted once, by
        // ParseAssignment, so 200 parentheses are 200 levels.
        const Nesting nesting(*this, token.line);
        Next();
        ExprPtr operand = ParseUnary();
        if (token.Is('+'))
            return operand;
        // A negative number is a literal, so "-2147483648" is an int.
        if (token.Is('-') && operand->kind == ExprKind::kLiteral)
        {
            Value& value = operand->literal;
            if (value.GetType() == Type::kInt && value.i != INT_MIN)
            {
                value = Value::Int(-value.i);
                return operand;
            }
            if (value.GetType() == Type::kFloat)
            {
                value = Value::Float(-value.f);
                return operand;
            }
        }
        ExprPtr expr = MakeExpr(ExprKind::kUnary, token.line);
        expr->op = token.op;
        expr->operands.push_back(std::move(operand));
        return expr;
    }
    if (token.Is(Lexer::Code('+', '+')) || token.Is(Lexer::Code('-', '-')))
    {
        const Nesting nesting(*this, token.line);
        Next();
        ExprPtr operand = ParseUnary();
        if (!IsAssignable(*operand))
            Fail(token, "\"++\" and \"--\" need a variable or an array element.");
        ExprPtr expr = MakeExpr(ExprKind::kIncrement, token.line);
        expr->op = token.op >> 8;
        expr->prefix = true;
        expr->operands.push_back(std::move(operand));
        return expr;
    }
    return ParsePostfix(ParsePrimary());
}

ExprPtr ScriptReader::ParseIndex(ExprPtr base)
{
    const Token open = Expect('[', "\"[\"");
    ExprPtr expr = MakeExpr(ExprKind::kIndex, open.line);
    expr->operands.push_back(std::move(base));
    expr->operands.push_back(ParseExpression());
    Expect(']', "\"]\"");
    return expr;
}

ExprPtr ScriptReader::ParsePostfix(ExprPtr expr)
{
    for (;;)
    {
        const Token token = Peek();
        if (token.Is('['))
        {
            if (expr->kind == ExprKind::kIndex && expr->operands.size() == 2 &&
                expr->operands[0]->kind == ExprKind::kVariable)
            {
                // $m[1][2]: an element of a matrix.
                Next();
                expr->operands.push_back(ParseExpression());
                Expect(']', "\"]\"");
            }
            else
                expr = ParseIndex(std::move(expr));
        }
        else if (token.Is('.'))
        {
            Next();
            const Token component = Next();
            if (component.kind != Token::Kind::kName ||
                (component.text != "x" && component.text != "y" && component.text != "z"))
                Fail(component, "expected x, y or z after \".\", found " + Describe(component) + ".");
            ExprPtr access = MakeExpr(ExprKind::kComponent, token.line);
            access->component = component.text[0] - 'x';
            access->operands.push_back(std::move(expr));
            expr = std::move(access);
        }
        else if ((token.Is(Lexer::Code('+', '+')) || token.Is(Lexer::Code('-', '-'))) && IsAssignable(*expr))
        {
            Next();
            ExprPtr increment = MakeExpr(ExprKind::kIncrement, token.line);
            increment->op = token.op >> 8;
            increment->operands.push_back(std::move(expr));
            expr = std::move(increment);
        }
        else
            return expr;
    }
}

ExprPtr ScriptReader::ParsePrimary()
{
    const Token token = Next();
    switch (token.kind)
    {
    case Token::Kind::kInt:
    case Token::Kind::kFloat:
    {
        ExprPtr expr = MakeExpr(ExprKind::kLiteral, token.line);
        expr->literal = token.kind == Token::Kind::kInt ? Value::Int(static_cast<int>(token.number))
                                                         : Value::Float(token.number);
        return expr;
    }
    case Token::Kind::kString:
    {
        ExprPtr expr = MakeExpr(ExprKind::kLiteral, token.line);
        expr->literal = Value::String(token.text);
        return expr;
    }
    case Token::Kind::kVariable:
    {
        ExprPtr expr = MakeExpr(ExprKind::kVariable, token.line);
        expr->name = token.text;
        return expr;
    }
    case Token::Kind::kName:
        return ParseName(token);
    case Token::Kind::kPunct:
        break;
    default:
        Fail(token, "expected a value, found " + Describe(token) + ".");
    }
    if (token.Is('('))
    {
        ExprPtr expr = ParseExpression();
        Expect(')', "\")\"");
        return expr;
    }
    if (token.Is('`'))
    {
        const Token name = Next();
        if (name.kind != Token::Kind::kName)
            Fail(name, "expected a command after \"`\", found " + Describe(name) + ".");
        ExprPtr call = ParseCommand(name, true);
        const Token close = Next();
        if (!close.Is('`'))
            Fail(close, "expected the closing \"`\", found " + Describe(close) + ".");
        return call;
    }
    if (token.Is('{'))
    {
        ExprPtr expr = MakeExpr(ExprKind::kArrayLiteral, token.line);
        if (!Accept('}'))
        {
            ParseExpressionList(expr->operands);
            Expect('}', "\",\" or \"}\" in the array");
        }
        return expr;
    }
    if (token.Is(Lexer::Code('<', '<')))
        return ParseVectorLiteral(token);
    Fail(token, "expected a value, found " + Describe(token) + ".");
}

ExprPtr ScriptReader::ParseVectorLiteral(const Token& open)
{
    ExprPtr expr = MakeExpr(ExprKind::kVectorLiteral, open.line);
    std::size_t rowLength = 0;
    std::size_t inRow = 0;
    for (;;)
    {
        // Elements are read above the relational operators, so the
        // closing ">>" is never taken for a comparison.
        expr->operands.push_back(ParseAdditive());
        ++inRow;
        const Token token = Next();
        if (token.Is(','))
            continue;
        if (token.Is(';') || token.Is(Lexer::Code('>', '>')))
        {
            if (rowLength != 0 && inRow != rowLength)
                Fail(token, "every row of a matrix needs the same number of values.");
            rowLength = inRow;
            inRow = 0;
            if (token.Is(';'))
            {
                expr->component = static_cast<int>(rowLength);
                continue;
            }
            break;
        }
        Fail(token, "expected \",\" or \">>\" in the vector, found " + Describe(token) + ".");
    }
    if (expr->component == 0 && expr->operands.size() != 3)
        Fail(open, "a vector has three values, as in <<1, 2, 3>>.");
    return expr;
}

ExprPtr ScriptReader::ParseName(const Token& token)
{
    if (Peek().Is('('))
    {
        Next();
        ExprPtr call = MakeExpr(ExprKind::kCall, token.line);
        call->name = token.text;
        if (!Accept(')'))
        {
            ParseExpressionList(call->operands);
            Expect(')', "\",\" or \")\" after an argument");
        }
        return call;
    }
    static const std::pair<const char*, int> kConstants[] = {{"true", 1}, {"false", 0}, {"on", 1},
                                                             {"off", 0},  {"yes", 1},   {"no", 0}};
    for (const auto& [word, value] : kConstants)
        if (token.text == word)
        {
            ExprPtr expr = MakeExpr(ExprKind::kLiteral, token.line);
            expr->literal = Value::Int(value);
            return expr;
        }
    if (fOptions.expressionNode)
    {
        ExprPtr expr = MakeExpr(ExprKind::kAttribute, token.line);
        expr->name = token.text;
        while (Peek().Is('.') && !Peek().spaced)
        {
            Next();
            const Token part = Next();
            if (part.kind != Token::Kind::kName || part.spaced)
                Fail(part, "expected an attribute name after \"" + expr->name + ".\".");
            expr->name += "." + part.text;
        }
        return expr;
    }
    Fail(token, "unexpected word " + Describe(token) + ": a command inside an expression is written \"" +
                    token.text + "(...)\" or between backticks.");
}

} // namespace vxhost::mel
