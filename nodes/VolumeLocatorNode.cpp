// The volume locator: its attribute schema, the curve samples it computes
// and the bounds it gives the viewport.

#include "VolumeLocatorNode.h"

#include "AttributeLimits.h"

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

const MTypeId VolumeLocatorNode::id(0x123B41);
const char* const VolumeLocatorNode::typeName = "QF_VX_volumeLocatorNode";
const char* const VolumeLocatorNode::classification = "drawdb/geometry/QF_VX_volumeLocatorNode";

MObject VolumeLocatorNode::mVolumeType;
MObject VolumeLocatorNode::mWidth;
MObject VolumeLocatorNode::mHeight;
MObject VolumeLocatorNode::mDepth;
MObject VolumeLocatorNode::mCurveData;
MObject VolumeLocatorNode::mCurveRadiiCache;
MObject VolumeLocatorNode::mAttachedCurve;
MObject VolumeLocatorNode::mDrawVolume;
MObject VolumeLocatorNode::mDrawVolumeOverride;
MObject VolumeLocatorNode::mDrawCentre;
MObject VolumeLocatorNode::mDrawCurveVolumeIntervals;
MObject VolumeLocatorNode::mCurveVolumeResolution;
MObject VolumeLocatorNode::mCurveRadiusScale;
MObject VolumeLocatorNode::mCurveVolumeIntervalSpacing;
MObject VolumeLocatorNode::mDormantViewportColour;

namespace
{
constexpr const char* kErrorCreating = "Error creating attribute: ";

/// The attribute's own minimum. A connection can deliver less, and a
/// spacing of 0 would ask for endless samples.
constexpr double kMinimumIntervalSpacing = 0.1;

/// Hard maximum of curveVolumeResolution: radius keys are set one by one,
/// by hand or with the manipulators, so a thousand is far more than a curve
/// needs, and each key costs samples and draw work.
constexpr int kMaximumCurveVolumeResolution = 1000;

/// The most samples curveData holds, whatever the curve's length and the
/// spacing: past it the samples spread further apart instead.
constexpr double kMaximumCurveSamples = 1e6;

/// Radius of a key the locator has no element for: the elements' default.
constexpr double kMissingRadiusKey = 1.0;

/// Hard and soft limits; unset ones are not given to the host.
using Limits = AttributeLimits;

/// Set by name: Flags().Keyable(true).Hidden(true).
struct Flags
{
    std::optional<bool> keyable = {}; ///< unset: the host's default
    bool hidden = false;
    bool array = false;

