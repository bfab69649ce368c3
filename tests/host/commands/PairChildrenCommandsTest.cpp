// Pairs and their children from scripts: addAttr building them child by
// child, setAttr, getAttr, connectAttr and setKeyframe on a child, the
// refusals that name the connection in the way, and undo through a plug-in
// command's modifier.

#include "commands/PlugLookup.h"
#include "commands/UndoQueue.h"
#include "dg/Scene.h"
#include "plugin/PluginRegistry.h"

#include <maya/MArgList.h>
#include <maya/MDGModifier.h>
#include <maya/MFnPlugin.h>
#include <maya/MPxCommand.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <string>

using vxhost::CommandEngine;
using vxhost::Scene;

namespace
{
// vxConnectPlugs SOURCE DESTINATION: an undoable connection by plug names.
class ConnectPlugsCommand : public MPxCommand
{
public:
    static void* Create() { return new ConnectPlugsCommand; }
    MStatus doIt(const MArgList& args) override
    {
        std::string error;
        const MPlug source = vxhost::LookUpPlug(args.asString(0).asChar(), error);
        const MPlug destination = vxhost::LookUpPlug(args.asString(1).asChar(), error);
        if (MStatus status = fModifier.connect(source, destination); !status)
            return status;
        return fModifier.doIt();
    }
    MStatus undoIt() override { return fModifier.undoIt(); }
    MStatus redoIt() override { return fModifier.doIt(); }
    bool isUndoable() const override { return true; }
    bool hasSyntax() const override { return false; }

private:
    MDGModifier fModifier;
};

class PairChildrenCommandsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Scene::Get().Reset();
        vxhost::UndoQueue::Get().Clear();
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        ASSERT_TRUE(fPlugin.registerCommand("vxConnectPlugs", ConnectPlugsCommand::Create));
        ASSERT_TRUE(Run("createNode transform -n ctl; addAttr -ln lo -at double ctl;"
                        "addAttr -ln range -at double2 ctl; addAttr -ln rangeA -at double -dv 7 -p range ctl;"
                        "addAttr -ln rangeB -at double -dv 8 -p range ctl;"
                        "createNode transform -n n; addAttr -ln lim -at double2 n;"))
            << LastError();
    }
    void TearDown() override
    {
        fPlugin.deregisterCommand("vxConnectPlugs");
        Scene::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    static bool Run(const std::string& script) { return CommandEngine::Instance().RunScript(script); }
    static std::string Result() { return CommandEngine::Instance().LastResult().Format(); }
    static std::string Last(vxhost::Severity severity)
    {
        std::string text;
        for (const vxhost::Message& m : vxhost::Messages())
            if (m.severity == severity)
                text = m.text;
        return text;
    }
    static std::string LastError() { return Last(vxhost::Severity::kError); }
    static std::string Get(const std::string& plug)
    {
        EXPECT_TRUE(Run("getAttr " + plug + ";")) << LastError();
        return Result();
    }
    // The script must fail with exactly this error.
    static void Refused(const std::string& script, const std::string& error)
    {
        EXPECT_FALSE(Run(script)) << script;
        EXPECT_EQ(LastError(), "line 1: " + error);
    }
    // n.lim: (limX = 1, limY = 2 at most 5).
    static void CompleteLim()
    {
        ASSERT_TRUE(Run("addAttr -ln limX -at double -dv 1 -p lim n;"
                        "addAttr -ln limY -sn ly -at double -dv 2 -max 5 -p lim n;"))
            << LastError();
    }

    MObject fObject = MObject(std::make_shared<vxhost::PluginObject>());
    MFnPlugin fPlugin{fObject};
};
} // namespace

TEST_F(PairChildrenCommandsTest, AddAttrMakesAPairChildByChild)
{
    // The pair waits for its children before it can be read.
    Refused("getAttr n.lim;", "getAttr: No object matches name: n.lim");
    ASSERT_TRUE(Run("addAttr -ln limX -at double -dv 1 -p lim n;"));
    Refused("getAttr n.limX;", "getAttr: No object matches name: n.limX");
    ASSERT_TRUE(Run("addAttr -ln limY -sn ly -at double -dv 2 -max 5 -p lim n;"));
    EXPECT_EQ(Get("n.lim"), "1 2");
    EXPECT_EQ(Get("-type n.lim"), "double2");
    EXPECT_EQ(Get("-type n.ly"), "double");

    // Set whole or child by child, within each child's limits.
    ASSERT_TRUE(Run("setAttr n.lim 3 9;"));
    EXPECT_EQ(Get("n.lim"), "3 5");
    ASSERT_TRUE(Run("setAttr n.limX -4;"));
    EXPECT_EQ(Get("n.lim"), "-4 5");
    EXPECT_EQ(Get("n.limY"), "5");

    // A compound of mixed numbers is built the same way.
    ASSERT_TRUE(Run("addAttr -ln box -at compound -nc 2 n; addAttr -ln boxW -at doubleLinear -p box n;"
                    "addAttr -ln boxOn -at bool -p box n; setAttr n.box 2.5 1;"))
        << LastError();
    EXPECT_EQ(Get("n.box"), "2.5 1");

    Refused("addAttr -ln bad -at double2 -nc 3 n;", "addAttr: A double2 has 2 children, not 3.");
    Refused("addAttr -ln bad -at compound n;",
            "addAttr: A compound attribute needs its number of children (-nc).");
    Refused("addAttr -ln bad -at double -nc 2 n;",
            "addAttr: Only a compound, pair or triple has children (-nc).");
    Refused("addAttr -ln badX -at double -p nothing n;",
            "addAttr: No attribute 'nothing' on n waits for children: add it first.");
    Refused("addAttr -ln limZ -at double -p lim n;",
            "addAttr: The attribute 'n.lim' has all its children already.");
    Refused("addAttr -ln limX -at double n;", "addAttr: Found a conflicting attribute name \"limX\" on n.");
    ASSERT_TRUE(Run("addAttr -ln f2 -at float2 n;"));
    Refused("addAttr -ln f2a -at double -p f2 n;", "addAttr: The attribute 'f2a' cannot be a child of 'f2': "
                                                   "its children are single numbers of its type.");
}

