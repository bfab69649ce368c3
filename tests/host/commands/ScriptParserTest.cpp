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
    EXPECT_EQ(ParseError("seed 1;\n\nsetAttr $x 1;"),
              "file: scene.mel line 3: Syntax error: \"$x\" is an undeclared variable.");
    EXPECT_EQ(ParseError("seed(1);"), "file: scene.mel line 1: Syntax error: unexpected character '('.");
    EXPECT_EQ(ParseError("setAttr a.b \"x\"\"y\";"),
              "file: scene.mel line 1: Syntax error: unexpected character '\"'.");
    EXPECT_EQ(ParseError("setAttr a.b 1.5.2;"),
              "file: scene.mel line 1: Syntax error: invalid number \"1.5.2\".");
    EXPECT_EQ(ParseError("setAttr a.b 1e;"), "file: scene.mel line 1: Syntax error: invalid number \"1e\".");
    EXPECT_EQ(ParseError("-n a;"),
              "file: scene.mel line 1: Syntax error: expected a command name, found '-'.");
    // Text from no file (the shell) is placed by line alone.
    EXPECT_EQ(ParseError("\n5;", ""), "line 2: Syntax error: expected a command name, found '5'.");
}

TEST(ScriptParser, ReadsProceduresGlobalsAndVariables)
{
    const std::vector<ScriptStatement> statements =
        Parse("global string $gMainWindow;\n"
              "menu -parent $gMainWindow;\n"
              "global proc AEfooTemplate(string $nodeName, string $b)\n"
              "{\n"
              "    global string $gMainWindow;\n"
              "    setParent -menu ..; helper $nodeName \"$b\" $gMainWindow;\n"
              "}\n"
              "proc helper ( ) { }\n");
    ASSERT_EQ(statements.size(), 4u);

    EXPECT_EQ(statements[0].kind, ScriptStatement::Kind::kGlobalString);
    EXPECT_EQ(statements[0].command, "gMainWindow");
    ExpectArgument(statements[1].arguments[1], Kind::kVariable, "gMainWindow");

    const ScriptStatement& definition = statements[2];
    EXPECT_EQ(definition.kind, ScriptStatement::Kind::kProcedure);
    EXPECT_EQ(definition.command, "AEfooTemplate");
    EXPECT_EQ(definition.line, 3);
    ASSERT_TRUE(definition.procedure);
    EXPECT_TRUE(definition.procedure->global);
    EXPECT_EQ(definition.procedure->parameters, (std::vector<std::string>{"nodeName", "b"}));
    const std::vector<ScriptStatement>& body = definition.procedure->body;
    ASSERT_EQ(body.size(), 3u);
    EXPECT_EQ(body[0].kind, ScriptStatement::Kind::kGlobalString);
    EXPECT_EQ(body[1].command, "setParent");
    ExpectArgument(body[1].arguments[1], Kind::kWord, "..");
    EXPECT_EQ(body[2].line, 6);
    ASSERT_EQ(body[2].arguments.size(), 3u);
    ExpectArgument(body[2].arguments[0], Kind::kVariable, "nodeName");
    // MEL strings are not interpolated.
    ExpectArgument(body[2].arguments[1], Kind::kString, "$b");
    ExpectArgument(body[2].arguments[2], Kind::kVariable, "gMainWindow");

    EXPECT_FALSE(statements[3].procedure->global);
    EXPECT_TRUE(statements[3].procedure->parameters.empty());
    EXPECT_TRUE(statements[3].procedure->body.empty());
}

TEST(ScriptParser, RefusesWhatTheProcedureSubsetLacks)
{
    // A parameter is in scope in its own procedure only; a global only after
    // its declaration, in the procedure (or top level) that declares it.
    EXPECT_EQ(ParseError("proc a(string $n) { }\nproc b() { print $n; }"),
              "file: scene.mel line 2: Syntax error: \"$n\" is an undeclared variable.");
    EXPECT_EQ(ParseError("global string $g;\nproc b() {\n print $g; }"),
              "file: scene.mel line 3: Syntax error: \"$g\" is an undeclared variable.");
    EXPECT_EQ(ParseError("proc b() {\n print $g;\n global string $g; }"),
              "file: scene.mel line 2: Syntax error: \"$g\" is an undeclared variable.");
    EXPECT_EQ(ParseError("global proc int f() { }"),
              "file: scene.mel line 1: Syntax error: procedures that return a value are not supported.");
    EXPECT_EQ(
        ParseError("proc f(int $i) { }"),
        "file: scene.mel line 1: Syntax error: parameters of type \"int\" are not supported; only string.");
    EXPECT_EQ(ParseError("proc f(string $s[]) { }"),
              "file: scene.mel line 1: Syntax error: array parameters are not supported.");
    EXPECT_EQ(ParseError("proc f(string $s, string $s) { }"),
              "file: scene.mel line 1: Syntax error: parameter \"$s\" is given twice.");
    EXPECT_EQ(ParseError("proc f() {\n  proc g() { }\n}"),
              "file: scene.mel line 2: Syntax error: a procedure cannot be defined inside another.");
    EXPECT_EQ(ParseError("seed 1;\nproc f() {\n  seed 2;\n"),
              "file: scene.mel line 2: Syntax error: missing \"}\" at the end of procedure \"f\".");
    EXPECT_EQ(ParseError("proc f() { seed 2 }"),
              "file: scene.mel line 1: Syntax error: missing \";\" at the end of the \"seed\" statement.");
    EXPECT_EQ(ParseError("global string $g = \"x\";"),
              "file: scene.mel line 1: Syntax error: expected \";\" after the declaration of \"$g\"; a "
              "global variable cannot be given a value here.");
    EXPECT_EQ(ParseError("global int $g;"),
              "file: scene.mel line 1: Syntax error: global variables of type \"int\" are not supported; "
              "only string.");
    EXPECT_EQ(ParseError("string $s;"), "file: scene.mel line 1: Syntax error: local variables are not "
                                        "supported; only \"global string\" declarations.");
    EXPECT_EQ(ParseError("proc f { }"),
              "file: scene.mel line 1: Syntax error: expected \"(\" after procedure name \"f\".");
    // The statements before a faulty definition are kept; the definition is not.
    std::vector<ScriptStatement> statements;
    std::string error;
    EXPECT_FALSE(ParseScript("seed 1;\nproc f(int $i) { seed 2; }", "scene.mel", statements, error));
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].command, "seed");
}
