#include "EntityLocatorNodes.h"

#include <maya/MGlobal.h>
#include <maya/MString.h>

const MTypeId TargetLocatorNode::id(0x123B42);
const char* const TargetLocatorNode::typeName = "QF_VX_targetLocatorNode";
const char* const TargetLocatorNode::classification = "drawdb/geometry/QF_VX_targetLocatorNode";
const char* const TargetLocatorNode::drawRegistrantId = "QF_VX_TargetLocatorNode";
const char* const TargetLocatorNode::dormantColourName = "QF_VX_targetLocatorNodeDormantColour";

const MTypeId ModifierLocatorNode::id(0x123B43);
const char* const ModifierLocatorNode::typeName = "QF_VX_modifierLocatorNode";
const char* const ModifierLocatorNode::classification = "drawdb/geometry/QF_VX_modifierLocatorNode";
const char* const ModifierLocatorNode::drawRegistrantId = "QF_VX_ModifierLocatorNode";
const char* const ModifierLocatorNode::dormantColourName = "QF_VX_modifierLocatorNodeDormantColour";

// 0x123B44 to 0x123B46 belong to the manipulators.
const MTypeId ObstacleLocatorNode::id(0x123B47);
const char* const ObstacleLocatorNode::typeName = "QF_VX_obstacleLocatorNode";
const char* const ObstacleLocatorNode::classification = "drawdb/geometry/QF_VX_obstacleLocatorNode";
const char* const ObstacleLocatorNode::drawRegistrantId = "QF_VX_ObstacleLocatorNode";
const char* const ObstacleLocatorNode::dormantColourName = "QF_VX_obstacleLocatorNodeDormantColour";

namespace
{
/// The user's colour for this kind of locator, or the kind's own. The value
/// is copied once: a locator keeps its colour when the option changes.
void TakeDormantColour(VolumeLocatorNode& node, const char* optionName, int fallback)
{
    const MString name(optionName);
    const int index = MGlobal::optionVarExists(name) ? MGlobal::optionVarIntValue(name) : fallback;
    // A failure has been shown; the locator keeps the attribute's default.
    (void)node.SetDormantColour(index);
}
} // namespace

MStatus InitializeEntityLocatorNode()
{
    const MStatus status = MPxNode::inheritAttributesFrom(VolumeLocatorNode::typeName);
    if (!status)
    {
        MGlobal::displayError(MString("inheriting from ") + VolumeLocatorNode::typeName +
                              status.errorString());
        return MS::kFailure;
    }
    return MS::kSuccess;
}

void* TargetLocatorNode::creator()
{
    return new TargetLocatorNode();
}

void TargetLocatorNode::postConstructor()
{
    TakeDormantColour(*this, dormantColourName, kDefaultDormantColour);
}

void* ModifierLocatorNode::creator()
{
    return new ModifierLocatorNode();
}

void ModifierLocatorNode::postConstructor()
{
    TakeDormantColour(*this, dormantColourName, kDefaultDormantColour);
}

void* ObstacleLocatorNode::creator()
{
    return new ObstacleLocatorNode();
}

void ObstacleLocatorNode::postConstructor()
{
    TakeDormantColour(*this, dormantColourName, kDefaultDormantColour);
}
