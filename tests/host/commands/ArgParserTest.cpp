// Arguments sorted by a command's syntax: flags by either name, typed
// values, query and edit modes, command arguments and objects, and the
// errors a user sees for each kind of mistake.

#include "dg/Scene.h"

#include <maya/MArgDatabase.h>
#include <maya/MArgList.h>
#include <maya/MDistance.h>
#include <maya/MSelectionList.h>
#include <maya/MSyntax.h>
#include <vxhost/MessageLog.h>
#include <vxhost/Script.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vxhost::Scene;

namespace
{
class ArgParserTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Scene::Get().Reset();
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        fSyntax.addFlag("-a", "-add", MSyntax::kString);
        fSyntax.addFlag("-w", "-weight", MSyntax::kDistance);
        fSyntax.addFlag("-c", "-count", MSyntax::kLong);
        fSyntax.addFlag("-on", "-enable", MSyntax::kBoolean);
        fSyntax.addFlag("-p", "-point", MSyntax::kDouble, MSyntax::kDouble);
        fSyntax.addFlag("-v", "-verbose");
        fSyntax.makeFlagMultiUse("point");
        fSyntax.setObjectType(MSyntax::kSelectionList, 0, 2);
        fSyntax.enableQuery();
    }
    void TearDown() override
    {
        MDistance::setUIUnit(MDistance::kCentimeters);
        Scene::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    // The arguments of "vxTest <script>;" as the engine would hand them.
    static MArgList Args(const std::string& script)
    {
        std::vector<vxhost::ScriptStatement> statements;
        std::string error;
        EXPECT_TRUE(vxhost::ParseScript("vxTest " + script + ";", "", statements, error)) << error;
        return statements.empty() ? MArgList() : MArgList(statements[0]);
    }
    // The one error a failed parse shows.
    static std::string Error()
    {
        const std::vector<vxhost::Message> messages = vxhost::Messages();
        EXPECT_EQ(messages.size(), 1u);
        vxhost::ClearMessages();
        return messages.empty() ? std::string() : messages.back().text;
    }
    std::string Fails(const std::string& script)
    {
        MStatus status;
        MArgDatabase db(fSyntax, Args(script), &status);
        EXPECT_EQ(status, MStatus::kInvalidParameter) << script;
        return Error();
    }

    MSyntax fSyntax;
};
} // namespace

TEST_F(ArgParserTest, ArgListKeepsWhatTheScriptWrote)
{
    const MArgList args = Args(R"(-add "-x" -2.5 word "")");
    ASSERT_EQ(args.length(), 5u);
    EXPECT_EQ(args.asString(0), "-add");
    EXPECT_TRUE(args.IsFlag(0));
    EXPECT_EQ(args.asString(1), "-x");
    EXPECT_FALSE(args.IsFlag(1));
    EXPECT_EQ(args.asDouble(2), -2.5);
    MStatus status;
    args.asInt(2, &status);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    EXPECT_EQ(args.flagIndex("a", "add"), 0u);
    EXPECT_EQ(args.flagIndex("-x"), MArgList::kInvalidArgIndex);
    args.asString(5, &status);
    EXPECT_FALSE(status);
}

TEST_F(ArgParserTest, SyntaxRefusesClashingFlags)
{
    EXPECT_EQ(fSyntax.addFlag("-a", "-another"), MStatus::kFailure);
    EXPECT_EQ(fSyntax.addFlag("-ad", "-add"), MStatus::kFailure);
    EXPECT_EQ(fSyntax.addFlag("-v", "-verbose"), MStatus::kFailure);
    EXPECT_TRUE(fSyntax.addFlag("n", "name", MSyntax::kString));
    EXPECT_EQ(fSyntax.Flags().back().shortName, "-n");
    EXPECT_FALSE(fSyntax.makeFlagMultiUse("-nothing"));
    EXPECT_FALSE(fSyntax.setObjectType(MSyntax::kSelectionList, 3, 2));
}

TEST_F(ArgParserTest, FlagsByEitherNameWithTypedValues)
{
    MDistance::setUIUnit(MDistance::kMeters);
    MStatus status;
    const MArgDatabase db(fSyntax, Args("-a goal -weight 2 -c 3e2 -on off -p 1 2 -point 3 -4 -v"), &status);
    ASSERT_TRUE(status);
    for (const char* name : {"a", "-add", "weight", "-c", "enable", "-v"})
        EXPECT_TRUE(db.isFlagSet(name)) << name;
    EXPECT_FALSE(db.isQuery());
    EXPECT_EQ(db.numberOfFlagsUsed(), 6u);

    MString add;
    EXPECT_TRUE(db.getFlagArgument("add", 0, add));
    EXPECT_EQ(add, "goal");
    MDistance weight;
    EXPECT_TRUE(db.getFlagArgument("-w", 0, weight));
    EXPECT_DOUBLE_EQ(weight.asCentimeters(), 200.0);
    int count = 0;
    EXPECT_TRUE(db.getFlagArgument("count", 0, count));
    EXPECT_EQ(count, 300);
    bool enable = true;
    EXPECT_TRUE(db.getFlagArgument("on", 0, enable));
    EXPECT_FALSE(enable);

    // Each use of a multi-use flag keeps its own values.
    ASSERT_EQ(db.numberOfFlagUses("p"), 2u);
    MArgList second;
    EXPECT_TRUE(db.getFlagArgumentList("point", 1, second));
    ASSERT_EQ(second.length(), 2u);
    EXPECT_EQ(second.asDouble(0), 3.0);
    EXPECT_EQ(second.asDouble(1), -4.0);

    // Past the values, and a flag not given.
    EXPECT_EQ(db.getFlagArgument("add", 1, add), MStatus::kInvalidParameter);
    EXPECT_FALSE(db.isFlagSet("nothing", &status));
    EXPECT_FALSE(status);
}

