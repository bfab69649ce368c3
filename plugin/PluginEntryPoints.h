#pragma once
/// \file PluginEntryPoints.h
/// The module's entry points, which the host looks up by name. The API
/// version string and the signature block that the host also reads come
/// from <maya/MFnPlugin.h> in PluginMain.cpp.

#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>

/// Registers everything the plug-in offers; stops at the first failure,
/// which is shown and returned.
PLUGIN_EXPORT MStatus initializePlugin(MObject obj);
/// Removes the registrations; stops at the first failure likewise.
PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj);
