#include "EntityCmd.h"

#include "Volarix.h"

#include <maya/MArgDatabase.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MItSelectionList.h>
#include <maya/MPlugArray.h>
#include <maya/MSelectionList.h>

namespace
{
// Keyed values reach a plug from an animation curve; such a connection says
// nothing about which entity occupies an element.
bool IsAnimCurve(const MObject& node)
{
    const MFn::Type type = node.apiType();
    return (type >= MFn::kAnimCurve && type <= MFn::kAnimCurveUnitlessToUnitless) ||
           node.hasFn(MFn::kAnimCurve);
}

template <class AttributeFn> MStatus ApplyLimits(AttributeFn& fn, const KeyableAttribute& attribute)
{
    MStatus status;
    if (attribute.min && !(status = fn.setMin(*attribute.min)))
        return status;
    if (attribute.max && !(status = fn.setMax(*attribute.max)))
        return status;
    if (attribute.softMin && !(status = fn.setSoftMin(*attribute.softMin)))
        return status;
    if (attribute.softMax && !(status = fn.setSoftMax(*attribute.softMax)))
        return status;
    return fn.setKeyable(true);
}

MObject CreateNumeric(const KeyableAttribute& attribute, MFnNumericData::Type type, MStatus& status)
{
    MFnNumericAttribute fn;
    const MObject object =
        fn.create(attribute.longName, attribute.shortName, type, attribute.defaultValue, &status);
    if (status)
        status = ApplyLimits(fn, attribute);
    return object;
}

MObject CreateDistance(const KeyableAttribute& attribute, MStatus& status)
{
    MFnUnitAttribute fn;
    const MObject object = fn.create(attribute.longName, attribute.shortName, MFnUnitAttribute::kDistance,
                                     attribute.defaultValue, &status);
    if (status)
        status = ApplyLimits(fn, attribute);
    return object;
}

MObject CreateEnum(const KeyableAttribute& attribute, MStatus& status)
{
    MFnEnumAttribute fn;
    const MObject object = fn.create(attribute.longName, attribute.shortName,
                                     static_cast<short>(attribute.defaultValue), &status);
    for (const KeyableEnumField& field : attribute.fields)
    {
        if (!status)
            return object;
        status = fn.addField(field.name, field.value);
    }
    if (status)
        status = fn.setKeyable(true);
    return object;
}
} // namespace

MSyntax EntityCmd::newSyntax()
{
    MSyntax syntax;
    syntax.addFlag("-add", "-addEntity", MSyntax::kString);
    syntax.addFlag("-mk", "-makeKeyable");
    syntax.addFlag("-ne", "-numEntity");
    syntax.addFlag("-len", "-listEntityNames");
    syntax.addFlag("-lei", "-listEntityIndices");
    syntax.addFlag("-let", "-listEntityTypes");
    syntax.addFlag("-it", "-includeType");
    syntax.setObjectType(MSyntax::kSelectionList, 1);
    syntax.useSelectionAsDefault(true);
    syntax.enableQuery(true);
    syntax.enableEdit(true);
    return syntax;
}

bool EntityCmd::isUndoable() const
{
    return true;
}

MStatus EntityCmd::doIt(const MArgList& args)
{
    MStatus status;
    const MArgDatabase argData(syntax(), args, &status);
    MSelectionList objects;
    if (status)
        status = argData.getObjects(objects);
    if (!status)
    {
        MGlobal::displayError("getting command objects" + status.errorString());
        return status;
    }

    entityKindToAdd = 0;
    makeKeyable = false;
    entityIndex = kUnknownIndex;

    if (argData.isFlagSet("-add"))
    {
        status = AddEntity(argData, objects);
        if (!status)
            return status;
    }
    if (argData.isEdit())
    {
        status = EditEntity(argData, objects);
        if (!status)
            return status;
    }
    if (argData.isQuery())
    {
        status = QueryEntities(argData, objects);
        if (!status)
            return status;
    }

    // Every mode ends here; with nothing queued the modifier has no work.
    status = redoIt();
    if (!status)
        MGlobal::displayError("Running redoIt: " + status.errorString());
    return status;
}

