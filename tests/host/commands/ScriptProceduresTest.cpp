// The scene script's procedures, global strings, source and evalDeferred,
// run through an engine of the test's own.

#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using vxhost::CommandEngine;
using vxhost::CommandResult;
using vxhost::ScriptStatement;

namespace
{
namespace fs = std::filesystem;

std::vector<std::string> Errors()
{
    std::vector<std::string> errors;
    for (const vxhost::Message& m : vxhost::Messages())
        if (m.severity == vxhost::Severity::kError)
            errors.push_back(m.text);
    return errors;
}

void Write(const fs::path& path, const std::string& text)
{
    std::ofstream(path) << text;
}

class ScriptProceduresTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        // "note ARGS..." records its arguments joined by '|' and returns them.
        fEngine.Register("note",
                         [this](const ScriptStatement& statement, CommandResult& result)
                         {
                             std::string text;
                             for (const auto& argument : statement.arguments)
                                 text += (text.empty() ? "" : "|") + argument.text;
                             fNotes.push_back(text);
                             result.SetString(text);
                             return MStatus(MStatus::kSuccess);
                         });
        fDir = fs::temp_directory_path() / ("vx procedures " + std::to_string(getpid()));
        fs::create_directories(fDir);
        setenv("MAYA_SCRIPT_PATH", fDir.c_str(), 1);
        unsetenv("MAYA_MODULE_PATH");
    }
    void TearDown() override
    {
        unsetenv("MAYA_SCRIPT_PATH");
        fs::remove_all(fDir);
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    CommandEngine fEngine;
    std::vector<std::string> fNotes;
    fs::path fDir;
};
} // namespace

