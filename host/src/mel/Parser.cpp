// The recursive-descent reader of scripts (the grammar is in Parser.h). A
// syntax error unwinds the whole reading with an exception, caught in
// Parse: nothing of a faulty script runs, as Maya runs none of it.

#include "mel/Parser.h"

#include "mel/Lexer.h"

#include <vxhost/Script.h>

#include <utility>

namespace vxhost::mel
{
namespace
{

struct SyntaxError
{
    int line;
    std::string message;
    /// The text ended where more was expected.
    bool atEnd;
    /// What was missing at the end was the ';' of a statement.
    bool missingSemicolon = false;
};

bool IsTypeName(const Token& token, Type& type)
{
    if (token.kind != Token::Kind::kName)
        return false;
    static const std::pair<const char*, Type> kTypes[] = {{"int", Type::kInt},
                                                          {"float", Type::kFloat},
                                                          {"string", Type::kString},
                                                          {"vector", Type::kVector},
                                                          {"matrix", Type::kMatrix}};
    for (const auto& [name, t] : kTypes)
        if (token.text == name)
        {
            type = t;
            return true;
        }
    return false;
}

std::string Describe(const Token& token)
{
    switch (token.kind)
    {
    case Token::Kind::kEnd:
        return "the end of the text";
    case Token::Kind::kName:
        return "\"" + token.text + "\"";
    case Token::Kind::kVariable:
        return "\"$" + token.text + "\"";
    case Token::Kind::kString:
        return "a string";
    case Token::Kind::kInt:
    case Token::Kind::kFloat:
        return "a number";
    case Token::Kind::kPunct:
        if (token.op > 255)
            return std::string("\"") + static_cast<char>(token.op >> 8) + static_cast<char>(token.op & 0xFF) + "\"";
        return "\"" + std::string(1, static_cast<char>(token.op)) + "\"";
    case Token::Kind::kError:
        break;
    }
    return token.text;
}

constexpr int kCompoundOps[] = {Lexer::Code('+', '='), Lexer::Code('-', '='), Lexer::Code('*', '='),
                                Lexer::Code('/', '='), Lexer::Code('%', '='), Lexer::Code('^', '=')};

class Parser
{
public:
    Parser(std::string_view text, const std::string& file, ParseOptions options)
        : fLexer(text), fFile(file), fOptions(options)
    {
    }

    void ParseProgram(Program& out)
    {
        out.file = fFile;
        for (;;)
        {
            const Token token = Peek();
            if (token.kind == Token::Kind::kEnd)
                return;
            if (StmtPtr statement = ParseStatement(true))
                out.statements.push_back(std::move(statement));
        }
    }

private:
    class Nesting
    {
    public:
        Nesting(Parser& parser, int line) : fParser(parser)
        {
            if (++fParser.fDepth > kMaxNesting)
                throw SyntaxError{line, "nesting deeper than " + std::to_string(kMaxNesting) + " levels.", false};
        }
        ~Nesting() { --fParser.fDepth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& fParser;
    };

    [[noreturn]] void Fail(const Token& at, const std::string& message)
    {
        throw SyntaxError{at.line, message, at.kind == Token::Kind::kEnd};
    }

    Token Checked(Token token)
    {
        if (token.kind == Token::Kind::kError)
            throw SyntaxError{token.line, token.text, token.text == "unterminated comment."};
        return token;
    }
    Token Next() { return Checked(fLexer.Next()); }
    Token Peek() { return Checked(fLexer.Peek()); }

    Token Expect(int punct, const char* what)
    {
        const Token token = Next();
        if (!token.Is(punct))
            Fail(token, std::string("expected ") + what + ", found " + Describe(token) + ".");
        return token;
    }

    bool Accept(int punct)
    {
        if (!Peek().Is(punct))
            return false;
        Next();
        return true;
    }

    void ExpectEnd(int line, const std::string& what)
    {
        const Token token = Next();
        if (token.Is(';'))
            return;
        if (token.kind == Token::Kind::kEnd)
            throw SyntaxError{line, "missing \";\" at the end of the " + what + ".", true, true};
        Fail(token, "expected \";\" after the " + what + ", found " + Describe(token) + ".");
    }

