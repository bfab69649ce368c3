#include "SceneWriter.h"

#include "DynExpression.h"
#include "EmitLog.h"
#include "PlugLookup.h"

#include "dg/DataObjects.h"
#include "dg/PlugState.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"
#include "geometry/MeshData.h"
#include "geometry/NurbsCurveData.h"

#include <maya/MDistance.h>
#include <maya/MFnData.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MTime.h>
#include <vxhost/CRandom.h>
#include <vxhost/CommandEngine.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <sstream>

namespace vxhost
{
namespace
{
// The C-runtime state as the last run left the start frame: a scene saved
// past the start frame replays its steps from it.
struct RunStart
{
    bool known = false;
    unsigned randomState = 0;
};

RunStart& LastRunStart()
{
    static RunStart start;
    return start;
}

const bool kRunStartHook = []
{
    Dynamics::Get().AddParticleHook(
        [](ParticlePhase phase, double, const std::vector<std::shared_ptr<Node>>&)
        {
            if (phase == ParticlePhase::kStartOfRun)
                LastRunStart() = {true, RandomState()};
            return MStatus(MStatus::kSuccess);
        });
    return true;
}();

struct LinearUnitName
{
    MDistance::Unit unit;
    const char* name;
};

constexpr LinearUnitName kLinearUnitNames[] = {
    {MDistance::kMillimeters, "millimeter"},
    {MDistance::kCentimeters, "centimeter"},
    {MDistance::kMeters, "meter"},
    {MDistance::kKilometers, "kilometer"},
    {MDistance::kInches, "inch"},
    {MDistance::kFeet, "foot"},
    {MDistance::kYards, "yard"},
    {MDistance::kMiles, "mile"},
};

struct TimeUnitName
{
    MTime::Unit unit;
    const char* name;
};

// currentUnit's names for the time units.
constexpr TimeUnitName kTimeUnitNames[] = {
    {MTime::kHours, "hour"},          {MTime::kMinutes, "min"},
    {MTime::kSeconds, "sec"},         {MTime::kMilliseconds, "millisec"},
    {MTime::kGames, "game"},          {MTime::kFilm, "film"},
    {MTime::kPALFrame, "pal"},        {MTime::kNTSCFrame, "ntsc"},
    {MTime::kShowScan, "show"},       {MTime::kPALField, "palf"},
    {MTime::kNTSCField, "ntscf"},     {MTime::k2FPS, "2fps"},
    {MTime::k3FPS, "3fps"},           {MTime::k4FPS, "4fps"},
    {MTime::k5FPS, "5fps"},           {MTime::k6FPS, "6fps"},
    {MTime::k8FPS, "8fps"},           {MTime::k10FPS, "10fps"},
    {MTime::k12FPS, "12fps"},         {MTime::k16FPS, "16fps"},
    {MTime::k20FPS, "20fps"},         {MTime::k40FPS, "40fps"},
    {MTime::k75FPS, "75fps"},         {MTime::k80FPS, "80fps"},
    {MTime::k100FPS, "100fps"},       {MTime::k120FPS, "120fps"},
    {MTime::k125FPS, "125fps"},       {MTime::k150FPS, "150fps"},
    {MTime::k200FPS, "200fps"},       {MTime::k240FPS, "240fps"},
    {MTime::k250FPS, "250fps"},       {MTime::k300FPS, "300fps"},
    {MTime::k375FPS, "375fps"},       {MTime::k400FPS, "400fps"},
    {MTime::k500FPS, "500fps"},       {MTime::k600FPS, "600fps"},
    {MTime::k750FPS, "750fps"},       {MTime::k1200FPS, "1200fps"},
    {MTime::k1500FPS, "1500fps"},     {MTime::k2000FPS, "2000fps"},
    {MTime::k3000FPS, "3000fps"},     {MTime::k6000FPS, "6000fps"},
    {MTime::k23_976FPS, "23.976fps"}, {MTime::k29_97FPS, "29.97fps"},
    {MTime::k29_97DF, "29.97df"},     {MTime::k47_952FPS, "47.952fps"},
    {MTime::k59_94FPS, "59.94fps"},   {MTime::k44100FPS, "44100fps"},
    {MTime::k48000FPS, "48000fps"},   {MTime::k90FPS, "90fps"},
};

std::string LinearUnitText()
{
    for (const LinearUnitName& n : kLinearUnitNames)
        if (n.unit == MDistance::uiUnit())
            return n.name;
    return "centimeter";
}

std::string TimeUnitText()
{
    for (const TimeUnitName& n : kTimeUnitNames)
        if (n.unit == MTime::uiUnit())
            return n.name;
    return "film";
}

// A string as the script reader reads it back.
std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text)
        switch (c)
        {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    return out + "\"";
}

// FormatDouble, but keeping the sign of zero: a saved scene gives back
// every bit.
std::string Number(double value)
{
    return value == 0.0 && std::signbit(value) ? "-0" : FormatDouble(value);
}

bool SameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The plug as LookUpPlug reads it: the attribute's own name when that finds
// it, else every step from the top. Quoted, as every name the script
// writes: names made before they were checked must not run as commands.
std::string PlugText(const Node& node, const PlugPath& path)
{
    bool indexed = false;
    for (const PlugStep& step : path)
        indexed = indexed || (step.attribute->array && step.index >= 0);
    const Attribute* leaf = path.back().attribute;
    if (!indexed && node.FindAttribute(leaf->name) == leaf)
        return Quoted(node.name + "." + leaf->name);
    std::string text = node.name;
    for (const PlugStep& step : path)
    {
        text.append(".").append(step.attribute->name);
        if (step.attribute->array && step.index >= 0)
            text.append("[").append(std::to_string(step.index)).append("]");
    }
    return Quoted(text);
}

// Runs of numbers on lines of their own, so a long array stays readable.
class NumberList
{
public:
    explicit NumberList(unsigned perLine) : fPerLine(perLine) {}
    void Add(double value)
    {
        if (fCount > 0 && fCount % fPerLine == 0)
            fText += "\n   ";
        fText.append(" ").append(Number(value));
        ++fCount;
    }
    const std::string& Text() const { return fText; }

private:
    unsigned fPerLine;
    unsigned fCount = 0;
    std::string fText;
};

// The "-type T values" setAttr (or, with exact set, setAttrExact) takes for
// a data object; false for data no command sets. `empty` tells whether it
// is the value an attribute has before anything is set.
bool DataText(const MObject& data, std::string& out, bool& exact, bool& empty)
{
    exact = false;
    if (const StringData* s = StringData::From(data))
    {
        out = "string " + Quoted(s->value);
        empty = s->value.empty();
        return true;
    }
    if (const DoubleArrayData* d = DoubleArrayData::From(data))
    {
        NumberList numbers(8);
        for (unsigned i = 0; i < d->value.length(); ++i)
            numbers.Add(d->value[i]);
        out = "doubleArray " + std::to_string(d->value.length()) + numbers.Text();
        empty = d->value.length() == 0;
        return true;
    }
    if (const IntArrayData* n = IntArrayData::From(data))
    {
        NumberList numbers(8);
        for (unsigned i = 0; i < n->value.length(); ++i)
            numbers.Add(n->value[i]);
        out = "Int32Array " + std::to_string(n->value.length()) + numbers.Text();
        empty = n->value.length() == 0;
        return true;
    }
    if (const VectorArrayData* v = VectorArrayData::From(data))
    {
        NumberList numbers(12);
        for (unsigned i = 0; i < v->value.length(); ++i)
            for (const double x : {v->value[i].x, v->value[i].y, v->value[i].z})
                numbers.Add(x);
        out = "vectorArray " + std::to_string(v->value.length()) + numbers.Text();
        empty = v->value.length() == 0;
        return true;
    }
    if (const PointArrayData* p = PointArrayData::From(data))
    {
        NumberList numbers(12);
        for (unsigned i = 0; i < p->value.length(); ++i)
            for (const double x : {p->value[i].x, p->value[i].y, p->value[i].z, p->value[i].w})
                numbers.Add(x);
        out = "pointArray " + std::to_string(p->value.length()) + numbers.Text();
        empty = p->value.length() == 0;
        return true;
    }
    if (const MatrixData* m = MatrixData::From(data))
    {
        NumberList numbers(4);
        for (unsigned i = 0; i < 16; ++i)
            numbers.Add(m->value(i / 4, i % 4));
        out = "matrix" + numbers.Text();
        empty = m->value == MMatrix();
        return true;
    }
    if (const MeshData* mesh = MeshData::From(data))
    {
        // The points are floats: a float printed as the double it is reads
        // back as the same float.
        const MeshGeometry& g = mesh->Geometry();
        const MeshTopology& t = g.Topology();
        NumberList points(12), counts(16), connects(16);
        for (int i = 0; i < 3 * g.NumVertices(); ++i)
            points.Add(static_cast<double>(g.Positions()[i]));
        for (const int c : t.Counts())
            counts.Add(c);
        for (const int c : t.Connects())
            connects.Add(c);
        out = "mesh " + std::to_string(g.NumVertices()) + points.Text() + "\n    " +
              std::to_string(g.NumPolygons()) + counts.Text() + connects.Text();
        exact = true;
        empty = g.NumVertices() == 0 && g.NumPolygons() == 0;
        return true;
    }
    if (const auto* curveData = dynamic_cast<const NurbsCurveData*>(data.HostImpl().get()))
    {
        const NurbsCurve* curve = curveData->Curve();
        if (!curve)
            return false;
        NumberList cvs(12), knots(16);
        for (const MPoint& cv : curve->CVs())
            for (const double x : {cv.x, cv.y, cv.z})
                cvs.Add(x);
        for (const double k : curve->Knots())
            knots.Add(k);
        out = "nurbsCurve " + std::to_string(curve->Degree()) + " " +
              std::to_string(static_cast<int>(curve->GetForm())) + " " + std::to_string(curve->NumCVs()) +
              cvs.Text() + "\n    " + std::to_string(curve->NumKnots()) + knots.Text();
        exact = true;
        empty = false;
        return true;
    }
    return false;
}

// The number to type for a distance, angle or time so that setAttr stores
// exactly `value`: the converted value, or one of its nearest neighbours
// when converting there and back rounds. False when none does.
bool ExactTypedNumber(const Attribute& attribute, double value, std::string& out)
{
    const double typed = InternalToScript(attribute, value);
    if (ScriptToInternal(attribute, typed) == value && std::isfinite(typed))
    {
        out = Number(typed);
        return true;
    }
    double up = typed, down = typed;
    for (int step = 0; step < 16 && std::isfinite(typed); ++step)
    {
        up = std::nextafter(up, INFINITY);
        down = std::nextafter(down, -INFINITY);
        for (const double candidate : {up, down})
            if (ScriptToInternal(attribute, candidate) == value)
            {
                out = Number(candidate);
                return true;
            }
    }
    return false;
}

// addAttr's name for a dynamic attribute's type ("-at double",
// "-dt doubleArray"); empty when addAttr cannot make it.
std::string AddAttrType(const Attribute& a)
{
    // A parent's children are written after it, each with -p.
    if (a.array || (!a.children.empty() && !a.IsTuple() && a.kind != AttributeKind::kCompound))
        return std::string();
    for (const auto& child : a.children)
        if (!child->children.empty() || AddAttrType(*child).empty())
            return std::string();
    switch (a.kind)
    {
    case AttributeKind::kNumeric:
        switch (a.numericType)
        {
        case MFnNumericData::kDouble:
            return "-at double";
        case MFnNumericData::kFloat:
            return "-at float";
        case MFnNumericData::kLong:
            return "-at long";
        case MFnNumericData::kShort:
            return "-at short";
        case MFnNumericData::kBoolean:
            return "-at bool";
        case MFnNumericData::kByte:
            return "-at byte";
        case MFnNumericData::k2Double:
            return "-at double2";
        case MFnNumericData::k3Double:
            return "-at double3";
        case MFnNumericData::k2Float:
            return "-at float2";
        case MFnNumericData::k3Float:
            return "-at float3";
        case MFnNumericData::k2Long:
            return "-at long2";
        case MFnNumericData::k3Long:
            return "-at long3";
        case MFnNumericData::k2Short:
            return "-at short2";
        case MFnNumericData::k3Short:
            return "-at short3";
        default:
            return std::string();
        }
    case AttributeKind::kUnit:
        return a.unitType == MFnUnitAttribute::kDistance ? "-at doubleLinear"
               : a.unitType == MFnUnitAttribute::kAngle  ? "-at doubleAngle"
                                                         : "-at time";
    case AttributeKind::kEnum:
    {
        // addAttr numbers the fields on from the last; a field out of that
        // order says its value ("Path Follow=5").
        std::string fields;
        int next = 0;
        for (std::size_t i = 0; i < a.enumFields.size(); ++i)
        {
            const auto& [name, value] = a.enumFields[i];
            if (name.find_first_of(":=") != std::string::npos)
                return std::string();
            fields += (i ? ":" : "") + name + (value != next ? "=" + std::to_string(value) : std::string());
            next = value + 1;
        }
        return "-at enum -en " + Quoted(fields);
    }
    case AttributeKind::kTyped:
        switch (a.dataType)
        {
        case MFnData::kDoubleArray:
            return "-dt doubleArray";
        case MFnData::kVectorArray:
            return "-dt vectorArray";
        case MFnData::kIntArray:
            return "-dt Int32Array";
        case MFnData::kPointArray:
            return "-dt pointArray";
        case MFnData::kString:
            return "-dt string";
        case MFnData::kMatrix:
            return "-dt matrix";
        case MFnData::kMesh:
            return "-dt mesh";
        case MFnData::kNurbsCurve:
            return "-dt nurbsCurve";
        default:
            return std::string();
        }
    case AttributeKind::kCompound:
        return "-at compound";
    default:
        return std::string();
    }
}

using ValueMap = std::map<const Attribute*, std::unique_ptr<DataNode>>;

class Writer
{
public:
    // `linearUnit`: the scene's own, to end with; values are written in
    // centimetres.
    Writer(std::vector<std::string>& warnings, std::string linearUnit)
        : fWarnings(warnings), fLinearUnit(std::move(linearUnit))
    {
    }