    Flags& Keyable(bool value)
    {
        keyable = value;
        return *this;
    }
    Flags& Hidden(bool value)
    {
        hidden = value;
        return *this;
    }
    Flags& Array(bool value)
    {
        array = value;
        return *this;
    }
};

bool Reported(const MStatus& status, const MString& context)
{
    if (status)
        return false;
    MGlobal::displayError(context + status.errorString());
    return true;
}

// Limit and flag statuses are not tested: a limit or flag the host refuses
// leaves the attribute usable, only less constrained.
template <typename Fn> void Apply(Fn& fn, const Limits& limits, const Flags& flags)
{
    limits.ApplyTo(fn);
    if (flags.keyable)
        fn.setKeyable(*flags.keyable);
    if (flags.hidden)
        fn.setHidden(true);
    if (flags.array)
        fn.setArray(true);
}

bool CreateNumeric(MObject& out, const char* name, const char* shortName, MFnNumericData::Type type,
                   double value, const Limits& limits, const Flags& flags)
{
    MFnNumericAttribute fn;
    MStatus status;
    out = fn.create(name, shortName, type, value, &status);
    if (Reported(status, MString(kErrorCreating) + name))
        return false;
    Apply(fn, limits, flags);
    return true;
}

/// A distance; value and limits in centimetres.
bool CreateDistance(MObject& out, const char* name, const char* shortName, double value, const Limits& limits,
                    const Flags& flags)
{
    MFnUnitAttribute fn;
    MStatus status;
    out = fn.create(name, shortName, MFnUnitAttribute::kDistance, value, &status);
    if (Reported(status, MString(kErrorCreating) + name))
        return false;
    Apply(fn, limits, flags);
    return true;
}

bool CreateVolumeType(MObject& out)
{
    MFnEnumAttribute fn;
    MStatus status;
    out = fn.create("volumeType", "vt", 0, &status);
    if (Reported(status, MString(kErrorCreating) + "volumeType"))
        return false;
    fn.addField("Sphere", 0);
    fn.addField("Capsule", 1);
    fn.addField("Box", 2);
    fn.addField("Curve", 3);
    fn.setKeyable(true);
    return true;
}

bool CreateCurveData(MObject& out)
{
    MFnTypedAttribute fn;
    MStatus status;
    out = fn.create("curveData", "cd", MFnData::kPointArray, MObject::kNullObj, &status);
    if (Reported(status, "creating curveData attribute"))
        return false;
    MFnPointArrayData emptySamples;
    const MObject defaultData = emptySamples.create(&status);
    if (Reported(status, "setting default attribute"))
        return false;
    return !Reported(fn.setDefault(defaultData), "setting default attribute");
}

bool CreateAttachedCurve(MObject& out)
{
    MFnTypedAttribute fn;
    MStatus status;
    out = fn.create("attachedCurve", "ac", MFnData::kNurbsCurve, MObject::kNullObj, &status);
    if (Reported(status, "Creating attribute: attachedCurve"))
        return false;
    fn.setHidden(true);
    return true;
}

bool CreateAttributes()
{
    using V = VolumeLocatorNode;
    constexpr auto kBool = MFnNumericData::kBoolean;
    constexpr auto kInt = MFnNumericData::kInt;
    const Limits size = Limits().Min(0.0).SoftMax(50.0);
    const Flags keyable = Flags().Keyable(true);

    return CreateVolumeType(V::mVolumeType) && CreateDistance(V::mWidth, "width", "w", 0.0, size, keyable) &&
           CreateDistance(V::mHeight, "height", "h", 0.0, size, keyable) &&
           CreateDistance(V::mDepth, "depth", "d", 0.0, size, keyable) && CreateCurveData(V::mCurveData) &&
           CreateDistance(V::mCurveRadiiCache, "curveRadiiCache", "crc", kMissingRadiusKey, {},
                          Flags().Keyable(false).Hidden(true).Array(true)) &&
           CreateAttachedCurve(V::mAttachedCurve) &&
           CreateNumeric(V::mDrawVolume, "drawVolume", "dv", kBool, 1.0, {}, keyable) &&
           CreateNumeric(V::mDrawVolumeOverride, "drawVolumeOverride", "dvo", kBool, 1.0, {},
                         Flags().Keyable(true).Hidden(true)) &&
           CreateNumeric(V::mDrawCentre, "drawCentre", "dc", kBool, 1.0, {}, keyable) &&
           CreateNumeric(V::mDrawCurveVolumeIntervals, "drawCurveVolumeIntervals", "dcvi", kBool, 1.0, {},
                         {}) &&
           CreateNumeric(V::mCurveVolumeResolution, "curveVolumeResolution", "cvr", kInt, 2.0,
                         Limits().Min(2.0).Max(kMaximumCurveVolumeResolution).SoftMax(10.0), keyable) &&
           CreateNumeric(V::mCurveRadiusScale, "curveRadiusScale", "crs", MFnNumericData::kDouble, 1.0,
                         Limits().Min(0.01).SoftMin(0.0).SoftMax(30.0), keyable) &&
           CreateDistance(V::mCurveVolumeIntervalSpacing, "curveVolumeIntervalSpacing", "cvrs", 10.0,
                          Limits().Min(kMinimumIntervalSpacing).SoftMin(1.0).SoftMax(30.0), {}) &&
           CreateNumeric(V::mDormantViewportColour, "dormantViewportColour", "dvc", kInt, 6.0, {},
                         Flags().Keyable(false).Hidden(true));
}

bool AddAttributes()
{
    using V = VolumeLocatorNode;
    const std::pair<const MObject*, const char*> attributes[] = {
        {&V::mVolumeType, "volumeType"},
        {&V::mWidth, "width"},
        {&V::mHeight, "height"},
        {&V::mDepth, "depth"},
        {&V::mCurveData, "curveData"},
        {&V::mCurveRadiiCache, "curveRadiiCache"},
        {&V::mAttachedCurve, "attachedCurve"},
        {&V::mDrawVolume, "drawVolume"},
        {&V::mDrawVolumeOverride, "drawVolumeOverride"},
        {&V::mDrawCentre, "drawCentre"},
        {&V::mDrawCurveVolumeIntervals, "drawCurveVolumeIntervals"},
        {&V::mCurveVolumeResolution, "curveVolumeResolution"},
        {&V::mCurveRadiusScale, "curveRadiusScale"},
        {&V::mCurveVolumeIntervalSpacing, "curveVolumeIntervalSpacing"},
        {&V::mDormantViewportColour, "dormantViewportColour"},
    };
    for (const auto& [attribute, name] : attributes)
        if (Reported(MPxNode::addAttribute(*attribute), MString("adding attribute: ") + name))
            return false;
    return true;
}

bool DeclareAffects()
{
    using V = VolumeLocatorNode;
    const MObject* const inputs[] = {&V::mCurveVolumeResolution, &V::mAttachedCurve, &V::mCurveRadiiCache,
                                     &V::mCurveVolumeIntervalSpacing, &V::mCurveRadiusScale};
    for (const MObject* input : inputs)
        if (Reported(MPxNode::attributeAffects(*input, V::mCurveData), "setting attribute affects"))
            return false;
    return true;
}

/// The plug of the node's own attribute `name`.
MPlug OwnPlug(const MObject& node, const MString& name, MStatus& status)
{
    const MFnDependencyNode fn(node, &status);
    if (!status)
        return MPlug();
    return fn.findPlug(name, false, &status);
}

/// The number of samples between two consecutive radius keys when the curve
/// should be cut into about `pieces` pieces: the smallest k for which
/// keys + k (keys - 1) samples are at least `pieces`.
std::int64_t InBetweenSamples(std::int64_t keys, double pieces)
{
    // A NaN or endless count of pieces gets the keys only.
    if (!(pieces > static_cast<double>(keys)) || !std::isfinite(pieces))
        return 0;
    const std::int64_t missing = static_cast<std::int64_t>(pieces) - keys;
    return (missing + keys - 2) / (keys - 1); // rounded up
}
} // namespace

