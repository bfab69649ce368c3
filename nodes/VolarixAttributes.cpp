// The field's attribute schema: the nine parameter triples and the "target",
// "modifier" and "obstacle" compound arrays.
//
// The child order of the three compounds is a contract with the entity
// commands, which connect children by index, and with the gathering, which
// reads them by index: never reorder or insert children.

#include "Volarix.h"

#include "AttributeLimits.h"

#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MGlobal.h>

#include <initializer_list>
#include <iterator>
#include <utility>

MObject Volarix::mSimulationAccuracy;
MObject Volarix::mSimulationAccuracyRange;
MObject Volarix::mSimulationAccuracyType;
MObject Volarix::mBoidSeparation;
MObject Volarix::mBoidSeparationRange;
MObject Volarix::mBoidSeparationType;
MObject Volarix::mObstacleSeparation;
MObject Volarix::mObstacleSeparationRange;
MObject Volarix::mObstacleSeparationType;
MObject Volarix::mNumberOfNeighbours;
MObject Volarix::mNumberOfNeighboursRange;
MObject Volarix::mNumberOfNeighboursType;
MObject Volarix::mMaximumSpeed;
MObject Volarix::mMaximumSpeedRange;
MObject Volarix::mMaximumSpeedType;
MObject Volarix::mMaximumForce;
MObject Volarix::mMaximumForceRange;
MObject Volarix::mMaximumForceType;
MObject Volarix::mBoidSeparationUrge;
MObject Volarix::mBoidSeparationUrgeRange;
MObject Volarix::mBoidSeparationUrgeType;
MObject Volarix::mFlockCentringUrge;
MObject Volarix::mFlockCentringUrgeRange;
MObject Volarix::mFlockCentringUrgeType;
MObject Volarix::mVelocityMatchingUrge;
MObject Volarix::mVelocityMatchingUrgeRange;
MObject Volarix::mVelocityMatchingUrgeType;
MObject Volarix::mTarget;
MObject Volarix::mModifier;
MObject Volarix::mObstacle;

