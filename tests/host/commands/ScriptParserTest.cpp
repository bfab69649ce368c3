#include <vxhost/Script.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vxhost::ParseScript;
using vxhost::ScriptArgument;
using vxhost::ScriptStatement;
using Kind = ScriptArgument::Kind;

namespace
{
std::vector<ScriptStatement> Parse(const std::string& text)
{
    std::vector<ScriptStatement> statements;
    std::string error;
    EXPECT_TRUE(ParseScript(text, "scene.mel", statements, error)) << error;
    return statements;
}

std::string ParseError(const std::string& text, const std::string& file = "scene.mel")
{
    std::vector<ScriptStatement> statements;
    std::string error;
    EXPECT_FALSE(ParseScript(text, file, statements, error)) << text;
    return error;
}

void ExpectArgument(const ScriptArgument& argument, Kind kind, const std::string& text)
{
    EXPECT_EQ(argument.kind, kind) << text;
    EXPECT_EQ(argument.text, text);
}
} // namespace

TEST(ScriptParser, ReadsEveryKindOfArgumentAcrossLinesAndComments)
{
    const std::vector<ScriptStatement> statements =
        Parse("// a scene\n"
              "createNode transform -n \"a \\\"b\\\" // c\\\\\\n\\t\\q\";;\n"
              "setAttr |goal|goalShape.position[0] /* block\n"
              "   comment */ -type double3\n"
              "   -1 -.5 2.5e-3 -x 7E+2; select -r\tpCube1 *;");
    ASSERT_EQ(statements.size(), 3u);

    EXPECT_EQ(statements[0].command, "createNode");
    EXPECT_EQ(statements[0].file, "scene.mel");
    EXPECT_EQ(statements[0].line, 2);
    ASSERT_EQ(statements[0].arguments.size(), 3u);
    ExpectArgument(statements[0].arguments[0], Kind::kWord, "transform");
    ExpectArgument(statements[0].arguments[1], Kind::kFlag, "n");
    // A "//" inside a string is text; an unknown escape keeps its backslash.
    ExpectArgument(statements[0].arguments[2], Kind::kString, "a \"b\" // c\\\n\t\\q");

    // The statement starts on line 3 and runs over two more.
    EXPECT_EQ(statements[1].line, 3);
    ASSERT_EQ(statements[1].arguments.size(), 8u);
    ExpectArgument(statements[1].arguments[0], Kind::kWord, "|goal|goalShape.position[0]");
    ExpectArgument(statements[1].arguments[1], Kind::kFlag, "type");
    ExpectArgument(statements[1].arguments[2], Kind::kWord, "double3");
    // '-' before a digit or '.' makes a number, before a letter a flag.
    ExpectArgument(statements[1].arguments[3], Kind::kNumber, "-1");
    ExpectArgument(statements[1].arguments[4], Kind::kNumber, "-.5");
    ExpectArgument(statements[1].arguments[5], Kind::kNumber, "2.5e-3");
    ExpectArgument(statements[1].arguments[6], Kind::kFlag, "x");
    ExpectArgument(statements[1].arguments[7], Kind::kNumber, "7E+2");

    EXPECT_EQ(statements[2].command, "select");
    EXPECT_EQ(statements[2].line, 5);
    ASSERT_EQ(statements[2].arguments.size(), 3u);
    ExpectArgument(statements[2].arguments[2], Kind::kWord, "*");
}

TEST(ScriptParser, SyntaxErrorsNameFileAndLine)
{
    EXPECT_EQ(ParseError("seed 1;\nprint \"abc;\n"),
              "file: scene.mel line 2: Syntax error: unterminated string.");
    // A string stops at the end of its line, so the error points at it.
    EXPECT_EQ(ParseError("print \"abc\n\";"), "file: scene.mel line 1: Syntax error: unterminated string.");
    EXPECT_EQ(ParseError("seed 1;\n/* open\n\n"),
              "file: scene.mel line 2: Syntax error: unterminated comment.");
    EXPECT_EQ(ParseError("seed 1;\nsetAttr a.b\n  1 // no end\n"),
              "file: scene.mel line 2: Syntax error: missing \";\" at the end of the \"setAttr\" statement.");
    EXPECT_EQ(ParseError("seed 1;\n\nsetAttr a.b 1 }"),
              "file: scene.mel line 3: Syntax error: expected \";\" after the \"setAttr\" statement, found \"}\".");
    EXPECT_EQ(ParseError("-n a;"),
              "file: scene.mel line 1: Syntax error: unexpected word \"n\": a command inside an expression is "
              "written \"n(...)\" or between backticks.");
    // Plain statements are commands with their arguments written out: what
    // the language adds is refused here, placed.
    EXPECT_EQ(ParseError("seed 1;\nsetAttr $x 1;"),
              "file: scene.mel line 2: Syntax error: only commands with their arguments written out belong here.");
    // Text from no file (the shell) is placed by line alone.
    EXPECT_EQ(ParseError("\n5;", ""),
              "line 2: Syntax error: only commands with their arguments written out belong here.");
}

TEST(ScriptParser, CarriageReturnsEndLinesAsNewlinesDo)
{
    // The same script saved with Unix, Windows and classic Mac line ends:
    // a comment ends at any of them, and each counts one line.
    const std::string unixText =
        "// a scene\nseed 1; // the seed\n/* a\nblock */ select -r\n  a;\nplaybackOptions -min 1;\n";
    for (const std::string end : {"\n", "\r\n", "\r"})
    {
        std::string text;
        for (const char c : unixText)
            text += c == '\n' ? end : std::string(1, c);
        const std::vector<ScriptStatement> statements = Parse(text);
        ASSERT_EQ(statements.size(), 3u) << "line end " << static_cast<int>(end.back());
        EXPECT_EQ(statements[0].line, 2);
        EXPECT_EQ(statements[1].command, "select");
        EXPECT_EQ(statements[1].line, 4);
        ASSERT_EQ(statements[1].arguments.size(), 2u);
        ExpectArgument(statements[1].arguments[1], Kind::kWord, "a");
        EXPECT_EQ(statements[2].line, 6);
    }
    EXPECT_EQ(ParseError("seed 1;\r\rprint \"abc\rdef\";\r"),
              "file: scene.mel line 3: Syntax error: unterminated string.");
}
