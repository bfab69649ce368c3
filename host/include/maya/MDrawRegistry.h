#pragma once
/// \file MDrawRegistry.h
/// Registration of Viewport 2.0 draw overrides by draw classification.

#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MViewport2Renderer.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

namespace MHWRender
{
class MPxDrawOverride;

/// A node type registered with the classification "drawdb/geometry/X" (one
/// of its ':'-separated entries) is drawn by the override whose creator is
/// registered for exactly "drawdb/geometry/X".
class MDrawRegistry
{
public:
    typedef MPxDrawOverride* (*DrawOverrideCreator)(const MObject& obj);

    /// kInvalidParameter for an empty classification or registrant id or no
    /// creator; kFailure when the classification already has a creator.
    static MStatus registerDrawOverrideCreator(const MString& drawClassification, const MString& registrantId,
                                               DrawOverrideCreator creatorFunction);
    /// kFailure unless the classification has a creator registered under
    /// registrantId. The overrides it made (and their data) are deleted.
    static MStatus deregisterDrawOverrideCreator(const MString& drawClassification,
                                                 const MString& registrantId);
};
} // namespace MHWRender

OPENMAYA_NAMESPACE_CLOSE