MStatus EntityCmd::AddEntity(const MArgDatabase& args, const MSelectionList& objects)
{
    bool foundField = false;
    bool foundEntity = false;
    MStatus status = GetFieldFromSelection(MSelectionList(objects), foundField);
    if (!status)
        return status;
    status = GetEntityFromSelection(MSelectionList(objects), foundEntity);
    if (!status)
        return status;
    if (!foundField || !foundEntity)
    {
        MGlobal::displayError("Selection Error - Please select a particleVolarix node and an entity object");
        return MS::kFailure;
    }
    if (args.isFlagSet("-mk"))
        makeKeyable = true;

    status = args.getFlagArgument("-add", 0, entityKindArg);
    if (!status)
        return status;

    const bool connected = IsEntityConnected(status);
    if (!status)
        return status;
    if (connected)
    {
        MGlobal::displayError(entityPath.fullPathName() + " is already connected to " +
                              fieldPath.fullPathName());
        return MS::kFailure;
    }

    if (entityKindArg == "position" && supportsPosition)
    {
        entityKindToAdd = 1;
    }
    else if (entityKindArg == "curve" && supportsCurve)
    {
        const MFnNurbsCurve curveFn(entityPath.node(), &status);
        if (status == MS::kInvalidParameter)
        {
            MGlobal::displayError("Selection Error - Please select a NURBS curve to create a curve target");
            return status;
        }
        entityKindToAdd = 2;
    }
    else if (entityKindArg == "mesh" && supportsMesh)
    {
        const MFnMesh meshFn(entityPath.node(), &status);
        if (status == MS::kInvalidParameter)
        {
            MGlobal::displayError("Selection Error - Please select a polygon mesh to create a mesh entity");
            return status;
        }
        entityKindToAdd = 3;
    }
    else
    {
        MGlobal::displayError("Unsupported " + entityTypeName + " type: " + entityKindArg);
        return MS::kFailure;
    }

    MStringArray result;
    result.append(entityPath.fullPathName());
    setResult(result);
    return MS::kSuccess;
}

MStatus EntityCmd::EditEntity(const MArgDatabase& args, const MSelectionList& objects)
{
    bool foundField = false;
    bool foundEntity = false;
    MStatus status = GetFieldFromSelection(MSelectionList(objects), foundField);
    if (!status)
        return status;
    status = GetEntityFromSelection(MSelectionList(objects), foundEntity);
    if (!status)
        return status;
    if (!foundField || !foundEntity)
    {
        MGlobal::displayError("Selection Error - Please select a particleVolarix node and a " +
                              entityTypeName + " object");
        return MS::kFailure;
    }
    if (args.isFlagSet("-mk"))
        makeKeyable = true;
    return MS::kSuccess;
}

MStatus EntityCmd::QueryEntities(const MArgDatabase& args, const MSelectionList& objects)
{
    bool foundField = false;
    MStatus status = GetFieldFromSelection(MSelectionList(objects), foundField);
    if (!status)
        return status;
    if (!foundField)
    {
        MGlobal::displayError("Selection Error - Please select a particleVolarix node to query");
        return MS::kFailure;
    }

    // Each answer replaces the previous one: the last flag answered wins.
    if (args.isFlagSet("-ne"))
    {
        const MPlug arrayPlug = EntityArrayPlug(status);
        const unsigned int count = status ? arrayPlug.numConnectedElements(&status) : 0;
        if (!status)
        {
            MGlobal::displayError("getting number of entities" + status.errorString());
            return status;
        }
        setResult(static_cast<int>(count));
    }
    if (args.isFlagSet("-len"))
    {
        includeType = args.isFlagSet("-it");
        MStringArray names;
        status = ListEntityNames(names);
        if (!status)
        {
            MGlobal::displayError("getting entity list" + status.errorString());
            return status;
        }
        setResult(names);
    }
    if (args.isFlagSet("-lei"))
    {
        MIntArray indices;
        status = ListEntityIndices(indices);
        if (!status)
        {
            MGlobal::displayError("getting entity list" + status.errorString());
            return status;
        }
        setResult(indices);
    }
    if (args.isFlagSet("-let"))
    {
        MStringArray types;
        status = ListEntityTypes(types);
        if (!status)
        {
            MGlobal::displayError("Getting entity types list" + status.errorString());
            return status;
        }
        setResult(types);
    }
    return MS::kSuccess;
}

