// One evaluation through the host: what compute answers to, what it reads
// and what it writes.

#include "NodeTestUtil.h"

#include <maya/MDataBlock.h>
#include <maya/MDistance.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MIntArray.h>
#include <maya/MPxFieldNode.h>
#include <maya/MTime.h>
#include <maya/MVectorArray.h>
#include <vxhost/CRandom.h>
#include <vxhost/CommandEngine.h>

#include <string>
#include <vector>

namespace
{
using vxtest::FieldScene;
using vxtest::Logged;

/// Hands the field one particle system at element 0, as the dynamics do.
/// Returns the per-particle data object, to add arrays to.
MObject SetParticles(const FieldScene& scene, const MVectorArray& positions, const MVectorArray& velocities)
{
    const MPlug input = MPlug(scene.object, MPxFieldNode::mInputData).elementByLogicalIndex(0);
    MFnVectorArrayData vectors;
    EXPECT_TRUE(input.child(MPxFieldNode::mInputPositions).setMObject(vectors.create(positions)));
    EXPECT_TRUE(input.child(MPxFieldNode::mInputVelocities).setMObject(vectors.create(velocities)));
    EXPECT_TRUE(input.child(MPxFieldNode::mDeltaTime).setMTime(MTime(1.0, MTime::kFilm)));
    MFnArrayAttrsData arrays;
    const MObject perParticle = arrays.create();
    EXPECT_TRUE(
        MPlug(scene.object, MPxFieldNode::mInputPPData).elementByLogicalIndex(0).setMObject(perParticle));
    return perParticle;
}

void SetPerParticle(const FieldScene& scene, const MObject& perParticle)
{
    EXPECT_TRUE(
        MPlug(scene.object, MPxFieldNode::mInputPPData).elementByLogicalIndex(0).setMObject(perParticle));
}

/// Reads output force element 0, which runs compute.
MVectorArray OutputForce(const FieldScene& scene, MStatus& status)
{
    MObject data;
    status = MPlug(scene.object, MPxFieldNode::mOutputForce).elementByLogicalIndex(0).getValue(data);
    MVectorArray forces;
    if (status)
        MFnVectorArrayData(data).copyTo(forces);
    return forces;
}
} // namespace

TEST(VolarixCompute, AnswersOnlyElementsOfTheOutputForce)
{
    FieldScene scene;
    MDataBlock block(vxhost::Node::From(scene.object));
    const MStatus magnitude = scene.field->compute(MPlug(scene.object, MPxFieldNode::mMagnitude), block);
    EXPECT_EQ(magnitude.statusCode(), 5);
    const MStatus wholeArray = scene.field->compute(MPlug(scene.object, MPxFieldNode::mOutputForce), block);
    EXPECT_EQ(wholeArray.statusCode(), MStatus::kUnknownParameter);
    EXPECT_TRUE(vxhost::Messages().empty());
}

TEST(VolarixCompute, NoParticlesWriteAnEmptyForceArray)
{
    FieldScene scene;
    SetParticles(scene, MVectorArray(), MVectorArray());
    MStatus status;
    const MVectorArray forces = OutputForce(scene, status);
    ASSERT_TRUE(status);
    EXPECT_EQ(forces.length(), 0u);
    EXPECT_TRUE(Logged(vxhost::Severity::kError).empty());
    EXPECT_FALSE(scene.field->Evaluator().Tree().IsBuilt());
}

