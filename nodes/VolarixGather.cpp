// Reading the entities connected to the field's "target", "modifier" and
// "obstacle" arrays into the evaluator's records, once per evaluation.
//
// Elements are visited by physical index, so the sparse logical indices that
// deleted connections leave behind still give dense entity numbers. Plugs
// are read through their connections, which evaluates the locators on demand.

#include "Volarix.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>

#include <array>
#include <map>
#include <utility>

namespace
{
MStatus Fail(const MString& context, const MStatus& status)
{
    MGlobal::displayError(MString(context) + status.errorString());
    return MS::kFailure;
}

// Child indices, the contract with the entity commands.
namespace target
{
enum : unsigned
{
    kSteeringType,
    kArrivalDistance,
    kMatrix,
    kCurve,
    kWeight,
    kRadius,
    kWanderStrength,
    kWanderRate,
    kWanderMode,
    kCurveDirLimit,
    kVolumeType,
    kVolumeData,
    kCurveVolumeData,
    kVolumeInfluenceMethod,
    kUseCurveVolume,
    kWanderAttraction,
    kContainment,
    kContainmentSeparationMin,
    kReverseCurveDirection,
    kCount
};
// The element has three more children after these; they are not read.
constexpr std::array<const char*, kCount> kMessages = {
    "getting plug: steeringTypePlug",
    "getting plug: arrivalDistancePlug",
    "getting plug: matrixPlug",
    "getting plug: curvePlug",
    "getting plug: weightPlug",
    "getting plug: radiusPlug",
    "getting plug: wanderStrengthPlug",
    "getting plug: wanderRatePlug",
    "getting plug: wanderModePlug",
    "getting plug: curveDirLimitPlug",
    "getting plug: volumeTypePlug",
    "getting plug: volumeDataPlug",
    "getting plug: volumeCurveDataPlug",
    "getting plug: volumeInfluenceMethodPlug",
    "getting plug: useCurveVolumePlug",
    "getting plug: wanderAttractionPlug",
    "getting plug: containmentPlug",
    "getting plug: containmentSeparationMinPlug",
    "getting plug: reverseCurveDirectionPlug",
};
} // namespace target

namespace modifier
{
enum : unsigned
{
    kWorldMatrix,
    kVolumeType,
    kMaximumSpeed,
    kMaximumForce,
    kBoidSeparation,
    kObstacleSeparation,
    kNumNeighbours,
    kVolumeData,
    kCurveVolumeData,
    kSimulationAccuracy,
    kModificationMethod,
    kVolumeInfluenceMethod,
    kWeight,
    kBoidSeparationUrge,
    kFlockCentringUrge,
    kVelocityMatchingUrge,
    kCount
};
constexpr std::array<const char*, kCount> kMessages = {
    "getting plug: modifierWorldMatrix",
    "getting plug: volumeTypePlug",
    "getting plug: maximumSpeedPlug",
    "getting plug: maximumForcePlug",
    "getting plug: boidSeparationPlug",
    "getting plug: obstacleSeparationPlug",
    "getting plug: numNeighboursPlug",
    "getting plug: volumeDataPlug",
    "getting plug: curveVolumeDataPlug",
    "getting plug: simulationAccuracyPlug",
    "getting plug: modificationMethodPlug",
    "getting plug: volumeInfluenceMethodPlug",
    "getting plug: weightPlug",
    "getting plug: boidSeparationUrgePlug",
    "getting plug: flockCentringUrgePlug",
    "getting plug: velocityMatchingUrge",
};
} // namespace modifier

namespace obstacle
{
enum : unsigned
{
    kWorldMatrix,
    kVolumeType,
    kVolumeData,
    kMesh,
    kCount
};
constexpr std::array<const char*, kCount> kMessages = {
    "getting plug: worldMatrixPlug",
    "getting plug: volumeTypePlug",
    "getting plug: volumeDataPlug",
    "getting plug: meshPlug",
};
} // namespace obstacle

/// The field's array plug of one entity kind and its number of elements.
MStatus FindArray(const MObject& node, const char* name, MPlug& outArray, unsigned& outCount)
{
    MFnDependencyNode fn(node);
    MStatus status;
    outArray = fn.findPlug(name, false, &status);
    if (!status)
        return Fail(MString("finding plug: ") + name, status);
    outCount = outArray.numElements(&status);
    if (!status)
        return Fail("getting value: numElements", status);
    return MS::kSuccess;
}

/// Element k (physical) of array and its first N children, in index order.
template <std::size_t N>
MStatus GetElement(const MPlug& array, unsigned k, const char* elementMessage,
                   const std::array<const char*, N>& childMessages, MPlug& outElement,
                   std::array<MPlug, N>& outChildren)
{
    MStatus status;
    outElement = array.elementByPhysicalIndex(k, &status);
    if (!status)
        return Fail(elementMessage, status);
    for (unsigned c = 0; c < N; ++c)
    {
        outChildren[c] = outElement.child(c, &status);
        if (!status)
            return Fail(childMessages[c], status);
    }
    return MS::kSuccess;
}

/// (width, height, depth, 1) in centimetres from a volume data compound.
MStatus ReadVolumeDimensions(const MPlug& volumeData, const char* childMessage, MPoint& outDimensions)
{
    // The compound is read through its children: a plain compound has no
    // value of its own to get.
    MStatus status;
    double size[3];
    for (unsigned c = 0; c < 3; ++c)
    {
        const MPlug child = volumeData.child(c, &status);
        if (!status)
            return Fail(childMessage, status);
        size[c] = child.asMDistance().asCentimeters();
    }
    outDimensions = MPoint(size[0], size[1], size[2], 1.0);
    return MS::kSuccess;
}

MStatus ReadMatrix(const MPlug& plug, MMatrix& outMatrix)
{
    MObject value;
    MStatus status = plug.getValue(value);
    if (!status)
        return Fail("getting value: matrix", status);
    MFnMatrixData fn(value, &status);
    if (!status)
        return Fail("getting value: matrix", status);
    outMatrix = fn.matrix(&status);
    if (!status)
        return Fail("getting value: matrix", status);
    return MS::kSuccess;
}

/// A centimetre value of a distance plug.
double Centimetres(const MPlug& plug)
{
    return plug.asMDistance().asCentimeters();
}
} // namespace

