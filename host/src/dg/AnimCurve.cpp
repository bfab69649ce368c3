#include "AnimCurve.h"

#include "NodeClass.h"
#include "Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MDataBlock.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnUnitAttribute.h>

#include <algorithm>
#include <array>
#include <map>

namespace vxhost
{
namespace
{
struct CurveType
{
    const char* name;
    MFn::Type apiType;
    MFnUnitAttribute::Type unit; ///< kInvalid: a plain number
};

constexpr std::array<CurveType, 3> kCurveTypes = {{
    {"animCurveTL", MFn::kAnimCurveTimeToDistance, MFnUnitAttribute::kDistance},
    {"animCurveTA", MFn::kAnimCurveTimeToAngular, MFnUnitAttribute::kAngle},
    {"animCurveTU", MFn::kAnimCurveTimeToUnitless, MFnUnitAttribute::kInvalid},
}};

// The base type's attributes, shared by every curve type.
MObject gTangentIn, gTangentOut;

struct CurveAttributes
{
    MObject keyTimeValue, keyTime, keyValue, output;
};
std::array<CurveAttributes, kCurveTypes.size()> gCurveAttributes;

MObject TangentArray(const char* name, const char* shortName)
{
    MFnEnumAttribute fn;
    MObject attribute = fn.create(name, shortName, static_cast<short>(TangentType::kSpline));
    fn.addField("linear", static_cast<short>(TangentType::kLinear));
    fn.addField("spline", static_cast<short>(TangentType::kSpline));
    fn.setArray(true);
    return attribute;
}

MStatus InitAnimCurve()
{
    gTangentIn = TangentArray("keyTanInType", "kit");
    gTangentOut = TangentArray("keyTanOutType", "kot");
    MStatus status = MPxNode::addAttribute(gTangentIn);
    return status ? MPxNode::addAttribute(gTangentOut) : status;
}

// A number of the curve's kind: distance, angle or plain.
MObject ValueAttribute(const CurveType& type, const char* name, const char* shortName)
{
    if (type.unit == MFnUnitAttribute::kInvalid)
    {
        MFnNumericAttribute fn;
        return fn.create(name, shortName, MFnNumericData::kDouble, 0.0);
    }
    MFnUnitAttribute fn;
    return fn.create(name, shortName, type.unit, 0.0);
}

MStatus InitCurveType(std::size_t index)
{
    const CurveType& type = kCurveTypes[index];
    CurveAttributes& a = gCurveAttributes[index];
    MFnNumericAttribute numeric;
    // Frames rather than a time attribute: keys stay on their frames
    // whatever the time unit, as the frames the host steps are counted.
    a.keyTime = numeric.create("keyTime", "kt", MFnNumericData::kDouble, 0.0);
    a.keyValue = ValueAttribute(type, "keyValue", "kv");
    MFnCompoundAttribute compound;
    a.keyTimeValue = compound.create("keyTimeValue", "ktv");
    compound.addChild(a.keyTime);
    compound.addChild(a.keyValue);
    compound.setArray(true);
    a.output = ValueAttribute(type, "output", "o");
    MFnAttribute output(a.output);
    output.setWritable(false);
    output.setStorable(false);
    for (const MObject* attribute : {&a.keyTimeValue, &a.output})
        if (MStatus status = MPxNode::addAttribute(*attribute); !status)
            return status;
    // Time affects the output too; a change of time starts a new graph
    // generation, which recomputes every computed value anyway.
    for (const MObject* input : {&a.keyTimeValue, &gTangentIn, &gTangentOut})
        if (MStatus status = MPxNode::attributeAffects(*input, a.output); !status)
            return status;
    return MStatus::kSuccess;
}

class AnimCurveBehaviour : public MPxNode
{
public:
    explicit AnimCurveBehaviour(const CurveAttributes& attributes) : fAttributes(attributes) {}