TEST(VolarixCompute, ParametersAndPerParticleArraysReachTheSolver)
{
    FieldScene scene;
    // Kept for both evaluations: a new unit would redraw the Range numbers.
    MDistance::setUIUnit(MDistance::kMeters);
    // Two particles 3 cm apart, with limits high enough that the magnitude
    // scales the force linearly.
    MVectorArray positions;
    positions.append(MVector(0, 0, 0));
    positions.append(MVector(3, 0, 0));
    const MObject perParticle = SetParticles(scene, positions, MVectorArray(2, MVector::zero));
    scene.Plug("maximumSpeed").setDouble(1000.0);
    scene.Plug("maximumForce").setDouble(1000.0);

    // A distance Range is typed in the user's unit and used in centimetres,
    // while the distance value is stored in centimetres already.
    scene.Plug("boidSeparationType").setInt(1);
    // Each number of the pair is set through its child plug.
    const MPlug range = scene.Plug("boidSeparationRange");
    ASSERT_EQ(range.numChildren(), 2u);
    ASSERT_TRUE(range.child(0).setDouble(0.03));
    ASSERT_TRUE(range.child(1).setDouble(0.05));
    scene.Plug("numberOfNeighboursType").setInt(2);
    MFnArrayAttrsData arrays(perParticle);
    MIntArray neighbours;
    neighbours.append(2);
    neighbours.append(1);
    *arrays.intArrayRef("numberOfNeighbours") = neighbours;
    SetPerParticle(scene, perParticle);

    MStatus status;
    const MVectorArray plain = OutputForce(scene, status);
    ASSERT_TRUE(status);
    const FlockParameters& p = scene.field->Evaluator().Parameters();
    EXPECT_DOUBLE_EQ(p.boidSeparation.minimum, 3.0);
    EXPECT_DOUBLE_EQ(p.boidSeparation.maximum, 5.0);
    EXPECT_EQ(p.boidSeparation.value, 2.0);
    EXPECT_EQ(p.maximumSpeed.value, 1000.0);
    EXPECT_EQ(p.numberOfNeighbours.cache, (std::vector<int>{2, 1}));
    ASSERT_EQ(plain.length(), 2u);
    ASSERT_GT(plain[1].length(), 0.0);

    // A "magnitude" array replaces the field's magnitude particle by particle.
    MDoubleArray magnitudes;
    magnitudes.append(0.0);
    magnitudes.append(2.0);
    *arrays.doubleArrayRef("magnitude") = magnitudes;
    SetPerParticle(scene, perParticle);
    const MVectorArray scaled = OutputForce(scene, status);
    MDistance::setUIUnit(MDistance::kCentimeters);
    ASSERT_TRUE(status);
    EXPECT_EQ(scaled[0], MVector::zero);
    EXPECT_EQ(scaled[1], 2.0 * plain[1]);

    EXPECT_TRUE(Logged(vxhost::Severity::kError).empty());
}

TEST(VolarixCompute, FailedGatheringWritesNoForce)
{
    FieldScene scene;
    MVectorArray positions;
    positions.append(MVector(0, 0, 0));
    SetParticles(scene, positions, MVectorArray(1, MVector::zero));
    MFnDependencyNode transform;
    transform.create("transform", "a");
    MFnDependencyNode curve;
    curve.create("nurbsCurve");
    const MPlug element = scene.Plug("target").elementByLogicalIndex(0);
    vxtest::Connect(transform.findPlug("worldMatrix", false).elementByLogicalIndex(0), element.child(2));
    vxtest::Connect(curve.findPlug("worldSpace", false).elementByLogicalIndex(0), element.child(3));

    MStatus status;
    OutputForce(scene, status);
    EXPECT_FALSE(status);
    const std::vector<std::string> errors = Logged(vxhost::Severity::kError);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0], std::string("gathering target data") + MStatus(MS::kFailure).errorString().asChar());
}