    static ExprPtr MakeExpr(ExprKind kind, int line)
    {
        auto expr = std::make_unique<Expr>();
        expr->kind = kind;
        expr->line = line;
        return expr;
    }

    static StmtPtr MakeStmt(StmtKind kind, int line)
    {
        auto stmt = std::make_unique<Stmt>();
        stmt->kind = kind;
        stmt->line = line;
        return stmt;
    }

    // ---- statements --------------------------------------------------

    StmtPtr ParseStatement(bool topLevel)
    {
        const Token token = Peek();
        const Nesting nesting(*this, token.line);
        if (token.Is('{'))
            return ParseBlock();
        if (token.Is(';'))
        {
            Next();
            return nullptr;
        }
        if (token.kind != Token::Kind::kName)
            return ParseExpressionStatement();

        Type type = Type::kNone;
        if (IsTypeName(token, type))
            return ParseDeclaration(false);
        const std::string& word = token.text;
        if (word == "global")
        {
            const Place place = fLexer.Save();
            Next();
            const Token after = Peek();
            fLexer.Restore(place);
            if (after.IsName("proc"))
                return ParseProcedure(topLevel);
            return ParseDeclaration(true);
        }
        if (word == "proc")
            return ParseProcedure(topLevel);
        if (word == "if")
            return ParseIf();
        if (word == "while")
            return ParseWhile();
        if (word == "do")
            return ParseDoWhile();
        if (word == "for")
            return ParseFor();
        if (word == "switch")
            return ParseSwitch();
        if (word == "break" || word == "continue")
        {
            Next();
            StmtPtr stmt = MakeStmt(word == "break" ? StmtKind::kBreak : StmtKind::kContinue, token.line);
            ExpectEnd(token.line, "\"" + word + "\" statement");
            return stmt;
        }
        if (word == "return")
        {
            Next();
            StmtPtr stmt = MakeStmt(StmtKind::kReturn, token.line);
            if (!Peek().Is(';'))
                stmt->expr = ParseExpression();
            ExpectEnd(token.line, "\"return\" statement");
            return stmt;
        }
        return ParseCallStatement();
    }

    StmtPtr ParseBlock()
    {
        const Token open = Expect('{', "\"{\"");
        StmtPtr block = MakeStmt(StmtKind::kBlock, open.line);
        ParseBlockBody(block->body, open);
        return block;
    }

    // The statements up to the '}' that closes `open`.
    void ParseBlockBody(std::vector<StmtPtr>& body, const Token& open)
    {
        for (;;)
        {
            const Token token = Peek();
            if (token.kind == Token::Kind::kEnd)
                throw SyntaxError{open.line, "missing \"}\" for the \"{\" on this line.", true};
            if (token.Is('}'))
            {
                Next();
                return;
            }
            if (StmtPtr statement = ParseStatement(false))
                body.push_back(std::move(statement));
        }
    }

    StmtPtr ParseExpressionStatement()
    {
        const Token first = Peek();
        StmtPtr stmt = MakeStmt(StmtKind::kExpr, first.line);
        stmt->expr = ParseExpression();
        ExpectEnd(first.line, "statement");
        return stmt;
    }

    StmtPtr ParseCallStatement()
    {
        const Place start = fLexer.Save();
        const Token name = Next();
        // Not checked: what follows a command's name may be no token of an
        // expression at all ("|goal|goalShape").
        const Token after = fLexer.Peek();
        if (after.Is('(') ||
            (fOptions.expressionNode && (after.Is('.') || after.Is('=') || IsCompound(after) ||
                                         after.Is(Lexer::Code('+', '+')) || after.Is(Lexer::Code('-', '-')))))
        {
            // Function form, if the whole statement reads so.
            fLexer.Restore(start);
            try
            {
                if (!(after.Is('(') && SignedArgumentFollows(name)))
                    return ParseExpressionStatement();
                fLexer.Restore(start);
                Next();
            }
            catch (const SyntaxError& e)
            {
                // All it lacks is its ';': an unfinished call, not a command.
                if (!after.Is('(') || e.missingSemicolon)
                    throw;
                fLexer.Restore(start);
                Next();
            }
        }
        StmtPtr stmt = MakeStmt(StmtKind::kExpr, name.line);
        stmt->expr = ParseCommand(name, false);
        ExpectEnd(name.line, "\"" + name.text + "\" statement");
        return stmt;
    }