    MStatus compute(const MPlug& plug, MDataBlock& block) override
    {
        if (plug.attribute() != fAttributes.output)
            return MStatus::kUnknownParameter;
        const double value = EvaluateAnimCurve(AnimCurveKeys(*HostNode()), Dynamics::Get().CurrentFrame());
        block.outputValue(fAttributes.output).set(value);
        return block.setClean(plug);
    }

private:
    const CurveAttributes& fAttributes;
};

// The slope a key's spline tangent takes: from its previous neighbour to
// its next, or flat at either end of the curve.
double SplineSlope(const std::vector<AnimKey>& keys, std::size_t i)
{
    if (i == 0 || i + 1 >= keys.size())
        return 0.0;
    const double span = keys[i + 1].frame - keys[i - 1].frame;
    return span > 0.0 ? (keys[i + 1].value - keys[i - 1].value) / span : 0.0;
}

const Attribute* Named(const Node& node, const char* name)
{
    return node.FindAttribute(name);
}

// The element's logical indices of the array at attribute, in order.
std::vector<unsigned> Indices(const Node& node, const Attribute* attribute)
{
    std::vector<unsigned> indices;
    if (const DataNode* array = node.FindData(node.PathTo(attribute)))
        for (const auto& entry : array->elements)
            indices.push_back(entry.first);
    return indices;
}

TangentType TangentAt(const Node& node, const Attribute* attribute, unsigned index)
{
    const DataNode* value = node.FindData({PlugStep{attribute, static_cast<int>(index)}});
    return value && static_cast<int>(value->numbers[0]) == static_cast<int>(TangentType::kLinear)
               ? TangentType::kLinear
               : TangentType::kSpline;
}
} // namespace

std::optional<TangentType> TangentTypeNamed(std::string_view name)
{
    if (name == "linear")
        return TangentType::kLinear;
    if (name == "spline" || name == "smooth")
        return TangentType::kSpline;
    return std::nullopt;
}

double EvaluateAnimCurve(const std::vector<AnimKey>& keys, double frame)
{
    if (keys.empty())
        return 0.0;
    if (frame <= keys.front().frame)
        return keys.front().value;
    if (frame >= keys.back().frame)
        return keys.back().value;
    // The segment [a, b] holding frame.
    const auto after = std::upper_bound(keys.begin(), keys.end(), frame,
                                        [](double f, const AnimKey& key) { return f < key.frame; });
    const std::size_t b = static_cast<std::size_t>(after - keys.begin());
    const std::size_t a = b - 1;
    const AnimKey& ka = keys[a];
    const AnimKey& kb = keys[b];
    const double span = kb.frame - ka.frame;
    const double s = (frame - ka.frame) / span;
    const double chord = (kb.value - ka.value) / span;
    // Written as the line itself rather than as a cubic with the chord's
    // slopes, which would equal it only up to rounding.
    if (ka.out == TangentType::kLinear && kb.in == TangentType::kLinear)
        return ka.value + s * (kb.value - ka.value);
    const double ma = ka.out == TangentType::kLinear ? chord : SplineSlope(keys, a);
    const double mb = kb.in == TangentType::kLinear ? chord : SplineSlope(keys, b);
    // Cubic Hermite basis.
    const double s2 = s * s, s3 = s2 * s;
    const double h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s;
    const double h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
    return h00 * ka.value + h10 * span * ma + h01 * kb.value + h11 * span * mb;
}

bool IsAnimCurve(const Node& node)
{
    return node.cls->HasFn(MFn::kAnimCurve);
}

std::string AnimCurveTypeFor(const Attribute& attribute)
{
    if (attribute.array || !attribute.children.empty() || attribute.ComponentCount() != 1)
        return std::string();
    switch (attribute.kind)
    {
    case AttributeKind::kUnit:
        if (attribute.unitType == MFnUnitAttribute::kDistance)
            return "animCurveTL";
        if (attribute.unitType == MFnUnitAttribute::kAngle)
            return "animCurveTA";
        return std::string(); // time to time curves are not provided
    case AttributeKind::kNumeric:
    case AttributeKind::kEnum:
        return "animCurveTU";
    default:
        return std::string();
    }
}

std::vector<AnimKey> AnimCurveKeys(const Node& curve)
{
    std::vector<AnimKey> keys;
    const Attribute* ktv = Named(curve, "keyTimeValue");
    const Attribute* kt = Named(curve, "keyTime");
    const Attribute* kv = Named(curve, "keyValue");
    const Attribute* kit = Named(curve, "keyTanInType");
    const Attribute* kot = Named(curve, "keyTanOutType");
    if (!ktv || !kt || !kv || !kit || !kot)
        return keys;
    for (const unsigned index : Indices(curve, ktv))
    {
        const DataNode* element = curve.FindData({PlugStep{ktv, static_cast<int>(index)}});
        AnimKey key;
        key.frame = element->children[static_cast<std::size_t>(ktv->ChildIndex(kt))].numbers[0];
        key.value = element->children[static_cast<std::size_t>(ktv->ChildIndex(kv))].numbers[0];
        key.in = TangentAt(curve, kit, index);
        key.out = TangentAt(curve, kot, index);
        keys.push_back(key);
    }
    // Keys set with setAttr may come in any order; two at one frame keep the
    // one with the lower index first.
    std::stable_sort(keys.begin(), keys.end(),
                     [](const AnimKey& x, const AnimKey& y) { return x.frame < y.frame; });
    return keys;
}

void SetAnimCurveKey(Node& curve, double frame, double value, std::optional<TangentType> in,
                     std::optional<TangentType> out)
{
    std::vector<AnimKey> keys = AnimCurveKeys(curve);
    auto it =
        std::find_if(keys.begin(), keys.end(), [frame](const AnimKey& key) { return key.frame == frame; });
    if (it == keys.end())
        it = keys.insert(std::upper_bound(keys.begin(), keys.end(), frame,
                                          [](double f, const AnimKey& key) { return f < key.frame; }),
                         AnimKey{frame, value, TangentType::kSpline, TangentType::kSpline});
    it->value = value;
    it->in = in.value_or(it->in);
    it->out = out.value_or(it->out);

    // Rewritten in frame order, so the indices read as Maya numbers keys.
    const Attribute* ktv = Named(curve, "keyTimeValue");
    const Attribute* kt = Named(curve, "keyTime");
    const Attribute* kv = Named(curve, "keyValue");
    const Attribute* kit = Named(curve, "keyTanInType");
    const Attribute* kot = Named(curve, "keyTanOutType");
    for (const Attribute* array : {ktv, kit, kot})
        curve.values.erase(array);
    for (std::size_t i = 0; i < keys.size(); ++i)
    {
        const int index = static_cast<int>(i);
        curve.Data({PlugStep{ktv, index}, PlugStep{kt, -1}})->numbers[0] = keys[i].frame;
        curve.Data({PlugStep{ktv, index}, PlugStep{kv, -1}})->numbers[0] = keys[i].value;
        curve.Data({PlugStep{kit, index}})->numbers[0] = static_cast<double>(keys[i].in);
        curve.Data({PlugStep{kot, index}})->numbers[0] = static_cast<double>(keys[i].out);
    }
    Scene::Get().Touch();
}

void RegisterAnimCurveNodes(NodeRegistry& registry)
{
    auto base = std::make_unique<NodeClass>();
    base->typeName = "animCurve";
    base->parent = registry.Find("dependNode");
    base->apiType = MFn::kAnimCurve;
    base->abstract = true;
    registry.Register(std::move(base), InitAnimCurve);
    for (std::size_t i = 0; i < kCurveTypes.size(); ++i)
    {
        auto cls = std::make_unique<NodeClass>();
        cls->typeName = kCurveTypes[i].name;
        cls->parent = registry.Find("animCurve");
        cls->apiType = kCurveTypes[i].apiType;
        cls->fnTypes = {MFn::kAnimCurve};
        const CurveAttributes& attributes = gCurveAttributes[i];
        cls->creator = [&attributes] { return new AnimCurveBehaviour(attributes); };
        registry.Register(std::move(cls), [i] { return InitCurveType(i); });
    }
}
} // namespace vxhost
