#pragma once
/// \file MPxDrawOverride.h
/// The base of a plug-in's Viewport 2.0 drawing for a DAG node.

#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MString.h>
#include <maya/MUserData.h>
#include <maya/MViewport2Renderer.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

namespace MHWRender
{
class MDrawContext;
class MFrameContext;
class MUIDrawManager;

/// One override object draws one node. The host makes it through the
/// creator registered for the node type's draw classification
/// (MDrawRegistry) the first time the node is drawn, and on every redraw:
///   1. prepareForDraw(path, camera, frame, oldData) when the override is
///      always dirty, or when the scene changed since the last preparation;
///      it keeps the returned data for the next call;
///   2. addUIDrawables(path, drawManager, frame, data) when hasUIDrawables();
///   3. the draw callback, when one was given.
/// Nothing is drawn unless supportedDrawAPIs() includes kOpenGLCoreProfile.
/// Primitives are recorded in object space and placed by transform().
class MPxDrawOverride
{
public:
    typedef void (*GeometryDrawOverrideCb)(const MDrawContext& context, const MUserData* data);

    MPxDrawOverride(const MObject& obj, GeometryDrawOverrideCb callback, bool isAlwaysDirty = true);
    virtual ~MPxDrawOverride();
    MPxDrawOverride(const MPxDrawOverride&) = delete;
    MPxDrawOverride& operator=(const MPxDrawOverride&) = delete;

    /// Default kOpenGL (the legacy device), as in Maya.
    virtual DrawAPI supportedDrawAPIs() const;
    /// Default false.
    virtual bool isBounded(const MDagPath& objPath, const MDagPath& cameraPath) const;
    /// Default: the object's world matrix (objPath.inclusiveMatrix()).
    virtual MMatrix transform(const MDagPath& objPath, const MDagPath& cameraPath) const;
    /// Object-space bounds, used when isBounded(). Default: an empty box.
    virtual MBoundingBox boundingBox(const MDagPath& objPath, const MDagPath& cameraPath) const;
    /// Default false: addUIDrawables is not called.
    virtual bool hasUIDrawables() const;
    virtual bool disableInternalBoundingBoxDraw() const;
    /// Default true.
    virtual bool excludedFromPostEffects() const;
    virtual bool isTransparent() const;
    virtual MUserData* prepareForDraw(const MDagPath& objPath, const MDagPath& cameraPath,
                                      const MFrameContext& frameContext, MUserData* oldData) = 0;
    virtual void addUIDrawables(const MDagPath& objPath, MUIDrawManager& drawManager,
                                const MFrameContext& frameContext, const MUserData* data);
    /// When true, the host calls handleTraceMessage with the name of each
    /// call it is about to make ("prepareForDraw", "addUIDrawables").
    virtual bool traceCallSequence() const;
    virtual void handleTraceMessage(const MString& message) const;
    virtual bool wantUserSelection() const;

    /// Host code.
    bool IsAlwaysDirty() const { return fAlwaysDirty; }
    GeometryDrawOverrideCb DrawCallback() const { return fCallback; }

private:
    MObject fObject;
    GeometryDrawOverrideCb fCallback;
    bool fAlwaysDirty;
};
} // namespace MHWRender

OPENMAYA_NAMESPACE_CLOSE
