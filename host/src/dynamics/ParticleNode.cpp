#include "ParticleNode.h"

#include "Dynamics.h"
#include "dg/DataObjects.h"
#include "dg/NodeClass.h"
#include "dg/Scene.h"

#include <maya/MDataBlock.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace vxhost
{
namespace
{
ParticleAttributes attributes;

MObject Typed(const char* name, const char* shortName, MFnData::Type type, bool output = false)
{
    MFnTypedAttribute fn;
    MObject attribute = fn.create(name, shortName, type);
    if (output)
    {
        fn.setWritable(false);
        fn.setStorable(false);
    }
    return attribute;
}

MStatus Initialize()
{
    ParticleAttributes& a = attributes;
    a.position = Typed("position", "pos", MFnData::kVectorArray);
    a.velocity = Typed("velocity", "vel", MFnData::kVectorArray);
    a.mass = Typed("mass", "mas", MFnData::kDoubleArray);
    a.particleId = Typed("particleId", "id", MFnData::kDoubleArray);
    a.age = Typed("age", "age", MFnData::kDoubleArray);
    MFnNumericAttribute numeric;
    a.count = numeric.create("count", "cnt", MFnNumericData::kInt, 0.0);
    numeric.setWritable(false);
    numeric.setStorable(false);
    a.conserve = numeric.create("conserve", "con", MFnNumericData::kDouble, 1.0);
    numeric.setKeyable(true);
    a.isDynamic = numeric.create("isDynamic", "isd", MFnNumericData::kBoolean, 1.0);
    numeric.setKeyable(true);
    a.fieldDataPosition = Typed("fieldDataPosition", "fdp", MFnData::kVectorArray, true);
    a.fieldDataVelocity = Typed("fieldDataVelocity", "fdv", MFnData::kVectorArray, true);
    a.fieldDataMass = Typed("fieldDataMass", "fdm", MFnData::kDoubleArray, true);
    MFnUnitAttribute unit;
    a.fieldDataDeltaTime = unit.create("fieldDataDeltaTime", "fdt", MFnUnitAttribute::kTime, 0.0);
    MFnCompoundAttribute compound;
    a.fieldData = compound.create("fieldData", "fd");
    for (const MObject* child :
         {&a.fieldDataPosition, &a.fieldDataVelocity, &a.fieldDataMass, &a.fieldDataDeltaTime})
        compound.addChild(*child);
    compound.setWritable(false);
    compound.setStorable(false);
    a.ppFieldData = Typed("ppFieldData", "ppfd", MFnData::kDynArrayAttrs, true);
    MFnTypedAttribute(a.ppFieldData).setArray(true);
    a.inputForce = Typed("inputForce", "ifc", MFnData::kVectorArray);
    MFnTypedAttribute(a.inputForce).setArray(true);
    for (const MObject* attribute : {&a.position, &a.velocity, &a.mass, &a.particleId, &a.age, &a.count,
                                     &a.conserve, &a.isDynamic, &a.fieldData, &a.ppFieldData, &a.inputForce})
        if (MStatus status = MPxNode::addAttribute(*attribute); !status)
            return status;
    for (const MObject* input : {&a.position, &a.velocity, &a.mass})
    {
        MPxNode::attributeAffects(*input, a.count);
        MPxNode::attributeAffects(*input, a.fieldData);
        MPxNode::attributeAffects(*input, a.ppFieldData);
    }
    return MStatus::kSuccess;
}

// The stored data object of attribute, shared rather than copied: fields
// read the state without copying the arrays.
MObject Shared(Node& node, const MObject& attribute)
{
    MStatus status;
    const DataNode* data = node.Evaluate(node.PathTo(Attribute::From(attribute)), status);
    return data ? data->data : MObject();
}
// Assigns source to slot, into the array slot holds when it is of the same
// type (keeping its storage).
template <typename Array> void AssignArray(ArrayAttrsArray& slot, const Array& source)
{
    if (Array* same = std::get_if<Array>(&slot))
        *same = source;
    else
        slot = source;
}

// ppFieldData[index]'s arrays: those named "<field>_<attribute>" for the
// field that feeds inputForce[index], under "<attribute>"; the arrays of
// names no longer there are dropped. outFilled: the names filled.
MStatus FillFieldArrays(Node& node, unsigned index, std::map<std::string, ArrayAttrsArray>& arrays,
                        std::vector<std::string>& outFilled)
{
    outFilled.clear();
    const ParticleAttributes& a = attributes;
    PlugPath forcePath = node.PathTo(Attribute::From(a.inputForce));
    forcePath.back().index = static_cast<int>(index);
    if (const Connection* feed = Scene::Get().SourceOf(node, forcePath))
    {
        const std::string prefix = feed->source->name + "_";
        for (const auto& dynamic : node.dynamicAttributes)
        {
            if (dynamic->name.compare(0, prefix.size(), prefix) != 0 || dynamic->name.size() == prefix.size())
                continue;
            std::string key = dynamic->name.substr(prefix.size());
            MStatus status;
            const DataNode* value = node.Evaluate(node.PathTo(dynamic.get()), status);
            if (!status)
                return status;
            // An array never set is handed on empty, as the field then falls
            // back to its own value.
            switch (dynamic->kind == AttributeKind::kTyped ? dynamic->dataType : MFnData::kInvalid)
            {
            case MFnData::kDoubleArray:
            {
                const DoubleArrayData* d = DoubleArrayData::From(value->data);
                AssignArray(arrays[key], d ? d->value : MDoubleArray());
                break;
            }
            case MFnData::kVectorArray:
            {
                const VectorArrayData* v = VectorArrayData::From(value->data);
                AssignArray(arrays[key], v ? v->value : MVectorArray());
                break;
            }
            case MFnData::kIntArray:
            {
                const IntArrayData* i = IntArrayData::From(value->data);
                AssignArray(arrays[key], i ? i->value : MIntArray());
                break;
            }
            default:
                continue;
            }
            outFilled.push_back(std::move(key));
        }
    }
    for (auto it = arrays.begin(); it != arrays.end();)
    {
        if (std::find(outFilled.begin(), outFilled.end(), it->first) == outFilled.end())
            it = arrays.erase(it);
        else
            ++it;
    }
    return MStatus::kSuccess;
}
} // namespace

const ParticleAttributes& Particle()
{
    return attributes;
}

void RegisterParticleNode(NodeRegistry& registry)
{
    auto cls = std::make_unique<NodeClass>();
    cls->typeName = "particle";
    cls->parent = registry.Find("shape");
    cls->apiType = MFn::kParticle;
    cls->fnTypes = {MFn::kShape};
    cls->dag = true;
    cls->shape = true;
    cls->creator = [] { return new ParticleNode; };
    registry.Register(std::move(cls), Initialize);
}

MStatus ParticleNode::compute(const MPlug& plug, MDataBlock& block)
{
    const ParticleAttributes& a = attributes;
    Node& node = *HostNode();
    const MObject attribute = plug.attribute();
    if (attribute == a.count)
    {
        const VectorArrayData* positions = VectorArrayData::From(Shared(node, a.position));
        block.outputValue(a.count).set(static_cast<int>(positions ? positions->value.length() : 0u));
        return block.setClean(plug);
    }
    if (attribute == a.fieldData || attribute == a.fieldDataPosition || attribute == a.fieldDataVelocity ||
        attribute == a.fieldDataMass || attribute == a.fieldDataDeltaTime)
    {
        MDataHandle out = block.outputValue(a.fieldData);
        out.child(a.fieldDataPosition).set(Shared(node, a.position));
        out.child(a.fieldDataVelocity).set(Shared(node, a.velocity));
        out.child(a.fieldDataMass).set(Shared(node, a.mass));
        out.child(a.fieldDataDeltaTime).set(Dynamics::Get().StepTime());
        out.setClean();
        return MStatus::kSuccess;
    }
    if (attribute == a.ppFieldData && plug.isElement())
    {
        // The element's object of the last step is filled again: its arrays
        // keep their storage, so a step copies them without allocating.
        MArrayDataHandle array = block.outputArrayValue(a.ppFieldData);
        MArrayDataBuilder builder = array.builder();
        MDataHandle element = builder.addElement(plug.logicalIndex());
        MObject object = element.data();
        ArrayAttrsData* data = ArrayAttrsData::From(object);
        if (!data)
        {
            auto made = std::make_shared<ArrayAttrsData>();
            data = made.get();
            object = MObject(std::move(made));
        }
        if (MStatus status = FillFieldArrays(node, plug.logicalIndex(), data->value, fFilledNames); !status)
            return status;
        if (MStatus status = element.set(object); !status)
            return status;
        if (MStatus status = array.set(builder); !status)
            return status;
        return block.setClean(plug);
    }
    return MStatus::kUnknownParameter;
}
} // namespace vxhost