TEST_F(PairChildrenCommandsTest, ConnectionsInTheWayAreNamed)
{
    CompleteLim();
    ASSERT_TRUE(Run("setAttr ctl.lo 4; connectAttr ctl.lo n.limX;"));
    EXPECT_EQ(Result(), "Connected ctl.lo to n.limX.");
    EXPECT_EQ(Get("n.lim"), "4 2");
    const std::string locked = "setAttr: The attribute ";
    Refused("setAttr n.limX 1;", locked + "'n.limX' is locked or connected and cannot be modified. "
                                          "It is connected from 'ctl.lo'.");
    Refused("setAttr n.lim 1 1;", locked + "'n.lim' is locked or connected and cannot be modified. "
                                           "Its child 'n.limX' is connected from 'ctl.lo'.");
    Refused("connectAttr ctl.range n.lim;",
            "connectAttr: 'n.lim' already has an incoming connection from 'ctl.lo' to 'n.limX'.");
    ASSERT_TRUE(Run("setAttr n.limY 3; setAttr ctl.lo 4.5;"));
    EXPECT_EQ(Get("n.lim"), "4.5 3");

    // Forced, the pair's connection replaces its child's.
    ASSERT_TRUE(Run("connectAttr -f ctl.range n.lim; setAttr ctl.lo 0;"));
    EXPECT_EQ(Get("n.lim"), "7 8") << "a connection is not held to the limits setAttr keeps";
    EXPECT_EQ(Get("n.limX"), "7");
    Refused("setAttr n.limY 1;", locked + "'n.limY' is locked or connected and cannot be modified. "
                                          "It is part of 'n.lim', which is connected from 'ctl.range'.");
    Refused("connectAttr ctl.lo n.limY;", "connectAttr: 'n.limY' already has an incoming connection from "
                                          "'ctl.range'.");
    ASSERT_TRUE(Run("disconnectAttr ctl.range n.lim; setAttr n.limY 1;"));
    EXPECT_EQ(Get("n.lim"), "7 1");

    // A child is keyed on a curve of its own; keying the pair keys both.
    ASSERT_TRUE(Run("setKeyframe -t 1 -v 2 -at limY n;"));
    EXPECT_EQ(Result(), "1");
    Refused("setAttr n.ly 0;", locked + "'n.limY' is locked or connected and cannot be modified. "
                                        "It is connected from 'n_limY.output'.");
    ASSERT_TRUE(Run("setKeyframe -t 5 n.lim;"));
    EXPECT_EQ(Result(), "2");
    ASSERT_TRUE(Run("setKeyframe -t 9 -v 6 n.limX; currentTime 7;"));
    EXPECT_EQ(Get("n.lim"), "6.5 2") << "halfway between flat keys 7 and 6; limY held at 2";
}

TEST_F(PairChildrenCommandsTest, UndoAndRedoReachAChildsConnection)
{
    CompleteLim();
    ASSERT_TRUE(Run("setAttr ctl.lo 6; vxConnectPlugs ctl.lo n.limX;"));
    EXPECT_EQ(Get("n.lim"), "6 2");
    ASSERT_TRUE(Run("undo;"));
    EXPECT_EQ(Last(vxhost::Severity::kInfo), "// Undo: vxConnectPlugs ctl.lo n.limX //");
    // The child keeps the last value its connection gave, and can be set.
    ASSERT_TRUE(Run("setAttr ctl.lo 9;"));
    EXPECT_EQ(Get("n.lim"), "6 2");
    ASSERT_TRUE(Run("setAttr n.limX 0;"));
    ASSERT_TRUE(Run("redo;"));
    EXPECT_EQ(Get("n.lim"), "9 2");
    EXPECT_FALSE(Run("setAttr n.limX 0;"));
}
