// The field's attribute schema as the host registered it: every attribute's
// type, default, limits, flags and enum fields, the order of the top-level
// attributes and of the compound children, and the affects relations.

#include "NodeTestUtil.h"

#include <maya/MFnNumericData.h>
#include <maya/MFnUnitAttribute.h>

#include <sstream>
#include <string>
#include <vector>

namespace
{
using vxhost::Attribute;
using vxhost::AttributeKind;

/// One attribute as the schema tables give it. Compound children are listed
/// in index order, the order the entity commands connect them by. Limits are listed in the order
/// min, max, soft min, soft max; flags are "keyable", "hidden", "array".
struct Row
{
    const char* name;
    const char* shortName;
    const char* type;
    const char* value; ///< the default; both numbers for pairs
    const char* limits;
    const char* flags;
    /// Enum fields as "Name=code", or a compound's children in order; separated
    /// by commas.
    const char* fields = "";
};

constexpr const char* kTypeFields = "Constant=0,Range=1,Expression=2";

const Row kRows[] = {
    {"simulationAccuracy", "sa", "double", "1", "min 0, max 1", "keyable"},
    {"simulationAccuracyRange", "sar", "double2", "1 1", "min 0, max 1", "",
     "simulationAccuracyRange0,simulationAccuracyRange1"},
    {"simulationAccuracyType", "sat", "enum", "0", "", "", kTypeFields},
    {"boidSeparation", "bs", "distance", "2", "min 0, soft max 10", "keyable"},
    {"boidSeparationRange", "bsr", "double2", "2 2", "min 0", "",
     "boidSeparationRange0,boidSeparationRange1"},
    {"boidSeparationType", "bst", "enum", "0", "", "", kTypeFields},
    {"obstacleSeparation", "os", "distance", "5", "min 0, soft max 10", "keyable"},
    {"obstacleSeparationRange", "osr", "double2", "5 5", "min 0", "",
     "obstacleSeparationRange0,obstacleSeparationRange1"},
    {"obstacleSeparationType", "ost", "enum", "0", "", "", kTypeFields},
    {"numberOfNeighbours", "nn", "int", "2", "min 0, soft max 10", "keyable"},
    {"numberOfNeighboursRange", "nnr", "int2", "2 2", "min 0", "",
     "numberOfNeighboursRange0,numberOfNeighboursRange1"},
    // A pair's children take their number's default and limits.
    {"numberOfNeighboursRange0", "nnr0", "int", "2", "min 0", ""},
    {"numberOfNeighboursType", "nnt", "enum", "0", "", "", kTypeFields},
    {"maximumSpeed", "ms", "distance", "3", "min 0, soft max 100", "keyable"},
    {"maximumSpeedRange", "msr", "double2", "3 3", "min 0", "", "maximumSpeedRange0,maximumSpeedRange1"},
    {"maximumSpeedType", "mst", "enum", "0", "", "", kTypeFields},
    {"maximumForce", "mf", "distance", "10", "min 0, soft max 100", "keyable"},
    {"maximumForceRange", "mfr", "double2", "10 10", "min 0", "", "maximumForceRange0,maximumForceRange1"},
    {"maximumForceType", "mft", "enum", "0", "", "", kTypeFields},
    {"boidSeparationUrge", "bsu", "double", "1", "min 0, soft max 1", "keyable"},
    {"boidSeparationUrgeRange", "bsur", "double2", "1 1", "min 0, soft max 1", "",
     "boidSeparationUrgeRange0,boidSeparationUrgeRange1"},
    {"boidSeparationUrgeType", "bsut", "enum", "0", "", "", kTypeFields},
    {"flockCentringUrge", "fcu", "double", "1", "min 0, soft max 1", "keyable"},
    {"flockCentringUrgeRange", "fcur", "double2", "1 1", "min 0, soft max 1", "",
     "flockCentringUrgeRange0,flockCentringUrgeRange1"},
    {"flockCentringUrgeType", "fcut", "enum", "0", "", "", kTypeFields},
    {"velocityMatchingUrge", "vmu", "double", "1", "min 0, soft max 1", "keyable"},
    {"velocityMatchingUrgeRange", "vmur", "double2", "1 1", "min 0, soft max 1", "",
     "velocityMatchingUrgeRange0,velocityMatchingUrgeRange1"},
    {"velocityMatchingUrgeType", "vmut", "enum", "0", "", "", kTypeFields},

    {"target", "tgt", "compound", "", "", "array",
     // The second parenting of the dimensions is refused by the host: they
     // stay under targetVolumeData alone.
     "targetSteeringType,targetArrivalDistance,targetMatrix,targetCurve,targetWeight,targetRadius,"
     "targetWanderStrength,targetWanderRate,targetWanderMode,targetCurveDirLimit,targetVolumeType,"
     "targetVolumeData,targetCurveVolumeData,targetVolumeInfluenceMethod,targetUseCurveVolume,"
     "targetWanderAttraction,targetContainment,targetContainmentSeparationMin,targetReverseCurveDirection"},
    {"targetSteeringType", "tst", "enum", "0", "", "", "Seek=0,Flee=1,Wander=2,Path Follow=5"},
    {"targetArrivalDistance", "tad", "distance", "0", "min 0, soft max 50", "keyable"},
    {"targetMatrix", "tm", "matrix", "", "", "hidden"},
    {"targetCurve", "tc", "nurbsCurve", "", "", "hidden"},
    {"targetWeight", "tw", "double", "1", "min 0, max 1", "keyable"},
    {"targetRadius", "tr", "double", "0", "", "hidden"},
    {"targetWanderStrength", "tws", "double", "1", "min 0, max 1", "keyable"},
    {"targetWanderRate", "twr", "double", "1", "min 0, max 1", "keyable"},
    {"targetWanderMode", "twm", "enum", "1", "", "",
     "Random Direction=0,Spherical Constraint=1,Perlin Noise=2"},
    {"targetCurveDirLimit", "tcdl", "bool", "0", "", "keyable"},
    {"targetVolumeType", "tvt", "enum", "0", "", "", "Sphere=0,Capsule=1,Box=2,Curve=3"},
    {"targetVolumeData", "tvd", "compound", "", "", "",
     "targetVolumeWidth,targetVolumeHeight,targetVolumeDepth"},
    {"targetVolumeWidth", "tvw", "distance", "0", "", "keyable"},
    {"targetVolumeHeight", "tvh", "distance", "0", "", "keyable"},
    {"targetVolumeDepth", "tvdp", "distance", "0", "", "keyable"},
    {"targetCurveVolumeData", "tcvd", "pointArray", "", "", ""},
    {"targetVolumeInfluenceMethod", "tvim", "enum", "0", "", "", "Full=0,Linear Falloff=1"},
    {"targetUseCurveVolume", "tucv", "bool", "0", "", "keyable"},
    {"targetWanderAttraction", "twa", "double", "0", "min 0, max 1", "keyable"},
    {"targetContainment", "tcon", "bool", "0", "", "keyable"},
    {"targetContainmentSeparationMin", "tcsm", "double", "0.25", "min 0, soft max 1", "keyable"},
    {"targetReverseCurveDirection", "trcd", "bool", "0", "", "keyable"},

    {"modifier", "mod", "compound", "", "", "array",
     "modifierWorldMatrix,modifierVolumeType,modifierMaximumSpeed,modifierMaximumForce,"
     "modifierBoidSeparation,"
     "modifierObstacleSeparation,modifierNumNeighbours,modifierVolumeData,modifierCurveVolumeData,"
     "modifierSimulationAccuracy,modifierModificationMethod,modifierVolumeInfluenceMethod,modifierWeight,"
     "modifierBoidSeparationUrge,modifierFlockCentringUrge,modifierVelocityMatchingUrge"},
    {"modifierWorldMatrix", "mwm", "matrix", "", "", "hidden"},
    {"modifierVolumeType", "mvt", "enum", "0", "", "", "Sphere=0,Capsule=1,Box=2"},
    {"modifierMaximumSpeed", "mms", "distance", "3", "soft min 0, soft max 100", "keyable"},
    {"modifierMaximumForce", "mmf", "distance", "10", "soft min 0, soft max 100", "keyable"},
    {"modifierBoidSeparation", "mbs", "distance", "2", "soft min 0, soft max 10", "keyable"},
    {"modifierObstacleSeparation", "mos", "distance", "5", "soft min 0, soft max 10", "keyable"},
    {"modifierNumNeighbours", "mnn", "int", "2", "soft min 0, soft max 10", "keyable"},
    {"modifierVolumeData", "mvd", "compound", "", "", "",
     "modifierVolumeWidth,modifierVolumeHeight,modifierVolumeDepth"},
    {"modifierVolumeWidth", "mvw", "distance", "1", "", "keyable"},
    {"modifierVolumeHeight", "mvh", "distance", "1", "", "keyable"},
    {"modifierVolumeDepth", "mvdp", "distance", "1", "", "keyable"},
    {"modifierCurveVolumeData", "mcvd", "double2", "1 1", "", "keyable array",
     "modifierCurveVolumeData0,modifierCurveVolumeData1"},
    {"modifierCurveVolumeData0", "mcvd0", "double", "1", "", "keyable"},
    {"modifierSimulationAccuracy", "msa", "double", "1", "min -1, max 1, soft min 0", "keyable"},
    {"modifierModificationMethod", "mmm", "enum", "0", "", "", "Override=0,Additive=1"},
    {"modifierVolumeInfluenceMethod", "mvim", "enum", "0", "", "", "Full=0,Linear Falloff=1"},
    {"modifierWeight", "mw", "double", "1", "min 0, max 1", "keyable"},
    {"modifierBoidSeparationUrge", "mbsu", "double", "1", "min 0, soft max 1", "keyable"},
    {"modifierFlockCentringUrge", "mfcu", "double", "1", "min 0, soft max 1", "keyable"},
    {"modifierVelocityMatchingUrge", "mvmu", "double", "1", "min 0, soft max 1", "keyable"},

    {"obstacle", "obs", "compound", "", "", "array",
     "obstacleWorldMatrix,obstacleVolumeType,obstacleVolumeData,obstacleMesh"},
    {"obstacleWorldMatrix", "obswm", "matrix", "", "", "hidden"},
    {"obstacleVolumeType", "obsvt", "enum", "0", "", "", "Sphere=0,Capsule=1,Box=2,Mesh=4"},
    {"obstacleVolumeData", "obsvd", "compound", "", "", "",
     "obstacleVolumeWidth,obstacleVolumeHeight,obstacleVolumeDepth"},
    {"obstacleVolumeWidth", "ovwd", "distance", "1", "", "keyable"},
    {"obstacleVolumeHeight", "ovht", "distance", "1", "", "keyable"},
    {"obstacleVolumeDepth", "ovdp", "distance", "1", "", "keyable"},
    {"obstacleMesh", "obsmsh", "mesh", "", "", "hidden"},
};

std::string TypeOf(const Attribute& a)
{
    switch (a.kind)
    {
    case AttributeKind::kNumeric:
        switch (a.numericType)
        {
        case MFnNumericData::kDouble:
            return "double";
        case MFnNumericData::k2Double:
            return "double2";
        case MFnNumericData::kInt:
            return "int";
        case MFnNumericData::k2Int:
            return "int2";
        case MFnNumericData::kBoolean:
            return "bool";
        }
        return "numeric " + std::to_string(a.numericType);
    case AttributeKind::kUnit:
        return a.unitType == MFnUnitAttribute::kDistance ? "distance" : "unit";
    case AttributeKind::kEnum:
        return "enum";
    case AttributeKind::kTyped:
        switch (a.dataType)
        {
        case MFnData::kNurbsCurve:
            return "nurbsCurve";
        case MFnData::kPointArray:
            return "pointArray";
        case MFnData::kMesh:
            return "mesh";
        }
        return "typed " + std::to_string(a.dataType);
    case AttributeKind::kMatrix:
        return "matrix";
    case AttributeKind::kCompound:
        return "compound";
    case AttributeKind::kMessage:
        return "message";
    }
    return "?";
}

/// The attribute written as a row of the tables, so that one comparison
/// shows every difference.
std::string Describe(const Attribute& a)
{
    std::ostringstream out;
    const std::string type = TypeOf(a);
    out << a.name << ' ' << a.shortName << ' ' << type << " [";
    const bool pair = type == "double2" || type == "int2";
    const bool typed = a.kind == AttributeKind::kTyped || a.kind == AttributeKind::kMatrix ||
                       a.kind == AttributeKind::kCompound;
    if (!typed)
        out << a.defaults[0];
    if (pair)
        out << ' ' << a.defaults[1];
    out << "] [";
    // Pairs are limited number by number; both numbers must agree.
    const char* sep = "";
    const auto limit = [&](bool has, const char* what, double v, double v2)
    {
        if (!has)
            return;
        out << sep << what << ' ' << v;
        if (pair && v2 != v)
            out << '/' << v2;
        sep = ", ";
    };
    limit(a.hasMin, "min", a.min[0], a.min[1]);
    limit(a.hasMax, "max", a.max[0], a.max[1]);
    // Soft limits belong to single numbers: a pair's are its children's.
    const Attribute& first = pair ? *a.children.at(0) : a;
    const Attribute& second = pair ? *a.children.at(1) : a;
    limit(first.hasSoftMin || second.hasSoftMin, "soft min", first.softMin, second.softMin);
    limit(first.hasSoftMax || second.hasSoftMax, "soft max", first.softMax, second.softMax);
    out << "] [";
    sep = "";
    for (const auto& [flag, name] : {std::pair{a.keyable, "keyable"},
                                     {a.hidden, "hidden"},
                                     {a.array, "array"},
                                     {!a.readable, "!readable"},
                                     {!a.writable, "!writable"},
                                     {!a.storable, "!storable"},
                                     {!a.connectable, "!connectable"}})
        if (flag)
        {
            out << sep << name;
            sep = " ";
        }
    out << "] [";
    sep = "";
    for (const auto& [field, code] : a.enumFields)
    {
        out << sep << field << '=' << code;
        sep = ",";
    }
    for (const auto& child : a.children)
    {
        out << sep << child->name;
        sep = ",";
    }
    out << ']';
    return out.str();
}

std::string Expected(const Row& r)
{
    return std::string(r.name) + ' ' + r.shortName + ' ' + r.type + " [" + r.value + "] [" + r.limits +
           "] [" + r.flags + "] [" + r.fields + ']';
}

const vxhost::NodeClass& FieldClass()
{
    vxtest::EnsurePluginLoaded();
    const vxhost::NodeClass* cls = vxhost::NodeRegistry::Get().Find("particleVolarix");
    EXPECT_NE(cls, nullptr);
    return *cls;
}

} // namespace

