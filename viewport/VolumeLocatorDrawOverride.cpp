#include "VolumeLocatorDrawOverride.h"

#include "CirclePoints.h"
#include "NodeBounds.h"
#include "StatusColour.h"
#include "VolumeLocatorNode.h"

#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MUIDrawManager.h>

using circlepoints::Axis;
using MHWRender::MUIDrawManager;

namespace
{
constexpr int kSphere = 0;
constexpr int kCapsule = 1;
constexpr int kBox = 2;
constexpr int kCurve = 3;

// Everything is drawn as UI drawables; the geometry callback has no work.
void DrawNothing(const MHWRender::MDrawContext&, const MUserData*)
{
}

/// The volume locator behind a path (a locator of any of the plug-in's
/// kinds), or null.
const VolumeLocatorNode* LocatorOf(const MDagPath& path)
{
    MStatus status;
    const MObject node = path.node(&status);
    if (!status)
        return nullptr;
    const MFnDagNode dagFn(node, &status);
    if (!status)
        return nullptr;
    return dynamic_cast<const VolumeLocatorNode*>(dagFn.userNode());
}

/// The locator's own plug `name`.
MPlug OwnPlug(const VolumeLocatorNode& locator, const char* name, MStatus& status)
{
    const MFnDependencyNode fn(locator.thisMObject(), &status);
    if (!status)
        return MPlug();
    return fn.findPlug(name, false, &status);
}

/// A boolean attribute; `fallback` when it cannot be read.
bool ReadBool(const VolumeLocatorNode& locator, const char* name, bool fallback)
{
    MStatus status;
    const MPlug plug = OwnPlug(locator, name, status);
    if (!status)
        return fallback;
    const bool value = plug.asBool(&status);
    return status ? value : fallback;
}

/// An integer attribute; `fallback` when it cannot be read.
int ReadInt(const VolumeLocatorNode& locator, const char* name, int fallback)
{
    MStatus status;
    const MPlug plug = OwnPlug(locator, name, status);
    if (!status)
        return fallback;
    const int value = plug.asInt(&status);
    return status ? value : fallback;
}

/// The three unit segments along the axes, appended to outlines 6 to 8.
void AppendCentreMarker(VolumeLocatorData& data)
{
    MPointArray* marker = data.outlines + VolumeLocatorData::kFirstMarkerOutline;
    marker[0].append(0.0, 0.0, 1.0);
    marker[0].append(0.0, 0.0, -1.0);
    marker[1].append(0.0, 1.0, 0.0);
    marker[1].append(0.0, -1.0, 0.0);
    marker[2].append(1.0, 0.0, 0.0);
    marker[2].append(-1.0, 0.0, 0.0);
}

/// A capsule's side view: the circle of radius w split at its equator, the
/// upper half raised and the lower half lowered by h/2. `inYZ` picks the
/// y-z plane (split by the sign of y) or the x-y plane (split by the sign of
/// the circle's second coordinate, which is y there too).
void AppendCapsuleProfile(bool inYZ, double w, double h, MPointArray& outPoints)
{
    for (int k = 0; k < circlepoints::kCount; ++k)
    {
        const double a = circlepoints::Angle(k);
        const double c = w * std::cos(a);
        const double s = w * std::sin(a);
        if (inYZ)
            outPoints.append(0.0, c + (c > 0.0 ? 0.5 : -0.5) * h, s);
        else
            outPoints.append(c, s + (s > 0.0 ? 0.5 : -0.5) * h, 0.0);
    }
}

/// The six faces of a box of full sizes w, h, d around the origin, facing
/// +x, -x, +y, -y, +z and -z, into outlines 0 to 5.
void AppendBoxFaces(double w, double h, double d, MPointArray* outFaces)
{
    const double x = 0.5 * w, y = 0.5 * h, z = 0.5 * d;
    for (const double sx : {x, -x})
    {
        MPointArray& face = *outFaces++;
        face.append(sx, y, z);
        face.append(sx, y, -z);
        face.append(sx, -y, -z);
        face.append(sx, -y, z);
    }
    for (const double sy : {y, -y})
    {
        MPointArray& face = *outFaces++;
        face.append(x, sy, z);
        face.append(x, sy, -z);
        face.append(-x, sy, -z);
        face.append(-x, sy, z);
    }
    for (const double sz : {z, -z})
    {
        MPointArray& face = *outFaces++;
        face.append(x, y, sz);
        face.append(x, -y, sz);
        face.append(-x, -y, sz);
        face.append(-x, y, sz);
    }
}

/// The tube's samples: the curve's point and tangent at each sample's
/// parameter, its radius and whether it is a key. The first failing host
/// call stops the filling and leaves what was filled so far.
void FillCurveSamples(const VolumeLocatorNode& locator, VolumeLocatorData& data)
{
    MStatus status;
    const MPlug curveDataPlug = OwnPlug(locator, "curveData", status);
    if (!status)
        return;
    const MObject samplesObject = curveDataPlug.asMObject(&status);
    if (!status)
        return;
    MFnPointArrayData samplesFn(samplesObject, &status);
    if (!status)
        return;
    const MPointArray samples = samplesFn.array(&status);
    if (!status)
        return;
    MObject curve;
    if (!VolumeLocatorNode::GetAttachedCurve(locator.thisMObject(), curve))
        return;
    const MFnNurbsCurve curveFn(curve, &status);
    if (!status)
        return;

    for (unsigned int i = 0; i < samples.length(); ++i)
    {
        const MPoint& sample = samples[i];
        MPoint point;
        if (!curveFn.getPointAtParam(sample.x, point, MSpace::kObject))
            return;
        const MVector tangent = curveFn.tangent(sample.x, MSpace::kObject, &status);
        if (!status)
            return;
        data.curvePoints.append(point);
        data.curveTangents.append(tangent);
        data.curveRadii.append(sample.y);
        data.curveKeyFlags.append(sample.z > 0.0 ? 1 : 0);
    }
}

/// The wireframe of a sphere, capsule or box; false when the shape cannot
/// be drawn (a size it needs is not above 0), so the marker stands in.
bool AppendShape(int volumeType, double w, double h, double d, VolumeLocatorData& data)
{
    switch (volumeType)
    {
    case kSphere:
        if (!(w > 0.0))
            return false;
        circlepoints::AppendCircle(Axis::kX, w, 0.0, data.outlines[0]);
        circlepoints::AppendCircle(Axis::kY, w, 0.0, data.outlines[1]);
        circlepoints::AppendCircle(Axis::kZ, w, 0.0, data.outlines[2]);
        return true;
    case kCapsule:
        if (!(w > 0.0))
            return false;
        circlepoints::AppendCircle(Axis::kY, w, 0.5 * h, data.outlines[0]);
        circlepoints::AppendCircle(Axis::kY, w, -0.5 * h, data.outlines[1]);
        AppendCapsuleProfile(true, w, h, data.outlines[2]);
        AppendCapsuleProfile(false, w, h, data.outlines[3]);
        return true;
    case kBox:
        if (!(w > 0.0 && h > 0.0 && d > 0.0))
            return false;
        AppendBoxFaces(w, h, d, data.outlines);
        return true;
    default:
        return false;
    }
}

MColor Faint(const MColor& colour)
{
    return MColor(colour.r, colour.g, colour.b, VolumeLocatorDrawOverride::kFaintAlpha);
}

/// The tube: one ring per sample (in-between rings faint, or left out when
/// the locator says so) and a faint line out of each end along the curve.
void DrawTube(const VolumeLocatorData& data, MUIDrawManager& drawManager)
{
    if (!data.drawCurveIntervalsRead)
        return;
    const bool drawIntervals = data.drawCurveIntervals;
    const unsigned int count = data.curvePoints.length();
    if (count == 0)
        return;

    MPointArray ring;
    for (unsigned int i = 0; i < count; ++i)
    {
        const bool key = data.curveKeyFlags[i] != 0;
        if (!key && !drawIntervals)
            continue;
        drawManager.setColor(key ? data.colour : Faint(data.colour));
        ring.clear();
        circlepoints::AppendOrientedCircle(data.curvePoints[i], data.curveTangents[i], data.curveRadii[i],
                                           ring);
        drawManager.mesh(MUIDrawManager::kClosedLine, ring);
    }

    // The ends continue the curve's direction by one radius: backwards out
    // of the first sample, forwards out of the last.
    drawManager.setColor(Faint(data.colour));
    const unsigned int ends[] = {0, count - 1};
    const double signs[] = {-1.0, 1.0};
    MPointArray line;
    for (int e = 0; e < 2; ++e)
    {
        const unsigned int i = ends[e];
        line.clear();
        line.append(data.curvePoints[i]);
        line.append(data.curvePoints[i] + data.curveTangents[i].normal() * (signs[e] * data.curveRadii[i]));
        drawManager.mesh(MUIDrawManager::kLines, line);
    }
}
} // namespace

