// The module's entry points: what the plug-in registers with the host when
// it is loaded, and removes when it is unloaded.

#include "PluginEntryPoints.h"
#include "Volarix.h"

#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>
#include <maya/MObject.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <span>

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

// Loading order: the commands, the volume locator, the entity locators, their
// draw overrides, the manipulator connect table, the manipulator containers,
// the radius manipulator, the field's draw override, and last the field, so
// that everything the field's scenes refer to exists before it does.
constexpr Step kLoadSteps[] = {
    {RegisterField, "Error registering Node: ", "particleVolarix"},
};

// Unloading order: the commands, the manipulators, the locators' draw
// overrides, the locators, the field, and last the field's draw override.
constexpr Step kUnloadSteps[] = {
    {DeregisterField, "Error de-registering Node: ", "particleVolarix"},
};

/// Runs the steps in order up to the first failure, which is reported and
/// returned; what was done before it stays done.
MStatus RunSteps(MFnPlugin& plugin, std::span<const Step> steps)
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

const char* const MApiVersion = "20220300";

const char ADSK_PLUGIN_SIGNATURE[] = "Quillfen particleVolarix 2.0.5";

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