TEST(VolarixAttributes, EveryAttributeMatchesTheSchemaTables)
{
    const vxhost::NodeClass& cls = FieldClass();
    for (const Row& row : kRows)
    {
        const Attribute* a = cls.Find(row.name);
        ASSERT_NE(a, nullptr) << row.name;
        EXPECT_EQ(Describe(*a), Expected(row));
        // Typed data has a null default.
        EXPECT_TRUE(a->defaultData.isNull()) << row.name;
    }
}

// The parameters in the order they are added (numberOfNeighbours after
// maximumForce, unlike the creation order), which is also the order of their
// affects relations.
const std::vector<std::string> kParametersAdded = {
    "simulationAccuracy",   "simulationAccuracyRange",   "simulationAccuracyType",
    "boidSeparation",       "boidSeparationRange",       "boidSeparationType",
    "obstacleSeparation",   "obstacleSeparationRange",   "obstacleSeparationType",
    "maximumSpeed",         "maximumSpeedRange",         "maximumSpeedType",
    "maximumForce",         "maximumForceRange",         "maximumForceType",
    "numberOfNeighbours",   "numberOfNeighboursRange",   "numberOfNeighboursType",
    "boidSeparationUrge",   "boidSeparationUrgeRange",   "boidSeparationUrgeType",
    "flockCentringUrge",    "flockCentringUrgeRange",    "flockCentringUrgeType",
    "velocityMatchingUrge", "velocityMatchingUrgeRange", "velocityMatchingUrgeType"};

