#pragma once
/// \file MTypes.h
/// Shared definitions of the Maya API: the API version and the coordinate
/// space enumeration used by transformation queries.

#include <maya/MApiNamespace.h>

/// The API version number (Maya 2022 Update 3), as plug-ins test it at compile time.
#define MAYA_API_VERSION 20220300

/// Marks a plug-in's exported entry points (initializePlugin,
/// uninitializePlugin) and data, which the host finds by name.
#ifndef PLUGIN_EXPORT
#ifdef _WIN32
#define PLUGIN_EXPORT __declspec(dllexport)
#else
#define PLUGIN_EXPORT __attribute__((visibility("default")))
#endif
#endif

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Coordinate spaces in which a transformation component can be read or set.
class MSpace
{
public:
    /// kTransform: the component as stored in the transform (its own local
    /// space). kPreTransform (alias kObject): the space before the transform
    /// is applied. kPostTransform: the space after it. kWorld: world space; a
    /// stand-alone MTransformationMatrix has no parent, so kWorld behaves
    /// like kPostTransform.
    enum Space
    {
        kInvalid = 0,
        kTransform = 1,
        kPreTransform = 2,
        kPostTransform = 3,
        kWorld = 4,
        kObject = kPreTransform,
        kLast = 5
    };
};

OPENMAYA_NAMESPACE_CLOSE

// Maya's fixed-size value tuples, as numeric data handles return them.
typedef short short2[2];
typedef short short3[3];
typedef int int2[2];
typedef int int3[3];
typedef float float2[2];
typedef float float3[3];
typedef double double2[2];
typedef double double3[3];
typedef double double4[4];
