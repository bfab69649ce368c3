// The demo scenes do what their comments promise: each is run as written,
// stepped frame by frame, and its particles are measured against the scene's
// own nodes (and, where it says something changes a flight, against the
// same scene without that change).
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MDoubleArray.h>
#include <maya/MFloatPoint.h>
#include <maya/MFloatVector.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>
#include <maya/MPointArray.h>
#include <maya/MSelectionList.h>
#include <maya/MVectorArray.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const fs::path kScenes = VX_SCENES_DIR;

class DemoScenesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        Fresh();
    }
    void TearDown() override { vxhost::Scene::Get().Reset(); }

    static void Fresh()
    {
        vxhost::Scene::Get().Reset();
        vxhost::Dynamics::Get().Reset();
        vxhost::ClearMessages();
    }

    // Runs scenes/<name> with `extra` appended (a change for a comparison
    // run) and without the lines that start with `drop`.
    static void Load(const std::string& name, const std::string& extra = std::string(),
                     const std::string& drop = std::string())
    {
        const fs::path path = kScenes / name;
        std::ifstream file(path);
        std::string line, text;
        while (std::getline(file, line))
            if (drop.empty() || line.rfind(drop, 0) != 0)
                text += line + "\n";
        text += extra;
        ASSERT_TRUE(vxhost::CommandEngine::Instance().RunScript(text, path.string())) << name;
    }

    static void StepTo(double frame)
    {
        ASSERT_TRUE(vxhost::Dynamics::Get().SetCurrentFrame(frame)) << "frame " << frame;
    }

    // No error was shown since the scene was loaded (the field reports every
    // failed evaluation as one).
    static void ExpectNoErrors()
    {
        for (const vxhost::Message& m : vxhost::Messages())
            EXPECT_NE(m.severity, vxhost::Severity::kError) << m.text;
    }
};

MObject Node(const char* name)
{
    MSelectionList list;
    MObject node;
    EXPECT_TRUE(list.add(name)) << name;
    list.getDependNode(0, node);
    return node;
}

MPlug Plug(const char* node, const char* attribute)
{
    return MFnDependencyNode(Node(node)).findPlug(attribute, false);
}

MVectorArray Vectors(const char* shape, const char* attribute)
{
    return MFnVectorArrayData(Plug(shape, attribute).asMObject()).array();
}

MMatrix WorldMatrix(const char* transform)
{
    return MFnMatrixData(Plug(transform, "worldMatrix").elementByLogicalIndex(0).asMObject()).matrix();
}

MPoint Translation(const MMatrix& m)
{
    return MPoint(m(3, 0), m(3, 1), m(3, 2));
}

double MeanDistance(const MVectorArray& points, const MPoint& to)
{
    double sum = 0.0;
    for (unsigned i = 0; i < points.length(); ++i)
        sum += (MPoint(points[i]) - to).length();
    return sum / points.length();
}

double MeanLength(const MVectorArray& vectors)
{
    double sum = 0.0;
    for (unsigned i = 0; i < vectors.length(); ++i)
        sum += vectors[i].length();
    return sum / vectors.length();
}
} // namespace

TEST_F(DemoScenesTest, SeekFlockArrivesAndSlowsDown)
{
    // Frame 120, the flock at the goal, with the scene's arrival distance
    // and then without one.
    double speed[2] = {0.0, 0.0};
    for (int run = 0; run < 2; ++run)
    {
        Fresh();
        Load("seek.mel", run == 0 ? "" : "setAttr goal.ArrivalDistance 0;");
        const MPoint goal = Translation(WorldMatrix("goal"));
        const double start = MeanDistance(Vectors("flockShape", "position"), goal);
        EXPECT_NEAR(start, 70.0, 3.0);
        StepTo(120);
        EXPECT_LT(MeanDistance(Vectors("flockShape", "position"), goal), start / 6.0) << "run " << run;
        speed[run] = MeanLength(Vectors("flockShape", "velocity"));
        ExpectNoErrors();
    }
    EXPECT_LT(speed[0], 0.15 * 24.0) << "nearly at rest, against a top speed of 24 cm/s";
    EXPECT_LT(speed[0], 0.5 * speed[1]) << "arrival brakes the flock";
}

