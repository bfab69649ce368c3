// Statements, declarations, procedures and calls in command form.

#include "mel/ScriptReader.h"

#include <utility>

namespace vxhost::mel
{

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
    {
        // Built by appending: GCC 12 takes "\"" + std::string(...) for an
        // overlapping copy and warns.
        std::string text = "\"";
        if (token.op > 255)
            text += static_cast<char>(token.op >> 8);
        text += static_cast<char>(token.op & 0xFF);
        text += '"';
        return text;
    }
    case Token::Kind::kError:
        break;
    }
    return token.text;
}

void ScriptReader::ParseProgram(Program& out)
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

void ScriptReader::Fail(const Token& at, const std::string& message)
{
    throw SyntaxError{at.line, message, at.kind == Token::Kind::kEnd};
}

Token ScriptReader::Checked(Token token)
{
    if (token.kind == Token::Kind::kError)
        throw SyntaxError{token.line, token.text, token.text == "unterminated comment."};
    return token;
}

Token ScriptReader::Expect(int punct, const char* what)
{
    const Token token = Next();
    if (!token.Is(punct))
        Fail(token, std::string("expected ") + what + ", found " + Describe(token) + ".");
    return token;
}

bool ScriptReader::Accept(int punct)
{
    if (!Peek().Is(punct))
        return false;
    Next();
    return true;
}

void ScriptReader::ExpectEnd(int line, const std::string& what)
{
    const Token token = Next();
    if (token.Is(';'))
        return;
    if (token.kind == Token::Kind::kEnd)
        throw SyntaxError{line, "missing \";\" at the end of the " + what + ".", true, true};
    Fail(token, "expected \";\" after the " + what + ", found " + Describe(token) + ".");
}

ExprPtr ScriptReader::MakeExpr(ExprKind kind, int line)
{
    auto expr = std::make_unique<Expr>();
    expr->kind = kind;
    expr->line = line;
    return expr;
}

StmtPtr ScriptReader::MakeStmt(StmtKind kind, int line)
{
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = kind;
    stmt->line = line;
    return stmt;
}

StmtPtr ScriptReader::ParseStatement(bool topLevel)
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

StmtPtr ScriptReader::ParseBlock()
{
    const Token open = Expect('{', "\"{\"");
    StmtPtr block = MakeStmt(StmtKind::kBlock, open.line);
    ParseBlockBody(block->body, open);
    return block;
}

void ScriptReader::ParseBlockBody(std::vector<StmtPtr>& body, const Token& open)
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

StmtPtr ScriptReader::ParseExpressionStatement()
{
    const Token first = Peek();
    StmtPtr stmt = MakeStmt(StmtKind::kExpr, first.line);
    stmt->expr = ParseExpression();
    ExpectEnd(first.line, "statement");
    return stmt;
}

StmtPtr ScriptReader::ParseCallStatement()
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

bool ScriptReader::SignedArgumentFollows(const Token& name)
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

StmtPtr ScriptReader::ParseDeclaration(bool global)
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

StmtPtr ScriptReader::ParseProcedure(bool topLevel)
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

ExprPtr ScriptReader::ParseCondition()
{
    Expect('(', "\"(\"");
    ExprPtr condition = ParseExpression();
    Expect(')', "\")\"");
    return condition;
}

StmtPtr ScriptReader::ParseBody()
{
    StmtPtr body = ParseStatement(false);
    if (!body)
        body = MakeStmt(StmtKind::kBlock, fLexer.Line());
    return body;
}

StmtPtr ScriptReader::ParseIf()
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

StmtPtr ScriptReader::ParseWhile()
{
    const Token first = Next();
    StmtPtr stmt = MakeStmt(StmtKind::kWhile, first.line);
    stmt->expr = ParseCondition();
    stmt->body.push_back(ParseBody());
    return stmt;
}

StmtPtr ScriptReader::ParseDoWhile()
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

StmtPtr ScriptReader::ParseFor()
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

void ScriptReader::ParseExpressionList(std::vector<ExprPtr>& out)
{
    do
        out.push_back(ParseExpression());
    while (Accept(','));
}

StmtPtr ScriptReader::ParseSwitch()
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

ExprPtr ScriptReader::ParseCommand(const Token& name, bool insideBackticks)
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

ExprPtr ScriptReader::ParseVariableArgument()
{
    const Token variable = Next();
    ExprPtr expr = MakeExpr(ExprKind::kVariable, variable.line);
    expr->name = variable.text;
    while (Peek().Is('[') && !Peek().spaced)
        expr = ParseIndex(std::move(expr));
    return expr;
}

} // namespace vxhost::mel
