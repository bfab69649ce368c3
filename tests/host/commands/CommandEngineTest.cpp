#include <maya/MDistance.h>
#include <maya/MTime.h>
#include <vxhost/CRandom.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

using vxhost::CommandEngine;
using vxhost::CommandResult;
using vxhost::FormatDouble;
using vxhost::ScriptStatement;
using vxhost::Severity;

namespace
{
// The log as "E:text" / "R:text" lines, to compare whole runs at once.
std::vector<std::string> Log()
{
    std::vector<std::string> lines;
    for (const vxhost::Message& m : vxhost::Messages())
        lines.push_back((m.severity == Severity::kError    ? "E:"
                         : m.severity == Severity::kResult ? "R:"
                                                           : "I:") +
                        m.text);
    return lines;
}

class CommandEngineTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
    }
    void TearDown() override
    {
        MDistance::setUIUnit(MDistance::kCentimeters);
        MTime::setUIUnit(MTime::kFilm);
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    // "note X" records X and returns how many notes there have been;
    // "fail" reports an error as commands do.
    void AddTestCommands()
    {
        fEngine.Register("note",
                         [this](const ScriptStatement& statement, CommandResult& result)
                         {
                             fNotes.push_back(statement.arguments.at(0).text);
                             result.SetInt(static_cast<int>(fNotes.size()));
                             return MStatus(MStatus::kSuccess);
                         });
        fEngine.Register("fail", [](const ScriptStatement& statement, CommandResult&)
                         { return vxhost::ReportCommandError(statement, "No object matches name: foo"); });
    }

    CommandEngine fEngine;
    std::vector<std::string> fNotes;
};
} // namespace