TEST_F(DemoScenesTest, FleeingFlockOpensAroundThePredator)
{
    // Over both passes: the nearest particle to the keyed predator, and how
    // many particles come within 10 cm of it at once; then with the flee
    // target weighted out.
    double nearest[2];
    unsigned crowd[2];
    for (int run = 0; run < 2; ++run)
    {
        Fresh();
        Load("flee.mel", run == 0 ? "" : "setAttr hawk.Weight 0;");
        nearest[run] = std::numeric_limits<double>::max();
        crowd[run] = 0;
        for (int frame = 2; frame <= 300; ++frame)
        {
            StepTo(frame);
            const MPoint hawk = Translation(WorldMatrix("hawk"));
            const MVectorArray points = Vectors("flockShape", "position");
            unsigned close = 0;
            for (unsigned i = 0; i < points.length(); ++i)
            {
                const double d = (MPoint(points[i]) - hawk).length();
                nearest[run] = std::min(nearest[run], d);
                close += d < 10.0 ? 1u : 0u;
            }
            crowd[run] = std::max(crowd[run], close);
        }
        ExpectNoErrors();
    }
    EXPECT_GT(nearest[0], 4.0);
    EXPECT_LT(crowd[0], 40u);
    EXPECT_LT(nearest[1], 2.0) << "without the flee the predator flies right through the flock";
    EXPECT_GT(crowd[1], 200u);
}

TEST_F(DemoScenesTest, NoParticleEntersAnObstacle)
{
    // Particle-frames inside each obstacle, with the obstacles connected and
    // then with the scene's QF_VX_obstacle -addEntity lines left out.
    std::vector<std::string> names = {"ball", "post", "crate", "boulder", "globe"};
    std::vector<unsigned> inside[2];
    for (int run = 0; run < 2; ++run)
    {
        Fresh();
        Load("obstacles.mel", "", run == 0 ? "" : "QF_VX_obstacle -addEntity");
        ASSERT_TRUE(vxhost::CommandEngine::Instance().RunScript("QF_VX_obstacle -q -numEntity swarm;"));
        EXPECT_EQ(vxhost::CommandEngine::Instance().LastResult().Ints(), std::vector<int>{run == 0 ? 5 : 0});

        // The locator shapes, in their local frames (sizes in cm).
        const MMatrix ballInverse = WorldMatrix("ball").inverse();
        const MMatrix postInverse = WorldMatrix("post").inverse();
        const MMatrix crateInverse = WorldMatrix("crate").inverse();
        const double ballRadius = Plug("ballShape", "width").asDouble();
        const double postRadius = Plug("postShape", "width").asDouble();
        const double postHalf = 0.5 * Plug("postShape", "height").asDouble();
        const double crate[3] = {0.5 * Plug("crateShape", "width").asDouble(),
                                 0.5 * Plug("crateShape", "height").asDouble(),
                                 0.5 * Plug("crateShape", "depth").asDouble()};
        // The meshes are star-shaped about their transforms' origins: a
        // point is inside when the segment from there to it crosses no face.
        MObject meshData[2] = {Plug("boulderShape", "worldMesh").elementByLogicalIndex(0).asMObject(),
                               Plug("globeShape", "worldMesh").elementByLogicalIndex(0).asMObject()};
        const MPoint meshCentre[2] = {Translation(WorldMatrix("boulder")), Translation(WorldMatrix("globe"))};
        auto inMesh = [&](int m, const MPoint& p)
        {
            const MVector towards = p - meshCentre[m];
            if (towards.length() > 25.0)
                return false;
            MFloatPoint hit;
            const MFnMesh mesh(meshData[m]);
            return !mesh.closestIntersection(MFloatPoint(meshCentre[m].x, meshCentre[m].y, meshCentre[m].z),
                                             MFloatVector(towards.x, towards.y, towards.z), nullptr, nullptr,
                                             false, MSpace::kObject, 1.0f, false, nullptr, hit, nullptr,
                                             nullptr, nullptr, nullptr, nullptr);
        };
        const std::function<bool(const MPoint&)> tests[] = {
            [&](const MPoint& p) { return MVector(p * ballInverse).length() < ballRadius; },
            [&](const MPoint& p)
            {
                MPoint q = p * postInverse;
                const MPoint axis(0.0, std::clamp(q.y, -postHalf, postHalf), 0.0);
                return (q - axis).length() < postRadius;
            },
            [&](const MPoint& p)
            {
                const MPoint q = p * crateInverse;
                return std::abs(q.x) < crate[0] && std::abs(q.y) < crate[1] && std::abs(q.z) < crate[2];
            },
            [&](const MPoint& p) { return inMesh(0, p); }, [&](const MPoint& p) { return inMesh(1, p); }};

        inside[run].assign(names.size(), 0u);
        for (int frame = 2; frame <= 300; ++frame)
        {
            StepTo(frame);
            const MVectorArray points = Vectors("flockShape", "position");
            for (unsigned i = 0; i < points.length(); ++i)
                for (std::size_t o = 0; o < names.size(); ++o)
                    inside[run][o] += tests[o](MPoint(points[i])) ? 1u : 0u;
        }
        ExpectNoErrors();
    }
    for (std::size_t o = 0; o < names.size(); ++o)
    {
        EXPECT_EQ(inside[0][o], 0u) << names[o];
        EXPECT_GT(inside[1][o], 1000u) << names[o] << ": the flock's way leads through it";
    }
}

