#include "Volarix.h"

#include "ArrayView.h"
#include "ParameterType.h"

#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MDistance.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MTime.h>
#include <maya/MTypes.h>

#include <initializer_list>
#include <iterator>
#include <limits>

const MTypeId Volarix::id(0x123B40);
const char* const Volarix::typeName = "particleVolarix";
const char* const Volarix::classification = "drawdb/geometry/QF_ParticleVolarixNode";

namespace
{
/// Shows "<context><host error>" and gives the failure compute returns.
MStatus Fail(const char* context, const MStatus& status)
{
    MGlobal::displayError(MString(context) + status.errorString());
    return MS::kFailure;
}

ParameterType AsParameterType(const MDataHandle& handle)
{
    return static_cast<ParameterType>(handle.asShort());
}

// Maya's arrays keep their elements contiguous; only the non-const
// operator[] hands out a reference to them.
ArrayView<double> View(MDoubleArray& array)
{
    return array.length() == 0 ? ArrayView<double>() : ArrayView<double>(&array[0], array.length());
}

ArrayView<int> View(MIntArray& array)
{
    return array.length() == 0 ? ArrayView<int>() : ArrayView<int>(&array[0], array.length());
}

/// A neighbour count from a per-particle double: truncated toward zero and
/// held to what the numberOfNeighbours attribute takes (0 and up, within an
/// int). NaN counts as 0, no neighbours, as a negative count does.
int NeighbourCount(double count)
{
    if (!(count > 0.0))
        return 0;
    if (count >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(count);
}

/// Reads the named per-particle array when the particle system has one;
/// otherwise empties out. Fails only when an array of that name cannot be
/// read as doubles.
MStatus ReadDoubles(MFnArrayAttrsData& perParticle, const char* name, const char* context, MDoubleArray& out,
                    bool* found = nullptr)
{
    MFnArrayAttrsData::Type type;
    const bool exists = perParticle.checkArrayExist(name, type);
    if (found != nullptr)
        *found = exists;
    if (!exists)
    {
        out.clear();
        return MS::kSuccess;
    }
    MStatus status;
    out = perParticle.doubleArray(name, &status);
    if (!status)
        return Fail(context, status);
    return MS::kSuccess;
}
} // namespace

void* Volarix::creator()
{
    return new Volarix;
}

MStatus Volarix::compute(const MPlug& plug, MDataBlock& block)
{
    if (plug.attribute() != mOutputForce || !plug.isElement())
        return MS::kUnknownParameter;

    MStatus status;
    const unsigned index = plug.logicalIndex(&status);
    if (!status)
        return Fail("getting logical index", status);

    // The particle system's positions, velocities and time step.
    MArrayDataHandle inputArray = block.outputArrayValue(mInputData, &status);
    if (!status)
        return Fail("getting value: outputArrayValue", status);
    status = inputArray.jumpToElement(index);
    if (!status)
        return Fail("jumping to value: multiIndex", status);
    MDataHandle inputHandle = inputArray.inputValue(&status);
    if (!status)
        return Fail("getting handle: compoundHnd", status);
    // The arrays stay owned by the data block for the rest of compute.
    MFnVectorArrayData positionsFn(inputHandle.child(mInputPositions).data(), &status);
    if (!status)
        return Fail("getting value: points", status);
    const MVectorArray& positions = positionsFn.array(&status);
    if (!status)
        return Fail("getting value: points", status);
    MFnVectorArrayData velocitiesFn(inputHandle.child(mInputVelocities).data(), &status);
    if (!status)
        return Fail("getting value: velocities", status);
    const MVectorArray& velocities = velocitiesFn.array(&status);
    if (!status)
        return Fail("getting value: velocities", status);
    const double deltaTime = inputHandle.child(mDeltaTime).asTime().as(MTime::kSeconds);

    const MDataHandle magnitudeHandle = block.inputValue(mMagnitude, &status);
    if (!status)
        return Fail("getting magnitude value", status);
    const double magnitude = magnitudeHandle.asDouble();

    status = ReadPerParticleData(block, index);
    if (!status)
        return status;

    // The entities are gathered through plugs, whose element counts know
    // only the elements already in the data block; inside compute, asking
    // the block for each array is what evaluates every connected element.
    for (const MObject* array : {&mTarget, &mModifier, &mObstacle})
    {
        block.inputArrayValue(*array, &status);
        if (!status)
            return Fail("getting handle: entity array", status);
    }

    // Gathering draws no random numbers, so doing it before the evaluator
    // sets the parameters and fills their caches changes no result.
    status = GatherTargets();
    if (!status)
        return Fail("gathering target data", status);
    status = GatherModifiers();
    if (!status)
        return Fail("gathering modifiers", status);
    status = GatherObstacles();
    if (!status)
        return Fail("gathering obstacles", status);

    // The forces go straight into the output element's array, which lasts
    // from one evaluation to the next: a frame neither copies nor allocates
    // its million forces. The evaluator leaves the array untouched when it
    // fails.
    MArrayDataHandle outputArray = block.outputArrayValue(mOutputForce, &status);
    if (!status)
        return Fail("Error getting handle: outputForceHnd", status);
    MArrayDataBuilder builder = outputArray.builder(&status);
    if (!status)
        return Fail("Error building data: forceBuilder", status);
    MDataHandle outputHandle = builder.addElement(index, &status);
    if (!status)
        return Fail("Error getting handle: outHnd", status);
    MObject forcesData = outputHandle.data();
    MFnVectorArrayData forcesFn;
    // A new element has no array yet.
    if (!forcesFn.setObject(forcesData))
    {
        forcesData = forcesFn.create(&status);
        if (!status)
            return Fail("Error creating output: outputForceData", status);
    }
    // The data's own array: a reference here, and in Maya an array that
    // shares the data's storage.
    auto&& forces = forcesFn.array(&status);
    if (!status)
        return Fail("Error creating output: outputForceData", status);

    FieldInput input;
    input.positions = &positions;
    input.velocities = &velocities;
    input.deltaTime = deltaTime;
    input.magnitude = magnitude;
    input.magnitudePerParticle = hasMagnitudePP_ ? &magnitudePP_ : nullptr;
    // The evaluator reports its own failures (curve targets).
    status = evaluator_.Evaluate(input, settings_, forces);
    if (!status)
        return MS::kFailure;
    status = outputHandle.set(forcesData);
    if (!status)
        return Fail("Error creating output: outputForceData", status);
    // Clean, so that a second read in the same step (the dynamics and a
    // viewport, say) takes this force instead of drawing new random numbers.
    status = block.setClean(plug);
    if (!status)
        return Fail("setting plug to clean", status);

    evaluator_.targets.Clear();
    evaluator_.modifiers.Clear();
    evaluator_.obstacles.Clear();
    return MS::kSuccess;
}

MStatus Volarix::ReadPerParticleData(MDataBlock& block, unsigned index)
{
    MStatus status;
    MArrayDataHandle ppArray = block.inputArrayValue(mInputPPData, &status);
    if (!status)
        return Fail("error getting mInputPPData array data handle", status);
    status = ppArray.jumpToElement(index);
    if (!status)
        return Fail("error jumping to element: multiIndex", status);
    MDataHandle ppHandle = ppArray.inputValue(&status);
    if (!status)
        return Fail("error getting input value: inputPPDataHnd", status);
    MFnArrayAttrsData perParticle;
    status = perParticle.setObject(ppHandle.data());
    if (!status)
        return Fail("applying inputPPDataFn", status);
    status = ReadDoubles(perParticle, "magnitude", "error getting PP data: magnitude", magnitudePP_,
                         &hasMagnitudePP_);
    if (!status)
        return status;

    status = ReadParameters(block);
    if (!status)
        return status;
    return ReadParameterArrays(perParticle);
}

MStatus Volarix::ReadParameters(MDataBlock& block)
{
    // One parameter attribute with its error context; the order is the
    // order of reading.
    struct Read
    {
        const MObject& attribute;
        const char* context;
    };
    const Read reads[] = {
        {mSimulationAccuracy, "getting simulation accuracy data"},
        {mSimulationAccuracyRange, "getting simulation accuracy range data"},
        {mSimulationAccuracyType, "getting simulation accuracy type data"},
        {mMaximumSpeed, "getting maximum speed data"},
        {mMaximumSpeedRange, "getting maximum speed range data"},
        {mMaximumSpeedType, "getting maximum speed type data"},
        {mMaximumForce, "getting maximum force data"},
        {mMaximumForceRange, "getting maximum force range data"},
        {mMaximumForceType, "getting maximum force type data"},
        {mBoidSeparation, "getting boid separation data"},
        {mBoidSeparationRange, "getting boid separation range data"},
        {mBoidSeparationType, "getting boid separation type data"},
        {mObstacleSeparation, "getting obstacle separation data"},
        {mObstacleSeparationRange, "getting obstacle separation range data"},
        {mObstacleSeparationType, "getting obstacle separation type data"},
        {mNumberOfNeighbours, "getting number of neighbours data"},
        {mNumberOfNeighboursRange, "getting number of neighbours range data"},
        {mNumberOfNeighboursType, "getting number of neighbours type data"},
        {mBoidSeparationUrge, "getting boid separation urge data"},
        {mBoidSeparationUrgeRange, "getting boid separation urge range data"},
        {mBoidSeparationUrgeType, "getting boid separation urge type data"},
        {mFlockCentringUrge, "getting flock centring urge data"},
        {mFlockCentringUrgeRange, "getting flock centring urge range data"},
        {mFlockCentringUrgeType, "getting flock centring urge type data"},
        {mVelocityMatchingUrge, "getting velocity matching urge data"},
        {mVelocityMatchingUrgeRange, "getting velocity matching urge range data"},
        {mVelocityMatchingUrgeType, "getting velocity matching urge type data"},
    };
    MDataHandle handles[std::size(reads)];
    for (std::size_t r = 0; r < std::size(reads); ++r)
    {
        MStatus status;
        handles[r] = block.inputValue(reads[r].attribute, &status);
        if (!status)
            return Fail(reads[r].context, status);
    }

    // Plain numbers: accuracy and the urges, and the double pairs of them.
    const auto setPlain = [](ParameterSetting<double>& setting, MDataHandle* h)
    {
        setting.value = h[0].asDouble();
        const double2& range = h[1].asDouble2();
        setting.minimum = range[0];
        setting.maximum = range[1];
        setting.type = AsParameterType(h[2]);
    };
    // Distances: the value is stored in centimetres, but the Range pair is a
    // plain pair that the user types in the display unit.
    const auto setDistance = [](ParameterSetting<double>& setting, MDataHandle* h)
    {
        setting.value = h[0].asDistance().asCentimeters();
        const double2& range = h[1].asDouble2();
        setting.minimum = MDistance::uiToInternal(range[0]);
        setting.maximum = MDistance::uiToInternal(range[1]);
        setting.type = AsParameterType(h[2]);
    };
    setPlain(settings_.simulationAccuracy, &handles[0]);
    setDistance(settings_.maximumSpeed, &handles[3]);
    setDistance(settings_.maximumForce, &handles[6]);
    setDistance(settings_.boidSeparation, &handles[9]);
    setDistance(settings_.obstacleSeparation, &handles[12]);
    ParameterSetting<int>& neighbours = settings_.numberOfNeighbours;
    neighbours.value = handles[15].asInt();
    const int2& neighbourRange = handles[16].asInt2();
    neighbours.minimum = neighbourRange[0];
    neighbours.maximum = neighbourRange[1];
    neighbours.type = AsParameterType(handles[17]);
    setPlain(settings_.boidSeparationUrge, &handles[18]);
    setPlain(settings_.flockCentringUrge, &handles[21]);
    setPlain(settings_.velocityMatchingUrge, &handles[24]);
    return MS::kSuccess;
}

MStatus Volarix::ReadParameterArrays(MFnArrayAttrsData& perParticle)
{
    // The arrays carry the parameters' long attribute names.
    MStatus status = ReadDoubles(perParticle, "simulationAccuracy",
                                 "error getting PP data: simulationAccuracy", simulationAccuracyPP_);
    if (!status)
        return status;

    MFnArrayAttrsData::Type type;
    numberOfNeighboursPP_.clear();
    if (perParticle.checkArrayExist("numberOfNeighbours", type) && type == MFnArrayAttrsData::kDoubleArray)
    {
        // Maya's per-particle attributes are double arrays, so this is how
        // a particle system made in Maya hands the count over.
        const MDoubleArray counts = perParticle.doubleArray("numberOfNeighbours", &status);
        if (!status)
            return Fail("error getting PP data: numberOfNeighbours", status);
        status = numberOfNeighboursPP_.setLength(counts.length());
        if (!status)
            return Fail("error getting PP data: numberOfNeighbours", status);
        for (unsigned int i = 0; i < counts.length(); ++i)
            numberOfNeighboursPP_[i] = NeighbourCount(counts[i]);
    }
    else if (perParticle.checkArrayExist("numberOfNeighbours", type))
    {
        numberOfNeighboursPP_ = perParticle.intArray("numberOfNeighbours", &status);
        if (!status)
            return Fail("error getting PP data: numberOfNeighbours", status);
    }

    struct DoubleArray
    {
        const char* name;
        const char* context;
        MDoubleArray& array;
    };
    const DoubleArray arrays[] = {
        {"boidSeparation", "error getting PP data: boidSeparation", boidSeparationPP_},
        {"obstacleSeparation", "error getting PP data: obstacleSeparation", obstacleSeparationPP_},
        {"maximumSpeed", "error getting PP data: maximumSpeed", maximumSpeedPP_},
        {"maximumForce", "error getting PP data: maximumForce", maximumForcePP_},
        {"boidSeparationUrge", "error getting PP data: boidSeparationUrge", boidSeparationUrgePP_},
        {"flockCentringUrge", "error getting PP data: flockCentringUrge", flockCentringUrgePP_},
        {"velocityMatchingUrge", "error getting PP data: velocityMatchingUrge", velocityMatchingUrgePP_},
    };
    for (const DoubleArray& a : arrays)
    {
        status = ReadDoubles(perParticle, a.name, a.context, a.array);
        if (!status)
            return status;
    }

    settings_.simulationAccuracy.perParticle = View(simulationAccuracyPP_);
    settings_.numberOfNeighbours.perParticle = View(numberOfNeighboursPP_);
    settings_.boidSeparation.perParticle = View(boidSeparationPP_);
    settings_.obstacleSeparation.perParticle = View(obstacleSeparationPP_);
    settings_.maximumSpeed.perParticle = View(maximumSpeedPP_);
    settings_.maximumForce.perParticle = View(maximumForcePP_);
    settings_.boidSeparationUrge.perParticle = View(boidSeparationUrgePP_);
    settings_.flockCentringUrge.perParticle = View(flockCentringUrgePP_);
    settings_.velocityMatchingUrge.perParticle = View(velocityMatchingUrgePP_);
    return MS::kSuccess;
}