void VolumeLocatorData::Clear()
{
    for (MPointArray& outline : outlines)
        outline.clear();
    curvePoints.clear();
    curveTangents.clear();
    curveRadii.clear();
    curveKeyFlags.clear();
    drawCurveIntervalsRead = false;
}

VolumeLocatorDrawOverride::VolumeLocatorDrawOverride(const MObject& obj)
    : MPxDrawOverride(obj, DrawNothing, true)
{
}

MHWRender::MPxDrawOverride* VolumeLocatorDrawOverride::creator(const MObject& obj)
{
    return new VolumeLocatorDrawOverride(obj);
}

MHWRender::DrawAPI VolumeLocatorDrawOverride::supportedDrawAPIs() const
{
    return MHWRender::kAllDevices;
}

bool VolumeLocatorDrawOverride::isBounded(const MDagPath&, const MDagPath&) const
{
    return true;
}

MBoundingBox VolumeLocatorDrawOverride::boundingBox(const MDagPath& objPath, const MDagPath&) const
{
    return NodeBounds(objPath);
}

bool VolumeLocatorDrawOverride::hasUIDrawables() const
{
    return true;
}

MUserData* VolumeLocatorDrawOverride::prepareForDraw(const MDagPath& objPath, const MDagPath&,
                                                     const MHWRender::MFrameContext&, MUserData* oldData)
{
    auto* data = dynamic_cast<VolumeLocatorData*>(oldData);
    if (!data)
        data = new VolumeLocatorData();
    data->Clear();

    const VolumeLocatorNode* locator = LocatorOf(objPath);
    if (!locator)
        return data;
    MStatus status;
    const int volumeType = locator->GetVolumeType(&status);
    if (!status)
        return data;
    data->volumeType = volumeType;
    const double w = locator->GetDoubleAttribute("width");
    const double h = locator->GetDoubleAttribute("height");
    const double d = locator->GetDoubleAttribute("depth");
    const bool drawShape =
        ReadBool(*locator, "drawVolume", false) && ReadBool(*locator, "drawVolumeOverride", false);

    if (ReadBool(*locator, "drawCentre", false))
        AppendCentreMarker(*data);
    if (volumeType == kCurve)
    {
        data->drawCurveIntervals = locator->GetDrawCurveVolumeIntervals(&status);
        data->drawCurveIntervalsRead = static_cast<bool>(status);
        if (!status)
            MGlobal::displayError(
                "couldn't get drawCurveVolumeIntervals value from volumeLocatorNode. Rendering aborted...");
        if (drawShape)
            FillCurveSamples(*locator, *data);
    }
    else if (volumeType == kSphere || volumeType == kCapsule || volumeType == kBox)
    {
        // A shape that cannot be drawn still shows where the locator is.
        if (!drawShape || !AppendShape(volumeType, w, h, d, *data))
            AppendCentreMarker(*data);
    }

    const int dormantIndex = ReadInt(*locator, "dormantViewportColour", kFallbackDormantColour);
    data->colour = StatusColour(objPath, static_cast<unsigned int>(dormantIndex),
                                static_cast<unsigned int>(locator->leadColourIndex));
    return data;
}

