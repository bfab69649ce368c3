// Queued connections: done in order, stopped by a failure, undone newest
// first back to exactly the connections there were.

#include "GraphTestUtil.h"
#include "dg/Scene.h"

#include <maya/MDGModifier.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

using graphtest::Make;
using graphtest::PlugOf;
using vxhost::Scene;

namespace
{
class MDGModifierTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Scene::Get().Reset();
        graphtest::Doubler::Register();
        for (const char* name : {"a", "b", "c", "x", "y", "z"})
            Make("testDoubler", name);
    }
    void TearDown() override { Scene::Get().Reset(); }

    static MPlug Out(const char* node) { return PlugOf(Scene::Get().Find(node), "output"); }
    static MPlug In(const char* node) { return PlugOf(Scene::Get().Find(node), "input"); }
    static std::set<std::string> Connections()
    {
        std::set<std::string> names;
        for (const vxhost::Connection& c : Scene::Get().Connections())
            names.insert(std::string(vxhost::PlugName(*c.source, c.sourcePath).asChar()) + " -> " +
                         vxhost::PlugName(*c.destination, c.destinationPath).asChar());
        return names;
    }
};
} // namespace

TEST_F(MDGModifierTest, RepeatedOperationsAreQueuedOnce)
{
    MDGModifier modifier;
    EXPECT_TRUE(modifier.connect(Out("a"), In("x")));
    EXPECT_TRUE(modifier.connect(Out("a"), In("x")));
    EXPECT_EQ(modifier.connect(MPlug(), In("x")), MStatus::kInvalidParameter);
    ASSERT_TRUE(modifier.doIt());
    // What is in effect is not done again.
    ASSERT_TRUE(modifier.doIt());
    EXPECT_EQ(Connections(), std::set<std::string>{"a.output -> x.input"});
    ASSERT_TRUE(modifier.undoIt());
    EXPECT_TRUE(Connections().empty());
}

TEST_F(MDGModifierTest, AFailingConnectStopsDoItAndUndoRestoresThePast)
{
    ASSERT_TRUE(Scene::Get().Connect(Out("c"), In("y"), false));
    const std::set<std::string> before = Connections();

    MDGModifier modifier;
    modifier.connect(Out("a"), In("x"));
    modifier.connect(Out("b"), In("y")); // y is fed by c
    const auto z = Scene::Get().Find("z");
    modifier.connect(Scene::Get().Find("a")->Object(), graphtest::Doubler::output, z->Object(),
                     graphtest::Doubler::input);
    EXPECT_EQ(modifier.doIt(), MStatus::kInvalidParameter);
    EXPECT_EQ(Connections(), (std::set<std::string>{"a.output -> x.input", "c.output -> y.input"}));

    ASSERT_TRUE(modifier.undoIt());
    EXPECT_EQ(Connections(), before);

    // With y free, doIt does everything queued.
    ASSERT_TRUE(Scene::Get().Disconnect(Out("c"), In("y")));
    ASSERT_TRUE(modifier.doIt());
    EXPECT_EQ(Connections(),
              (std::set<std::string>{"a.output -> x.input", "b.output -> y.input", "a.output -> z.input"}));
}

TEST_F(MDGModifierTest, UndoRevertsNewestFirst)
{
    // Replacing y's source takes a disconnect, then a connect; undoing them
    // oldest first would find y still fed by b.
    ASSERT_TRUE(Scene::Get().Connect(Out("c"), In("y"), false));
    MDGModifier modifier;
    modifier.disconnect(Out("c"), In("y"));
    modifier.connect(Out("b"), In("y"));
    ASSERT_TRUE(modifier.doIt());
    EXPECT_EQ(Connections(), std::set<std::string>{"b.output -> y.input"});
    ASSERT_TRUE(modifier.undoIt());
    EXPECT_EQ(Connections(), std::set<std::string>{"c.output -> y.input"});
    ASSERT_TRUE(modifier.doIt());
    EXPECT_EQ(Connections(), std::set<std::string>{"b.output -> y.input"});
}
