// The module's entry points: what the plug-in registers with the host when
// it is loaded, and removes when it is unloaded.

#include "EntityLocatorNodes.h"
#include "ModifierCmd.h"
#include "ObstacleCmd.h"
#include "PluginEntryPoints.h"
#include "RadiusManipulatorNode.h"
#include "TargetCmd.h"
#include "Volarix.h"
#include "VolarixDrawOverride.h"
#include "VolumeLocatorDrawOverride.h"
#include "VolumeLocatorNode.h"
#include "VolumeLocatorNodeManip.h"

#include <maya/MDrawRegistry.h>
#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>
#include <maya/MObject.h>
#include <maya/MPxManipContainer.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

#include <cstddef>

namespace
{
/// One registration (or removal) and the text that reports its failure,
/// followed by the item's name and the host's error text.
struct Step
{
    MStatus (*run)(MFnPlugin& plugin);
    const char* errorText;
    const char* name;
};

// The three entity commands share one syntax.
template <typename Command> MStatus RegisterCommand(MFnPlugin& plugin)
{
    return plugin.registerCommand(Command::commandName, Command::creator, EntityCmd::newSyntax);
}

template <typename Command> MStatus DeregisterCommand(MFnPlugin& plugin)
{
    return plugin.deregisterCommand(Command::commandName);
}

MStatus RegisterField(MFnPlugin& plugin)
{
    const MString classification(Volarix::classification);
    return plugin.registerNode(Volarix::typeName, Volarix::id, Volarix::creator, Volarix::initialize,
                               MPxNode::kFieldNode, &classification);
}

MStatus DeregisterField(MFnPlugin& plugin)
{
    return plugin.deregisterNode(Volarix::id);
}

template <typename Locator> MStatus RegisterLocator(MFnPlugin& plugin)
{
    const MString classification(Locator::classification);
    return plugin.registerNode(Locator::typeName, Locator::id, Locator::creator, Locator::initialize,
                               MPxNode::kLocatorNode, &classification);
}

template <typename Locator> MStatus DeregisterLocator(MFnPlugin& plugin)
{
    return plugin.deregisterNode(Locator::id);
}

template <typename Locator> MStatus RegisterLocatorDrawOverride(MFnPlugin&)
{
    return MHWRender::MDrawRegistry::registerDrawOverrideCreator(
        Locator::classification, Locator::drawRegistrantId, VolumeLocatorDrawOverride::creator);
}

template <typename Locator> MStatus DeregisterLocatorDrawOverride(MFnPlugin&)
{
    return MHWRender::MDrawRegistry::deregisterDrawOverrideCreator(Locator::classification,
                                                                   Locator::drawRegistrantId);
}

// Selecting an entity locator shows the container named after its type.
// The table takes no failure, so the step always succeeds.
MStatus AddLocatorsToManipConnectTable(MFnPlugin&)
{
    for (MTypeId id : {TargetLocatorNode::id, ModifierLocatorNode::id, ObstacleLocatorNode::id})
        MPxManipContainer::addToManipConnectTable(id);
    return MS::kSuccess;
}

// One container class serves the three locator kinds, under three names.
MStatus RegisterManipContainer(MFnPlugin& plugin, const char* name, const MTypeId& id)
{
    return plugin.registerNode(name, id, VolumeLocatorNodeManip::creator, MPxManipContainer::initialize,
                               MPxNode::kManipContainer);
}

MStatus RegisterRadiusManip(MFnPlugin& plugin)
{
    return plugin.registerNode(RadiusManipulatorNode::typeName, RadiusManipulatorNode::id,
                               RadiusManipulatorNode::creator, RadiusManipulatorNode::initialize,
                               MPxNode::kManipulatorNode);
}

MStatus DeregisterRadiusManip(MFnPlugin& plugin)
{
    return plugin.deregisterNode(RadiusManipulatorNode::id);
}

MStatus RegisterFieldDrawOverride(MFnPlugin&)
{
    return MHWRender::MDrawRegistry::registerDrawOverrideCreator(
        Volarix::classification, VolarixDrawOverride::registrantId, VolarixDrawOverride::creator);
}

MStatus DeregisterFieldDrawOverride(MFnPlugin&)
{
    return MHWRender::MDrawRegistry::deregisterDrawOverrideCreator(Volarix::classification,
                                                                   VolarixDrawOverride::registrantId);
}

// Loading order: the commands, the volume locator, the entity locators, their
// draw overrides, the manipulator connect table, the manipulator containers,
// the radius manipulator, the field's draw override, and last the field, so
// that everything the field's scenes refer to exists before it does.
constexpr Step kLoadSteps[] = {
    {RegisterCommand<TargetCmd>, "Error registering Command: ", TargetCmd::commandName},
    {RegisterCommand<ModifierCmd>, "Error registering Command: ", ModifierCmd::commandName},
    {RegisterCommand<ObstacleCmd>, "Error registering Command: ", ObstacleCmd::commandName},
    {RegisterLocator<VolumeLocatorNode>, "Error registering node: ", "QF_VX_volumeLocatorNode"},
    {RegisterLocator<TargetLocatorNode>, "Error registering node: ", "QF_VX_targetLocatorNode"},
    {RegisterLocator<ModifierLocatorNode>, "Error registering node: ", "QF_VX_modifierLocatorNode"},
    {RegisterLocator<ObstacleLocatorNode>, "Error registering node: ", "QF_VX_obstacleLocatorNode"},
    {RegisterLocatorDrawOverride<TargetLocatorNode>,
     "Error registering draw override for: ", "QF_VX_targetLocatorNode"},
    {RegisterLocatorDrawOverride<ModifierLocatorNode>,
     "Error registering draw override for: ", "QF_VX_modifierLocatorNode"},
    {RegisterLocatorDrawOverride<ObstacleLocatorNode>,
     "Error registering draw override for: ", "QF_VX_obstacleLocatorNode"},
    {AddLocatorsToManipConnectTable, "", ""},
    {[](MFnPlugin& plugin)
     {
         return RegisterManipContainer(plugin, VolumeLocatorNodeManip::targetTypeName,
                                       VolumeLocatorNodeManip::targetId);
     },
     "Error registering manipulator container: ", "QF_VX_targetLocatorNodeManip"},
    {[](MFnPlugin& plugin)
     {
         return RegisterManipContainer(plugin, VolumeLocatorNodeManip::modifierTypeName,
                                       VolumeLocatorNodeManip::modifierId);
     },
     "Error registering manipulator container: ", "QF_VX_modifierLocatorNodeManip"},
    {[](MFnPlugin& plugin)
     {
         return RegisterManipContainer(plugin, VolumeLocatorNodeManip::obstacleTypeName,
                                       VolumeLocatorNodeManip::obstacleId);
     },
     "Error registering manipulator container: ", "QF_VX_obstacleLocatorNodeManip"},
    {RegisterRadiusManip, "Error registering manipulator node: ", "QF_VX_radiusManipulatorNode"},
    {RegisterFieldDrawOverride, "Error registering draw override for: ", "particleVolarix"},
    {RegisterField, "Error registering Node: ", "particleVolarix"},
};

// Unloading order: the commands, the manipulators, the locators' draw
// overrides, the locators, the field, and last the field's draw override.
constexpr Step kUnloadSteps[] = {
    {DeregisterCommand<TargetCmd>, "Error de-registering Command: ", TargetCmd::commandName},
    {DeregisterCommand<ModifierCmd>, "Error de-registering Command: ", ModifierCmd::commandName},
    {DeregisterCommand<ObstacleCmd>, "Error de-registering Command: ", ObstacleCmd::commandName},
    {[](MFnPlugin& plugin) { return plugin.deregisterNode(VolumeLocatorNodeManip::targetId); },
     "Error de-registering Node: ", "QF_VX_targetLocatorNodeManip"},
    {[](MFnPlugin& plugin) { return plugin.deregisterNode(VolumeLocatorNodeManip::modifierId); },
     "Error de-registering Node: ", "QF_VX_modifierLocatorNodeManip"},
    {[](MFnPlugin& plugin) { return plugin.deregisterNode(VolumeLocatorNodeManip::obstacleId); },
     "Error de-registering Node: ", "QF_VX_obstacleLocatorNodeManip"},
    {DeregisterRadiusManip, "Error de-registering Node: ", "QF_VX_radiusManipulatorNode"},
    {DeregisterLocatorDrawOverride<TargetLocatorNode>,
     "Error de-registering DrawOverride: ", "QF_VX_targetLocatorNode"},
    {DeregisterLocatorDrawOverride<ModifierLocatorNode>,
     "Error de-registering DrawOverride: ", "QF_VX_modifierLocatorNode"},
    {DeregisterLocatorDrawOverride<ObstacleLocatorNode>,
     "Error de-registering DrawOverride: ", "QF_VX_obstacleLocatorNode"},
    {DeregisterLocator<TargetLocatorNode>, "Error de-registering Node: ", "QF_VX_targetLocatorNode"},
    {DeregisterLocator<ModifierLocatorNode>, "Error de-registering Node: ", "QF_VX_modifierLocatorNode"},
    {DeregisterLocator<ObstacleLocatorNode>, "Error de-registering Node: ", "QF_VX_obstacleLocatorNode"},
    {DeregisterLocator<VolumeLocatorNode>, "Error de-registering Node: ", "QF_VX_volumeLocatorNode"},
    {DeregisterField, "Error de-registering Node: ", "particleVolarix"},
    {DeregisterFieldDrawOverride, "Error de-registering DrawOverride: ", "particleVolarix"},
};

/// Runs the steps in order up to the first failure, which is reported and
/// returned; what was done before it stays done.
template <std::size_t N> MStatus RunSteps(MFnPlugin& plugin, const Step (&steps)[N])
{
    for (const Step& step : steps)
    {
        const MStatus status = step.run(plugin);
        if (!status)
        {
            MGlobal::displayError(MString(step.errorText) + step.name + status.errorString());
            return status;
        }
    }
    return MS::kSuccess;
}
} // namespace

MStatus initializePlugin(MObject obj)
{
    MFnPlugin plugin(obj, "Quillfen", "2.0.5", "Any");
    return RunSteps(plugin, kLoadSteps);
}

MStatus uninitializePlugin(MObject obj)
{
    MFnPlugin plugin(obj, "Unknown", "Unknown", "Any");
    return RunSteps(plugin, kUnloadSteps);
}
