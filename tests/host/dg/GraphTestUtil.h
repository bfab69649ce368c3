#pragma once
// A small node type registered as a plug-in would register it, for graph
// tests: output = 2 * input + offset[0], with a compute counter; and range,
// a double2 (1, 2) at least (0, -5), with lazy = range0 + 10 * range1,
// which compute leaves dirty.

#include "dg/NodeClass.h"
#include "dg/Scene.h"

#include <maya/MDataBlock.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPxNode.h>

namespace graphtest
{
struct Doubler : MPxNode
{
    static inline MObject input, output, offset, limited, range, lazy;
    static inline int computes = 0;

    MStatus compute(const MPlug& plug, MDataBlock& block) override
    {
        if (plug == lazy)
        {
            ++computes;
            const double2& r = block.inputValue(range).asDouble2();
            block.outputValue(lazy).set(r[0] + 10.0 * r[1]);
            return MStatus::kSuccess;
        }
        if (plug != output)
            return MStatus::kUnknownParameter;
        ++computes;
        MStatus status;
        const double in = block.inputValue(input, &status).asDouble();
        if (!status)
            return status;
        MArrayDataHandle offsets = block.inputArrayValue(offset, &status);
        double add = 0.0;
        if (status && offsets.jumpToElement(0))
            add = offsets.inputValue().asDouble();
        block.outputValue(output).set(2.0 * in + add);
        return block.setClean(plug);
    }

    static MStatus Initialize()
    {
        MFnNumericAttribute fn;
        input = fn.create("input", "in", MFnNumericData::kDouble, 1.0);
        output = fn.create("output", "out", MFnNumericData::kDouble, 0.0);
        fn.setWritable(false);
        offset = fn.create("offset", "off", MFnNumericData::kDouble, 0.0);
        fn.setArray(true);
        limited = fn.create("limited", "lim", MFnNumericData::kInt, 2.0);
        fn.setMin(0);
        fn.setMax(10);
        range = fn.create("range", "r", MFnNumericData::k2Double);
        fn.setDefault(1.0, 2.0);
        fn.setMin(0.0, -5.0);
        lazy = fn.create("lazy", "lz", MFnNumericData::kDouble);
        for (const MObject* a : {&input, &output, &offset, &limited, &range, &lazy})
            if (MStatus status = MPxNode::addAttribute(*a); !status)
                return status;
        MPxNode::attributeAffects(range, lazy);
        MPxNode::attributeAffects(input, output);
        return MPxNode::attributeAffects(offset, output);
    }

    static void Register()
    {
        auto& registry = vxhost::NodeRegistry::Get();
        if (registry.Find("testDoubler"))
            return;
        auto cls = std::make_unique<vxhost::NodeClass>();
        cls->typeName = "testDoubler";
        cls->id = MTypeId(0x7F001);
        cls->parent = registry.Find("dependNode");
        cls->creator = [] { return new Doubler; };
        registry.Register(std::move(cls), Initialize);
    }
};

inline std::shared_ptr<vxhost::Node> Make(const char* type, const char* name = "",
                                          vxhost::Node* parent = nullptr)
{
    MStatus status;
    auto node = vxhost::Scene::Get().CreateNode(type, name, parent, status);
    return node;
}

inline MPlug PlugOf(const std::shared_ptr<vxhost::Node>& node, const char* attribute)
{
    return MPlug(node, node->PathTo(node->FindAttribute(attribute)));
}
} // namespace graphtest