MStatus Volarix::GatherTargets()
{
    using namespace target;
    TargetData& data = evaluator_.targets;
    data.Clear();

    MPlug array;
    unsigned elements = 0;
    MStatus status = FindArray(thisMObject(), "target", array, elements);
    if (!status)
        return status;

    MPlug element;
    std::array<MPlug, kCount> child;
    for (unsigned k = 0; k < elements; ++k)
    {
        status = GetElement(array, k, "getting plug: targetPlug", kMessages, element, child);
        if (!status)
            return status;

        const bool hasMatrix = child[kMatrix].isConnected();
        const bool hasCurve = child[kCurve].isConnected();
        if (hasMatrix && hasCurve)
        {
            MGlobal::displayInfo(MString("Too many target connections for ") + element.name());
            return MS::kFailure;
        }
        // A left-over element, whose entity was disconnected.
        if (!hasMatrix && !hasCurve)
            continue;

        const int steeringType = child[kSteeringType].asInt();
        const double arrivalDistance = Centimetres(child[kArrivalDistance]);
        const double weight = child[kWeight].asDouble();
        const int wanderMode = child[kWanderMode].asInt();
        const double wanderStrength = child[kWanderStrength].asDouble();
        const double wanderRate = child[kWanderRate].asDouble();
        const double wanderAttraction = child[kWanderAttraction].asDouble();
        const bool curveDirLimit = child[kCurveDirLimit].asBool();
        const bool reverseCurveDirection = child[kReverseCurveDirection].asBool();
        const bool useCurveVolume = child[kUseCurveVolume].asBool();
        const int volumeType = child[kVolumeType].asInt();
        const int influenceMethod = child[kVolumeInfluenceMethod].asInt();
        const double containmentSeparationMin = child[kContainmentSeparationMin].asDouble();

        data.count += 1;
        data.steeringTypes.append(steeringType);
        data.arrivalDistances.append(arrivalDistance);
        data.weights.append(weight);
        data.wanderModes.append(wanderMode);
        data.wanderParameters.append(MPoint(wanderStrength, wanderRate, wanderAttraction, 1.0));
        data.volumeTypes.append(volumeType);
        data.influenceMethods.append(influenceMethod);
        data.useCurveVolumes.append(useCurveVolume ? 1 : 0);
        data.curveDirLimits.append(curveDirLimit ? 1 : 0);
        data.reverseCurveDirections.append(reverseCurveDirection ? 1 : 0);
        data.containmentSeparationMins.append(containmentSeparationMin);

        if (hasMatrix)
        {
            MPoint dimensions;
            status = ReadVolumeDimensions(child[kVolumeData], "getting child plug: targetVolumeDataWidth",
                                          dimensions);
            if (!status)
                return status;
            MMatrix matrix;
            status = ReadMatrix(child[kMatrix], matrix);
            if (!status)
                return status;
            data.AppendTransform(matrix);
            data.volumeDimensions.append(dimensions);
            // Containment keeps particles inside a curve's tube; a point
            // target has none.
            data.containments.append(0);
            continue;
        }

        MObject curve;
        status = child[kCurve].getValue(curve);
        if (!status)
            return Fail("getting value: curve", status);
        MObject samplesData;
        status = child[kCurveVolumeData].getValue(samplesData);
        if (!status)
            return Fail("getting value curveVolumeData", status);
        // Unconnected (a curve without a target locator beside it), the
        // samples hold no data at all: the tube then has no samples.
        MPointArray samples;
        if (!samplesData.isNull())
        {
            MFnPointArrayData samplesFn(samplesData, &status);
            if (!status)
                return Fail("getting actual curve volume data", status);
            samples = samplesFn.array(&status);
            if (!status)
                return Fail("getting actual curve volume data", status);
        }

        data.curves.append(curve);
        data.worldMatrices.append(MMatrix());
        data.volumeDimensions.append(MPoint(0.0, 0.0, 0.0, 1.0));
        data.meshes.append(MObject());
        data.curveDataArrays.push_back(samples);
        data.containments.append(child[kContainment].asBool() ? 1 : 0);
    }

    data.BuildVolumes();
    return MS::kSuccess;
}