    // Whether `name (...)` is followed by a sign written against what it
    // signs after a space, as in `setAttr ($node + ".ty") -1;`: Maya reads
    // that as a command with a negative argument, not as a subtraction from
    // what the command returns. The lexer is left where it was.
    bool SignedArgumentFollows(const Token& name)
    {
        const Place start = fLexer.Save();
        bool signedArgument = false;
        try
        {
            Next();
            ParseName(name);
            const Token sign = Peek();
            if ((sign.Is('-') || sign.Is('+')) && sign.spaced)
            {
                Next();
                const Token operand = Peek();
                signedArgument = !operand.spaced &&
                                 (operand.kind == Token::Kind::kInt || operand.kind == Token::Kind::kFloat ||
                                  operand.kind == Token::Kind::kVariable || operand.Is('('));
            }
        }
        catch (const SyntaxError&)
        {
        }
        fLexer.Restore(start);
        return signedArgument;
    }

    StmtPtr ParseDeclaration(bool global)
    {
        const Token first = Next();
        Token typeToken = first;
        if (global)
            typeToken = Next();
        Type type = Type::kNone;
        if (!IsTypeName(typeToken, type))
            Fail(typeToken, "expected \"proc\" or a type after \"global\", found " + Describe(typeToken) + ".");
        StmtPtr stmt = MakeStmt(StmtKind::kDeclare, first.line);
        stmt->type = type;
        stmt->global = global;
        do
        {
            const Token variable = Next();
            if (variable.kind != Token::Kind::kVariable)
                Fail(variable, "expected a variable name such as \"$name\" after \"" + typeToken.text + "\", found " +
                                   Describe(variable) + ".");
            Declarator declarator;
            declarator.name = variable.text;
            declarator.line = variable.line;
            if (Accept('['))
            {
                declarator.array = true;
                if (!Peek().Is(']'))
                    declarator.size = ParseExpression();
                Expect(']', "\"]\"");
                if (Accept('['))
                {
                    declarator.columns = ParseExpression();
                    Expect(']', "\"]\"");
                }
            }
            if (type == Type::kMatrix && (!declarator.size || !declarator.columns))
                Fail(variable, "a matrix needs its size, as in \"matrix $" + declarator.name + "[4][4]\".");
            if (type == Type::kMatrix)
                declarator.array = false;
            if (Accept('='))
                declarator.init = ParseExpression();
            stmt->declarators.push_back(std::move(declarator));
        } while (Accept(','));
        ExpectEnd(first.line, "declaration");
        return stmt;
    }