namespace
{
// The three wordings of creation failures; which one an attribute uses is
// part of the messages users and scripts see, so it is fixed per attribute.
constexpr const char* kCreating = "creating attribute: ";
constexpr const char* kCreatingCapital = "Creating attribute: ";
constexpr const char* kErrorCreating = "Error creating attribute: ";

// Children of the compounds, needed until the affects relations are declared.
struct TargetChildren
{
    MObject steeringType, arrivalDistance, matrix, curve, weight, radius, wanderStrength, wanderRate,
        wanderMode, curveDirLimit, volumeType, volumeWidth, volumeHeight, volumeDepth, volumeData,
        curveVolumeData, volumeInfluenceMethod, useCurveVolume, wanderAttraction, containment,
        containmentSeparationMin, reverseCurveDirection;
};
struct ModifierChildren
{
    MObject worldMatrix, volumeType, maximumSpeed, maximumForce, boidSeparation, obstacleSeparation,
        numNeighbours, volumeWidth, volumeHeight, volumeDepth, volumeData, curveVolumeData,
        simulationAccuracy, modificationMethod, volumeInfluenceMethod, weight, boidSeparationUrge,
        flockCentringUrge, velocityMatchingUrge;
};
struct ObstacleChildren
{
    MObject worldMatrix, volumeType, volumeWidth, volumeHeight, volumeDepth, volumeData, mesh;
};
TargetChildren sTarget;
ModifierChildren sModifier;
ObstacleChildren sObstacle;

enum class Keyable
{
    kUnset, ///< left at the host's default
    kYes,
    kNo,
};

/// For pairs the limits apply to both numbers.
using Limits = AttributeLimits;

/// Shows "<prefix><name><host error>" for a failed creation.
bool Created(const MStatus& status, const char* prefix, const char* name)
{
    if (status)
        return true;
    MGlobal::displayError(MString(prefix) + name + status.errorString());
    return false;
}

void SetKeyable(MFnAttribute& fn, Keyable keyable)
{
    if (keyable != Keyable::kUnset)
        fn.setKeyable(keyable == Keyable::kYes);
}

bool CreateNumeric(MObject& out, const char* prefix, const char* name, const char* shortName,
                   MFnNumericData::Type type, double value, const Limits& limits, Keyable keyable,
                   bool hidden = false)
{
    MFnNumericAttribute fn;
    MStatus status;
    out = fn.create(name, shortName, type, value, &status);
    if (!Created(status, prefix, name))
        return false;
    limits.ApplyTo(fn);
    SetKeyable(fn, keyable);
    if (hidden)
        fn.setHidden(true);
    return true;
}

/// A double2 or int2 with both numbers defaulting to value.
bool CreatePair(MObject& out, const char* prefix, const char* name, const char* shortName,
                MFnNumericData::Type type, double value, const Limits& limits, Keyable keyable,
                bool array = false)
{
    MFnNumericAttribute fn;
    MStatus status;
    out = fn.create(name, shortName, type, value, &status);
    if (!Created(status, prefix, name))
        return false;
    if (type == MFnNumericData::k2Int)
        fn.setDefault(static_cast<int>(value), static_cast<int>(value));
    else
        fn.setDefault(value, value);
    if (limits.min)
        fn.setMin(*limits.min, *limits.min);
    if (limits.max)
        fn.setMax(*limits.max, *limits.max);
    // Soft limits belong to single numbers: each child takes them.
    for (unsigned int c = 0; c < 2 && (limits.softMin || limits.softMax); ++c)
    {
        MObject child = fn.child(c, &status);
        if (!status)
            break;
        MFnNumericAttribute childFn(child);
        if (limits.softMin)
            childFn.setSoftMin(*limits.softMin);
        if (limits.softMax)
            childFn.setSoftMax(*limits.softMax);
    }
    SetKeyable(fn, keyable);
    if (array)
        fn.setArray(true);
    return true;
}

/// A distance; value and limits in centimetres.
bool CreateDistance(MObject& out, const char* prefix, const char* name, const char* shortName, double value,
                    const Limits& limits, Keyable keyable)
{
    MFnUnitAttribute fn;
    MStatus status;
    out = fn.create(name, shortName, MFnUnitAttribute::kDistance, value, &status);
    if (!Created(status, prefix, name))
        return false;
    limits.ApplyTo(fn);
    SetKeyable(fn, keyable);
    return true;
}

bool CreateEnum(MObject& out, const char* prefix, const char* name, const char* shortName, short value,
                std::initializer_list<std::pair<const char*, short>> fields, Keyable keyable)
{
    MFnEnumAttribute fn;
    MStatus status;
    out = fn.create(name, shortName, value, &status);
    if (!Created(status, prefix, name))
        return false;
    for (const auto& [field, code] : fields)
        fn.addField(field, code);
    SetKeyable(fn, keyable);
    return true;
}

bool CreateMatrix(MObject& out, const char* prefix, const char* name, const char* shortName)
{
    MFnMatrixAttribute fn;
    MStatus status;
    out = fn.create(name, shortName, MFnMatrixAttribute::kDouble, &status);
    if (!Created(status, prefix, name))
        return false;
    fn.setHidden(true);
    return true;
}

bool CreateTyped(MObject& out, const char* prefix, const char* name, const char* shortName,
                 MFnData::Type type, bool hidden)
{
    MFnTypedAttribute fn;
    MStatus status;
    out = fn.create(name, shortName, type, MObject::kNullObj, &status);
    if (!Created(status, prefix, name))
        return false;
    if (hidden)
        fn.setHidden(true);
    return true;
}

/// A compound of the three distances width, height and depth; children
/// statuses are not tested, as for every compound.
bool CreateVolumeData(MObject& out, const char* name, const char* shortName, MObject& width, MObject& height,
                      MObject& depth, const char* const (&names)[3], const char* const (&shortNames)[3],
                      double value)
{
    MObject* children[3] = {&width, &height, &depth};
    for (int c = 0; c < 3; ++c)
        if (!CreateDistance(*children[c], kErrorCreating, names[c], shortNames[c], value, {}, Keyable::kYes))
            return false;
    MFnCompoundAttribute fn;
    MStatus status;
    out = fn.create(name, shortName, &status);
    if (!Created(status, kErrorCreating, name))
        return false;
    for (MObject* child : children)
        fn.addChild(*child);
    return true;
}

bool CreateArrayCompound(MObject& out, const char* name, const char* shortName, const char* message,
                         std::initializer_list<const MObject*> children)
{
    MFnCompoundAttribute fn;
    MStatus status;
    out = fn.create(name, shortName, &status);
    if (!status)
    {
        MGlobal::displayError(MString(message) + status.errorString());
        return false;
    }
    fn.setArray(true);
    for (const MObject* child : children)
        fn.addChild(*child);
    return true;
}

// The parameter Type enum: how each particle gets the parameter's number.
bool CreateTypeEnum(MObject& out, const char* name, const char* shortName)
{
    return CreateEnum(out, kCreating, name, shortName, 0, {{"Constant", 0}, {"Range", 1}, {"Expression", 2}},
                      Keyable::kNo);
}

bool CreateParameters()
{
    using V = Volarix;
    constexpr auto kDouble = MFnNumericData::kDouble;
    constexpr auto k2Double = MFnNumericData::k2Double;
    const Limits unit = Limits().Min(0.0).Max(1.0);
    const Limits positive = Limits().Min(0.0);
    const Limits urge = Limits().Min(0.0).SoftMax(1.0);

    return CreateNumeric(V::mSimulationAccuracy, kCreating, "simulationAccuracy", "sa", kDouble, 1.0, unit,
                         Keyable::kYes) &&
           CreatePair(V::mSimulationAccuracyRange, kCreating, "simulationAccuracyRange", "sar", k2Double, 1.0,
                      unit, Keyable::kNo) &&
           CreateTypeEnum(V::mSimulationAccuracyType, "simulationAccuracyType", "sat") &&

           CreateDistance(V::mBoidSeparation, kErrorCreating, "boidSeparation", "bs", 2.0,
                          Limits().Min(0.0).SoftMax(10.0), Keyable::kYes) &&
           CreatePair(V::mBoidSeparationRange, kErrorCreating, "boidSeparationRange", "bsr", k2Double, 2.0,
                      positive, Keyable::kNo) &&
           CreateTypeEnum(V::mBoidSeparationType, "boidSeparationType", "bst") &&

           CreateDistance(V::mObstacleSeparation, kErrorCreating, "obstacleSeparation", "os", 5.0,
                          Limits().Min(0.0).SoftMax(10.0), Keyable::kYes) &&
           CreatePair(V::mObstacleSeparationRange, kErrorCreating, "obstacleSeparationRange", "osr", k2Double,
                      5.0, positive, Keyable::kNo) &&
           CreateTypeEnum(V::mObstacleSeparationType, "obstacleSeparationType", "ost") &&

           CreateNumeric(V::mNumberOfNeighbours, kCreating, "numberOfNeighbours", "nn", MFnNumericData::kInt,
                         2.0, Limits().Min(0.0).SoftMax(10.0), Keyable::kYes) &&
           CreatePair(V::mNumberOfNeighboursRange, kCreating, "numberOfNeighboursRange", "nnr",
                      MFnNumericData::k2Int, 2.0, positive, Keyable::kNo) &&
           CreateTypeEnum(V::mNumberOfNeighboursType, "numberOfNeighboursType", "nnt") &&

           CreateDistance(V::mMaximumSpeed, kErrorCreating, "maximumSpeed", "ms", 3.0,
                          Limits().Min(0.0).SoftMax(100.0), Keyable::kYes) &&
           CreatePair(V::mMaximumSpeedRange, kErrorCreating, "maximumSpeedRange", "msr", k2Double, 3.0,
                      positive, Keyable::kNo) &&
           CreateTypeEnum(V::mMaximumSpeedType, "maximumSpeedType", "mst") &&

           CreateDistance(V::mMaximumForce, kErrorCreating, "maximumForce", "mf", 10.0,
                          Limits().Min(0.0).SoftMax(100.0), Keyable::kYes) &&
           CreatePair(V::mMaximumForceRange, kErrorCreating, "maximumForceRange", "mfr", k2Double, 10.0,
                      positive, Keyable::kNo) &&
           CreateTypeEnum(V::mMaximumForceType, "maximumForceType", "mft") &&

           CreateNumeric(V::mBoidSeparationUrge, kErrorCreating, "boidSeparationUrge", "bsu", kDouble, 1.0,
                         urge, Keyable::kYes) &&
           CreatePair(V::mBoidSeparationUrgeRange, kErrorCreating, "boidSeparationUrgeRange", "bsur",
                      k2Double, 1.0, urge, Keyable::kNo) &&
           CreateTypeEnum(V::mBoidSeparationUrgeType, "boidSeparationUrgeType", "bsut") &&

           CreateNumeric(V::mFlockCentringUrge, kErrorCreating, "flockCentringUrge", "fcu", kDouble, 1.0,
                         urge, Keyable::kYes) &&
           CreatePair(V::mFlockCentringUrgeRange, kErrorCreating, "flockCentringUrgeRange", "fcur", k2Double,
                      1.0, urge, Keyable::kNo) &&
           CreateTypeEnum(V::mFlockCentringUrgeType, "flockCentringUrgeType", "fcut") &&

           CreateNumeric(V::mVelocityMatchingUrge, kErrorCreating, "velocityMatchingUrge", "vmu", kDouble,
                         1.0, urge, Keyable::kYes) &&
           CreatePair(V::mVelocityMatchingUrgeRange, kErrorCreating, "velocityMatchingUrgeRange", "vmur",
                      k2Double, 1.0, urge, Keyable::kNo) &&
           CreateTypeEnum(V::mVelocityMatchingUrgeType, "velocityMatchingUrgeType", "vmut");
}

bool CreateTarget()
{
    constexpr auto kDouble = MFnNumericData::kDouble;
    constexpr auto kBool = MFnNumericData::kBoolean;
    const Limits unit = Limits().Min(0.0).Max(1.0);
    TargetChildren& c = sTarget;

    const bool created =
        CreateEnum(c.steeringType, kErrorCreating, "targetSteeringType", "tst", 0,
                   {{"Seek", 0}, {"Flee", 1}, {"Wander", 2}, {"Path Follow", 5}}, Keyable::kUnset) &&
        CreateDistance(c.arrivalDistance, kErrorCreating, "targetArrivalDistance", "tad", 0.0,
                       Limits().Min(0.0).SoftMax(50.0), Keyable::kYes) &&
        CreateMatrix(c.matrix, kCreatingCapital, "targetMatrix", "tm") &&
        CreateTyped(c.curve, kCreatingCapital, "targetCurve", "tc", MFnData::kNurbsCurve, true) &&
        CreateNumeric(c.weight, kErrorCreating, "targetWeight", "tw", kDouble, 1.0, unit, Keyable::kYes) &&
        CreateNumeric(c.radius, kErrorCreating, "targetRadius", "tr", kDouble, 0.0, {}, Keyable::kNo, true) &&
        CreateNumeric(c.wanderStrength, kErrorCreating, "targetWanderStrength", "tws", kDouble, 1.0, unit,
                      Keyable::kYes) &&
        CreateNumeric(c.wanderRate, kErrorCreating, "targetWanderRate", "twr", kDouble, 1.0, unit,
                      Keyable::kYes) &&
        CreateEnum(c.wanderMode, kErrorCreating, "targetWanderMode", "twm", 1,
                   {{"Random Direction", 0}, {"Spherical Constraint", 1}, {"Perlin Noise", 2}},
                   Keyable::kUnset) &&
        CreateNumeric(c.curveDirLimit, kErrorCreating, "targetCurveDirLimit", "tcdl", kBool, 0.0, {},
                      Keyable::kYes) &&
        CreateEnum(c.volumeType, kErrorCreating, "targetVolumeType", "tvt", 0,
                   {{"Sphere", 0}, {"Capsule", 1}, {"Box", 2}, {"Curve", 3}}, Keyable::kUnset) &&
        CreateVolumeData(c.volumeData, "targetVolumeData", "tvd", c.volumeWidth, c.volumeHeight,
                         c.volumeDepth, {"targetVolumeWidth", "targetVolumeHeight", "targetVolumeDepth"},
                         {"tvw", "tvh", "tvdp"}, 0.0) &&
        CreateTyped(c.curveVolumeData, kErrorCreating, "targetCurveVolumeData", "tcvd", MFnData::kPointArray,
                    false) &&
        CreateEnum(c.volumeInfluenceMethod, kCreating, "targetVolumeInfluenceMethod", "tvim", 0,
                   {{"Full", 0}, {"Linear Falloff", 1}}, Keyable::kUnset) &&
        CreateNumeric(c.useCurveVolume, kErrorCreating, "targetUseCurveVolume", "tucv", kBool, 0.0, {},
                      Keyable::kYes) &&
        CreateNumeric(c.wanderAttraction, kErrorCreating, "targetWanderAttraction", "twa", kDouble, 0.0, unit,
                      Keyable::kYes) &&
        CreateNumeric(c.containment, kErrorCreating, "targetContainment", "tcon", kBool, 0.0, {},
                      Keyable::kYes) &&
        CreateNumeric(c.containmentSeparationMin, kCreating, "targetContainmentSeparationMin", "tcsm",
                      kDouble, 0.25, Limits().Min(0.0).SoftMax(1.0), Keyable::kYes) &&
        CreateNumeric(c.reverseCurveDirection, kErrorCreating, "targetReverseCurveDirection", "trcd", kBool,
                      0.0, {}, Keyable::kYes);
    if (!created)
        return false;

    return CreateArrayCompound(Volarix::mTarget, "target", "tgt", "creating target attribute",
                               {&c.steeringType,
                                &c.arrivalDistance,
                                &c.matrix,
                                &c.curve,
                                &c.weight,
                                &c.radius,
                                &c.wanderStrength,
                                &c.wanderRate,
                                &c.wanderMode,
                                &c.curveDirLimit,
                                &c.volumeType,
                                &c.volumeData,
                                &c.curveVolumeData,
                                &c.volumeInfluenceMethod,
                                &c.useCurveVolume,
                                &c.wanderAttraction,
                                &c.containment,
                                &c.containmentSeparationMin,
                                &c.reverseCurveDirection});
}

bool CreateModifier()
{
    constexpr auto kDouble = MFnNumericData::kDouble;
    const Limits urge = Limits().Min(0.0).SoftMax(1.0);
    ModifierChildren& c = sModifier;

    const bool created =
        CreateMatrix(c.worldMatrix, kErrorCreating, "modifierWorldMatrix", "mwm") &&
        CreateEnum(c.volumeType, kErrorCreating, "modifierVolumeType", "mvt", 0,
                   {{"Sphere", 0}, {"Capsule", 1}, {"Box", 2}}, Keyable::kUnset) &&
        CreateDistance(c.maximumSpeed, kErrorCreating, "modifierMaximumSpeed", "mms", 3.0,
                       Limits().SoftMin(0.0).SoftMax(100.0), Keyable::kYes) &&
        CreateDistance(c.maximumForce, kErrorCreating, "modifierMaximumForce", "mmf", 10.0,
                       Limits().SoftMin(0.0).SoftMax(100.0), Keyable::kYes) &&
        CreateDistance(c.boidSeparation, kErrorCreating, "modifierBoidSeparation", "mbs", 2.0,
                       Limits().SoftMin(0.0).SoftMax(10.0), Keyable::kYes) &&
        CreateDistance(c.obstacleSeparation, kErrorCreating, "modifierObstacleSeparation", "mos", 5.0,
                       Limits().SoftMin(0.0).SoftMax(10.0), Keyable::kYes) &&
        CreateNumeric(c.numNeighbours, kCreating, "modifierNumNeighbours", "mnn", MFnNumericData::kInt, 2.0,
                      Limits().SoftMin(0.0).SoftMax(10.0), Keyable::kYes) &&
        CreateVolumeData(c.volumeData, "modifierVolumeData", "mvd", c.volumeWidth, c.volumeHeight,
                         c.volumeDepth,
                         {"modifierVolumeWidth", "modifierVolumeHeight", "modifierVolumeDepth"},
                         {"mvw", "mvh", "mvdp"}, 1.0) &&
        CreatePair(c.curveVolumeData, kErrorCreating, "modifierCurveVolumeData", "mcvd",
                   MFnNumericData::k2Double, 1.0, {}, Keyable::kYes, true) &&
        CreateNumeric(c.simulationAccuracy, kCreating, "modifierSimulationAccuracy", "msa", kDouble, 1.0,
                      Limits().Min(-1.0).Max(1.0).SoftMin(0.0), Keyable::kYes) &&
        CreateEnum(c.modificationMethod, kCreating, "modifierModificationMethod", "mmm", 0,
                   {{"Override", 0}, {"Additive", 1}}, Keyable::kUnset) &&
        CreateEnum(c.volumeInfluenceMethod, kCreating, "modifierVolumeInfluenceMethod", "mvim", 0,
                   {{"Full", 0}, {"Linear Falloff", 1}}, Keyable::kUnset) &&
        CreateNumeric(c.weight, kCreating, "modifierWeight", "mw", kDouble, 1.0, Limits().Min(0.0).Max(1.0),
                      Keyable::kYes) &&
        CreateNumeric(c.boidSeparationUrge, kCreating, "modifierBoidSeparationUrge", "mbsu", kDouble, 1.0,
                      urge, Keyable::kYes) &&
        CreateNumeric(c.flockCentringUrge, kCreating, "modifierFlockCentringUrge", "mfcu", kDouble, 1.0, urge,
                      Keyable::kYes) &&
        CreateNumeric(c.velocityMatchingUrge, kCreating, "modifierVelocityMatchingUrge", "mvmu", kDouble, 1.0,
                      urge, Keyable::kYes);
    return created && CreateArrayCompound(
                          Volarix::mModifier, "modifier", "mod", "creating modifier attribute",
                          {&c.worldMatrix, &c.volumeType, &c.maximumSpeed, &c.maximumForce, &c.boidSeparation,
                           &c.obstacleSeparation, &c.numNeighbours, &c.volumeData, &c.curveVolumeData,
                           &c.simulationAccuracy, &c.modificationMethod, &c.volumeInfluenceMethod, &c.weight,
                           &c.boidSeparationUrge, &c.flockCentringUrge, &c.velocityMatchingUrge});
}

bool CreateObstacle()
{
    ObstacleChildren& c = sObstacle;
    if (!CreateMatrix(c.worldMatrix, kErrorCreating, "obstacleWorldMatrix", "obswm"))
        return false;
    // The only creation failure shown without a context text.
    {
        MFnEnumAttribute fn;
        MStatus status;
        c.volumeType = fn.create("obstacleVolumeType", "obsvt", 0, &status);
        if (!status)
        {
            MGlobal::displayError(status.errorString());
            return false;
        }
        fn.addField("Sphere", 0);
        fn.addField("Capsule", 1);
        fn.addField("Box", 2);
        fn.addField("Mesh", 4);
    }
    return CreateVolumeData(c.volumeData, "obstacleVolumeData", "obsvd", c.volumeWidth, c.volumeHeight,
                            c.volumeDepth,
                            {"obstacleVolumeWidth", "obstacleVolumeHeight", "obstacleVolumeDepth"},
                            {"ovwd", "ovht", "ovdp"}, 1.0) &&
           CreateTyped(c.mesh, kErrorCreating, "obstacleMesh", "obsmsh", MFnData::kMesh, true) &&
           CreateArrayCompound(Volarix::mObstacle, "obstacle", "obs", "creating obstacle attribute",
                               {&c.worldMatrix, &c.volumeType, &c.volumeData, &c.mesh});
}

bool AddAttributes()
{
    using V = Volarix;
    const std::pair<const MObject*, const char*> attributes[] = {
        {&V::mSimulationAccuracy, "simulationAccuracy"},
        {&V::mSimulationAccuracyRange, "simulationAccuracyRange"},
        {&V::mSimulationAccuracyType, "simulationAccuracyType"},
        {&V::mBoidSeparation, "boidSeparation"},
        {&V::mBoidSeparationRange, "boidSeparationRange"},
        {&V::mBoidSeparationType, "boidSeparationType"},
        {&V::mObstacleSeparation, "obstacleSeparation"},
        {&V::mObstacleSeparationRange, "obstacleSeparationRange"},
        {&V::mObstacleSeparationType, "obstacleSeparationType"},
        {&V::mMaximumSpeed, "maximumSpeed"},
        {&V::mMaximumSpeedRange, "maximumSpeedRange"},
        {&V::mMaximumSpeedType, "maximumSpeedType"},
        {&V::mMaximumForce, "maximumForce"},
        {&V::mMaximumForceRange, "maximumForceRange"},
        {&V::mMaximumForceType, "maximumForceType"},
        {&V::mNumberOfNeighbours, "numberOfNeighbours"},
        {&V::mNumberOfNeighboursRange, "numberOfNeighboursRange"},
        {&V::mNumberOfNeighboursType, "numberOfNeighboursType"},
        {&V::mBoidSeparationUrge, "boidSeparationUrge"},
        {&V::mBoidSeparationUrgeRange, "boidSeparationUrgeRange"},
        {&V::mBoidSeparationUrgeType, "boidSeparationUrgeType"},
        {&V::mFlockCentringUrge, "flockCentringUrge"},
        {&V::mFlockCentringUrgeRange, "flockCentringUrgeRange"},
        {&V::mFlockCentringUrgeType, "flockCentringUrgeType"},
        {&V::mVelocityMatchingUrge, "velocityMatchingUrge"},
        {&V::mVelocityMatchingUrgeRange, "velocityMatchingUrgeRange"},
        {&V::mVelocityMatchingUrgeType, "velocityMatchingUrgeType"},
        {&V::mTarget, "target"},
        {&V::mModifier, "modifier"},
        {&V::mObstacle, "obstacle"},
    };
    for (const auto& [attribute, name] : attributes)
    {
        const MStatus status = MPxNode::addAttribute(*attribute);
        if (!status)
        {
            MGlobal::displayError(MString("Error adding attribute: ") + name + status.errorString());
            return false;
        }
    }
    return true;
}

bool DeclareAffects()
{
    using V = Volarix;
    const TargetChildren& t = sTarget;
    const ModifierChildren& m = sModifier;
    const ObstacleChildren& o = sObstacle;
    const MObject* const affecting[] = {
        // The parameters, in the order they were added.
        &V::mSimulationAccuracy, &V::mSimulationAccuracyRange, &V::mSimulationAccuracyType,
        &V::mBoidSeparation, &V::mBoidSeparationRange, &V::mBoidSeparationType, &V::mObstacleSeparation,
        &V::mObstacleSeparationRange, &V::mObstacleSeparationType, &V::mMaximumSpeed, &V::mMaximumSpeedRange,
        &V::mMaximumSpeedType, &V::mMaximumForce, &V::mMaximumForceRange, &V::mMaximumForceType,
        &V::mNumberOfNeighbours, &V::mNumberOfNeighboursRange, &V::mNumberOfNeighboursType,
        &V::mBoidSeparationUrge, &V::mBoidSeparationUrgeRange, &V::mBoidSeparationUrgeType,
        &V::mFlockCentringUrge, &V::mFlockCentringUrgeRange, &V::mFlockCentringUrgeType,
        &V::mVelocityMatchingUrge, &V::mVelocityMatchingUrgeRange, &V::mVelocityMatchingUrgeType,
        // Targets. The volume type, shape, curve samples, influence method
        // and use of the curve volume are left out.
        &V::mTarget, &t.steeringType, &t.arrivalDistance, &t.matrix, &t.curve, &t.curveDirLimit, &t.weight,
        &t.radius, &t.wanderStrength, &t.wanderRate, &t.wanderMode, &t.wanderAttraction, &t.containment,
        &t.containmentSeparationMin, &t.reverseCurveDirection, &t.volumeWidth, &t.volumeHeight,
        &t.volumeDepth,
        // Modifiers. The urges are left out.
        &V::mModifier, &m.worldMatrix, &m.volumeType, &m.maximumSpeed, &m.maximumForce, &m.boidSeparation,
        &m.obstacleSeparation, &m.numNeighbours, &m.volumeWidth, &m.volumeHeight, &m.volumeDepth,
        &m.curveVolumeData, &m.simulationAccuracy, &m.modificationMethod, &m.volumeInfluenceMethod, &m.weight,
        // Obstacles; not the array itself.
        &o.worldMatrix, &o.volumeWidth, &o.volumeHeight, &o.volumeDepth, &o.volumeType, &o.mesh};
    static_assert(std::size(affecting) == 67);
    for (const MObject* attribute : affecting)
    {
        const MStatus status = MPxNode::attributeAffects(*attribute, MPxFieldNode::mOutputForce);
        if (!status)
        {
            MGlobal::displayError(MString("setting attribute affects") + status.errorString());
            return false;
        }
    }
    return true;
}
} // namespace

MStatus Volarix::initialize()
{
    if (!CreateParameters() || !CreateTarget() || !CreateModifier() || !CreateObstacle() ||
        !AddAttributes() || !DeclareAffects())
        return MS::kFailure;
    return MS::kSuccess;
}