MStatus Volarix::GatherModifiers()
{
    using namespace modifier;
    ModifierData& data = evaluator_.modifiers;
    data.Clear();

    MPlug array;
    unsigned elements = 0;
    MStatus status = FindArray(thisMObject(), "modifier", array, elements);
    if (!status)
        return status;

    MPlug element;
    std::array<MPlug, kCount> child;
    for (unsigned k = 0; k < elements; ++k)
    {
        status = GetElement(array, k, "getting plug: modifierPlug", kMessages, element, child);
        if (!status)
            return status;
        if (!child[kWorldMatrix].isConnected())
            continue;

        const int volumeType = child[kVolumeType].asInt();
        const int modificationMethod = child[kModificationMethod].asInt();
        const int influenceMethod = child[kVolumeInfluenceMethod].asInt();
        const double simulationAccuracy = child[kSimulationAccuracy].asDouble();
        const double maximumSpeed = Centimetres(child[kMaximumSpeed]);
        const double maximumForce = Centimetres(child[kMaximumForce]);
        const double boidSeparation = Centimetres(child[kBoidSeparation]);
        const double obstacleSeparation = Centimetres(child[kObstacleSeparation]);
        const double weight = child[kWeight].asDouble();
        const double boidSeparationUrge = child[kBoidSeparationUrge].asDouble();
        const double flockCentringUrge = child[kFlockCentringUrge].asDouble();
        const double velocityMatchingUrge = child[kVelocityMatchingUrge].asDouble();
        const int numNeighbours = child[kNumNeighbours].asInt();

        data.count += 1;
        // A modifier sets only the parameters whose inputs are connected
        // (to the keyable attributes the commands add); the rest pass
        // through unchanged.
        struct Override
        {
            unsigned child;
            ParameterKey key;
            double value;
        };
        const Override overrides[] = {
            {kSimulationAccuracy, ParameterKey::kSimulationAccuracy, simulationAccuracy},
            {kMaximumSpeed, ParameterKey::kMaximumSpeed, maximumSpeed},
            {kMaximumForce, ParameterKey::kMaximumForce, maximumForce},
            {kBoidSeparation, ParameterKey::kBoidSeparation, boidSeparation},
            {kObstacleSeparation, ParameterKey::kObstacleSeparation, obstacleSeparation},
            {kNumNeighbours, ParameterKey::kNumberOfNeighbours, static_cast<double>(numNeighbours)},
            {kBoidSeparationUrge, ParameterKey::kBoidSeparationUrge, boidSeparationUrge},
            {kFlockCentringUrge, ParameterKey::kFlockCentringUrge, flockCentringUrge},
            {kVelocityMatchingUrge, ParameterKey::kVelocityMatchingUrge, velocityMatchingUrge},
        };
        std::map<ParameterKey, double> parameters;
        for (const Override& o : overrides)
            if (child[o.child].isConnected())
                parameters.emplace(o.key, o.value);

        data.parameterOverrides.push_back(std::move(parameters));
        data.weights.append(weight);
        data.volumeTypes.append(volumeType);
        data.modificationMethods.append(modificationMethod);
        data.influenceMethods.append(influenceMethod);

        MPoint dimensions;
        status = ReadVolumeDimensions(child[kVolumeData], "getting child plug: modifierVolumeDataWidth",
                                      dimensions);
        if (!status)
            return status;
        MMatrix matrix;
        status = ReadMatrix(child[kWorldMatrix], matrix);
        if (!status)
            return status;
        data.AppendTransform(matrix);
        data.volumeDimensions.append(dimensions);
    }

    data.BuildVolumes();
    return MS::kSuccess;
}