void* VolumeLocatorNode::creator()
{
    return new VolumeLocatorNode();
}

MStatus VolumeLocatorNode::initialize()
{
    if (!CreateAttributes() || !AddAttributes() || !DeclareAffects())
        return MS::kFailure;
    return MS::kSuccess;
}

MStatus VolumeLocatorNode::compute(const MPlug& plug, MDataBlock& block)
{
    if (!(plug == mCurveData))
        return MS::kUnknownParameter;

    MPointArray samples;
    if (!ComputeCurveData(samples))
        return MS::kFailure;

    MStatus status;
    MDataHandle handle = block.outputValue(mCurveData, &status);
    if (Reported(status, "getting output handle: curveData"))
        return MS::kFailure;
    MFnPointArrayData dataFn(handle.data(), &status);
    if (Reported(status, "converting handle to data: curveData"))
        return MS::kFailure;
    if (Reported(dataFn.set(samples), "setting curve data array"))
        return MS::kFailure;
    if (Reported(handle.set(dataFn.object()), "setting data handle: curveData"))
        return MS::kFailure;
    if (Reported(block.setClean(plug), "setting plug to clean"))
        return MS::kFailure;
    return MS::kSuccess;
}

bool VolumeLocatorNode::isBounded() const
{
    return true;
}