TEST_F(ArgParserTest, MistakesAreNamed)
{
    EXPECT_EQ(Fails("-foo"), "Invalid flag: -foo");
    EXPECT_EQ(Fails("-add"), "Flag -add requires 1 argument");
    EXPECT_EQ(Fails("-p 1 -v"), "Flag -p requires 2 arguments");
    EXPECT_EQ(Fails("-c 2.5"), "Flag -c expects an integer, got \"2.5\"");
    EXPECT_EQ(Fails("-enable maybe"), "Flag -enable expects a boolean, got \"maybe\"");
    EXPECT_EQ(Fails("-w far"), "Flag -w expects a number, got \"far\"");
    EXPECT_EQ(Fails("-v -verbose"), "Flag -verbose can be used only once");
    EXPECT_EQ(Fails("-e"), "Flag -e is not supported: the command cannot be edited");
    EXPECT_EQ(Fails("a b c"), "Too many objects or values: c");

    // A failed parse answers nothing.
    MStatus status;
    const MArgDatabase db(fSyntax, Args("-v -foo"), &status);
    Error();
    EXPECT_FALSE(db.isFlagSet("v", &status));
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    MString value;
    EXPECT_FALSE(db.getFlagArgument("add", 0, value));
}

TEST_F(ArgParserTest, QueryFlagsTakeNoValues)
{
    MStatus status;
    // -q may come after the flags it turns into questions.
    const MArgDatabase db(fSyntax, Args("-add -weight -q obj"), &status);
    ASSERT_TRUE(status);
    EXPECT_TRUE(db.isQuery());
    EXPECT_TRUE(db.isFlagSet("add"));
    EXPECT_TRUE(db.isFlagSet("weight"));
    MString value;
    EXPECT_FALSE(db.getFlagArgument("add", 0, value));
    MStringArray objects;
    EXPECT_TRUE(db.getObjects(objects));
    ASSERT_EQ(objects.length(), 1u);
    EXPECT_EQ(objects[0], "obj");

    fSyntax.enableQuery(false);
    EXPECT_EQ(Fails("-q"), "Flag -q is not supported: the command cannot be queried");
}

TEST_F(ArgParserTest, CommandArgumentsComeBeforeObjects)
{
    MSyntax syntax;
    syntax.addArg(MSyntax::kLong);
    syntax.addArg(MSyntax::kString);
    syntax.setObjectType(MSyntax::kStringObjects);
    MStatus status;
    const MArgDatabase db(syntax, Args("4 name extra"), &status);
    ASSERT_TRUE(status);
    int first = 0;
    EXPECT_TRUE(db.getCommandArgument(0, first));
    EXPECT_EQ(first, 4);
    MStringArray objects;
    db.getObjects(objects);
    EXPECT_EQ(objects.length(), 1u);

    const MArgDatabase bad(syntax, Args("four"), &status);
    EXPECT_EQ(Error(), "Argument 1 expects an integer, got \"four\"");
    const MArgDatabase few(syntax, Args("4"), &status);
    EXPECT_EQ(Error(), "vxTest requires 2 arguments");
}

TEST_F(ArgParserTest, ObjectsResolveOrComeFromTheSelection)
{
    MStatus status;
    auto goal = Scene::Get().CreateNode("transform", "goal", nullptr, status);
    auto other = Scene::Get().CreateNode("transform", "other", nullptr, status);
    fSyntax.setMinObjects(1);

    // Without objects and without the selection as default: too few.
    EXPECT_EQ(Fails(""), "vxTest requires at least 1 object");

    fSyntax.useSelectionAsDefault(true);
    Scene::Get().Selection() = {other, goal};
    const MArgDatabase selected(fSyntax, Args("-v"), &status);
    ASSERT_TRUE(status);
    MSelectionList list;
    ASSERT_TRUE(selected.getObjects(list));
    ASSERT_EQ(list.length(), 2u);
    MObject first;
    list.getDependNode(0, first);
    EXPECT_EQ(first, other->Object());

    // Objects given win over the selection; a name matching nothing fails
    // when the objects are asked for.
    const MArgDatabase named(fSyntax, Args("goal nothing"), &status);
    ASSERT_TRUE(status);
    list.clear();
    EXPECT_EQ(named.getObjects(list), MStatus::kInvalidParameter);
    EXPECT_EQ(Error(), "No object matches name: nothing");
    EXPECT_EQ(list.length(), 1u);

    Scene::Get().Selection().clear();
    EXPECT_EQ(Fails("-v"), "vxTest requires at least 1 object");
}