    StmtPtr ParseProcedure(bool topLevel)
    {
        Token first = Next();
        auto procedure = std::make_shared<Procedure>();
        procedure->file = fFile;
        procedure->line = first.line;
        if (first.IsName("global"))
        {
            procedure->global = true;
            Next();
        }
        if (!topLevel)
            Fail(first, "a procedure cannot be defined inside a block or another procedure.");
        Token name = Next();
        Type type = Type::kNone;
        if (IsTypeName(name, type))
        {
            procedure->returnType = type;
            if (Accept('['))
            {
                Expect(']', "\"]\"");
                procedure->returnType = ArrayType(type);
                if (type == Type::kMatrix)
                    Fail(name, "a procedure cannot return an array of matrices.");
            }
            name = Next();
        }
        if (name.kind != Token::Kind::kName)
            Fail(name, "expected a procedure name after \"proc\", found " + Describe(name) + ".");
        procedure->name = name.text;
        Expect('(', ("\"(\" after procedure name \"" + name.text + "\"").c_str());
        if (!Accept(')'))
        {
            do
            {
                const Token typeToken = Next();
                Parameter parameter;
                if (!IsTypeName(typeToken, parameter.type))
                    Fail(typeToken, "expected a parameter such as \"string $name\" in procedure \"" + name.text +
                                        "\", found " + Describe(typeToken) + ".");
                const Token variable = Next();
                if (variable.kind != Token::Kind::kVariable)
                    Fail(variable, "expected a parameter name such as \"$name\" in procedure \"" + name.text +
                                       "\", found " + Describe(variable) + ".");
                parameter.name = variable.text;
                if (Accept('['))
                {
                    Expect(']', "\"]\"");
                    parameter.type = ArrayType(parameter.type);
                }
                for (const Parameter& other : procedure->parameters)
                    if (other.name == parameter.name)
                        Fail(variable, "parameter \"$" + parameter.name + "\" is given twice.");
                procedure->parameters.push_back(std::move(parameter));
            } while (Accept(','));
            Expect(')', "\",\" or \")\" after a parameter");
        }
        const Token open = Peek();
        if (!open.Is('{'))
            Fail(open, "expected \"{\" to start the body of procedure \"" + name.text + "\".");
        Next();
        ParseBlockBody(procedure->body, open);
        StmtPtr stmt = MakeStmt(StmtKind::kProcedure, first.line);
        stmt->procedure = std::move(procedure);
        return stmt;
    }

    ExprPtr ParseCondition()
    {
        Expect('(', "\"(\"");
        ExprPtr condition = ParseExpression();
        Expect(')', "\")\"");
        return condition;
    }

    StmtPtr ParseBody()
    {
        StmtPtr body = ParseStatement(false);
        if (!body)
            body = MakeStmt(StmtKind::kBlock, fLexer.Line());
        return body;
    }

    StmtPtr ParseIf()
    {
        const Token first = Next();
        StmtPtr stmt = MakeStmt(StmtKind::kIf, first.line);
        stmt->expr = ParseCondition();
        stmt->body.push_back(ParseBody());
        if (Peek().IsName("else"))
        {
            Next();
            stmt->body.push_back(ParseBody());
        }
        return stmt;
    }

    StmtPtr ParseWhile()
    {
        const Token first = Next();
        StmtPtr stmt = MakeStmt(StmtKind::kWhile, first.line);
        stmt->expr = ParseCondition();
        stmt->body.push_back(ParseBody());
        return stmt;
    }

    StmtPtr ParseDoWhile()
    {
        const Token first = Next();
        StmtPtr stmt = MakeStmt(StmtKind::kDoWhile, first.line);
        stmt->body.push_back(ParseBody());
        const Token keyword = Next();
        if (!keyword.IsName("while"))
            Fail(keyword, "expected \"while\" after the body of \"do\", found " + Describe(keyword) + ".");
        stmt->expr = ParseCondition();
        ExpectEnd(first.line, "\"do\" statement");
        return stmt;
    }

    StmtPtr ParseFor()
    {
        const Token first = Next();
        Expect('(', "\"(\" after \"for\"");
        // for ([type] $x in $array)
        const Place place = fLexer.Save();
        Token token = Next();
        Type type = Type::kNone;
        const bool typed = IsTypeName(token, type);
        if (typed)
            token = Next();
        if (token.kind == Token::Kind::kVariable && Peek().IsName("in"))
        {
            Next();
            StmtPtr stmt = MakeStmt(StmtKind::kForIn, first.line);
            stmt->name = token.text;
            stmt->type = type;
            stmt->expr = ParseExpression();
            Expect(')', "\")\"");
            stmt->body.push_back(ParseBody());
            return stmt;
        }
        if (typed)
            Fail(token, "expected \"in\" after the loop variable.");
        fLexer.Restore(place);

        StmtPtr stmt = MakeStmt(StmtKind::kFor, first.line);
        if (!Peek().Is(';'))
            ParseExpressionList(stmt->init);
        Expect(';', "\";\" after the start of the \"for\" loop");
        if (!Peek().Is(';'))
            stmt->expr = ParseExpression();
        Expect(';', "\";\" after the condition of the \"for\" loop");
        if (!Peek().Is(')'))
            ParseExpressionList(stmt->step);
        Expect(')', "\")\"");
        stmt->body.push_back(ParseBody());
        return stmt;
    }