TEST(FormatDouble, ShortestTextThatReadsBackExactly)
{
    const double awkward[] = {0.1,        1.0 / 3.0,
                              0.1 + 0.2,  1e-300,
                              5e-324,     9007199254740994.0,
                              -2.5e-7,    1e15 + 0.5,
                              123456.789, 1.7976931348623157e308};
    for (const double value : awkward)
        EXPECT_EQ(std::strtod(FormatDouble(value).c_str(), nullptr), value) << FormatDouble(value);
    EXPECT_EQ(FormatDouble(0.1), "0.1");
    EXPECT_EQ(FormatDouble(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(FormatDouble(1e-300), "1e-300");
    // Whole numbers print without a decimal point, up to 2^53 and beyond.
    EXPECT_EQ(FormatDouble(5.0), "5");
    EXPECT_EQ(FormatDouble(-3.0), "-3");
    EXPECT_EQ(FormatDouble(100000.0), "100000");
    EXPECT_EQ(FormatDouble(9007199254740994.0), "9007199254740994");
    EXPECT_EQ(FormatDouble(1e16), "1e+16");
    // Positional notation from 1e-4 on, as %g switches.
    EXPECT_EQ(FormatDouble(0.0001), "0.0001");
    EXPECT_EQ(FormatDouble(0.00001), "1e-05");
    EXPECT_EQ(FormatDouble(-0.0), "-0"); // the sign of zero reads back too
}

TEST(CommandResult, FormatsAsMayaPrintsAndMixesAppendsSafely)
{
    CommandResult result;
    EXPECT_TRUE(result.IsEmpty());
    result.SetDoubles({1.0, 2.5, -3.0});
    EXPECT_EQ(result.Format(), "1 2.5 -3");
    result.SetStrings({});
    EXPECT_TRUE(result.IsEmpty());
    result.SetString("");
    EXPECT_FALSE(result.IsEmpty()); // an empty string is still a result

    result.SetInt(1);
    result.AppendInt(2);
    EXPECT_EQ(result.GetKind(), CommandResult::Kind::kIntArray);
    result.AppendDouble(0.5); // the ints become doubles
    EXPECT_EQ(result.GetKind(), CommandResult::Kind::kDoubleArray);
    EXPECT_EQ(result.Doubles(), (std::vector<double>{1.0, 2.0, 0.5}));
    result.AppendString("pCube1");
    EXPECT_EQ(result.GetKind(), CommandResult::Kind::kStringArray);
    EXPECT_EQ(result.Format(), "1 2 0.5 pCube1");
}

TEST_F(CommandEngineTest, RunsInOrderAndStopsAtTheFirstFailureNamingFileLineAndCommand)
{
    AddTestCommands();
    EXPECT_EQ(fEngine.RunScript("note a;\nnote b;\n\nfail;\nnote c;", "/p/scene.mel"), MStatus::kFailure);
    EXPECT_EQ(fNotes, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Log(), (std::vector<std::string>{
                         "R:1", "R:2", "E:file: /p/scene.mel line 4: fail: No object matches name: foo"}));
    EXPECT_TRUE(fEngine.LastResult().IsEmpty());

    vxhost::ClearMessages();
    EXPECT_EQ(fEngine.RunScript("note d;\n  foo 1;\nnote e;"), MStatus::kNotFound);
    EXPECT_EQ(Log(), (std::vector<std::string>{"R:3", "E:line 2: Cannot find procedure \"foo\"."}));

    // A syntax error anywhere runs nothing.
    EXPECT_FALSE(fEngine.RunScript("note f;\nnote \"g;", "x.mel"));
    EXPECT_EQ(fNotes, (std::vector<std::string>{"a", "b", "d"}));
    EXPECT_EQ(Log().back(), "E:file: x.mel line 2: Syntax error: unterminated string.");

    EXPECT_TRUE(fEngine.RunScript("note h; note i;"));
    EXPECT_EQ(fEngine.LastResult().Format(), "5");
}

TEST_F(CommandEngineTest, FailuresAreShownOncePlacedEvenWhenTheCommandSaidNothing)
{
    fEngine.Register("silent", [](const ScriptStatement&, CommandResult&)
                     { return MStatus(MStatus::kInvalidParameter); });
    fEngine.Register("throws",
                     [](const ScriptStatement&, CommandResult&) -> MStatus
                     { throw std::runtime_error("boom"); });
    EXPECT_EQ(fEngine.RunScript("\nsilent;"), MStatus::kInvalidParameter);
    EXPECT_EQ(fEngine.RunScript("throws;"), MStatus::kFailure);
    EXPECT_EQ(Log(), (std::vector<std::string>{"E:line 2: silent: (kInvalidParameter): Invalid Parameter",
                                               "E:line 1: throws: Internal error: boom"}));
}

TEST_F(CommandEngineTest, RegistryAndScriptFiles)
{
    AddTestCommands();
    EXPECT_EQ(fEngine.Register("seed", [](const ScriptStatement&, CommandResult&) { return MStatus(); }),
              MStatus::kFailure);
    EXPECT_EQ(fEngine.Register("two words", [](const ScriptStatement&, CommandResult&) { return MStatus(); }),
              MStatus::kInvalidParameter);
    EXPECT_EQ(fEngine.Register("empty", nullptr), MStatus::kInvalidParameter);
    EXPECT_EQ(fEngine.Deregister("nothing"), MStatus::kNotFound);
    // A command may take itself out of the registry while it runs.
    fEngine.Register("once",
                     [this](const ScriptStatement&, CommandResult&) { return fEngine.Deregister("once"); });
    EXPECT_TRUE(fEngine.RunScript("once;"));
    EXPECT_FALSE(fEngine.Has("once"));

    const std::string path = testing::TempDir() + "vx_engine_test.mel";
    std::ofstream(path) << "note a; // first\n/* second */ fail;\n";
    vxhost::ClearMessages();
    EXPECT_FALSE(fEngine.RunScriptFile(path));
    EXPECT_EQ(Log().back(), "E:file: " + path + " line 2: fail: No object matches name: foo");
    std::remove(path.c_str());
    EXPECT_EQ(fEngine.RunScriptFile(path), MStatus::kNotFound);
    EXPECT_EQ(Log().back(), "E:Cannot read file \"" + path + "\": No such file or directory.");
}

TEST_F(CommandEngineTest, SeedAndCurrentUnitSetProcessWideState)
{
    ASSERT_TRUE(fEngine.RunScript("seed 42;"));
    EXPECT_EQ(vxhost::RandomState(), 42u);
    EXPECT_EQ(fEngine.LastResult().Format(), "42");

    ASSERT_TRUE(fEngine.RunScript("currentUnit -l mm;"));
    EXPECT_EQ(MDistance::uiToInternal(10.0), 1.0);
    ASSERT_TRUE(fEngine.RunScript("currentUnit -q -l;"));
    EXPECT_EQ(fEngine.LastResult().Format(), "mm");
    ASSERT_TRUE(fEngine.RunScript("currentUnit -linear inch -time ntsc;"));
    EXPECT_EQ(MDistance::uiToInternal(1.0), 2.54);
    EXPECT_EQ(MDistance::internalToUI(30.48), 12.0);
    EXPECT_EQ(MTime(1.0, MTime::kSeconds).as(MTime::uiUnit()), 30.0);
    ASSERT_TRUE(fEngine.RunScript("currentUnit -q -l -f;"));
    EXPECT_EQ(fEngine.LastResult().Format(), "inch");
    ASSERT_TRUE(fEngine.RunScript("currentUnit -q -t;"));
    EXPECT_EQ(fEngine.LastResult().Format(), "ntsc");

    // A bad unit is named and changes neither unit.
    EXPECT_EQ(fEngine.RunScript("currentUnit -t pal -l parsec;"), MStatus::kInvalidParameter);
    EXPECT_EQ(Log().back(),
              "E:line 1: currentUnit: Invalid linear unit \"parsec\". Use mm, cm, m, km, in, ft, yd "
              "or mi.");
    EXPECT_EQ(MDistance::uiUnit(), MDistance::kInches);
    EXPECT_EQ(MTime::uiUnit(), MTime::kNTSCFrame);
    EXPECT_FALSE(fEngine.RunScript("currentUnit -q;"));
    EXPECT_FALSE(fEngine.RunScript("seed 1.5;"));
}
