#pragma once
// The entity command tests run scripts as a user would and look at the
// resulting graph through the host's API.

#include "commands/UndoQueue.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vxtest
{
/// A fresh scene with the plug-in loaded and an empty message log.
class CommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::Scene::Get().Reset();
        vxhost::Dynamics::Get().Reset();
        vxhost::UndoQueue::Get().Clear();
        ASSERT_TRUE(Run("loadPlugin \"" VX_PLUGIN_MODULE "\";"));
        vxhost::ClearMessages();
    }
    // The scene (and the undo queue's commands holding its nodes) goes with
    // the test, before static destruction at exit.
    void TearDown() override { vxhost::Scene::Get().Reset(); }

    static MStatus Run(const std::string& script)
    {
        return vxhost::CommandEngine::Instance().RunScript(script);
    }
    static std::vector<std::string> Strings()
    {
        return vxhost::CommandEngine::Instance().LastResult().Strings();
    }
    static std::vector<int> Ints() { return vxhost::CommandEngine::Instance().LastResult().Ints(); }
    /// getAttr of a number.
    static double Value(const std::string& plug)
    {
        EXPECT_TRUE(Run("getAttr " + plug + ";")) << plug;
        const vxhost::CommandResult result = vxhost::CommandEngine::Instance().LastResult();
        if (!result.Doubles().empty())
            return result.Doubles()[0];
        return result.Ints().empty() ? -12345.0 : result.Ints()[0];
    }
    static bool Logged(vxhost::Severity severity, const std::string& text)
    {
        const auto log = vxhost::Messages();
        return std::any_of(log.begin(), log.end(),
                           [&](const vxhost::Message& m)
                           { return m.severity == severity && m.text == text; });
    }
    static bool LoggedError(const std::string& text) { return Logged(vxhost::Severity::kError, text); }
    /// An error made of prefix and the host's error text.
    static bool LoggedErrorStarting(const std::string& prefix)
    {
        const auto log = vxhost::Messages();
        return std::any_of(log.begin(), log.end(),
                           [&](const vxhost::Message& m) {
                               return m.severity == vxhost::Severity::kError &&
                                      m.text.rfind(prefix + "(k", 0) == 0;
                           });
    }
};

inline MObject NodeNamed(const char* name)
{
    MSelectionList list;
    MObject node;
    EXPECT_TRUE(list.add(name)) << name;
    list.getDependNode(0, node);
    return node;
}

/// A top-level attribute (or an array element of it, index >= 0).
inline MPlug PlugOf(const char* node, const char* attribute, int index = -1)
{
    MPlug plug = MFnDependencyNode(NodeNamed(node)).findPlug(attribute, false);
    return index < 0 ? plug : plug.elementByLogicalIndex(static_cast<unsigned int>(index));
}

/// Child `child` of element `index` of a field's entity array; a second
/// child index goes one level deeper (the volume size compound).
inline MPlug FieldChild(const char* array, unsigned int index, unsigned int child, int grandChild = -1)
{
    MPlug plug = PlugOf("swarm", array, static_cast<int>(index)).child(child);
    return grandChild < 0 ? plug : plug.child(static_cast<unsigned int>(grandChild));
}

/// The name of the plug feeding `plug`, "" when none does.
inline std::string SourceOf(const MPlug& plug)
{
    const MPlug source = plug.source();
    return source.isNull() ? std::string() : std::string(source.name().asChar());
}

inline unsigned int AttributeCount(const char* node)
{
    return MFnDependencyNode(NodeNamed(node)).attributeCount();
}
} // namespace vxtest