TEST(VolarixAttributes, OnlyTopLevelAttributesAreAddedInOrder)
{
    std::vector<std::string> added;
    for (const auto& a : FieldClass().attributes)
        added.push_back(a->name);
    std::vector<std::string> expected = kParametersAdded;
    expected.insert(expected.end(), {"target", "modifier", "obstacle"});
    EXPECT_EQ(added, expected);
}

TEST(VolarixAttributes, AffectsRelationsInDeclarationOrder)
{
    const vxhost::NodeClass& cls = FieldClass();
    std::vector<std::string> expected = kParametersAdded;
    expected.insert(expected.end(),
                    {// Targets: not the volume type, shape data, curve samples, influence
                     // method or use of the curve volume.
                     "target", "targetSteeringType", "targetArrivalDistance", "targetMatrix", "targetCurve",
                     "targetCurveDirLimit", "targetWeight", "targetRadius", "targetWanderStrength",
                     "targetWanderRate", "targetWanderMode", "targetWanderAttraction", "targetContainment",
                     "targetContainmentSeparationMin", "targetReverseCurveDirection", "targetVolumeWidth",
                     "targetVolumeHeight", "targetVolumeDepth",
                     // Modifiers: not the urges.
                     "modifier", "modifierWorldMatrix", "modifierVolumeType", "modifierMaximumSpeed",
                     "modifierMaximumForce", "modifierBoidSeparation", "modifierObstacleSeparation",
                     "modifierNumNeighbours", "modifierVolumeWidth", "modifierVolumeHeight",
                     "modifierVolumeDepth", "modifierCurveVolumeData", "modifierSimulationAccuracy",
                     "modifierModificationMethod", "modifierVolumeInfluenceMethod", "modifierWeight",
                     // Obstacles: not the array itself.
                     "obstacleWorldMatrix", "obstacleVolumeWidth", "obstacleVolumeHeight",
                     "obstacleVolumeDepth", "obstacleVolumeType", "obstacleMesh"});
    ASSERT_EQ(expected.size(), 67u);

    std::vector<std::string> declared;
    for (const auto& [whenChanges, isAffected] : cls.affects)
    {
        declared.push_back(whenChanges->name);
        EXPECT_EQ(isAffected->name, "outputForce") << whenChanges->name;
    }
    EXPECT_EQ(declared, expected);
}
