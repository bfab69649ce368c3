#include "BuiltinNodes.h"

#include "NodeClass.h"
#include "Scene.h"

#include <maya/MDataBlock.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnMesh.h>
#include <maya/MFnMessageAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPointArray.h>
#include <maya/MPxFieldNode.h>
#include <maya/MPxLocatorNode.h>

#include "AnimCurve.h"
#include "DataObjects.h"
#include "commands/ExpressionNode.h"
#include "dynamics/ParticleNode.h"

namespace vxhost
{
namespace
{
// Attributes of the built-in types, made once when the registry starts.
struct DagAttributes
{
    MObject visibility, intermediateObject, worldMatrix, worldInverseMatrix, parentMatrix,
        parentInverseMatrix;
} dagAttributes;

struct TransformAttributes
{
    MObject translate, translateX, translateY, translateZ;
    MObject rotate, rotateX, rotateY, rotateZ, rotateOrder;
    MObject scale, scaleX, scaleY, scaleZ;
    MObject shear, shearXY, shearXZ, shearYZ;
    MObject matrix, inverseMatrix;
} transformAttributes;

struct GeometryAttributes
{
    MObject curveCreate, curveLocal, curveWorldSpace;
    MObject meshIn, meshOut, meshWorld;
    MObject localPosition, localScale;
} geometryAttributes;

MObject Triple(const char* name, const char* shortName, const char* suffix[3], const char* shortSuffix[3],
               MObject* children, bool unit, MFnUnitAttribute::Type unitType, double value)
{
    MFnNumericAttribute numeric;
    MFnUnitAttribute units;
    for (int i = 0; i < 3; ++i)
    {
        const MString childName = MString(name) + suffix[i];
        const MString childShort = MString(shortName) + shortSuffix[i];
        children[i] = unit ? units.create(childName, childShort, unitType, value)
                           : numeric.create(childName, childShort, MFnNumericData::kDouble, value);
        MFnAttribute(children[i]).setKeyable(true);
    }
    MFnCompoundAttribute compound;
    MObject parent = compound.create(name, shortName);
    for (int i = 0; i < 3; ++i)
        compound.addChild(children[i]);
    return parent;
}

const char* kXYZ[3] = {"X", "Y", "Z"};
const char* kxyz[3] = {"x", "y", "z"};

MObject MatrixAttribute(const char* name, const char* shortName, bool array)
{
    MFnMatrixAttribute fn;
    MObject attribute = fn.create(name, shortName);
    fn.setArray(array);
    fn.setStorable(false);
    fn.setWritable(false);
    return attribute;
}

MStatus InitDependNode()
{
    MFnMessageAttribute message;
    MPxNode::message = message.create("message", "msg");
    MFnNumericAttribute numeric;
    MPxNode::caching = numeric.create("caching", "cch", MFnNumericData::kBoolean, 0.0);
    MPxNode::frozen = numeric.create("frozen", "fzn", MFnNumericData::kBoolean, 0.0);
    MPxNode::isHistoricallyInteresting =
        numeric.create("isHistoricallyInteresting", "ihi", MFnNumericData::kInt, 2);
    MFnEnumAttribute state;
    MPxNode::state = state.create("nodeState", "nds", 0);
    state.addField("Normal", 0);
    state.addField("HasNoEffect", 1);
    state.addField("Blocking", 2);
    for (const MObject* a : {&MPxNode::message, &MPxNode::caching, &MPxNode::frozen,
                             &MPxNode::isHistoricallyInteresting, &MPxNode::state})
        if (MStatus status = MPxNode::addAttribute(*a); !status)
            return status;
    return MStatus::kSuccess;
}

MStatus InitDagNode()
{
    DagAttributes& a = dagAttributes;
    MFnNumericAttribute numeric;
    a.visibility = numeric.create("visibility", "v", MFnNumericData::kBoolean, 1.0);
    numeric.setKeyable(true);
    a.intermediateObject = numeric.create("intermediateObject", "io", MFnNumericData::kBoolean, 0.0);
    a.worldMatrix = MatrixAttribute("worldMatrix", "wm", true);
    a.worldInverseMatrix = MatrixAttribute("worldInverseMatrix", "wim", true);
    a.parentMatrix = MatrixAttribute("parentMatrix", "pm", true);
    a.parentInverseMatrix = MatrixAttribute("parentInverseMatrix", "pim", true);
    for (const MObject* attribute : {&a.visibility, &a.intermediateObject, &a.worldMatrix,
                                     &a.worldInverseMatrix, &a.parentMatrix, &a.parentInverseMatrix})
        if (MStatus status = MPxNode::addAttribute(*attribute); !status)
            return status;
    // The world matrices follow the DAG rather than one attribute.
    for (const MObject* attribute :
         {&a.worldMatrix, &a.worldInverseMatrix, &a.parentMatrix, &a.parentInverseMatrix})
        MPxNode::attributeAffects(a.visibility, *attribute);
    return MStatus::kSuccess;
}

MStatus InitTransform()
{
    TransformAttributes& a = transformAttributes;
    MObject translateChildren[3], rotateChildren[3], scaleChildren[3], shearChildren[3];
    a.translate =
        Triple("translate", "t", kXYZ, kxyz, translateChildren, true, MFnUnitAttribute::kDistance, 0.0);
    a.rotate = Triple("rotate", "r", kXYZ, kxyz, rotateChildren, true, MFnUnitAttribute::kAngle, 0.0);
    a.scale = Triple("scale", "s", kXYZ, kxyz, scaleChildren, false, MFnUnitAttribute::kInvalid, 1.0);
    const char* shearSuffix[3] = {"XY", "XZ", "YZ"};
    const char* shearShort[3] = {"xy", "xz", "yz"};
    a.shear =
        Triple("shear", "sh", shearSuffix, shearShort, shearChildren, false, MFnUnitAttribute::kInvalid, 0.0);
    for (const MObject& child : shearChildren) // as in Maya, shear is not keyable
        MFnAttribute(child).setKeyable(false);
    a.translateX = translateChildren[0];
    a.translateY = translateChildren[1];
    a.translateZ = translateChildren[2];
    a.rotateX = rotateChildren[0];
    a.rotateY = rotateChildren[1];
    a.rotateZ = rotateChildren[2];
    a.scaleX = scaleChildren[0];
    a.scaleY = scaleChildren[1];
    a.scaleZ = scaleChildren[2];
    a.shearXY = shearChildren[0];
    a.shearXZ = shearChildren[1];
    a.shearYZ = shearChildren[2];
    MFnEnumAttribute order;
    a.rotateOrder = order.create("rotateOrder", "ro", 0);
    const char* orders[6] = {"xyz", "yzx", "zxy", "xzy", "yxz", "zyx"};
    for (short i = 0; i < 6; ++i)
        order.addField(orders[i], i);
    a.matrix = MatrixAttribute("matrix", "m", false);
    a.inverseMatrix = MatrixAttribute("inverseMatrix", "im", false);
    for (const MObject* attribute :
         {&a.translate, &a.rotate, &a.rotateOrder, &a.scale, &a.shear, &a.matrix, &a.inverseMatrix})
        if (MStatus status = MPxNode::addAttribute(*attribute); !status)
            return status;
    for (const MObject* input : {&a.translate, &a.rotate, &a.rotateOrder, &a.scale, &a.shear})
        for (const MObject* output :
             {&a.matrix, &a.inverseMatrix, &dagAttributes.worldMatrix, &dagAttributes.worldInverseMatrix})
            MPxNode::attributeAffects(*input, *output);
    return MStatus::kSuccess;
}

MStatus InitLocator()
{
    GeometryAttributes& a = geometryAttributes;
    MObject position[3], scale[3];
    a.localPosition =
        Triple("localPosition", "lp", kXYZ, kxyz, position, true, MFnUnitAttribute::kDistance, 0.0);
    a.localScale = Triple("localScale", "ls", kXYZ, kxyz, scale, true, MFnUnitAttribute::kDistance, 1.0);
    MPxLocatorNode::localPosition = a.localPosition;
    MPxLocatorNode::localScale = a.localScale;
    MStatus status = MPxNode::addAttribute(a.localPosition);
    return status ? MPxNode::addAttribute(a.localScale) : status;
}

MObject TypedAttribute(const char* name, const char* shortName, MFnData::Type type, bool array, bool output)
{
    MFnTypedAttribute fn;
    MObject attribute = fn.create(name, shortName, type);
    fn.setArray(array);
    if (output)
    {
        fn.setWritable(false);
        fn.setStorable(false);
    }
    return attribute;
}

MStatus InitGeometry(MObject& in, MObject& local, MObject& world, const char* names[6], MFnData::Type type)
{
    in = TypedAttribute(names[0], names[1], type, false, false);
    local = TypedAttribute(names[2], names[3], type, false, true);
    world = TypedAttribute(names[4], names[5], type, true, true);
    for (const MObject* attribute : {&in, &local, &world})
        if (MStatus status = MPxNode::addAttribute(*attribute); !status)
            return status;
    MPxNode::attributeAffects(in, local);
    MPxNode::attributeAffects(in, world);
    return MStatus::kSuccess;
}

MStatus InitNurbsCurve()
{
    const char* names[6] = {"create", "cr", "local", "l", "worldSpace", "ws"};
    GeometryAttributes& a = geometryAttributes;
    return InitGeometry(a.curveCreate, a.curveLocal, a.curveWorldSpace, names, MFnData::kNurbsCurve);
}

MStatus InitMesh()
{
    const char* names[6] = {"inMesh", "i", "outMesh", "o", "worldMesh", "w"};
    GeometryAttributes& a = geometryAttributes;
    return InitGeometry(a.meshIn, a.meshOut, a.meshWorld, names, MFnData::kMesh);
}

MStatus InitField()
{
    MFnTypedAttribute typed;
    MFnNumericAttribute numeric;
    MFnUnitAttribute unit;
    MFnCompoundAttribute compound;
    MPxFieldNode::mInputPositions = typed.create("inputPositions", "inp", MFnData::kVectorArray);
    MPxFieldNode::mInputVelocities = typed.create("inputVelocities", "inv", MFnData::kVectorArray);
    MPxFieldNode::mInputMass = typed.create("inputMass", "inm", MFnData::kDoubleArray);
    MPxFieldNode::mDeltaTime = unit.create("deltaTime", "dt", MFnUnitAttribute::kTime, 0.0);
    MPxFieldNode::mInputData = compound.create("inputData", "ind");
    for (const MObject* child : {&MPxFieldNode::mInputPositions, &MPxFieldNode::mInputVelocities,
                                 &MPxFieldNode::mInputMass, &MPxFieldNode::mDeltaTime})
        compound.addChild(*child);
    compound.setArray(true);
    MPxFieldNode::mInputPPData = TypedAttribute("inputPPData", "ppda", MFnData::kDynArrayAttrs, true, false);
    MPxFieldNode::mOwnerPPData = TypedAttribute("ownerPPData", "oppd", MFnData::kDynArrayAttrs, false, false);
    MPxFieldNode::mOwnerPosData = TypedAttribute("ownerPosData", "opd", MFnData::kVectorArray, false, false);
    MPxFieldNode::mOwnerVelData = TypedAttribute("ownerVelData", "ovd", MFnData::kVectorArray, false, false);
    MPxFieldNode::mOutputForce = TypedAttribute("outputForce", "of", MFnData::kVectorArray, true, true);
    MPxFieldNode::mMagnitude = numeric.create("magnitude", "mag", MFnNumericData::kDouble, 1.0);
    numeric.setKeyable(true);
    MPxFieldNode::mAttenuation = numeric.create("attenuation", "att", MFnNumericData::kDouble, 1.0);
    numeric.setKeyable(true);
    MPxFieldNode::mMaxDistance = unit.create("maxDistance", "max", MFnUnitAttribute::kDistance, -1.0);
    unit.setKeyable(true);
    MPxFieldNode::mUseMaxDistance = numeric.create("useMaxDistance", "umd", MFnNumericData::kBoolean, 0.0);
    numeric.setKeyable(true);
    MPxFieldNode::mApplyPerVertex = numeric.create("applyPerVertex", "apv", MFnNumericData::kBoolean, 0.0);
    for (const MObject* attribute :
         {&MPxFieldNode::mInputData, &MPxFieldNode::mInputPPData, &MPxFieldNode::mOwnerPPData,
          &MPxFieldNode::mOwnerPosData, &MPxFieldNode::mOwnerVelData, &MPxFieldNode::mOutputForce,
          &MPxFieldNode::mMagnitude, &MPxFieldNode::mAttenuation, &MPxFieldNode::mMaxDistance,
          &MPxFieldNode::mUseMaxDistance, &MPxFieldNode::mApplyPerVertex})
        if (MStatus status = MPxNode::addAttribute(*attribute); !status)
            return status;
    return MStatus::kSuccess;
}

// Curves and meshes: the local output is the input; the world output is
// the input moved by the world matrix.
class GeometryBehaviour : public MPxNode
{
public:
    GeometryBehaviour(const MObject& in, const MObject& local, const MObject& world, bool curve)
        : fIn(in), fLocal(local), fWorld(world), fCurve(curve)
    {
    }

