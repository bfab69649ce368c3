#include "DrawOverrides.h"

#include "Cameras.h"
#include "dg/Scene.h"

#include <maya/MDrawContext.h>
#include <maya/MFrameContext.h>
#include <maya/MGlobal.h>
#include <maya/MHWGeometryUtilities.h>
#include <maya/MUIDrawManager.h>

using namespace MHWRender;

namespace vxhost
{
DrawOverrides& DrawOverrides::Get()
{
    static DrawOverrides overrides;
    return overrides;
}

MStatus DrawOverrides::Register(const std::string& classification, const std::string& registrantId,
                                MDrawRegistry::DrawOverrideCreator creator)
{
    if (classification.empty() || registrantId.empty() || !creator)
        return MStatus(MStatus::kInvalidParameter,
                       "a draw override needs a classification, a registrant id and a creator");
    if (fCreators.count(classification))
        return MStatus(MStatus::kFailure,
                       MString("a draw override is already registered for ") + classification.c_str());
    fCreators[classification] = Creator{registrantId, creator};
    return MStatus::kSuccess;
}

MStatus DrawOverrides::Deregister(const std::string& classification, const std::string& registrantId)
{
    const auto it = fCreators.find(classification);
    if (it == fCreators.end() || it->second.registrantId != registrantId)
        return MStatus(MStatus::kFailure, MString("no draw override is registered for ") +
                                              classification.c_str() + " by " + registrantId.c_str());
    for (auto i = fInstances.begin(); i != fInstances.end();)
    {
        if (i->second.classification == classification)
        {
            Destroy(i->second);
            i = fInstances.erase(i);
        }
        else
            ++i;
    }
    fCreators.erase(it);
    return MStatus::kSuccess;
}

std::string DrawOverrides::ClassificationOf(const NodeClass& nodeClass) const
{
    const std::string& all = nodeClass.classification;
    for (std::size_t start = 0; start <= all.size();)
    {
        std::size_t end = all.find(':', start);
        if (end == std::string::npos)
            end = all.size();
        const std::string entry = all.substr(start, end - start);
        if (!entry.empty() && fCreators.count(entry))
            return entry;
        start = end + 1;
    }
    return std::string();
}

void DrawOverrides::Destroy(Instance& instance)
{
    // Both belong to the plug-in: the data first, as the override may be
    // what knows how to read it.
    delete instance.data;
    instance.data = nullptr;
    instance.drawOverride.reset();
}

MPxDrawOverride* DrawOverrides::OverrideFor(Node& node)
{
    if (const auto it = fInstances.find(&node); it != fInstances.end())
        return it->second.drawOverride.get();
    const std::string classification = ClassificationOf(*node.cls);
    if (classification.empty())
        return nullptr;
    if (!fWatchingScene)
    {
        Scene::Get().OnDelete([this](Node& deleted) { Forget(deleted); });
        fWatchingScene = true;
    }
    MPxDrawOverride* made = fCreators.at(classification).creator(node.Object());
    if (!made)
        return nullptr;
    Instance& instance = fInstances[&node];
    instance.classification = classification;
    instance.drawOverride.reset(made);
    return made;
}

bool DrawOverrides::Draw(Node& node, const MDagPath& camera, const ViewState& view,
                         MUIDrawManager& drawManager, MMatrix& world)
{
    MPxDrawOverride* drawOverride = OverrideFor(node);
    if (!drawOverride || !(drawOverride->supportedDrawAPIs() & kOpenGLCoreProfile))
        return false;
    MDagPath path;
    if (!MDagPath::getAPathTo(node.Object(), path))
        return false;
    Instance& instance = fInstances.at(&node);
    const bool trace = drawOverride->traceCallSequence();
    world = drawOverride->transform(path, camera);
    const MFrameContext context(view, world);

    const std::uint64_t generation = Scene::Get().Generation();
    if (drawOverride->IsAlwaysDirty() || !instance.data || instance.preparedAt != generation)
    {
        if (trace)
            drawOverride->handleTraceMessage("prepareForDraw");
        MUserData* prepared = drawOverride->prepareForDraw(path, camera, context, instance.data);
        // Data the override did not hand back is the host's to delete.
        if (prepared != instance.data)
            delete instance.data;
        instance.data = prepared;
        instance.preparedAt = Scene::Get().Generation();
    }
    if (drawOverride->hasUIDrawables())
    {
        if (trace)
            drawOverride->handleTraceMessage("addUIDrawables");
        drawOverride->addUIDrawables(path, drawManager, context, instance.data);
    }
    if (const auto callback = drawOverride->DrawCallback())
    {
        if (trace)
            drawOverride->handleTraceMessage("draw");
        callback(MDrawContext(view, world), instance.data);
    }
    if (instance.data && instance.data->deleteAfterUse())
    {
        delete instance.data;
        instance.data = nullptr;
    }
    return true;
}

bool DrawOverrides::WorldBounds(Node& node, const MDagPath& camera, MBoundingBox& out, MMatrix& world)
{
    MPxDrawOverride* drawOverride = OverrideFor(node);
    MDagPath path;
    if (!drawOverride || !MDagPath::getAPathTo(node.Object(), path) || !drawOverride->isBounded(path, camera))
        return false;
    world = drawOverride->transform(path, camera);
    out = drawOverride->boundingBox(path, camera);
    out.transformUsing(world);
    return true;
}

void DrawOverrides::Forget(const Node& node)
{
    if (const auto it = fInstances.find(&node); it != fInstances.end())
    {
        Destroy(it->second);
        fInstances.erase(it);
    }
}
} // namespace vxhost

