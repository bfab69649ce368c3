#pragma once
/// \file MFnPlugin.h
/// Registration of a plug-in's node types and commands.

#include <maya/MFnBase.h>
#include <maya/MPxNode.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MPxCommand;
class MSyntax;
using MCreatorFunction = void* (*)();
using MInitializeFunction = MStatus (*)();
using MCreateSyntaxFunction = MSyntax (*)();

/// Given to initializePlugin and uninitializePlugin; every registration
/// goes into the host's registries and is undone by the matching
/// deregistration. A name or id already taken fails with kFailure.
class MFnPlugin : public MFnBase
{
public:
    MFnPlugin() = default;
    MFnPlugin(MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
              const char* requiredApiVersion = "Any", MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kBase; }

    MString vendor(MStatus* ReturnStatus = nullptr) const;
    MString version(MStatus* ReturnStatus = nullptr) const;
    MString apiVersion(MStatus* ReturnStatus = nullptr) const;
    MString name(MStatus* ReturnStatus = nullptr) const;

    /// Registers a node type: creator makes its MPxNode, initialize makes
    /// its attributes (MPxNode::addAttribute and friends act on this type
    /// while it runs).
    MStatus registerNode(const MString& typeName, const MTypeId& typeId, MCreatorFunction creatorFunction,
                         MInitializeFunction initFunction, MPxNode::Type type = MPxNode::kDependNode,
                         const MString* classification = nullptr);
    /// Fails when nodes of the type still exist.
    MStatus deregisterNode(const MTypeId& typeId);
    MStatus registerCommand(const MString& commandName, MCreatorFunction creatorFunction,
                            MCreateSyntaxFunction createSyntaxFunction = nullptr);
    MStatus deregisterCommand(const MString& commandName);

private:
    MString fVendor;
    MString fVersion;
    MString fApiVersion;
};

OPENMAYA_NAMESPACE_CLOSE

// The exported version string and signature, in the file that includes this.
#include <maya/MApiVersion.h>