    MStatus compute(const MPlug& plug, MDataBlock& block) override
    {
        const MObject attribute = plug.attribute();
        if (attribute != fLocal && attribute != fWorld)
            return MStatus::kUnknownParameter;
        MStatus status;
        const MObject input = block.inputValue(fIn, &status).data();
        if (!status)
            return status;
        if (attribute == fLocal)
        {
            status = block.outputValue(fLocal).set(input);
            return status ? block.setClean(plug) : status;
        }
        MObject world = input;
        const MMatrix m = WorldMatrix(*HostNode(), status);
        if (!status)
            return status;
        if (!input.isNull() && !m.isEquivalent(MMatrix()))
        {
            world = CloneData(input);
            MPointArray points;
            if (fCurve)
            {
                MFnNurbsCurve fn(world);
                fn.getCVs(points);
                for (unsigned i = 0; i < points.length(); ++i)
                    points[i] *= m;
                fn.setCVs(points);
            }
            else
            {
                MFnMesh fn(world);
                fn.getPoints(points);
                for (unsigned i = 0; i < points.length(); ++i)
                    points[i] *= m;
                fn.setPoints(points);
            }
        }
        MArrayDataHandle array = block.outputArrayValue(fWorld);
        MArrayDataBuilder builder = array.builder();
        builder.addElement(0).set(world);
        array.set(builder);
        array.setAllClean();
        return MStatus::kSuccess;
    }

private:
    MObject fIn, fLocal, fWorld;
    bool fCurve;
};

struct BuiltinType
{
    const char* name;
    const char* parent;
    MFn::Type apiType;
    bool dag;
    bool shape;
    bool abstract;
};

void Add(NodeRegistry& registry, const BuiltinType& type, std::vector<MFn::Type> fnTypes, MStatus (*init)(),
         std::function<MPxNode*()> creator)
{
    auto cls = std::make_unique<NodeClass>();
    cls->typeName = type.name;
    cls->parent = type.parent ? registry.Find(type.parent) : nullptr;
    cls->apiType = type.apiType;
    cls->fnTypes = std::move(fnTypes);
    cls->dag = type.dag;
    cls->shape = type.shape;
    cls->abstract = type.abstract;
    cls->creator = std::move(creator);
    registry.Register(std::move(cls), init ? std::function<MStatus()>(init) : std::function<MStatus()>());
}
} // namespace

void RegisterBuiltinNodes(NodeRegistry& registry)
{
    const std::function<MPxNode*()> dag;
    Add(registry, {"dependNode", nullptr, MFn::kDependencyNode, false, false, true}, {}, InitDependNode,
        nullptr);
    Add(registry, {"dagNode", "dependNode", MFn::kDagNode, true, false, true}, {}, InitDagNode, dag);
    Add(registry, {"transform", "dagNode", MFn::kTransform, true, false, false}, {}, InitTransform, dag);
    Add(registry, {"shape", "dagNode", MFn::kShape, true, true, true}, {}, nullptr, dag);
    Add(registry, {"locator", "shape", MFn::kLocator, true, true, false}, {MFn::kShape, MFn::kGeometric},
        InitLocator, dag);
    Add(registry, {"nurbsCurve", "shape", MFn::kNurbsCurve, true, true, false},
        {MFn::kShape, MFn::kGeometric}, InitNurbsCurve,
        []
        {
            const GeometryAttributes& g = geometryAttributes;
            return new GeometryBehaviour(g.curveCreate, g.curveLocal, g.curveWorldSpace, true);
        });
    Add(registry, {"mesh", "shape", MFn::kMesh, true, true, false}, {MFn::kShape, MFn::kGeometric}, InitMesh,
        []
        {
            const GeometryAttributes& g = geometryAttributes;
            return new GeometryBehaviour(g.meshIn, g.meshOut, g.meshWorld, false);
        });
    Add(registry, {"field", "transform", MFn::kField, true, false, true}, {MFn::kTransform}, InitField, dag);
    RegisterParticleNode(registry);
    RegisterExpressionNode(registry);
    RegisterAnimCurveNodes(registry);
}

MStatus ComputeDagAttribute(Node& node, const MPlug& plug, MDataBlock& block)
{
    const DagAttributes& a = dagAttributes;
    const MObject attribute = plug.attribute();
    MStatus status;
    if (attribute == a.worldMatrix || attribute == a.worldInverseMatrix || attribute == a.parentMatrix ||
        attribute == a.parentInverseMatrix)
    {
        const bool parentOnly = attribute == a.parentMatrix || attribute == a.parentInverseMatrix;
        MMatrix m = parentOnly ? (node.parent ? WorldMatrix(*node.parent, status) : MMatrix())
                               : WorldMatrix(node, status);
        if (!status)
            return status;
        if (attribute == a.worldInverseMatrix || attribute == a.parentInverseMatrix)
            m = m.inverse();
        MArrayDataHandle array = block.outputArrayValue(attribute);
        MArrayDataBuilder builder = array.builder();
        builder.addElement(0).set(m);
        array.set(builder);
        array.setAllClean();
        return MStatus::kSuccess;
    }
    if (attribute == transformAttributes.matrix || attribute == transformAttributes.inverseMatrix)
    {
        const MTransformationMatrix t = LocalTransformation(node, status);
        if (!status)
            return status;
        block.outputValue(attribute).set(attribute == transformAttributes.matrix ? t.asMatrix()
                                                                                 : t.asMatrixInverse());
        return block.setClean(plug);
    }
    return MStatus::kUnknownParameter;
}

MTransformationMatrix LocalTransformation(Node& node, MStatus& status)
{
    status = MStatus::kSuccess;
    MTransformationMatrix t;
    if (!node.cls->IsA("transform"))
        return t;
    const TransformAttributes& a = transformAttributes;
    auto read = [&](const MObject& attribute) -> const DataNode*
    {
        if (!status)
            return nullptr;
        return node.Evaluate(node.PathTo(Attribute::From(attribute)), status);
    };
    auto triple = [&](const MObject* children, double out[3])
    {
        for (int i = 0; i < 3; ++i)
            if (const DataNode* d = read(children[i]))
                out[i] = d->numbers[0];
    };
    double translate[3] = {0, 0, 0}, rotate[3] = {0, 0, 0}, scale[3] = {1, 1, 1}, shear[3] = {0, 0, 0};
    const MObject translateChildren[3] = {a.translateX, a.translateY, a.translateZ};
    const MObject rotateChildren[3] = {a.rotateX, a.rotateY, a.rotateZ};
    const MObject scaleChildren[3] = {a.scaleX, a.scaleY, a.scaleZ};
    const MObject shearChildren[3] = {a.shearXY, a.shearXZ, a.shearYZ};
    triple(translateChildren, translate);
    triple(rotateChildren, rotate);
    triple(scaleChildren, scale);
    triple(shearChildren, shear);
    const DataNode* order = read(a.rotateOrder);
    if (!status)
        return t;
    const int o = static_cast<int>(order->numbers[0]);
    t.setScale(scale, MSpace::kTransform);
    t.setShear(shear, MSpace::kTransform);
    t.setRotation(rotate, static_cast<MTransformationMatrix::RotationOrder>(o + 1));
    t.setTranslation(MVector(translate[0], translate[1], translate[2]), MSpace::kTransform);
    return t;
}

MMatrix WorldMatrix(Node& node, MStatus& status)
{
    MMatrix world = LocalTransformation(node, status).asMatrix();
    for (Node* p = node.parent; p && status; p = p->parent)
        world *= LocalTransformation(*p, status).asMatrix();
    return world;
}

MStatus SetLocalTransformation(Node& node, const MTransformationMatrix& given)
{
    if (!node.cls->IsA("transform"))
        return MStatus(MStatus::kInvalidParameter, MString(node.name.c_str()) + " is no transform");
    const TransformAttributes& a = transformAttributes;
    MStatus status;
    const MTransformationMatrix current = LocalTransformation(node, status);
    if (!status)
        return status;
    MTransformationMatrix t = given;
    t.setRotationOrder(current.rotationOrder(), true);
    double rotate[3], scale[3], shear[3];
    MTransformationMatrix::RotationOrder order;
    t.getRotation(rotate, order);
    t.getScale(scale, MSpace::kTransform);
    t.getShear(shear, MSpace::kTransform);
    const MVector translate = t.getTranslation(MSpace::kTransform);
    const std::pair<const MObject*, double> values[] = {
        {&a.translateX, translate.x}, {&a.translateY, translate.y}, {&a.translateZ, translate.z},
        {&a.rotateX, rotate[0]},      {&a.rotateY, rotate[1]},      {&a.rotateZ, rotate[2]},
        {&a.scaleX, scale[0]},        {&a.scaleY, scale[1]},        {&a.scaleZ, scale[2]},
        {&a.shearXY, shear[0]},       {&a.shearXZ, shear[1]},       {&a.shearYZ, shear[2]}};
    for (const auto& [attribute, value] : values)
    {
        MPlug plug(node.Self(), node.PathTo(Attribute::From(*attribute)));
        if (MStatus s = plug.setDouble(value); !s)
            return s;
    }
    return MStatus::kSuccess;
}
} // namespace vxhost