// The registry and the override's defaults -------------------------------------------

OPENMAYA_MAJOR_NAMESPACE_OPEN
namespace MHWRender
{
MStatus MDrawRegistry::registerDrawOverrideCreator(const MString& drawClassification,
                                                   const MString& registrantId,
                                                   DrawOverrideCreator creatorFunction)
{
    return vxhost::DrawOverrides::Get().Register(drawClassification.asChar(), registrantId.asChar(),
                                                 creatorFunction);
}

MStatus MDrawRegistry::deregisterDrawOverrideCreator(const MString& drawClassification,
                                                     const MString& registrantId)
{
    return vxhost::DrawOverrides::Get().Deregister(drawClassification.asChar(), registrantId.asChar());
}

MPxDrawOverride::MPxDrawOverride(const MObject& obj, GeometryDrawOverrideCb callback, bool isAlwaysDirty)
    : fObject(obj), fCallback(callback), fAlwaysDirty(isAlwaysDirty)
{
}

MPxDrawOverride::~MPxDrawOverride() = default;

DrawAPI MPxDrawOverride::supportedDrawAPIs() const
{
    return kOpenGL;
}

bool MPxDrawOverride::isBounded(const MDagPath&, const MDagPath&) const
{
    return false;
}

MMatrix MPxDrawOverride::transform(const MDagPath& objPath, const MDagPath&) const
{
    return objPath.inclusiveMatrix();
}

MBoundingBox MPxDrawOverride::boundingBox(const MDagPath&, const MDagPath&) const
{
    return MBoundingBox();
}

bool MPxDrawOverride::hasUIDrawables() const
{
    return false;
}

bool MPxDrawOverride::disableInternalBoundingBoxDraw() const
{
    return false;
}

bool MPxDrawOverride::excludedFromPostEffects() const
{
    return true;
}

bool MPxDrawOverride::isTransparent() const
{
    return false;
}

void MPxDrawOverride::addUIDrawables(const MDagPath&, MUIDrawManager&, const MFrameContext&, const MUserData*)
{
}

bool MPxDrawOverride::traceCallSequence() const
{
    return false;
}

void MPxDrawOverride::handleTraceMessage(const MString& message) const
{
    MGlobal::displayInfo(MString("MPxDrawOverride: ") + message);
}

bool MPxDrawOverride::wantUserSelection() const
{
    return false;
}
} // namespace MHWRender
OPENMAYA_NAMESPACE_CLOSE
