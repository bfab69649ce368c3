#pragma once
/// \file ScriptReader.h
/// The recursive-descent reader behind Parse (the grammar is in Parser.h):
/// statements and command calls in ScriptReader.cpp, expressions in
/// ScriptReaderExpressions.cpp. A syntax error unwinds the whole reading as
/// a SyntaxError, caught in Parse: nothing of a faulty script runs, as Maya
/// runs none of it.

#include "mel/Ast.h"
#include "mel/Lexer.h"
#include "mel/Parser.h"

#include <string>
#include <string_view>
#include <vector>

namespace vxhost::mel
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

class ScriptReader
{
public:
    ScriptReader(std::string_view text, const std::string& file, ParseOptions options)
        : fLexer(text), fFile(file), fOptions(options)
    {
    }

    void ParseProgram(Program& out);

private:
    class Nesting
    {
    public:
        Nesting(ScriptReader& parser, int line) : fParser(parser)
        {
            if (++fParser.fDepth > kMaxNesting)
                throw SyntaxError{line, "nesting deeper than " + std::to_string(kMaxNesting) + " levels.", false};
        }
        ~Nesting() { --fParser.fDepth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        ScriptReader& fParser;
    };

    [[noreturn]] void Fail(const Token& at, const std::string& message);

    Token Checked(Token token);
    Token Next() { return Checked(fLexer.Next()); }
    Token Peek() { return Checked(fLexer.Peek()); }

    Token Expect(int punct, const char* what);

    bool Accept(int punct);

    void ExpectEnd(int line, const std::string& what);

    static ExprPtr MakeExpr(ExprKind kind, int line);

    static StmtPtr MakeStmt(StmtKind kind, int line);

    StmtPtr ParseStatement(bool topLevel);

    StmtPtr ParseBlock();

    // The statements up to the '}' that closes `open`.
    void ParseBlockBody(std::vector<StmtPtr>& body, const Token& open);

    StmtPtr ParseExpressionStatement();

    StmtPtr ParseCallStatement();

    // Whether `name (...)` is followed by a sign written against what it
    // signs after a space, as in `setAttr ($node + ".ty") -1;`: Maya reads
    // that as a command with a negative argument, not as a subtraction from
    // what the command returns. The lexer is left where it was.
    bool SignedArgumentFollows(const Token& name);

    StmtPtr ParseDeclaration(bool global);

    StmtPtr ParseProcedure(bool topLevel);

    ExprPtr ParseCondition();

    StmtPtr ParseBody();

    StmtPtr ParseIf();

    StmtPtr ParseWhile();

    StmtPtr ParseDoWhile();

    StmtPtr ParseFor();

    void ParseExpressionList(std::vector<ExprPtr>& out);

    StmtPtr ParseSwitch();

    ExprPtr ParseCommand(const Token& name, bool insideBackticks);

    // $name or $name[index], as a command's argument: no operators.
    ExprPtr ParseVariableArgument();

    static bool IsCompound(const Token& token);

    static bool IsAssignable(const Expr& expr);

    ExprPtr ParseExpression() { return ParseAssignment(); }

    ExprPtr ParseAssignment();

    ExprPtr ParseTernary();

    ExprPtr ParseOr();

    ExprPtr ParseAnd();

    ExprPtr ParseEquality();

    ExprPtr ParseRelational();

    ExprPtr ParseAdditive();

    ExprPtr ParseMultiplicative();

    ExprPtr Combine(ExprKind kind, int op, ExprPtr left, const Token& token, ExprPtr (ScriptReader::*right)());

    ExprPtr ParseUnary();

    ExprPtr ParseIndex(ExprPtr base);

    ExprPtr ParsePostfix(ExprPtr expr);

    ExprPtr ParsePrimary();

    // <<x, y, z>>, or a matrix's rows separated by ';'.
    ExprPtr ParseVectorLiteral(const Token& open);

    ExprPtr ParseName(const Token& token);

    using Place = Lexer::Place;

    Lexer fLexer;
    std::string fFile;
    ParseOptions fOptions;
    int fDepth = 0;
};

/// Whether the token names a type (int, float, string, vector, matrix),
/// which it then sets.
bool IsTypeName(const Token& token, Type& type);
/// The token as a message names it: "\"foo\"", "a number", "the end of the text".
std::string Describe(const Token& token);

} // namespace vxhost::mel
