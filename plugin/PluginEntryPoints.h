#pragma once
/// \file PluginEntryPoints.h
/// What the module exports to the host, by C name: the two entry points and
/// the data the host reads before calling them.

#include <maya/MObject.h>
#include <maya/MStatus.h>

#define VX_PLUGIN_EXPORT __attribute__((visibility("default")))

#if defined(__clang__)
// The host calls the entry points through C names but with its C++ types,
// as Maya does.
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif

extern "C"
{
    /// The host API version the module is built against, as Maya exports it:
    /// a pointer to the text ("20220300").
    VX_PLUGIN_EXPORT extern const char* const MApiVersion;
    /// The plug-in's signature block, read by the host as it is.
    VX_PLUGIN_EXPORT extern const char ADSK_PLUGIN_SIGNATURE[];

    /// Registers everything the plug-in offers; stops at the first failure,
    /// which is shown and returned.
    VX_PLUGIN_EXPORT MStatus initializePlugin(MObject obj);
    /// Removes the registrations; stops at the first failure likewise.
    VX_PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj);
}

#if defined(__clang__)
#pragma clang diagnostic pop
#endif