MStatus EntityCmd::redoIt()
{
    MStatus status;
    switch (entityKindToAdd)
    {
    case 1:
        status = ConnectEntityTransform();
        if (!status)
        {
            MGlobal::displayError("connecting entity transform" + status.errorString());
            return status;
        }
        MGlobal::displayInfo("Successfully added position entity");
        break;
    case 2:
        status = ConnectEntityCurve();
        if (!status)
        {
            MGlobal::displayError("connecting entity curve" + status.errorString());
            return status;
        }
        MGlobal::displayInfo("Successfully added curve entity");
        break;
    case 3:
        status = ConnectEntityMesh();
        if (!status)
        {
            MGlobal::displayError("connecting entity mesh" + status.errorString());
            return status;
        }
        MGlobal::displayInfo("Successfully added mesh entity");
        break;
    default:
        break;
    }

    if (makeKeyable)
    {
        status = MakeEntityKeyable();
        if (!status)
        {
            MGlobal::displayError("making entity keyable" + status.errorString());
            return status;
        }
    }

    status = dgModifier.doIt();
    if (!status)
        MGlobal::displayError("Performing DGModifier actions" + status.errorString());
    return status;
}

MStatus EntityCmd::undoIt()
{
    const MStatus status = dgModifier.undoIt();
    if (!status)
    {
        MGlobal::displayError("Error performing DGModifier.undoIt()" + status.errorString());
        return MS::kFailure;
    }
    return MS::kSuccess;
}

MStatus EntityCmd::GetFieldFromSelection(const MSelectionList& list, bool& found)
{
    found = false;
    MStatus status;
    MItSelectionList it(list, MFn::kField, &status);
    if (!status)
        return status;
    for (; !it.isDone(); it.next())
    {
        MDagPath path;
        status = it.getDagPath(path);
        MFnDependencyNode nodeFn;
        if (status)
            status = nodeFn.setObject(path.node());
        const MString typeName = status ? nodeFn.typeName(&status) : MString();
        if (!status)
        {
            found = false;
            return status;
        }
        // Fields of other types may share the selection; only ours count.
        if (typeName != Volarix::typeName)
            continue;
        if (found)
        {
            MGlobal::displayError("Selection Error - Please select only 1 particle volarix field at a time.");
            return MS::kFailure;
        }
        fieldPath = path;
        found = true;
    }
    return MS::kSuccess;
}

MStatus EntityCmd::GetEntityFromSelection(const MSelectionList& list, bool& found)
{
    found = false;
    MStatus status;
    MItSelectionList it(list, MFn::kGeometric, &status);
    if (!status)
        return status;
    for (; !it.isDone(); it.next())
    {
        MDagPath path;
        status = it.getDagPath(path);
        if (!status)
        {
            found = false;
            return status;
        }
        if (found)
        {
            MGlobal::displayError("Selection Error - Please select only 1 entity at a time.");
            return MS::kFailure;
        }
        entityPath = path;
        found = true;
    }
    return MS::kSuccess;
}

bool EntityCmd::IsEntityConnected(MStatus& status) const
{
    const MFnDependencyNode transformFn(entityPath.transform(), &status);
    if (!status)
        return false;
    const MPlug worldMatrix = transformFn.findPlug("worldMatrix", false, &status);
    if (!status)
        return false;
    const bool matrixConnected = IsPlugConnectedToField(worldMatrix, status);
    if (!status)
        return false;
    if (matrixConnected)
        return true;

    const MFnDependencyNode nodeFn(entityPath.node(), &status);
    if (!status)
        return false;
    const MPlug worldSpace = nodeFn.findPlug("worldSpace", false, &status);
    // Only curves have "worldSpace"; a mesh's "worldMesh" is deliberately not
    // examined, so one mesh may become several obstacles.
    if (status == MS::kInvalidParameter)
    {
        status = MS::kSuccess;
        return false;
    }
    if (!status)
        return false;
    return IsPlugConnectedToField(worldSpace, status);
}

bool EntityCmd::IsPlugConnectedToField(const MPlug& arrayPlug, MStatus& status) const
{
    const unsigned int count = arrayPlug.numConnectedElements(&status);
    if (!status)
        return false;
    const MObject fieldNode = fieldPath.node();
    MPlugArray destinations;
    for (unsigned int k = 0; k < count; ++k)
    {
        const MPlug element = arrayPlug.elementByLogicalIndex(k, &status);
        if (!status)
            return false;
        element.connectedTo(destinations, false, true, &status);
        if (!status)
            return false;
        for (unsigned int d = 0; d < destinations.length(); ++d)
            if (destinations[d].node() == fieldNode)
                return true;
    }
    return false;
}