MBoundingBox VolumeLocatorNode::boundingBox() const
{
    MBoundingBox box(MPoint(-1.0, -1.0, -1.0), MPoint(1.0, 1.0, 1.0));
    MStatus status;
    const double w = GetDoubleAttribute("width", &status);
    if (!status)
        return box;
    const double h = GetDoubleAttribute("height", &status);
    if (!status)
        return box;
    const double d = GetDoubleAttribute("depth", &status);
    if (!status)
        return box;
    const int volumeType = GetVolumeType(&status);
    if (!status)
        return box;

    switch (volumeType)
    {
    case 0: // sphere: the width is the radius
        box.expand(MPoint(w, w, w));
        box.expand(MPoint(-w, -w, -w));
        break;
    case 1: // capsule along y: the radius plus half the axis
    {
        const double e = w + 0.5 * h;
        box.expand(MPoint(w, e, w));
        box.expand(MPoint(-w, -e, -w));
        break;
    }
    case 2: // box: the sizes are half extents
        box.expand(MPoint(w, h, d));
        box.expand(MPoint(-w, -h, -d));
        break;
    case 3: // tube: the hull of the curve's CVs holds the curve
    {
        MObject curve;
        if (!GetAttachedCurve(thisMObject(), curve))
            break;
        const MFnNurbsCurve curveFn(curve, &status);
        if (!status)
            break;
        MPointArray cvs;
        if (!curveFn.getCVs(cvs, MSpace::kObject))
            break;
        for (unsigned int i = 0; i < cvs.length(); ++i)
            box.expand(cvs[i]);
        break;
    }
    default:
        break;
    }
    return box;
}

bool VolumeLocatorNode::isTransparent() const
{
    return true;
}

double VolumeLocatorNode::GetDoubleAttribute(const MString& name, MStatus* outStatus) const
{
    MStatus status;
    const MPlug plug = OwnPlug(thisMObject(), name, status);
    double value = 0.0;
    if (status)
    {
        value = plug.asDouble(&status);
        if (!status)
            value = 0.0;
    }
    if (outStatus)
        *outStatus = status;
    return value;
}

int VolumeLocatorNode::GetVolumeType(MStatus* outStatus) const
{
    MStatus status;
    const MPlug plug = OwnPlug(thisMObject(), "volumeType", status);
    int value = 5;
    if (status)
    {
        value = plug.asInt(&status);
        if (!status)
            value = 5;
    }
    if (outStatus)
        *outStatus = status;
    return value;
}

bool VolumeLocatorNode::GetDrawCurveVolumeIntervals(MStatus* outStatus) const
{
    MStatus status;
    const MPlug plug = OwnPlug(thisMObject(), "drawCurveVolumeIntervals", status);
    bool value = false;
    if (status)
        value = plug.asBool(&status) && status;
    if (outStatus)
        *outStatus = status;
    return value;
}

MStatus VolumeLocatorNode::GetRadiusKey(unsigned int index, MDistance& outRadius) const
{
    MStatus status;
    const MPlug cache = OwnPlug(thisMObject(), "curveRadiiCache", status);
    if (!status)
        return status;
    const unsigned int existing = cache.numElements(&status);
    if (!status)
        return status;
    if (index >= existing)
    {
        outRadius = MDistance(kMissingRadiusKey, MDistance::kCentimeters);
        return MS::kSuccess;
    }
    const MPlug element = cache.elementByLogicalIndex(index, &status);
    if (!status)
        return status;
    const MDistance radius = element.asMDistance(&status);
    if (!status)
        return status;
    // Centimetres, not the UI unit: the samples feed the curve volume and the
    // drawing, which both measure in centimetres.
    const double centimetres = radius.asCentimeters(&status);
    if (!status)
        return status;
    outRadius = MDistance(centimetres, MDistance::kCentimeters);
    return MS::kSuccess;
}

MStatus VolumeLocatorNode::GetAttachedCurve(const MObject& node, MObject& outCurve)
{
    MStatus status;
    const MPlug plug = OwnPlug(node, "attachedCurve", status);
    if (!status)
        return status;
    return plug.getValue(outCurve);
}

