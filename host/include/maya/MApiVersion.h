#pragma once
/// \file MApiVersion.h
/// The data a plug-in module exports for the host to read before it calls
/// initializePlugin: the API version the module was built against, and the
/// signature block. MFnPlugin.h includes this header, so the one source file
/// of a plug-in that includes MFnPlugin.h defines both; every other file
/// that includes MFnPlugin.h defines MNoVersionString first.

#include <maya/MTypes.h>

#ifndef MNoVersionString

#define VXHOST_STRINGIFY_(x) #x
#define VXHOST_STRINGIFY(x) VXHOST_STRINGIFY_(x)

/// "20220300": MAYA_API_VERSION as text.
extern "C" PLUGIN_EXPORT const char MApiVersion[] = VXHOST_STRINGIFY(MAYA_API_VERSION);

/// An unsigned module's signature: the host reads the block and treats the
/// module as unsigned, as Maya does with modules built outside Autodesk.
extern "C"
{
    PLUGIN_EXPORT char ADSK_PLUGIN_SIGNATURE[] = "unsigned plug-in module";
}

#undef VXHOST_STRINGIFY
#undef VXHOST_STRINGIFY_

#endif
