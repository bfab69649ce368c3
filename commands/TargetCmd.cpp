#include "TargetCmd.h"

#include "EntityLocatorNodes.h"

#include <maya/MFnDependencyNode.h>

#include <array>
#include <iterator>
#include <string_view>

namespace
{
using Kind = KeyableAttribute::Kind;

constexpr KeyableEnumField kSteeringTypes[] = {{"Seek", 0}, {"Flee", 1}, {"Wander", 2}};
// A curve target can only be followed.
constexpr KeyableEnumField kCurveSteeringTypes[] = {{"Path Follow", 5}};
constexpr KeyableEnumField kWanderModes[] = {
    {"Random Direction", 0}, {"Spherical Constraint", 1}, {"Perlin Noise", 2}};

// Creation order; entry 0, SteeringType, takes its fields from the entity.
constexpr KeyableAttribute kTargetAttributes[] = {
    {"SteeringType", "st", Kind::kEnum, 0.0, {}, {}, {}, {}, kSteeringTypes},
    {"ArrivalDistance", "ad", Kind::kDistance, 0.0, 0.0, {}, {}, 50.0},
    {"LimitToCurveDirection", "ltcd", Kind::kBool, 0.0},
    {"Weight", "wgt", Kind::kDouble, 1.0, 0.0, 1.0},
    {"WanderMode", "wmd", Kind::kEnum, 1.0, {}, {}, {}, {}, kWanderModes},
    {"WanderStrength", "wst", Kind::kDouble, 1.0, 0.0, 1.0},
    {"WanderRate", "wrt", Kind::kDouble, 1.0, 0.0, 1.0},
    {"WanderAttraction", "wat", Kind::kDouble, 0.0, 0.0, 1.0},
    {"UseCurveVolume", "ucv", Kind::kBool, 0.0},
    {"Containment", "con", Kind::kBool, 0.0},
    {"ContainmentSeparationMin", "csm", Kind::kDouble, 0.25, 0.0, {}, {}, 1.0},
};

/// One keyable attribute and the child of the "target" element it drives.
struct TargetLink
{
    const char* attribute;
    unsigned int fieldChild;
    Kind value; ///< how the value is copied: kInt, kDouble or kBool
};

// Copy and connection order.
constexpr TargetLink kTargetLinks[] = {
    {"SteeringType", 0, Kind::kInt},
    {"ArrivalDistance", 1, Kind::kDouble},
    {"Weight", 4, Kind::kDouble},
    {"WanderMode", 8, Kind::kInt},
    {"WanderStrength", 6, Kind::kDouble},
    {"WanderRate", 7, Kind::kDouble},
    {"WanderAttraction", 15, Kind::kDouble},
    {"LimitToCurveDirection", 9, Kind::kBool},
    {"UseCurveVolume", 14, Kind::kBool},
    {"Containment", 16, Kind::kBool},
    {"ContainmentSeparationMin", 17, Kind::kDouble},
};
constexpr unsigned int kLinkCount = static_cast<unsigned int>(std::size(kTargetLinks));

constexpr unsigned int LinkOf(const char* attribute)
{
    unsigned int l = 0;
    while (l < kLinkCount && std::string_view(kTargetLinks[l].attribute) != attribute)
        ++l;
    return l;
}
// The locator beside a curve shows its tube exactly when the tube is used.
constexpr unsigned int kUseCurveVolumeLink = LinkOf("UseCurveVolume");
static_assert(kUseCurveVolumeLink < kLinkCount);

constexpr unsigned int kSteeringTypeChild = 0;
constexpr unsigned int kCurveChild = 3;
constexpr unsigned int kVolumeTypeChild = 10;
constexpr unsigned int kCurveVolumeDataChild = 12;
constexpr int kPathFollow = 5;
constexpr int kCurveVolume = 3;

MStatus CopyValue(const MPlug& from, MPlug& to, Kind value)
{
    MStatus status;
    switch (value)
    {
    case Kind::kInt:
    {
        const int number = from.asInt(&status);
        return status ? to.setInt(number) : status;
    }
    case Kind::kBool:
    {
        const bool flag = from.asBool(&status);
        return status ? to.setBool(flag) : status;
    }
    default:
    {
        const double number = from.asDouble(&status);
        return status ? to.setDouble(number) : status;
    }
    }
}
} // namespace

