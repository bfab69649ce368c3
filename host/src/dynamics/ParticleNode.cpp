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
        // The arrays meant for the field that feeds the same element of
        // inputForce.
        PlugPath forcePath = node.PathTo(Attribute::From(a.inputForce));
        forcePath.back().index = static_cast<int>(plug.logicalIndex());
        const Connection* feed = Scene::Get().SourceOf(node, forcePath);
        auto data = std::make_shared<ArrayAttrsData>();
        if (feed)
        {
            const std::string prefix = feed->source->name + "_";
            for (const auto& dynamic : node.dynamicAttributes)
            {
                if (dynamic->name.compare(0, prefix.size(), prefix) != 0 ||
                    dynamic->name.size() == prefix.size())
                    continue;
                const std::string key = dynamic->name.substr(prefix.size());
                MStatus status;
                const DataNode* value = node.Evaluate(node.PathTo(dynamic.get()), status);
                if (!status)
                    return status;
                // An array never set is handed on empty, as the field
                // then falls back to its own value.
                switch (dynamic->kind == AttributeKind::kTyped ? dynamic->dataType : MFnData::kInvalid)
                {
                case MFnData::kDoubleArray:
                {
                    const DoubleArrayData* d = DoubleArrayData::From(value->data);
                    data->value[key] = d ? d->value : MDoubleArray();
                    break;
                }
                case MFnData::kVectorArray:
                {
                    const VectorArrayData* v = VectorArrayData::From(value->data);
                    data->value[key] = v ? v->value : MVectorArray();
                    break;
                }
                case MFnData::kIntArray:
                {
                    const IntArrayData* i = IntArrayData::From(value->data);
                    data->value[key] = i ? i->value : MIntArray();
                    break;
                }
                default:
                    break;
                }
            }
        }
        MArrayDataHandle array = block.outputArrayValue(a.ppFieldData);
        MArrayDataBuilder builder = array.builder();
        builder.addElement(plug.logicalIndex()).set(MObject(data));
        array.set(builder);
        return block.setClean(plug);
    }
    return MStatus::kUnknownParameter;
}
} // namespace vxhost