    void ParseExpressionList(std::vector<ExprPtr>& out)
    {
        do
            out.push_back(ParseExpression());
        while (Accept(','));
    }

    StmtPtr ParseSwitch()
    {
        const Token first = Next();
        StmtPtr stmt = MakeStmt(StmtKind::kSwitch, first.line);
        stmt->expr = ParseCondition();
        const Token open = Expect('{', "\"{\" after \"switch\"");
        for (;;)
        {
            const Token token = Peek();
            if (token.kind == Token::Kind::kEnd)
                throw SyntaxError{open.line, "missing \"}\" for the \"{\" on this line.", true};
            if (token.Is('}'))
            {
                Next();
                return stmt;
            }
            if (token.IsName("case") || token.IsName("default"))
            {
                Next();
                SwitchCase label;
                label.isDefault = token.text == "default";
                if (!label.isDefault)
                    label.value = ParseOr();
                Expect(':', "\":\" after the case label");
                label.first = stmt->body.size();
                stmt->cases.push_back(std::move(label));
                continue;
            }
            if (stmt->cases.empty())
                Fail(token, "expected \"case\" or \"default\" in \"switch\", found " + Describe(token) + ".");
            if (StmtPtr statement = ParseStatement(false))
                stmt->body.push_back(std::move(statement));
        }
    }

    // ---- command form ----------------------------------------------

    ExprPtr ParseCommand(const Token& name, bool insideBackticks)
    {
        ExprPtr call = MakeExpr(ExprKind::kCommand, name.line);
        call->name = name.text;
        for (;;)
        {
            const Token token = Checked(fLexer.NextCommandArgument(insideBackticks));
            CommandArg arg;
            switch (token.kind)
            {
            case Token::Kind::kEnd:
                return call;
            case Token::Kind::kString:
                arg.kind = CommandArg::Kind::kString;
                arg.text = token.text;
                break;
            case Token::Kind::kFloat:
                arg.kind = CommandArg::Kind::kNumber;
                arg.text = token.text;
                break;
            case Token::Kind::kName:
            {
                const char second = token.text.size() > 1 ? token.text[1] : '\0';
                const bool flag = token.text[0] == '-' &&
                                  ((second >= 'a' && second <= 'z') || (second >= 'A' && second <= 'Z') || second == '_');
                arg.kind = flag ? CommandArg::Kind::kFlag : CommandArg::Kind::kWord;
                arg.text = flag ? token.text.substr(1) : token.text;
                break;
            }
            default:
                arg.kind = CommandArg::Kind::kExpr;
                if (token.Is('$'))
                    arg.expr = ParseVariableArgument();
                else if (token.Is('('))
                {
                    Next();
                    arg.expr = ParseExpression();
                    Expect(')', "\")\"");
                }
                else
                    arg.expr = ParsePrimary();
                break;
            }
            call->args.push_back(std::move(arg));
        }
    }

    // $name or $name[index], as a command's argument: no operators.
    ExprPtr ParseVariableArgument()
    {
        const Token variable = Next();
        ExprPtr expr = MakeExpr(ExprKind::kVariable, variable.line);
        expr->name = variable.text;
        while (Peek().Is('[') && !Peek().spaced)
            expr = ParseIndex(std::move(expr));
        return expr;
    }

    // ---- expressions -------------------------------------------------

    static bool IsCompound(const Token& token)
    {
        if (token.kind != Token::Kind::kPunct)
            return false;
        for (const int op : kCompoundOps)
            if (token.op == op)
                return true;
        return false;
    }

    static bool IsAssignable(const Expr& expr)
    {
        return expr.kind == ExprKind::kVariable || expr.kind == ExprKind::kIndex || expr.kind == ExprKind::kAttribute;
    }

    ExprPtr ParseExpression() { return ParseAssignment(); }

    ExprPtr ParseAssignment()
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

