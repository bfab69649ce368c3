// emit and dynExpression run as a scene runs them: particles added between
// frames, their ids and ages, and per-particle expressions at birth and
// around every step.

#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MDistance.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

using vxhost::CommandEngine;

namespace
{
class ParticleScriptTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        vxhost::Scene::Get().Reset();
        vxhost::Dynamics::Get().SetRange(1, 100);
        vxhost::Dynamics::Get().Reset();
        // Two particles, with a per-particle array for a field "swarm".
        ASSERT_TRUE(Run("particle -n flock -p 0 0 0 -p 1 0 0;"
                        "addAttr -ln swarm_maximumSpeed -dt doubleArray flockShape;"
                        "setAttr flockShape.swarm_maximumSpeed -type doubleArray 2 7 8;"))
            << LastError();
    }
    void TearDown() override
    {
        MDistance::setUIUnit(MDistance::kCentimeters);
        vxhost::Scene::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    static bool Run(const std::string& script) { return CommandEngine::Instance().RunScript(script); }
    static std::string Result() { return CommandEngine::Instance().LastResult().Format(); }
    static std::string LastError()
    {
        std::string text;
        for (const vxhost::Message& m : vxhost::Messages())
            if (m.severity == vxhost::Severity::kError)
                text = m.text;
        return text;
    }
    static std::string Get(const std::string& plug)
    {
        EXPECT_TRUE(Run("getAttr " + plug + ";")) << LastError();
        return Result();
    }
    static std::vector<double> Numbers(const std::string& plug)
    {
        std::istringstream in(Get(plug));
        std::vector<double> values;
        for (double v; in >> v;)
            values.push_back(v);
        return values;
    }
};
} // namespace

TEST_F(ParticleScriptTest, EmitGrowsEveryArrayInUseWithFreshIds)
{
    ASSERT_TRUE(Run("emit -o flock -pos 5 0 0 -pos 6 0 0 -at velocity -vv 1 2 3 -at mass -fv 2 -fv 3;"))
        << LastError();
    EXPECT_EQ(Result(), "2 3"); // the new ids
    EXPECT_EQ(Get("flockShape.count"), "4");
    EXPECT_EQ(Get("flockShape.particleId"), "0 1 2 3");
    EXPECT_EQ(Get("flockShape.position"), "0 0 0 1 0 0 5 0 0 6 0 0");
    // One vector for all; the old particles keep their (zero) velocity.
    EXPECT_EQ(Get("flockShape.velocity"), "0 0 0 0 0 0 1 2 3 1 2 3");
    // mass was not in use: the old particles get the mass a missing entry
    // means, 1.
    EXPECT_EQ(Get("flockShape.mass"), "1 1 2 3");
    EXPECT_EQ(Get("flockShape.swarm_maximumSpeed"), "7 8 0 0");
    EXPECT_EQ(Get("flockShape.age"), "0 0 0 0");

    // Ids follow the highest ever given, and positions the UI unit.
    ASSERT_TRUE(Run("setAttr flockShape.particleId -type doubleArray 4 0 1 9 3;"
                    "currentUnit -l m; emit -o flockShape -pos 1 0 0;"));
    EXPECT_EQ(Result(), "10");
    MDistance::setUIUnit(MDistance::kCentimeters);
    EXPECT_EQ(Numbers("flockShape.position")[12], 100.0);
}

TEST_F(ParticleScriptTest, BadEmitChangesNothing)
{
    const char* bad[][2] = {
        {"emit -o nothing -pos 0 0 0;", "\"nothing\" is no particle object."},
        {"emit -o flock;", "Give the positions of the new particles with -position."},
        {"emit -o flock -pos 0 0 0 -at velocity -fv 1;", "\"velocity\" takes -vectorValue values."},
        {"emit -o flock -pos 0 0 0 -vv 1 1 1;", "-vv needs an -attribute before it."},
        {"emit -o flock -pos 0 0 0 -at spin -fv 1;", "\"spin\" is no per-particle attribute of flockShape."},
        {"emit -o flock -pos 0 0 0 -pos 1 1 1 -pos 2 2 2 -at mass -fv 1 -fv 2;",
         "\"mass\" takes one value for every particle or one for all (3 or 1), got 2."},
        {"emit -o flock -pos 0 0 0 -at particleId -fv 4;", "emit gives the new particles their particleId"},
    };
    for (const auto& [script, message] : bad)
    {
        EXPECT_FALSE(Run(script)) << script;
        EXPECT_NE(LastError().find(message), std::string::npos) << LastError();
    }
    EXPECT_EQ(Get("flockShape.count"), "2");
    EXPECT_EQ(Get("flockShape.mass"), "");
}

TEST_F(ParticleScriptTest, AgesAdvanceAndEmittedParticlesGoWhenTimeGoesBack)
{
    ASSERT_TRUE(Run("currentTime 3;"));
    for (const double age : Numbers("flockShape.age"))
        EXPECT_DOUBLE_EQ(age, 2.0 / 24);
    ASSERT_TRUE(Run("emit -o flock -pos 0 5 0; currentTime 4;"));
    const std::vector<double> ages = Numbers("flockShape.age");
    ASSERT_EQ(ages.size(), 3u);
    EXPECT_DOUBLE_EQ(ages[0], 3.0 / 24);
    EXPECT_DOUBLE_EQ(ages[2], 1.0 / 24);

    // The start frame's state comes back: two particles, newborn.
    ASSERT_TRUE(Run("currentTime 1;"));
    EXPECT_EQ(Get("flockShape.count"), "2");
    EXPECT_EQ(Get("flockShape.particleId"), "0 1");
    EXPECT_EQ(Get("flockShape.age"), "");
}