MPlug EntityCmd::EntityArrayPlug(MStatus& status) const
{
    const MFnDependencyNode fieldFn(fieldPath.node(), &status);
    if (!status)
        return MPlug();
    return fieldFn.findPlug(entityTypeName, false, &status);
}

unsigned int EntityCmd::ChooseFreeIndex(MPlug& arrayPlug)
{
    if (entityIndex != kUnknownIndex)
        return entityIndex;
    MStatus status;
    const unsigned int count = arrayPlug.evaluateNumElements(&status);
    if (!status)
        return 0;
    // Existing elements come in ascending logical order, so the first gap is
    // where the logical index runs ahead of the count seen so far.
    unsigned int candidate = 0;
    for (unsigned int p = 0; p < count; ++p)
    {
        const unsigned int logical = arrayPlug.elementByPhysicalIndex(p, &status).logicalIndex();
        if (!status || logical != candidate)
            break;
        ++candidate;
    }
    return candidate;
}

MStatus EntityCmd::GeometryOutputAndElement(const char* outputName, MPlug& output, MPlug& element)
{
    MStatus status;
    const MFnDependencyNode geometryFn(entityPath.node(), &status);
    if (!status)
        return status;
    output = geometryFn.findPlug(outputName, false, &status);
    if (!status)
        return status;
    output = output.elementByLogicalIndex(0, &status);
    if (!status)
        return status;
    MPlug arrayPlug = EntityArrayPlug(status);
    if (!status)
        return status;
    entityIndex = ChooseFreeIndex(arrayPlug);
    element = arrayPlug.elementByLogicalIndex(entityIndex, &status);
    return status;
}

MStatus EntityCmd::QueueConnection(const MPlug& source, const MPlug& destination)
{
    MStatus status;
    const MPlug current = destination.source(&status);
    if (!status)
        return status;
    if (!current.isNull() && current == source)
        return MS::kSuccess;
    return dgModifier.connect(source, destination);
}

MStatus EntityCmd::ConnectEntityTransform()
{
    if (!supportsPosition)
    {
        MGlobal::displayError(
            "EntityCmd::ConnectEntityTransform() - Matrix not supported on this entity type");
        return MS::kFailure;
    }

    MStatus status;
    const MFnDependencyNode transformFn(entityPath.transform(), &status);
    if (!status)
        return status;
    const MFnDependencyNode nodeFn(entityPath.node(), &status);
    if (!status)
        return status;
    MPlug worldMatrix = transformFn.findPlug("worldMatrix", false, &status);
    if (!status)
        return status;
    worldMatrix = worldMatrix.elementByLogicalIndex(0, &status);
    if (!status)
        return status;

    MPlug arrayPlug = EntityArrayPlug(status);
    if (!status)
        return status;
    // A redo keeps the element of the first run: choosing again could land
    // on another element, since values written straight to the first one
    // outlive the undo and keep it in existence.
    if (entityIndex == kUnknownIndex)
    {
        const unsigned int count = arrayPlug.evaluateNumElements(&status);
        if (!status)
            return status;
        unsigned int index = 0;
        if (count >= 1)
        {
            index = arrayPlug.elementByPhysicalIndex(count - 1, &status).logicalIndex() + 1;
            if (!status)
                return status;
        }
        entityIndex = index;
    }
    const MPlug element = arrayPlug.elementByLogicalIndex(entityIndex, &status);
    if (!status)
        return status;
    const MPlug matrixChild = element.child(static_cast<unsigned int>(matrixChildIndex), &status);
    if (!status)
        return status;
    status = dgModifier.connect(worldMatrix, matrixChild);
    if (!status)
        return status;

    // A plain transform is a position without a volume; only a locator of the
    // command's own kind brings its shape along.
    const MTypeId typeId = nodeFn.typeId(&status);
    if (!status)
        return status;
    if (typeId != locatorTypeId)
        return MS::kSuccess;

    const char* const sourceNames[] = {"volumeType", "width", "height", "depth"};
    MPlug sources[4];
    for (int s = 0; s < 4; ++s)
    {
        sources[s] = nodeFn.findPlug(sourceNames[s], false, &status);
        if (!status)
            return status;
    }
    MPlug destinations[4];
    destinations[0] = element.child(static_cast<unsigned int>(volumeTypeChildIndex), &status);
    if (!status)
        return status;
    const MPlug volumeData = element.child(static_cast<unsigned int>(volumeDataChildIndex), &status);
    if (!status)
        return status;
    for (unsigned int c = 0; c < 3; ++c)
    {
        destinations[c + 1] = volumeData.child(c, &status);
        if (!status)
            return status;
    }
    for (int s = 0; s < 4; ++s)
    {
        status = dgModifier.connect(sources[s], destinations[s]);
        if (!status)
            return status;
    }
    return MS::kSuccess;
}

