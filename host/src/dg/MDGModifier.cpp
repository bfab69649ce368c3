// Queued connections and disconnections. Each operation remembers whether
// it is in effect, so doIt after a partial failure (or after undoIt) does
// only what is still missing, and undoIt takes back only what was done.

#include <maya/MDGModifier.h>

#include "Scene.h"

namespace
{
MStatus CheckPlugs(const MPlug& source, const MPlug& dest)
{
    if (source.isNull() || dest.isNull())
        return MStatus(MStatus::kInvalidParameter, "a connection needs two plugs");
    return MStatus::kSuccess;
}

MStatus Apply(bool connect, const MPlug& source, const MPlug& dest)
{
    // Never forced: a destination fed by some other source is a failure the
    // command has to hear about, not a connection to break silently.
    return connect ? vxhost::Scene::Get().Connect(source, dest, false)
                   : vxhost::Scene::Get().Disconnect(source, dest);
}
} // namespace

MStatus MDGModifier::connect(const MPlug& source, const MPlug& dest)
{
    if (const MStatus status = CheckPlugs(source, dest); !status)
        return status;
    for (const Operation& op : fOperations)
        if (op.connect && op.source == source && op.destination == dest)
            return MStatus::kSuccess;
    Operation op;
    op.connect = true;
    op.source = source;
    op.destination = dest;
    fOperations.push_back(op);
    return MStatus::kSuccess;
}

MStatus MDGModifier::connect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                             const MObject& destAttr)
{
    return connect(MPlug(sourceNode, sourceAttr), MPlug(destNode, destAttr));
}

MStatus MDGModifier::disconnect(const MPlug& source, const MPlug& dest)
{
    if (const MStatus status = CheckPlugs(source, dest); !status)
        return status;
    for (const Operation& op : fOperations)
        if (!op.connect && op.source == source && op.destination == dest)
            return MStatus::kSuccess;
    Operation op;
    op.connect = false;
    op.source = source;
    op.destination = dest;
    fOperations.push_back(op);
    return MStatus::kSuccess;
}

MStatus MDGModifier::disconnect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                                const MObject& destAttr)
{
    return disconnect(MPlug(sourceNode, sourceAttr), MPlug(destNode, destAttr));
}

MStatus MDGModifier::doIt()
{
    for (Operation& op : fOperations)
    {
        if (op.done)
            continue;
        const MStatus status = Apply(op.connect, op.source, op.destination);
        if (!status)
            return status;
        op.done = true;
    }
    return MStatus::kSuccess;
}

MStatus MDGModifier::undoIt()
{
    for (auto it = fOperations.rbegin(); it != fOperations.rend(); ++it)
    {
        if (!it->done)
            continue;
        // Stops at the first failure: reverting older operations while a
        // newer one stays in effect could leave a state no doIt produced.
        const MStatus status = Apply(!it->connect, it->source, it->destination);
        if (!status)
            return status;
        it->done = false;
    }
    return MStatus::kSuccess;
}
