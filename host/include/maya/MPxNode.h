#pragma once
/// \file MPxNode.h
/// The base of every node type, built in or from a plug-in.

#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

namespace vxhost
{
class Node;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// A node's behaviour. The host creates it through the creator registered
/// with the type, gives it its node, then calls postConstructor. The static
/// functions work on the node type being initialised: call them from the
/// initialize function registered with the type.
class MPxNode
{
public:
    enum Type
    {
        kDependNode,
        kLocatorNode,
        kDeformerNode,
        kManipContainer,
        kSurfaceShape,
        kFieldNode,
        kEmitterNode,
        kSpringNode,
        kIkSolverNode,
        kHardwareShader,
        kHwShaderNode,
        kTransformNode,
        kObjectSet,
        kFluidEmitterNode,
        kImagePlaneNode,
        kParticleAttributeMapperNode,
        kCameraSetNode,
        kConstraintNode,
        kManipulatorNode,
        kMotionPathNode,
        kClientDeviceNode,
        kThreadedDeviceNode,
        kAssembly,
        kSkinCluster,
        kGeometryFilter,
        kBlendShape,
        kLast
    };

    MPxNode() = default;
    virtual ~MPxNode() = default;
    MPxNode(const MPxNode&) = delete;
    MPxNode& operator=(const MPxNode&) = delete;

    /// Computes plug from the data block. The default knows no plug:
    /// kUnknownParameter.
    virtual MStatus compute(const MPlug& plug, MDataBlock& dataBlock);
    virtual void postConstructor() {}
    virtual Type type() const { return kDependNode; }

    MObject thisMObject() const;
    MString name() const;
    MTypeId typeId() const;
    MString typeName() const;

    static MStatus addAttribute(const MObject& attribute);
    static MStatus attributeAffects(const MObject& whenChanges, const MObject& isAffected);
    static MStatus inheritAttributesFrom(const MString& parentClassName);

    // Attributes every node has.
    static MObject message;
    static MObject isHistoricallyInteresting;
    static MObject caching;
    static MObject state;
    static MObject frozen;

    /// Host code: ties this object to its node.
    void SetHostNode(vxhost::Node* node) { fHostNode = node; }
    vxhost::Node* HostNode() const { return fHostNode; }

private:
    vxhost::Node* fHostNode = nullptr;
};

#ifdef VXHOST_INTERNAL
// Plug-ins get these from MFnPlugin.h, as in Maya.
using MCreatorFunction = void* (*)();
using MInitializeFunction = MStatus (*)();
#endif

OPENMAYA_NAMESPACE_CLOSE