MStatus VolumeLocatorNode::SetDormantColour(int index)
{
    MStatus status;
    const MFnDependencyNode fn(thisMObject(), &status);
    if (Reported(status, "getting this MObject"))
        return MS::kFailure;
    MPlug plug = fn.findPlug("dormantViewportColour", false, &status);
    if (Reported(status, "finding plug: dormantViewportColour"))
        return MS::kFailure;
    if (Reported(plug.setInt(index), "setting plug value: dormantViewportColour"))
        return MS::kFailure;
    return MS::kSuccess;
}

MStatus VolumeLocatorNode::ComputeCurveData(MPointArray& outSamples) const
{
    MStatus status;
    const MPlug resolutionPlug = OwnPlug(thisMObject(), "curveVolumeResolution", status);
    if (!status)
        return status;
    int resolution = resolutionPlug.asInt(&status);
    if (!status)
        return status;
    if (resolution < 2)
    {
        MGlobal::displayWarning(
            "Curve Volume Resolution value was too small. Resolution has been locked to 2 (minimum allowed)");
        resolution = 2;
    }
    else if (resolution > kMaximumCurveVolumeResolution)
    {
        // Only a connection gets past the hard maximum.
        MString warning("Curve Volume Resolution value was too large. Resolution has been locked to ");
        warning += kMaximumCurveVolumeResolution;
        warning += " (maximum allowed)";
        MGlobal::displayWarning(warning);
        resolution = kMaximumCurveVolumeResolution;
    }

    MObject curve;
    if (status = GetAttachedCurve(thisMObject(), curve); !status)
        return status;
    const MFnNurbsCurve curveFn(curve, &status);
    if (!status)
        return status;
    const double length = curveFn.length(1.0, &status);
    if (!status)
        return status;
    double start = 0.0;
    double end = 0.0;
    if (status = curveFn.getKnotDomain(start, end); !status)
        return status;
    double spacing = GetDoubleAttribute("curveVolumeIntervalSpacing", &status);
    if (!status)
        return status;
    // Written this way round so that NaN is caught too.
    if (!(spacing >= kMinimumIntervalSpacing))
        spacing = kMinimumIntervalSpacing;

    // Keys at both ends and resolution - 2 between them, every key interval
    // cut into the same number of pieces, so that the samples come about
    // `spacing` apart along the curve.
    const std::int64_t keys = resolution;
    const std::int64_t k =
        InBetweenSamples(keys, std::min(std::floor(length / spacing), kMaximumCurveSamples));
    const std::int64_t intervals = keys + k * (keys - 1) - 1;
    const double step = length / static_cast<double>(intervals);

    outSamples.clear();
    const double scale = GetDoubleAttribute("curveRadiusScale", &status);
    if (!status)
        return status;
    const auto readKey = [this](unsigned int index, double& outCentimetres)
    {
        MDistance radius;
        MStatus keyStatus = GetRadiusKey(index, radius);
        if (keyStatus)
            outCentimetres = radius.asCentimeters(&keyStatus);
        return keyStatus;
    };
    double lower = 0.0;
    if (status = readKey(0, lower); !status)
        return status;
    if (status = outSamples.append(start, lower * scale, 1.0, 1.0); !status)
        return status;

    // Key j is the last key passed; the key after it is read once per key
    // interval rather than once per sample.
    double upper = 0.0;
    if (status = readKey(1, upper); !status)
        return status;
    unsigned int j = 0;
    std::int64_t c = 0;
    for (std::int64_t i = 1; i < intervals; ++i)
    {
        double radius = 0.0;
        double flag = 0.0;
        if (c >= k)
        {
            ++j;
            c = 0;
            lower = upper;
            if (status = readKey(j + 1, upper); !status)
                return status;
            radius = lower;
            flag = 1.0;
        }
        else
        {
            ++c;
            const double t = static_cast<double>(c) / static_cast<double>(k + 1);
            radius = (1.0 - t) * lower + t * upper;
        }
        const double param = curveFn.findParamFromLength(static_cast<double>(i) * step, &status);
        if (!status)
            return status;
        if (status = outSamples.append(param, radius * scale, flag, 1.0); !status)
            return status;
    }
    return outSamples.append(end, upper * scale, 1.0, 1.0);
}