TargetCmd::TargetCmd()
{
    entityTypeName = "target";
    supportsPosition = true;
    supportsCurve = true;
    supportsMesh = false;
    matrixChildIndex = 2;
    curveChildIndex = 3;
    meshChildIndex = -1;
    volumeTypeChildIndex = 10;
    volumeDataChildIndex = 11;
    locatorTypeId = TargetLocatorNode::id;
}

void* TargetCmd::creator()
{
    return new TargetCmd();
}

MStatus TargetCmd::ConnectEntityCurve()
{
    MPlug worldSpace;
    MPlug element;
    MStatus status = GeometryOutputAndElement("worldSpace", worldSpace, element);
    if (!status)
        return status;
    MPlug steeringType = element.child(kSteeringTypeChild, &status);
    if (!status)
        return status;
    const MPlug curve = element.child(kCurveChild, &status);
    if (!status)
        return status;
    MPlug volumeType = element.child(kVolumeTypeChild, &status);
    if (!status)
        return status;

    // A curve is followed and is its own volume. These steps are best
    // effort: a steering type already driven by a connection keeps its driver.
    dgModifier.connect(worldSpace, curve);
    steeringType.setValue(kPathFollow);
    volumeType.setValue(kCurveVolume);

    // Without a sibling the curve target works on its own.
    MObject locator;
    if (!FindEntityLocator(locator))
        return MS::kSuccess;
    // A sibling that is no target locator leaves locator null, and the
    // lookups below then fail the command.
    const MFnDependencyNode locatorFn(locator, &status);
    if (!status)
        return status;
    const MPlug curveData = locatorFn.findPlug("curveData", false, &status);
    if (!status)
        return status;
    const MPlug attachedCurve = locatorFn.findPlug("attachedCurve", false, &status);
    if (!status)
        return status;
    const MPlug curveVolumeData = element.child(kCurveVolumeDataChild, &status);
    if (!status)
        return status;
    status = dgModifier.connect(curveData, curveVolumeData);
    if (!status)
        return status;
    return dgModifier.connect(worldSpace, attachedCurve);
}

MStatus TargetCmd::ConnectEntityMesh()
{
    return MS::kSuccess;
}

MStatus TargetCmd::MakeEntityKeyable()
{
    MStatus status;
    MFnDependencyNode transformFn(entityPath.transform(), &status);
    if (!status)
        return status;
    const MFnDependencyNode fieldFn(fieldPath.node(), &status);
    if (!status)
        return status;

    std::array<KeyableAttribute, std::size(kTargetAttributes)> table;
    std::copy(std::begin(kTargetAttributes), std::end(kTargetAttributes), table.begin());
    if (entityPath.hasFn(MFn::kNurbsCurve))
        table[0].fields = kCurveSteeringTypes;
    status = AddKeyableAttributes(transformFn, table);
    if (!status)
        return status;

    MPlug attributes[kLinkCount];
    for (unsigned int l = 0; l < kLinkCount; ++l)
    {
        attributes[l] = transformFn.findPlug(kTargetLinks[l].attribute, false, &status);
        if (!status)
            return status;
    }

    const unsigned int index = GetEntityIndex(status);
    if (!status)
        return status;
    MPlug arrayPlug = fieldFn.findPlug(entityTypeName, false, &status);
    if (!status)
        return status;
    const MPlug element = arrayPlug.elementByLogicalIndex(index, &status);
    if (!status)
        return status;
    MPlug fieldChildren[kLinkCount];
    for (unsigned int l = 0; l < kLinkCount; ++l)
    {
        fieldChildren[l] = element.child(kTargetLinks[l].fieldChild, &status);
        if (!status)
            return status;
    }

    // The attributes start from what the field holds now, so making them
    // keyable changes no behaviour until they are edited.
    for (unsigned int l = 0; l < kLinkCount; ++l)
    {
        status = CopyValue(fieldChildren[l], attributes[l], kTargetLinks[l].value);
        if (!status)
            return status;
    }
    for (unsigned int l = 0; l < kLinkCount; ++l)
    {
        status = QueueConnection(attributes[l], fieldChildren[l]);
        if (!status)
            return status;
    }

    MObject locator;
    if (!FindEntityLocator(locator))
        return MS::kSuccess;
    const MFnDependencyNode locatorFn(locator, &status);
    if (!status)
        return status;
    const MPlug drawVolume = locatorFn.findPlug("drawVolume", false, &status);
    if (!status)
        return status;
    return QueueConnection(attributes[kUseCurveVolumeLink], drawVolume);
}