MStatus Volarix::GatherObstacles()
{
    using namespace obstacle;
    ObstacleData& data = evaluator_.obstacles;
    data.Clear();

    MPlug array;
    unsigned elements = 0;
    MStatus status = FindArray(thisMObject(), "obstacle", array, elements);
    if (!status)
        return status;

    MPlug element;
    std::array<MPlug, kCount> child;
    for (unsigned k = 0; k < elements; ++k)
    {
        status = GetElement(array, k, "getting plug: obstaclePlug", kMessages, element, child);
        if (!status)
            return status;

        const bool hasMatrix = child[kWorldMatrix].isConnected();
        const bool hasMesh = child[kMesh].isConnected();
        if (hasMatrix && hasMesh)
        {
            MGlobal::displayInfo(MString("Too many obstacle connections for ") + element.name());
            return MS::kFailure;
        }
        if (!hasMatrix && !hasMesh)
            continue;

        const int volumeType = child[kVolumeType].asInt();
        data.count += 1;
        data.weights.append(1.0);
        data.volumeTypes.append(volumeType);

        if (hasMatrix)
        {
            MPoint dimensions;
            status = ReadVolumeDimensions(child[kVolumeData], "getting child plug: obstacleVolumeDataWidth",
                                          dimensions);
            if (!status)
                return status;
            MMatrix matrix;
            status = ReadMatrix(child[kWorldMatrix], matrix);
            if (!status)
                return status;
            data.AppendTransform(matrix);
            data.volumeDimensions.append(dimensions);
            continue;
        }

        // The shape follows the volume type alone: a connected mesh becomes a
        // mesh volume only with type Mesh.
        MObject mesh;
        status = child[kMesh].getValue(mesh);
        if (!status)
            return Fail("getting value: mesh", status);
        data.meshes.append(mesh);
        data.curves.append(MObject());
        data.curveDataArrays.emplace_back();
        data.worldMatrices.append(MMatrix());
        data.volumeDimensions.append(MPoint(0.0, 0.0, 0.0, 1.0));
    }

    data.BuildVolumes();
    return MS::kSuccess;
}