TEST_F(ParticleScriptTest, CreationExpressionsRunForNewbornsOnly)
{
    ASSERT_TRUE(Run("dynExpression -s \"mass = id * 2 + 1;\\n velY = 5; // at birth\" -c flock;"))
        << LastError();
    ASSERT_TRUE(Run("emit -o flock -pos 0 0 0 -pos 0 0 0;"));
    // The emitted particles (ids 2 and 3) only; mass grows for all.
    EXPECT_EQ(Get("flockShape.mass"), "1 1 5 7");
    EXPECT_EQ(Get("flockShape.velocity"), "0 0 0 0 0 0 0 5 0 0 5 0");

    // Leaving the start frame every particle is born: the expression runs on
    // the kept state, which going back restores unchanged.
    ASSERT_TRUE(Run("currentTime 2;"));
    EXPECT_EQ(Get("flockShape.mass"), "1 3 5 7");
    ASSERT_TRUE(Run("currentTime 1;"));
    EXPECT_EQ(Get("flockShape.mass"), "1 1 5 7");
}

TEST_F(ParticleScriptTest, RuntimeExpressionsRunBeforeAndAfterEachStep)
{
    // Before the dynamics: a velocity of 24 cm/s moves a particle 1 cm a
    // frame. After: y is pinned to the frame, z to the time in seconds.
    ASSERT_TRUE(
        Run("dynExpression -s \"velX = 24\" -rbd flock;"
            "dynExpression -s \"posY = frame; posZ = time; swarm_maximumSpeed += 1\" -rad flockShape;"))
        << LastError();
    ASSERT_TRUE(Run("currentTime 4;"));
    const std::vector<double> p = Numbers("flockShape.position");
    const double expected[6] = {3, 4, 4.0 / 24, 4, 4, 4.0 / 24};
    ASSERT_EQ(p.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_DOUBLE_EQ(p[i], expected[i]) << i;
    EXPECT_EQ(Get("flockShape.swarm_maximumSpeed"), "10 11");

    EXPECT_TRUE(Run("dynExpression -q -s -rbd flock;"));
    EXPECT_EQ(Result(), "velX = 24");
    EXPECT_TRUE(Run("dynExpression -q -s -c flock;"));
    EXPECT_EQ(Result(), "");
}

TEST_F(ParticleScriptTest, RandDrawsTheSameNumbersWheneverAMomentIsRunAgain)
{
    ASSERT_TRUE(Run("emit -o flock -pos 0 0 0 -pos 0 0 0 -pos 0 0 0 -pos 0 0 0 -pos 0 0 0 -pos 0 0 0;"
                    "dynExpression -s \"swarm_maximumSpeed = rand(2, 5); mass = rand(0.5)\" -c flock;"
                    "currentTime 2;"))
        << LastError();
    const std::vector<double> speeds = Numbers("flockShape.swarm_maximumSpeed");
    const std::vector<double> masses = Numbers("flockShape.mass");
    ASSERT_EQ(speeds.size(), 8u);
    for (std::size_t i = 0; i < speeds.size(); ++i)
    {
        EXPECT_TRUE(speeds[i] >= 2.0 && speeds[i] < 5.0) << speeds[i];
        EXPECT_TRUE(masses[i] >= 0.0 && masses[i] < 0.5) << masses[i];
    }
    EXPECT_GT(std::set<double>(speeds.begin(), speeds.end()).size(), 6u);

    // The C-runtime sequence the plug-in draws from is untouched, and a
    // second run draws the same numbers.
    ASSERT_TRUE(Run("seed 1; currentTime 1; currentTime 2;"));
    EXPECT_EQ(Numbers("flockShape.swarm_maximumSpeed"), speeds);
}

TEST_F(ParticleScriptTest, BadExpressionsAreRefusedWithTheReason)
{
    ASSERT_TRUE(Run("dynExpression -s \"mass = 2\" -c flock;"));
    const char* bad[][2] = {
        {"dynExpression -s \"mass = spin + 1\" -c flock;", "Unexpected token \"spin"},
        {"dynExpression -s \"mass = rand(1, 2, 3)\" -c flock;", "rand takes one or two arguments"},
        {"dynExpression -s \"mass = (1\" -c flock;", "in \"mass = (1\""},
        {"dynExpression -s \"mass = 1\" -c -rad flock;", "Give one of -creation"},
        {"dynExpression -s \"mass = 1\" goal;", "\"goal\" is no particle object."},
    };
    for (const auto& [script, message] : bad)
    {
        EXPECT_FALSE(Run(script)) << script;
        EXPECT_NE(LastError().find(message), std::string::npos) << LastError();
    }
    EXPECT_TRUE(Run("dynExpression -q -s -c flock;"));
    EXPECT_EQ(Result(), "mass = 2");
}
