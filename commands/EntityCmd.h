#pragma once

#include "ArrayView.h"

#include <maya/MApiNamespace.h>
#include <maya/MDGModifier.h>
#include <maya/MDagPath.h>
#include <maya/MIntArray.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MSyntax.h>
#include <maya/MTypeId.h>

#include <optional>
#include <vector>

/// One field of an enum attribute that the commands add.
struct KeyableEnumField
{
    const char* name;
    short value;
};

/// A keyable dynamic attribute that `-makeKeyable` adds to an entity's
/// transform. Distances are in centimetres; limits left empty are not set.
struct KeyableAttribute
{
    enum class Kind
    {
        kDouble,
        kInt,
        kBool,
        kDistance,
        kEnum
    };

    const char* longName;
    const char* shortName;
    Kind kind;
    double defaultValue;
    std::optional<double> min = std::nullopt;
    std::optional<double> max = std::nullopt;
    std::optional<double> softMin = std::nullopt;
    std::optional<double> softMax = std::nullopt;
    ArrayView<KeyableEnumField> fields = {};
};

/// The frame shared by the target, modifier and obstacle commands: it finds
/// the selected particleVolarix field and entity, connects the entity into a
/// new element of the field's "target", "modifier" or "obstacle" array,
/// answers the queries about connected entities, and undoes and redoes the
/// connections through one MDGModifier. Subclasses set the constants in
/// their constructors and supply the curve, mesh and keyable steps.
///
/// Values written straight to plugs and dynamic attributes added to the
/// entity's transform are not undone: only connections go through the
/// modifier.
class EntityCmd : public MPxCommand
{
public:
    EntityCmd() = default;
    ~EntityCmd() override = default;

    MStatus doIt(const MArgList& args) override;
    MStatus undoIt() override;
    MStatus redoIt() override;
    bool isUndoable() const override;

    /// Connects a NURBS curve entity (entityKindToAdd 2).
    virtual MStatus ConnectEntityCurve() = 0;
    /// Connects a polygon mesh entity (entityKindToAdd 3).
    virtual MStatus ConnectEntityMesh() = 0;
    /// Adds the kind's keyable attributes to the entity's transform.
    virtual MStatus MakeEntityKeyable() = 0;

    /// The syntax that all three commands share.
    static MSyntax newSyntax();

    /// entityIndex before any connection step has chosen an element.
    static constexpr unsigned int kUnknownIndex = 0xFFFFFFFFu;

protected:
    /// Connects the entity transform's world matrix, and the volume of a
    /// locator of this command's kind, to a new element of the field's array.
    MStatus ConnectEntityTransform();
    /// The element the entity uses: the known one, the one its existing
    /// connections occupy, or else a free one. kUnknownIndex with a failed
    /// status when a host call fails.
    unsigned int GetEntityIndex(MStatus& status);
    /// The first sibling of the entity node under its transform that is a
    /// locator of this command's kind (null when no sibling is one); kFailure
    /// when the transform has no other child, outLocator then untouched.
    MStatus FindEntityLocator(MObject& outLocator) const;

    /// The field's array plug named entityTypeName.
    MPlug EntityArrayPlug(MStatus& status) const;
    /// The element a curve or mesh entity takes: the one already chosen by an
    /// earlier run of the same command (so that redo reconnects exactly what
    /// undo removed), else the lowest logical index that no element uses
    /// (0 when the elements cannot be counted).
    unsigned int ChooseFreeIndex(MPlug& arrayPlug);
    /// The entity node's geometry output outputName[0] ("worldSpace",
    /// "worldMesh") and the free element of the field's array it goes to,
    /// whose index is kept in entityIndex.
    MStatus GeometryOutputAndElement(const char* outputName, MPlug& output, MPlug& element);
    /// Queues source -> destination on the modifier, unless exactly that
    /// connection is already made (by an earlier -makeKeyable): it is then
    /// left alone, so the modifier neither fails on it nor undoes it.
    MStatus QueueConnection(const MPlug& source, const MPlug& destination);
    /// Creates the keyable attributes of the table that the transform does
    /// not have yet, in table order.
    static MStatus AddKeyableAttributes(MFnDependencyNode& transform,
                                        ArrayView<KeyableAttribute> table);

    // Declaration order is part of the command's state contract; keep it.
    int entityKindToAdd = 0; ///< what redo connects: 0 nothing, 1 position, 2 curve, 3 mesh
    unsigned int entityIndex = kUnknownIndex;
    bool includeType = false;
    MDGModifier dgModifier;
    MDagPath fieldPath;
    MDagPath entityPath;
    MString entityKindArg;
    MString entityTypeName;
    bool supportsPosition = false;
    bool supportsCurve = false;
    bool supportsMesh = false;
    int matrixChildIndex = -1;
    int curveChildIndex = -1;
    int meshChildIndex = -1;
    int volumeTypeChildIndex = -1;
    int volumeDataChildIndex = -1;
    MTypeId locatorTypeId;
    bool makeKeyable = false;

private:
    enum class EntityKind
    {
        kPosition,
        kCurve,
        kMesh
    };

    /// What feeds one connected element of the field's array.
    struct EntitySource
    {
        EntityKind kind;
        MPlug source;
    };

    MStatus GetFieldFromSelection(const MSelectionList& list, bool& found);
    MStatus GetEntityFromSelection(const MSelectionList& list, bool& found);
    bool IsEntityConnected(MStatus& status) const;
    bool IsPlugConnectedToField(const MPlug& arrayPlug, MStatus& status) const;
    MStatus ListEntityNames(MStringArray& outNames) const;
    MStatus ListEntityIndices(MIntArray& outIndices) const;
    MStatus ListEntityTypes(MStringArray& outTypes) const;
    /// For each connected element, in physical order, the first of its
    /// matrix, curve and mesh children (those the command supports) that has
    /// an incoming connection, and that connection's source. Elements with
    /// none of them are left out.
    MStatus GetEntitySources(std::vector<EntitySource>& outSources) const;

    MStatus AddEntity(const MArgDatabase& args, const MSelectionList& objects);
    MStatus EditEntity(const MArgDatabase& args, const MSelectionList& objects);
    MStatus QueryEntities(const MArgDatabase& args, const MSelectionList& objects);
};
