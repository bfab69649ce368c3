// One evaluation through the host: what compute answers to, what it reads
// and what it writes.

#include "NodeTestUtil.h"

#include <maya/MArrayDataHandle.h>
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

#include <iterator>
#include <string>
#include <utility>
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
    // Every Range pair: the low end set on its child, the high end
    // connected from a control (distances in centimetres, the UI unit).
    const std::pair<const char*, ParameterEntry<double> FlockParameters::*> pairs[] = {
        {"simulationAccuracy", &FlockParameters::simulationAccuracy},
        {"boidSeparation", &FlockParameters::boidSeparation},
        {"obstacleSeparation", &FlockParameters::obstacleSeparation},
        {"maximumSpeed", &FlockParameters::maximumSpeed},
        {"maximumForce", &FlockParameters::maximumForce},
        {"boidSeparationUrge", &FlockParameters::boidSeparationUrge},
        {"flockCentringUrge", &FlockParameters::flockCentringUrge},
        {"velocityMatchingUrge", &FlockParameters::velocityMatchingUrge},
        {"numberOfNeighbours", nullptr}};
    std::string script = "createNode transform -n ctl;";
    for (std::size_t i = 0; i < std::size(pairs); ++i)
    {
        const std::string range = std::string(pairs[i].first) + "Range";
        script += "addAttr -ln " + range + " -at double ctl; setAttr ctl." + range + " " +
                  std::to_string(i + 1) + "; connectAttr ctl." + range + " volarix1." + range +
                  "1; setAttr volarix1." + range + "0 0.5;";
    }
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    ASSERT_TRUE(engine.RunScript(script));
    MStatus status;
    OutputForce(scene, status);
    ASSERT_TRUE(status);
    const FlockParameters& p = scene.field->Evaluator().Parameters();
    for (std::size_t i = 0; i + 1 < std::size(pairs); ++i)
    {
        EXPECT_EQ((p.*pairs[i].second).minimum, 0.5) << pairs[i].first;
        EXPECT_EQ((p.*pairs[i].second).maximum, double(i + 1)) << pairs[i].first;
    }
    EXPECT_EQ(p.numberOfNeighbours.minimum, 0) << "0.5 in a long pair";
    EXPECT_EQ(p.numberOfNeighbours.maximum, 9);

    // A keyed child: halfway between flat keys 20 and 40 at frame 6.
    ASSERT_TRUE(engine.RunScript("setKeyframe -t 1 -v 20 volarix1.maximumForceRange0;"
                                 "setKeyframe -t 11 -v 40 -at maximumForceRange0 volarix1; currentTime 6;"));
    OutputForce(scene, status);
    ASSERT_TRUE(engine.RunScript("currentTime 1;"));
    EXPECT_EQ(p.maximumForce.minimum, 30.0);
    EXPECT_TRUE(Logged(vxhost::Severity::kError).empty());
}

TEST(VolarixCompute, AForceReadTwiceInOneStepIsComputedOnce)
{
    FieldScene scene;
    SetParticles(scene, MVectorArray(2, MVector::zero), MVectorArray(2, MVector::zero));
    // An evaluation draws once per particle (the accuracy check): from seed
    // 1 the states run 2745024, 3357800067, 415139642, 3884216597.
    vxhost::SeedRandom(1);
    MStatus status;
    OutputForce(scene, status);
    OutputForce(scene, status);
    EXPECT_EQ(vxhost::RandomState(), 3357800067u) << "the clean force is read again, not computed";
    scene.Plug("magnitude").setDouble(2.0);
    OutputForce(scene, status);
    EXPECT_EQ(vxhost::RandomState(), 3884216597u) << "a change makes it dirty";
    EXPECT_TRUE(vxhost::Messages().empty());
}

TEST(VolarixCompute, EveryEvaluationWritesIntoTheOutputsOwnArray)
{
    FieldScene scene;
    // The output's value in the data block: a plug read hands out a copy.
    const auto output = [&]
    {
        MDataBlock block(vxhost::Node::From(scene.object));
        MArrayDataHandle forces = block.outputArrayValue(MPxFieldNode::mOutputForce);
        EXPECT_TRUE(forces.jumpToElement(0));
        return forces.outputValue().data();
    };
    MVectorArray positions;
    positions.append(MVector(0, 0, 0));
    positions.append(MVector(1, 0, 0));
    positions.append(MVector(0, 1, 0));
    SetParticles(scene, positions, MVectorArray(3, MVector::zero));
    MStatus status;
    const MVectorArray first = OutputForce(scene, status);
    ASSERT_TRUE(status);
    const MObject data = output();

    // The next frame's state, and one particle more: the same array, grown,
    // holding the new forces.
    positions[1] = MVector(2, 0, 0);
    positions.append(MVector(0, 0, 2));
    SetParticles(scene, positions, MVectorArray(4, MVector(1, 0, 0)));
    const MVectorArray second = OutputForce(scene, status);
    ASSERT_TRUE(status);
    ASSERT_EQ(second.length(), 4u);
    EXPECT_NE(second[0], first[0]);
    EXPECT_EQ(output().HostImpl(), data.HostImpl());
    const MVectorArray& held = MFnVectorArrayData(data).array();
    EXPECT_EQ(held, second);

    // Growing may move it; a frame of as many particles may not.
    const MVector* storage = &held[0];
    positions[0] = MVector(0, 0, -1);
    SetParticles(scene, positions, MVectorArray(4, MVector::zero));
    OutputForce(scene, status);
    ASSERT_TRUE(status);
    EXPECT_EQ(&MFnVectorArrayData(output()).array()[0], storage);
    EXPECT_TRUE(Logged(vxhost::Severity::kError).empty());
}