unsigned int EntityCmd::GetEntityIndex(MStatus& status)
{
    status = MS::kSuccess;
    if (entityIndex != kUnknownIndex)
        return entityIndex;

    MPlug arrayPlug = EntityArrayPlug(status);
    if (!status)
        return kUnknownIndex;
    const unsigned int count = arrayPlug.numElements(&status);
    if (!status)
        return kUnknownIndex;
    const MObject transform = entityPath.transform();
    const MObject node = entityPath.node();

    const struct
    {
        bool supported;
        int childIndex;
    } candidates[] = {{supportsPosition, matrixChildIndex},
                      {supportsCurve, curveChildIndex},
                      {supportsMesh, meshChildIndex}};
    MPlugArray sources;
    // Walking the existing elements (rather than logical indices 0..count-1)
    // also finds an entity above a gap in a sparse array.
    for (unsigned int p = 0; p < count; ++p)
    {
        const MPlug element = arrayPlug.elementByPhysicalIndex(p, &status);
        if (!status)
            return kUnknownIndex;
        sources.clear();
        for (const auto& candidate : candidates)
        {
            if (!candidate.supported || sources.length() > 0)
                continue;
            const MPlug child = element.child(static_cast<unsigned int>(candidate.childIndex), &status);
            if (!status)
                return kUnknownIndex;
            child.connectedTo(sources, true, false, &status);
            if (!status)
                return kUnknownIndex;
        }
        for (unsigned int s = 0; s < sources.length(); ++s)
        {
            const MObject sourceNode = sources[s].node();
            if (sourceNode == transform || sourceNode == node)
            {
                entityIndex = element.logicalIndex();
                return entityIndex;
            }
        }
    }
    entityIndex = ChooseFreeIndex(arrayPlug);
    return entityIndex;
}

MStatus EntityCmd::FindEntityLocator(MObject& outLocator) const
{
    MStatus status;
    const MFnDagNode transformFn(entityPath.transform(), &status);
    if (!status)
        return status;
    const unsigned int count = transformFn.childCount(&status);
    if (!status)
        return status;
    const MObject entityNode = entityPath.node();
    std::vector<MObject> siblings;
    for (unsigned int c = 0; c < count; ++c)
    {
        const MObject child = transformFn.child(c, &status);
        if (!status)
            return status;
        if (child != entityNode)
            siblings.push_back(child);
    }
    // No other child: callers take the failure as "no locator" and go on.
    if (siblings.empty())
        return MS::kFailure;

    for (const MObject& sibling : siblings)
    {
        const MFnDependencyNode siblingFn(sibling, &status);
        if (!status)
            return status;
        const MTypeId typeId = siblingFn.typeId(&status);
        if (!status)
            return status;
        if (typeId == locatorTypeId)
        {
            outLocator = sibling;
            return MS::kSuccess;
        }
    }
    return MS::kSuccess;
}

MStatus EntityCmd::GetEntitySources(std::vector<EntitySource>& outSources) const
{
    outSources.clear();
    MStatus status;
    const MPlug arrayPlug = EntityArrayPlug(status);
    if (!status)
        return status;
    const unsigned int count = arrayPlug.numConnectedElements(&status);
    if (!status)
        return status;

    const struct
    {
        bool supported;
        int childIndex;
        EntityKind kind;
    } candidates[] = {{supportsPosition, matrixChildIndex, EntityKind::kPosition},
                      {supportsCurve, curveChildIndex, EntityKind::kCurve},
                      {supportsMesh, meshChildIndex, EntityKind::kMesh}};
    MPlugArray sources;
    for (unsigned int p = 0; p < count; ++p)
    {
        const MPlug element = arrayPlug.connectionByPhysicalIndex(p, &status);
        if (!status)
            return status;
        for (const auto& candidate : candidates)
        {
            if (!candidate.supported)
                continue;
            const MPlug child = element.child(static_cast<unsigned int>(candidate.childIndex), &status);
            if (!status)
                return status;
            child.connectedTo(sources, true, false, &status);
            if (!status)
                return status;
            if (sources.length() > 0)
            {
                outSources.push_back({candidate.kind, sources[0]});
                break;
            }
        }
    }
    return MS::kSuccess;
}