TEST_F(ScriptProceduresTest, CallsPassArgumentsAsStringsAndGlobalsAreShared)
{
    fEngine.SetGlobalString("gMainWindow", "MayaWindow");
    ASSERT_TRUE(fEngine.RunScript("global proc outer(string $a, string $b)\n"
                                  "{\n"
                                  "    global string $gMainWindow;\n"
                                  "    note $a $b $gMainWindow;\n"
                                  "    inner $b;\n"
                                  "}\n"
                                  "global proc inner(string $a) { note inner $a; }\n"
                                  "outer swarm -2.5;\n"
                                  "outer -flag \"two words\";\n"
                                  "global string $fresh;\n"
                                  "note $fresh;\n"));
    // Each call sees its own $a; a flag keeps its '-'; a new global is "".
    EXPECT_EQ(fNotes, (std::vector<std::string>{"swarm|-2.5|MayaWindow", "inner|-2.5",
                                                "-flag|two words|MayaWindow", "inner|two words", ""}));
    // Only the script's own statement shows its result, as in Maya.
    std::vector<std::string> results;
    for (const vxhost::Message& m : vxhost::Messages())
        if (m.severity == vxhost::Severity::kResult)
            results.push_back(m.text);
    EXPECT_EQ(results, (std::vector<std::string>{""}));
    EXPECT_TRUE(fEngine.HasProcedure("outer"));
    EXPECT_FALSE(fEngine.HasProcedure("note"));
    std::string value;
    EXPECT_TRUE(fEngine.GlobalString("fresh", value));
    EXPECT_FALSE(fEngine.GlobalString("undeclared", value));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(ScriptProceduresTest, CallErrorsArePlacedWhereTheyHappen)
{
    ASSERT_TRUE(fEngine.RunScript("global proc one(string $x) { note $x; }", "defs.mel"));
    EXPECT_EQ(fEngine.RunScript("note a;\none a b;", "calls.mel").statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(Errors().back(),
              "file: calls.mel line 2: Wrong number of arguments on call to one.");

    // A failure inside a body names the body's line and stops the call.
    ASSERT_TRUE(fEngine.RunScript("global proc two()\n{\n    note first;\n    missing;\n    note never;\n}",
                                  "defs.mel"));
    fNotes.clear();
    EXPECT_EQ(fEngine.RunScript("two;", "calls.mel").statusCode(), MStatus::kNotFound);
    EXPECT_EQ(Errors().back(), "file: defs.mel line 4: Cannot find procedure \"missing\".");
    EXPECT_EQ(fNotes, (std::vector<std::string>{"first"}));

    // A local procedure is reached from its own file only.
    ASSERT_TRUE(fEngine.RunScript("proc hidden() { note hidden; }\nhidden;", "local.mel"));
    EXPECT_FALSE(fEngine.RunScript("hidden;", "other.mel"));
    EXPECT_FALSE(fEngine.HasProcedure("hidden"));

    // A procedure may not take a command's name, and endless recursion ends.
    EXPECT_FALSE(fEngine.RunScript("global proc note() { }", "defs.mel"));
    EXPECT_EQ(Errors().back(),
              "file: defs.mel line 1: Cannot define procedure \"note\": a command of that name exists.");
    EXPECT_FALSE(fEngine.RunScript("global proc loop() { loop; }\nloop;"));
    // Shown once, at the statement that started it.
    EXPECT_EQ(Errors().back(), "line 2: Calls nested too deep (more than 400, or more than the stack holds): endless recursion?");
}

TEST_F(ScriptProceduresTest, SourceAndCallsFindScriptsOnTheScriptPath)
{
    Write(fDir / "AEthingTemplate.mel",
          "note sourced;\nglobal proc AEthingTemplate(string $n) { note template $n; }\n");
    Write(fDir / "helpers.mel", "global proc helper() { note helper; }\n");
    Write(fDir / "noProc.mel", "note noProc;\n");
    Write(fDir / "selfCall.mel", "selfCall;\n");

    // An unknown procedure is looked for as NAME.mel, sourced once.
    ASSERT_TRUE(fEngine.RunScript("AEthingTemplate swarm;\nAEthingTemplate goal;"));
    EXPECT_EQ(fNotes, (std::vector<std::string>{"sourced", "template|swarm", "template|goal"}));

    fNotes.clear();
    ASSERT_TRUE(
        fEngine.RunScript("source helpers;\nhelper;\nsource \"" + (fDir / "helpers.mel").string() + "\";"));
    EXPECT_EQ(fNotes, (std::vector<std::string>{"helper"}));

    // A file that does not define the procedure, or calls it before it
    // does, leaves it missing rather than sourcing forever.
    fNotes.clear();
    EXPECT_FALSE(fEngine.RunScript("noProc;"));
    EXPECT_EQ(fNotes, (std::vector<std::string>{"noProc"}));
    EXPECT_EQ(Errors().back(), "line 1: Cannot find procedure \"noProc\".");
    EXPECT_FALSE(fEngine.RunScript("selfCall;"));
    EXPECT_EQ(Errors().back(),
              "file: " + (fDir / "selfCall.mel").string() + " line 1: Cannot find procedure \"selfCall\".");

    EXPECT_FALSE(fEngine.RunScript("source nowhere;"));
    EXPECT_EQ(Errors().back(), "line 1: source: Cannot find file \"nowhere\" for source statement.");
}

TEST_F(ScriptProceduresTest, DeferredScriptsRunWhenTheOutermostRunEnds)
{
    Write(fDir / "inner.mel", "evalDeferred \"note fromSourced\";\nnote sourced;\n");
    ASSERT_TRUE(
        fEngine.RunScript("evalDeferred -lowestPriority \"note deferred; evalDeferred \\\"note again\\\"\";\n"
                          "source inner;\n"
                          "note last;"));
    EXPECT_EQ(fNotes, (std::vector<std::string>{"sourced", "last", "deferred", "fromSourced", "again"}));

    // A failing deferred script is shown; the others still run.
    fNotes.clear();
    ASSERT_TRUE(fEngine.RunScript("evalDeferred \"missing\";\nevalDeferred \"note after\";"));
    EXPECT_EQ(fNotes, (std::vector<std::string>{"after"}));
    EXPECT_EQ(Errors().back(), "line 1: Cannot find procedure \"missing\".");
}