void VolumeLocatorDrawOverride::addUIDrawables(const MDagPath&, MUIDrawManager& drawManager,
                                               const MHWRender::MFrameContext&, const MUserData* data)
{
    const auto* drawData = dynamic_cast<const VolumeLocatorData*>(data);
    if (!drawData)
        return;
    drawManager.beginDrawable(MUIDrawManager::kAutomatic, 0);
    drawManager.setColor(drawData->colour);
    drawManager.setDepthPriority(5);

    if (drawData->volumeType == kCurve)
    {
        DrawTube(*drawData, drawManager);
        drawManager.endDrawable();
        return;
    }

    const bool capsuleOrBox = drawData->volumeType == kCapsule || drawData->volumeType == kBox;
    const unsigned int shapeOutlines = drawData->volumeType == kBox ? 6 : capsuleOrBox ? 4 : 3;
    for (unsigned int i = 0; i < shapeOutlines; ++i)
        drawManager.mesh(MUIDrawManager::kClosedLine, drawData->outlines[i]);
    if (drawData->outlines[VolumeLocatorData::kFirstMarkerOutline].length() > 0)
        for (unsigned int i = VolumeLocatorData::kFirstMarkerOutline; i < VolumeLocatorData::kOutlineCount;
             ++i)
            drawManager.mesh(MUIDrawManager::kClosedLine, drawData->outlines[i]);
    drawManager.endDrawable();
}