TEST_F(DemoScenesTest, ModifiersSlowTheFlockAndWidenItsSpacing)
{
    Load("modifiers.mel");
    const MMatrix boxInverse = WorldMatrix("slowZone").inverse();
    const MPoint sphereCentre = Translation(WorldMatrix("spreadZone"));
    const double sphereRadius = Plug("spreadZoneShape", "width").asDouble();
    auto inBox = [&](const MVector& p)
    {
        const MPoint q = MPoint(p) * boxInverse;
        return std::abs(q.x) <= 10.0 && std::abs(q.y) <= 20.0 && std::abs(q.z) <= 20.0;
    };
    // Mean distance to the nearest other particle, over the particles that
    // `pick` selects.
    auto spacing = [](const MVectorArray& points, const std::function<bool(const MVector&)>& pick)
    {
        double sum = 0.0;
        unsigned count = 0;
        for (unsigned i = 0; i < points.length(); ++i)
        {
            if (!pick(points[i]))
                continue;
            double nearest = std::numeric_limits<double>::max();
            for (unsigned j = 0; j < points.length(); ++j)
                if (j != i)
                    nearest = std::min(nearest, (points[i] - points[j]).length());
            sum += nearest;
            ++count;
        }
        return count ? sum / count : 0.0;
    };

    StepTo(40);
    const double spacingBefore =
        spacing(Vectors("flockShape", "position"), [](const MVector&) { return true; });

    // Frame 100: most of the flock has been in the box for a second.
    StepTo(100);
    MVectorArray points = Vectors("flockShape", "position");
    MVectorArray velocities = Vectors("flockShape", "velocity");
    unsigned inside = 0;
    double fastestInside = 0.0;
    for (unsigned i = 0; i < points.length(); ++i)
        if (inBox(points[i]))
        {
            ++inside;
            fastestInside = std::max(fastestInside, velocities[i].length());
        }
    EXPECT_GT(inside, 50u);
    EXPECT_LT(fastestInside, 6.0 + 1e-6) << "the box's top speed";

    // Frame 180: the flock is in and around the sphere.
    StepTo(180);
    points = Vectors("flockShape", "position");
    const double spacingInside =
        spacing(points, [&](const MVector& p) { return (MPoint(p) - sphereCentre).length() < sphereRadius; });
    EXPECT_GT(spacingInside, 2.0 * spacingBefore);
    ExpectNoErrors();
}

