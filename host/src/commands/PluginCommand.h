#pragma once
/// \file PluginCommand.h
/// Running a plug-in's MPxCommand as a command of the host's engine.

#include <maya/MFnPlugin.h>
#include <vxhost/CommandEngine.h>

#include <string>

namespace vxhost
{
/// The engine's function for a command registered with
/// MFnPlugin::registerCommand. Each call makes a command object with
/// creator, gives it the syntax (syntax may be null: an empty one) and the
/// statement's arguments and calls doIt, with setResult writing into the
/// call's result. A command that succeeded and is undoable goes on the undo
/// queue; any other is deleted. When the function is dropped from the
/// engine, the undo queue lets go of commands of that name.
CommandFunction MakePluginCommand(const std::string& name, MCreatorFunction creator,
                                  MCreateSyntaxFunction syntax);
} // namespace vxhost