    ExprPtr ParseTernary()
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

    ExprPtr ParseOr()
    {
        ExprPtr left = ParseAnd();
        while (Peek().Is(Lexer::Code('|', '|')))
            left = Combine(ExprKind::kLogical, '|', std::move(left), Next(), &Parser::ParseAnd);
        return left;
    }

    ExprPtr ParseAnd()
    {
        ExprPtr left = ParseEquality();
        while (Peek().Is(Lexer::Code('&', '&')))
            left = Combine(ExprKind::kLogical, '&', std::move(left), Next(), &Parser::ParseEquality);
        return left;
    }

    ExprPtr ParseEquality()
    {
        ExprPtr left = ParseRelational();
        for (;;)
        {
            const Token token = Peek();
            if (token.Is(Lexer::Code('=', '=')))
                left = Combine(ExprKind::kBinary, kOpEqual, std::move(left), Next(), &Parser::ParseRelational);
            else if (token.Is(Lexer::Code('!', '=')))
                left = Combine(ExprKind::kBinary, kOpNotEqual, std::move(left), Next(), &Parser::ParseRelational);
            else
                return left;
        }
    }

    ExprPtr ParseRelational()
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
            left = Combine(ExprKind::kBinary, op, std::move(left), Next(), &Parser::ParseAdditive);
        }
    }

    ExprPtr ParseAdditive()
    {
        ExprPtr left = ParseMultiplicative();
        while (Peek().Is('+') || Peek().Is('-'))
        {
            const Token token = Next();
            left = Combine(ExprKind::kBinary, token.op, std::move(left), token, &Parser::ParseMultiplicative);
        }
        return left;
    }

    ExprPtr ParseMultiplicative()
    {
        ExprPtr left = ParseUnary();
        while (Peek().Is('*') || Peek().Is('/') || Peek().Is('%') || Peek().Is('^'))
        {
            const Token token = Next();
            left = Combine(ExprKind::kBinary, token.op, std::move(left), token, &Parser::ParseUnary);
        }
        return left;
    }

    ExprPtr Combine(ExprKind kind, int op, ExprPtr left, const Token& token, ExprPtr (Parser::*right)())
    {
        ExprPtr expr = MakeExpr(kind, token.line);
        expr->op = op;
        expr->operands.push_back(std::move(left));
        expr->operands.push_back((this->*right)());
        return expr;
    }

    ExprPtr ParseUnary()
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

    ExprPtr ParseIndex(ExprPtr base)
    {
        const Token open = Expect('[', "\"[\"");
        ExprPtr expr = MakeExpr(ExprKind::kIndex, open.line);
        expr->operands.push_back(std::move(base));
        expr->operands.push_back(ParseExpression());
        Expect(']', "\"]\"");
        return expr;
    }

    ExprPtr ParsePostfix(ExprPtr expr)
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

    ExprPtr ParsePrimary()
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

    // <<x, y, z>>, or a matrix's rows separated by ';'.
    ExprPtr ParseVectorLiteral(const Token& open)
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

    ExprPtr ParseName(const Token& token)
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

    using Place = Lexer::Place;

    Lexer fLexer;
    std::string fFile;
    ParseOptions fOptions;
    int fDepth = 0;
};

} // namespace

bool Parse(std::string_view text, const std::string& file, Program& out, std::string& error, ParseOptions options)
{
    Parser parser(text, file, options);
    try
    {
        parser.ParseProgram(out);
        return true;
    }
    catch (const SyntaxError& e)
    {
        error = ScriptLocation(file, e.line) + "Syntax error: " + e.message;
        return false;
    }
}

Completeness CheckCompleteness(std::string_view text)
{
    Program program;
    Parser parser(text, std::string(), ParseOptions());
    try
    {
        parser.ParseProgram(program);
        return Completeness::kComplete;
    }
    catch (const SyntaxError& e)
    {
        if (!e.atEnd)
            return Completeness::kComplete;
        return e.missingSemicolon ? Completeness::kMissingSemicolon : Completeness::kOpen;
    }
}

} // namespace vxhost::mel