    std::string Write();

private:
    void Line(const std::string& text) { fOut << text << ";\n"; }
    void Nodes();
    void DynamicAttributes();
    void AddAttrLine(const Node& node, const Attribute& a);
    void NumberLine(const std::string& plug, const Attribute& a, double value);
    // Every value of the node; with `baseline` (the state at the start
    // frame), only what differs from it.
    void Values(const std::shared_ptr<Node>& node, const ValueMap& values, const ValueMap* baseline);
    bool Tree(const std::shared_ptr<Node>& node, const DataNode& value, PlugPath& path,
              const DataNode* baseline, bool force);
    bool Leaf(const std::shared_ptr<Node>& node, const DataNode& value, const PlugPath& path,
              const DataNode* baseline, bool force);
    void Connections();
    void Expressions();
    void Time();
    void PlugStates();

    std::vector<std::string>& fWarnings;
    std::string fLinearUnit;
    std::ostringstream fOut;
    std::vector<std::shared_ptr<Node>> fNodes; // parents before children
    std::set<const Attribute*> fUnsaved;       // dynamic attributes addAttr cannot make
    bool fAfterStart = false;                  // writing the state past the start frame
};

std::string Writer::Write()
{
    Scene& scene = Scene::Get();
    fOut << "// Written by file -save. Run it in an empty scene; it recreates this one exactly.\n";
    Line("currentUnit -l centimeter -t " + TimeUnitText());

    std::set<const Node*> placed;
    const std::function<void(const std::shared_ptr<Node>&)> place = [&](const std::shared_ptr<Node>& node)
    {
        if (!node->alive || placed.count(node.get()))
            return;
        if (node->parent)
            place(node->parent->Self());
        placed.insert(node.get());
        fNodes.push_back(node);
    };
    for (const auto& node : scene.Nodes())
        place(node);

    std::vector<std::string> plugins;
    for (const auto& node : fNodes)
        if (!node->cls->plugin.empty() &&
            std::find(plugins.begin(), plugins.end(), node->cls->plugin) == plugins.end())
            plugins.push_back(node->cls->plugin);
    for (const std::string& plugin : plugins)
        Line("loadPlugin " + Quoted(plugin));

    Nodes();
    DynamicAttributes();
    const Dynamics& dynamics = Dynamics::Get();
    for (const auto& node : fNodes)
    {
        const ValueMap* kept = dynamics.KeptValues(*node);
        Values(node, kept ? *kept : node->values, nullptr);
    }
    Connections();
    Expressions();
    Time();
    PlugStates();

    std::string selection;
    for (const auto& node : scene.Selection())
        if (node->alive)
            selection.append(" ").append(Quoted(node->name));
    Line(selection.empty() ? "select -cl" : "select -r" + selection);
    return fOut.str();
}

void Writer::Nodes()
{
    for (const auto& node : fNodes)
    {
        std::string line = "createNode " + Quoted(node->cls->typeName) + " -n " + Quoted(node->name);
        if (node->parent)
            line += " -p " + Quoted(node->parent->name);
        Line(line + " -ss");
    }
}

void Writer::DynamicAttributes()
{
    for (const auto& node : fNodes)
        for (const auto& attribute : node->dynamicAttributes)
        {
            const Attribute& a = *attribute;
            const std::string type = AddAttrType(a);
            if (type.empty())
            {
                fUnsaved.insert(&a);
                fWarnings.push_back("The dynamic attribute " + node->name + "." + a.name +
                                    " is not saved: addAttr makes no attribute of its kind.");
                continue;
            }
            AddAttrLine(*node, a);
            for (const auto& child : a.children)
                AddAttrLine(*node, *child);
        }
}

// One addAttr: a parent says how many children follow, and each child names
// its parent. A pair's default and limits are its children's.
void Writer::AddAttrLine(const Node& node, const Attribute& a)
{
    std::string line = "addAttr -ln " + Quoted(a.name) + " -sn " + Quoted(a.shortName) + " " + AddAttrType(a);
    if (!a.children.empty())
        line += " -nc " + std::to_string(a.children.size());
    if (a.kind != AttributeKind::kTyped && a.children.empty())
    {
        line += " -dv " + FormatDouble(a.defaults[0]);
        if (a.hasMin)
            line += " -min " + FormatDouble(a.min[0]);
        if (a.hasMax)
            line += " -max " + FormatDouble(a.max[0]);
        if (a.hasSoftMin)
            line += " -smn " + FormatDouble(a.softMin);
        if (a.hasSoftMax)
            line += " -smx " + FormatDouble(a.softMax);
    }
    if (a.keyable)
        line += " -k 1";
    if (a.parent)
        line.append(" -p ").append(Quoted(a.parent->name));
    Line(line + " " + Quoted(node.name));
}

void Writer::Values(const std::shared_ptr<Node>& node, const ValueMap& values, const ValueMap* baseline)
{
    // In the node's attribute order: a map keyed by address has none.
    std::vector<const Attribute*> attributes;
    node->cls->TopLevel(attributes);
    for (const auto& dynamic : node->dynamicAttributes)
        attributes.push_back(dynamic.get());
    for (const Attribute* attribute : attributes)
    {
        const auto it = values.find(attribute);
        if (it == values.end() || fUnsaved.count(attribute))
            continue;
        const DataNode* base = nullptr;
        if (baseline)
            if (const auto b = baseline->find(attribute); b != baseline->end())
                base = b->second.get();
        PlugPath path{PlugStep{attribute, -1}};
        Tree(node, *it->second, path, base, false);
    }
}

// Writes the values under `value`; with `force`, the first one that can be
// set even when it holds its default, and only that one. Whether anything
// was written.
bool Writer::Tree(const std::shared_ptr<Node>& node, const DataNode& value, PlugPath& path,
                  const DataNode* baseline, bool force)
{
    const Attribute& a = *path.back().attribute;
    if (!a.storable || !a.writable || a.kind == AttributeKind::kMessage || node->cls->IsComputed(&a))
        return false;
    bool wrote = false;
    if (value.isArray)
    {
        for (const auto& [index, element] : value.elements)
        {
            path.back().index = static_cast<int>(index);
            bool here = Tree(node, *element, path, baseline ? baseline->FindElement(index) : nullptr, force);
            // An element that holds only defaults still exists: give it
            // one value, unless a connection will make it.
            if (!here && !force && !fAfterStart &&
                Scene::Get().ConnectionsAt(*node, path, true, true, true).empty())
                here = Tree(node, *element, path, nullptr, true);
            wrote = wrote || here;
            if (force && wrote)
                break;
        }
        path.back().index = -1;
        return wrote;
    }
    if (a.kind == AttributeKind::kCompound)
    {
        for (std::size_t i = 0; i < a.children.size() && i < value.children.size(); ++i)
        {
            path.push_back(PlugStep{a.children[i].get(), -1});
            wrote =
                Tree(node, value.children[i], path,
                     baseline && i < baseline->children.size() ? &baseline->children[i] : nullptr, force) ||
                wrote;
            path.pop_back();
            if (force && wrote)
                break;
        }
        return wrote;
    }
    if (!DrivingPlug(MPlug(node, path)).isNull())
        return false;
    return Leaf(node, value, path, baseline, force);
}

bool Writer::Leaf(const std::shared_ptr<Node>& node, const DataNode& value, const PlugPath& path,
                  const DataNode* baseline, bool force)
{
    const Attribute& a = *path.back().attribute;
    const std::string plug = PlugText(*node, path);
    switch (a.kind)
    {
    case AttributeKind::kNumeric:
    case AttributeKind::kUnit:
    case AttributeKind::kEnum:
    {
        const unsigned count = a.ComponentCount();
        bool differs = force;
        for (unsigned c = 0; c < count; ++c)
            differs = differs || !SameBits(value.numbers[c], baseline ? baseline->numbers[c] : a.defaults[c]);
        if (!differs)
            return false;
        // A pair with distance or angle children (made with addAttr -p) is
        // typed child by child, each in its own unit.
        const bool unitChildren =
            a.IsTuple() && std::any_of(a.children.begin(), a.children.end(),
                                       [](const auto& child) { return child->kind == AttributeKind::kUnit; });
        if (unitChildren)
        {
            PlugPath childPath = path;
            childPath.emplace_back();
            for (unsigned c = 0; c < count; ++c)
            {
                childPath.back().attribute = a.children[c].get();
                NumberLine(PlugText(*node, childPath), *a.children[c], value.numbers[c]);
            }
            return true;
        }
        if (a.kind == AttributeKind::kUnit)
        {
            NumberLine(plug, a, value.numbers[0]);
            return true;
        }
        std::string typed;
        for (unsigned c = 0; c < count; ++c)
            typed += (c ? " " : "") + Number(value.numbers[c]);
        Line("setAttr " + plug + " " + typed);
        return true;
    }
    case AttributeKind::kMatrix:
    {
        const MMatrix base = baseline ? baseline->matrix : MMatrix();
        if (!force && value.matrix == base)
            return false;
        std::string text;
        bool exact = false, empty = false;
        DataText(NewMatrixData(value.matrix), text, exact, empty);
        Line("setAttr " + plug + " -type " + text);
        return true;
    }
    case AttributeKind::kTyped:
    {
        std::string text, baseText;
        bool exact = false, empty = false, baseExact = false, baseEmpty = true;
        if (!DataText(value.data, text, exact, empty))
            return false;
        if (baseline && !DataText(baseline->data, baseText, baseExact, baseEmpty))
            baseText.clear();
        if (!force && (baseline ? text == baseText : empty))
            return false;
        Line(std::string(exact ? "setAttrExact " : "setAttr ") + plug + " -type " + text);
        return true;
    }
    default:
        return false;
    }
}

// One number of a distance, angle or time: typed in the unit setAttr reads
// when that gives back exactly the value, else given exactly.
void Writer::NumberLine(const std::string& plug, const Attribute& a, double value)
{
    std::string typed;
    if (ExactTypedNumber(a, value, typed))
        Line("setAttr " + plug + " " + typed);
    else
        Line("setAttrExact " + plug + " " + Number(value));
}

void Writer::Connections()
{
    for (const Connection& c : Scene::Get().Connections())
        if (c.source->alive && c.destination->alive)
            Line("connectAttr " + PlugText(*c.source, c.sourcePath) + " " +
                 PlugText(*c.destination, c.destinationPath));
}

void Writer::Expressions()
{
    for (const auto& node : fNodes)
        for (int k = 0; k < kExpressionKinds; ++k)
        {
            const auto kind = static_cast<ExpressionKind>(k);
            const std::string text = ParticleExpression(*node, kind);
            if (!text.empty())
                Line("dynExpression -s " + Quoted(text) + " -" + ExpressionKindFlag(kind) + " " +
                     Quoted(node->name));
        }
}

void Writer::Time()
{
    const Dynamics& dynamics = Dynamics::Get();
    std::string playback = "playbackOptions -min " + FormatDouble(dynamics.StartFrame()) + " -max " +
                           FormatDouble(dynamics.EndFrame());
    if (dynamics.AnimationRangeSet())
        playback += " -ast " + FormatDouble(dynamics.AnimationStart()) + " -aet " +
                    FormatDouble(dynamics.AnimationEnd());
    if (dynamics.PlaybackBy() != 1.0)
        playback += " -by " + FormatDouble(dynamics.PlaybackBy());
    Line(playback);
    // seed takes an int: the state's bits, as srand() would take them.
    const auto seed = [](unsigned state)
    { return "seed " + std::to_string(static_cast<std::int32_t>(state)); };
    const bool pastStart = dynamics.CurrentFrame() > dynamics.StartFrame();
    const RunStart& start = LastRunStart();
    Line(seed(pastStart && start.known ? start.randomState : RandomState()));
    if (pastStart)
        for (const EmitRecord& record : EmitsThisRun())
        {
            Line("currentTime " + FormatDouble(record.frame));
            std::string line = "emit -o " + Quoted(record.shape->name);
            for (unsigned i = 0; i < record.positions.length(); ++i)
                line += " -pos " + Number(record.positions[i].x) + " " + Number(record.positions[i].y) + " " +
                        Number(record.positions[i].z);
            for (const EmitRecord::Values& values : record.values)
            {
                line.append(" -at ").append(Quoted(values.attribute));
                for (const MVector& v : values.vectors)
                    line += " -vv " + Number(v.x) + " " + Number(v.y) + " " + Number(v.z);
                for (const double v : values.numbers)
                    line += " -fv " + Number(v);
            }
            Line(line);
        }
    Line("currentTime " + FormatDouble(dynamics.CurrentFrame()));
    if (pastStart)
    {
        fAfterStart = true;
        for (const auto& node : fNodes)
            if (const ValueMap* kept = dynamics.KeptValues(*node))
                Values(node, node->values, kept);
        Line(seed(RandomState()));
    }
    // Last: every distance above is in centimetres, emit's too.
    Line("currentUnit -l " + fLinearUnit + " -t " + TimeUnitText());
}

// Locks, and keyable and channel-box states set per plug, last: a locked
// plug would refuse the values and connections written before.
void Writer::PlugStates()
{
    const auto on = [](bool value) { return value ? std::string(" on ") : std::string(" off "); };
    for (const auto& node : fNodes)
        for (const PlugFlagsEntry& entry : PlugFlagsOf(*node))
        {
            const std::string plug = PlugText(*node, entry.path);
            if (entry.flags.keyable)
                Line("setAttr -k" + on(*entry.flags.keyable) + plug);
            if (entry.flags.channelBox)
                Line("setAttr -cb" + on(*entry.flags.channelBox) + plug);
            if (entry.flags.locked)
                Line("setAttr -l on " + plug);
        }
}

// Distances are written in centimetres whatever the UI unit, as the script
// sets centimetres before any value.
class CentimetreScope
{
public:
    CentimetreScope() : fSaved(MDistance::uiUnit()) { MDistance::setUIUnit(MDistance::kCentimeters); }
    ~CentimetreScope() { MDistance::setUIUnit(fSaved); }
    CentimetreScope(const CentimetreScope&) = delete;
    CentimetreScope& operator=(const CentimetreScope&) = delete;

private:
    MDistance::Unit fSaved;
};
} // namespace

std::string WriteSceneScript(std::vector<std::string>& warnings)
{
    std::string linear = LinearUnitText();
    const CentimetreScope centimetres;
    return Writer(warnings, std::move(linear)).Write();
}
} // namespace vxhost