TEST_F(DemoScenesTest, ParametersGiveEachParticleItsOwnSpeedAndGap)
{
    Load("parameters.mel");
    // Each particle's top speed over the flight: its own draw from 12..36.
    std::vector<double> fastest;
    for (int frame = 2; frame <= 180; ++frame)
    {
        StepTo(frame);
        const MVectorArray velocities = Vectors("flockShape", "velocity");
        fastest.resize(velocities.length(), 0.0);
        for (unsigned i = 0; i < velocities.length(); ++i)
            fastest[i] = std::max(fastest[i], velocities[i].length());
    }
    ASSERT_EQ(fastest.size(), 800u);
    std::sort(fastest.begin(), fastest.end());
    EXPECT_GT(fastest.front(), 11.0);
    EXPECT_LT(fastest[80], 16.0) << "a tenth of the flock is slow";
    EXPECT_GT(fastest[720], 32.0) << "a tenth is fast";
    EXPECT_LT(fastest.back(), 36.0 + 1e-6);

    // The runtime expression keeps the separation array at 1.5 cm plus one
    // per 8 cm/s of the speed the particle had when it ran.
    const MDoubleArray gaps =
        MFnDoubleArrayData(Plug("flockShape", "swarm_boidSeparation").asMObject()).array();
    ASSERT_EQ(gaps.length(), 800u);
    double low = gaps[0], high = gaps[0];
    for (unsigned i = 0; i < gaps.length(); ++i)
    {
        low = std::min(low, gaps[i]);
        high = std::max(high, gaps[i]);
    }
    EXPECT_GE(low, 1.5);
    EXPECT_LT(low, 3.5);
    EXPECT_GT(high, 5.5);
    EXPECT_LE(high, 1.5 + 36.0 / 8.0 + 1e-9);
    ExpectNoErrors();
}

TEST_F(DemoScenesTest, PathFollowStaysInItsTubeAndGoesForward)
{
    Load("pathfollow.mel");
    const MFnNurbsCurve curve(Plug("pathShape", "worldSpace").elementByLogicalIndex(0).asMObject());
    const MPointArray samples = MFnPointArrayData(Plug("pathTube", "curveData").asMObject()).array();
    // The tube's radius at a curve parameter: blended between radius keys.
    auto radiusAt = [&](double u)
    {
        MPoint lower = samples[0];
        for (unsigned i = 0; i < samples.length(); ++i)
        {
            if (samples[i].z == 0.0)
                continue;
            if (samples[i].x >= u)
                return lower.x == samples[i].x
                           ? samples[i].y
                           : lower.y + (samples[i].y - lower.y) * (u - lower.x) / (samples[i].x - lower.x);
            lower = samples[i];
        }
        return lower.y;
    };
    std::vector<double> medians;
    for (int frame = 60; frame <= 300; frame += 60)
    {
        StepTo(frame);
        const MVectorArray points = Vectors("flockShape", "position");
        std::vector<double> params;
        unsigned outside = 0;
        for (unsigned i = 0; i < points.length(); ++i)
        {
            double u = 0.0;
            const MPoint closest = curve.closestPoint(MPoint(points[i]), &u, 1e-4, MSpace::kObject);
            const double ratio = (MPoint(points[i]) - closest).length() / radiusAt(u);
            EXPECT_LT(ratio, 1.25) << "frame " << frame << " particle " << i;
            outside += ratio >= 1.0 ? 1u : 0u;
            params.push_back(u);
        }
        EXPECT_LE(outside, points.length() / 100) << "frame " << frame;
        std::nth_element(params.begin(), params.begin() + params.size() / 2, params.end());
        medians.push_back(params[params.size() / 2]);
    }
    // The loop's parameter runs 0 to 8 from its start; the flock jams a
    // while at the first narrows, then streams on past the widest part.
    EXPECT_LT(medians.front(), 1.5);
    EXPECT_GT(medians.back(), 4.0);
    ExpectNoErrors();
}

TEST_F(DemoScenesTest, DemoFlockReachesTheGoalPastTheBoulder)
{
    Load("demo.mel");
    const MPoint boulder = Translation(WorldMatrix("boulder"));
    const MPoint goal = Translation(WorldMatrix("goal"));
    unsigned intoBoulder = 0;
    for (int frame = 2; frame <= 240; ++frame)
    {
        StepTo(frame);
        const MVectorArray points = Vectors("flockShape", "position");
        for (unsigned i = 0; i < points.length(); ++i)
            intoBoulder += (MPoint(points[i]) - boulder).length() < 5.0 ? 1u : 0u;
    }
    EXPECT_EQ(intoBoulder, 0u);
    const MVectorArray points = Vectors("flockShape", "position");
    ASSERT_EQ(points.length(), 2000u);
    unsigned arrived = 0;
    for (unsigned i = 0; i < points.length(); ++i)
        arrived += (MPoint(points[i]) - goal).length() < 25.0 ? 1u : 0u;
    EXPECT_GT(arrived, 1500u);
    ExpectNoErrors();
}
