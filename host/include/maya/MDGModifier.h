#pragma once
/// \file MDGModifier.h
/// Queued changes to the graph that can be done, undone and redone.

#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>

#include <vector>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// connect and disconnect queue an operation (queueing one identical to an
/// operation already queued adds nothing). doIt performs, in queue order,
/// every queued operation that is not in effect; undoIt reverts the ones in
/// effect, newest first. A failing operation stops doIt with its status;
/// those before it stay done.
class MDGModifier
{
public:
    MDGModifier() = default;
    virtual ~MDGModifier() = default;

    MStatus connect(const MPlug& source, const MPlug& dest);
    MStatus connect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                    const MObject& destAttr);
    MStatus disconnect(const MPlug& source, const MPlug& dest);
    MStatus disconnect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                       const MObject& destAttr);
    MStatus doIt();
    MStatus undoIt();

private:
    struct Operation
    {
        bool connect = true;
        MPlug source;
        MPlug destination;
        bool done = false;
        /// For a connection that replaced another (force), the one it
        /// replaced, restored by undo.
        MPlug replacedSource;
    };
    std::vector<Operation> fOperations;
};

OPENMAYA_NAMESPACE_CLOSE
