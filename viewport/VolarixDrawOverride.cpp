#include "VolarixDrawOverride.h"

#include "NodeBounds.h"
#include "StatusColour.h"

#include <maya/MPoint.h>
#include <maya/MUIDrawManager.h>

using MHWRender::MUIDrawManager;

namespace
{
// Everything is drawn as UI drawables; the geometry callback has no work.
void DrawNothing(const MHWRender::MDrawContext&, const MUserData*)
{
}
} // namespace

const char* const VolarixDrawOverride::registrantId = "QF_ParticleVolarixNode";

VolarixDrawOverride::VolarixDrawOverride(const MObject& obj) : MPxDrawOverride(obj, DrawNothing, true)
{
}

MHWRender::MPxDrawOverride* VolarixDrawOverride::creator(const MObject& obj)
{
    return new VolarixDrawOverride(obj);
}

MHWRender::DrawAPI VolarixDrawOverride::supportedDrawAPIs() const
{
    return MHWRender::kAllDevices;
}

bool VolarixDrawOverride::isBounded(const MDagPath&, const MDagPath&) const
{
    return true;
}

MBoundingBox VolarixDrawOverride::boundingBox(const MDagPath& objPath, const MDagPath&) const
{
    return NodeBounds(objPath);
}

bool VolarixDrawOverride::hasUIDrawables() const
{
    return true;
}

MUserData* VolarixDrawOverride::prepareForDraw(const MDagPath& objPath, const MDagPath&,
                                               const MHWRender::MFrameContext&, MUserData* oldData)
{
    auto* data = dynamic_cast<VolarixDrawData*>(oldData);
    if (!data)
        data = new VolarixDrawData();
    data->colour = StatusColour(objPath, kDormantColourIndex, kLeadColourIndex);
    return data;
}

void VolarixDrawOverride::addUIDrawables(const MDagPath&, MUIDrawManager& drawManager,
                                         const MHWRender::MFrameContext&, const MUserData* data)
{
    const auto* drawData = dynamic_cast<const VolarixDrawData*>(data);
    if (!drawData)
        return;
    drawManager.beginDrawable(MUIDrawManager::kAutomatic, 0);
    drawManager.setColor(drawData->colour);
    drawManager.setDepthPriority(5);
    drawManager.icon(MPoint(0.0, 0.0, 0.0, 1.0), "TURBULENCE_FIELD", 1.0f);
    drawManager.endDrawable();
}