TEST(VolarixCompute, RangeChildrenReachComputeFromScripts)
{
    FieldScene scene;
    SetParticles(scene, MVectorArray(1, MVector::zero), MVectorArray(1, MVector::zero));
    // Every Range pair: its low end set on the child, its high end
    // connected from a control.
    struct Pair
    {
        const char* name;
        double low, high;
        double (*minimum)(const FlockParameters&);
        double (*maximum)(const FlockParameters&);
    };
    const Pair pairs[] = {
        {"simulationAccuracyRange", 0.25, 0.75,
         [](const FlockParameters& p) { return p.simulationAccuracy.minimum; },
         [](const FlockParameters& p) { return p.simulationAccuracy.maximum; }},
        {"boidSeparationRange", 1.5, 2.5, [](const FlockParameters& p) { return p.boidSeparation.minimum; },
         [](const FlockParameters& p) { return p.boidSeparation.maximum; }},
        {"obstacleSeparationRange", 3.5, 4.5,
         [](const FlockParameters& p) { return p.obstacleSeparation.minimum; },
         [](const FlockParameters& p) { return p.obstacleSeparation.maximum; }},
        {"numberOfNeighboursRange", 1, 4,
         [](const FlockParameters& p) { return double(p.numberOfNeighbours.minimum); },
         [](const FlockParameters& p) { return double(p.numberOfNeighbours.maximum); }},
        {"maximumSpeedRange", 5.5, 6.5, [](const FlockParameters& p) { return p.maximumSpeed.minimum; },
         [](const FlockParameters& p) { return p.maximumSpeed.maximum; }},
        {"maximumForceRange", 7.5, 8.5, [](const FlockParameters& p) { return p.maximumForce.minimum; },
         [](const FlockParameters& p) { return p.maximumForce.maximum; }},
        {"boidSeparationUrgeRange", 0.125, 1.125,
         [](const FlockParameters& p) { return p.boidSeparationUrge.minimum; },
         [](const FlockParameters& p) { return p.boidSeparationUrge.maximum; }},
        {"flockCentringUrgeRange", 0.375, 1.375,
         [](const FlockParameters& p) { return p.flockCentringUrge.minimum; },
         [](const FlockParameters& p) { return p.flockCentringUrge.maximum; }},
        {"velocityMatchingUrgeRange", 0.625, 1.625,
         [](const FlockParameters& p) { return p.velocityMatchingUrge.minimum; },
         [](const FlockParameters& p) { return p.velocityMatchingUrge.maximum; }},
    };
    std::string script = "createNode transform -n ctl;";
    for (const Pair& pair : pairs)
    {
        const std::string high = std::string("ctl.") + pair.name + "High";
        script += std::string("addAttr -ln ") + pair.name + "High -at double ctl;" + "setAttr " + high + " " +
                  std::to_string(pair.high) + ";" + "setAttr volarix1." + pair.name + "0 " +
                  std::to_string(pair.low) + ";" + "connectAttr " + high + " volarix1." + pair.name + "1;";
    }
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    ASSERT_TRUE(engine.RunScript(script))
        << (Logged(vxhost::Severity::kError).empty() ? std::string()
                                                     : Logged(vxhost::Severity::kError).back());
    MStatus status;
    OutputForce(scene, status);
    ASSERT_TRUE(status);
    const FlockParameters& p = scene.field->Evaluator().Parameters();
    for (const Pair& pair : pairs)
    {
        EXPECT_EQ(pair.minimum(p), pair.low) << pair.name;
        EXPECT_EQ(pair.maximum(p), pair.high) << pair.name;
    }

    // A keyed child: halfway between flat keys 20 and 40 at frame 6.
    ASSERT_TRUE(engine.RunScript("setKeyframe -t 1 -v 20 volarix1.maximumForceRange0;"
                                 "setKeyframe -t 11 -v 40 -at maximumForceRange0 volarix1; currentTime 6;"));
    OutputForce(scene, status);
    ASSERT_TRUE(status);
    EXPECT_EQ(p.maximumForce.minimum, 30.0);
    EXPECT_EQ(p.maximumForce.maximum, 8.5);
    ASSERT_TRUE(engine.RunScript("currentTime 1;"));
    EXPECT_TRUE(Logged(vxhost::Severity::kError).empty());
}

TEST(VolarixCompute, AForceReadTwiceInOneStepIsComputedOnce)
{
    FieldScene scene;
    MVectorArray positions;
    positions.append(MVector(0, 0, 0));
    positions.append(MVector(3, 0, 0));
    SetParticles(scene, positions, MVectorArray(2, MVector::zero));
    // Each evaluation draws once per particle (the simulation accuracy
    // check): from seed 1 the states run 2745024, 3357800067, 415139642.
    vxhost::SeedRandom(1);
    MStatus status;
    const MVectorArray first = OutputForce(scene, status);
    ASSERT_TRUE(status);
    EXPECT_EQ(vxhost::RandomState(), 3357800067u);
    const MVectorArray second = OutputForce(scene, status);
    ASSERT_TRUE(status);
    EXPECT_EQ(vxhost::RandomState(), 3357800067u) << "the clean force is read again, not computed";
    EXPECT_EQ(second, first);
    // A change makes it dirty: the next read computes again.
    scene.Plug("magnitude").setDouble(2.0);
    OutputForce(scene, status);
    EXPECT_EQ(vxhost::RandomState(), 3884216597u);
    EXPECT_TRUE(Logged(vxhost::Severity::kWarning).empty());
}