MStatus EntityCmd::ListEntityNames(MStringArray& outNames) const
{
    outNames.clear();
    std::vector<EntitySource> entities;
    MStatus status = GetEntitySources(entities);
    if (!status)
        return status;
    for (const EntitySource& entity : entities)
    {
        // A position comes from the transform itself; curves and meshes come
        // from a shape, which is named by its transform.
        MObject named = entity.source.node(&status);
        if (!status)
            return status;
        if (entity.kind != EntityKind::kPosition)
        {
            const MFnDagNode shapeFn(named, &status);
            if (!status)
                return status;
            named = shapeFn.parent(0, &status);
            if (!status)
                return status;
        }
        const MFnDagNode namedFn(named, &status);
        if (!status)
            return status;
        MString name = namedFn.partialPathName(&status);
        if (!status)
            return status;
        if (includeType)
            name += entity.kind == EntityKind::kPosition ? " (position)"
                    : entity.kind == EntityKind::kCurve  ? " (curve)"
                                                         : " (mesh)";
        outNames.append(name);
    }
    return MS::kSuccess;
}

MStatus EntityCmd::ListEntityTypes(MStringArray& outTypes) const
{
    outTypes.clear();
    std::vector<EntitySource> entities;
    const MStatus status = GetEntitySources(entities);
    if (!status)
        return status;
    for (const EntitySource& entity : entities)
        outTypes.append(entity.kind == EntityKind::kPosition ? "position"
                        : entity.kind == EntityKind::kCurve  ? "curve"
                                                             : "mesh");
    return MS::kSuccess;
}

MStatus EntityCmd::ListEntityIndices(MIntArray& outIndices) const
{
    outIndices.clear();
    MStatus status;
    const MPlug arrayPlug = EntityArrayPlug(status);
    if (!status)
        return status;
    const unsigned int count = arrayPlug.numConnectedElements(&status);
    if (!status)
        return status;
    MPlugArray sources;
    for (unsigned int p = 0; p < count; ++p)
    {
        const MPlug element = arrayPlug.connectionByPhysicalIndex(p, &status);
        if (!status)
            return status;
        const unsigned int children = element.numChildren(&status);
        if (!status)
            return status;
        bool counted = false;
        for (unsigned int c = 0; c < children && !counted; ++c)
        {
            const MPlug child = element.child(c, &status);
            if (!status)
                return status;
            child.connectedTo(sources, true, false, &status);
            if (!status)
                return status;
            counted = sources.length() == 1 && !IsAnimCurve(sources[0].node());
        }
        if (counted)
        {
            const unsigned int logical = element.logicalIndex(&status);
            if (!status)
                return status;
            outIndices.append(static_cast<int>(logical));
        }
    }
    return MS::kSuccess;
}

MStatus EntityCmd::AddKeyableAttributes(MFnDependencyNode& transform, ArrayView<KeyableAttribute> table)
{
    for (const KeyableAttribute& attribute : table)
    {
        // Attributes from an earlier -makeKeyable stay as the user left them.
        if (transform.hasAttribute(attribute.longName))
            continue;
        MStatus status;
        MObject object;
        switch (attribute.kind)
        {
        case KeyableAttribute::Kind::kDouble:
            object = CreateNumeric(attribute, MFnNumericData::kDouble, status);
            break;
        case KeyableAttribute::Kind::kInt:
            object = CreateNumeric(attribute, MFnNumericData::kInt, status);
            break;
        case KeyableAttribute::Kind::kBool:
            object = CreateNumeric(attribute, MFnNumericData::kBoolean, status);
            break;
        case KeyableAttribute::Kind::kDistance:
            object = CreateDistance(attribute, status);
            break;
        case KeyableAttribute::Kind::kEnum:
            object = CreateEnum(attribute, status);
            break;
        }
        if (!status)
            return status;
        status = transform.addAttribute(object);
        if (!status)
            return status;
    }
    return MS::kSuccess;
}
