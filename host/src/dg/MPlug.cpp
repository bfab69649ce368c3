#include "DataObjects.h"
#include "PlugState.h"
#include "Scene.h"

#include <maya/MFnData.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>

#include <cmath>

using namespace vxhost;

namespace
{
void Report(MStatus* ReturnStatus, MStatus status)
{
    if (ReturnStatus)
        *ReturnStatus = status;
}

MStatus NullPlug()
{
    return MStatus(MStatus::kInvalidParameter, "the plug is null");
}
} // namespace

MPlug::MPlug(const MObject& node, const MObject& attribute)
{
    const std::shared_ptr<Node> n = Node::Shared(node);
    const Attribute* a = Attribute::From(attribute);
    if (n && a && n->Owns(a))
    {
        fNode = n;
        fSteps = n->PathTo(a);
    }
}

bool MPlug::isNull(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return !fNode || fSteps.empty();
}

MObject MPlug::attribute(MStatus* ReturnStatus) const
{
    if (isNull())
    {
        Report(ReturnStatus, NullPlug());
        return MObject();
    }
    Report(ReturnStatus, MStatus::kSuccess);
    return MObject(const_cast<Attribute*>(Attr())->shared_from_this());
}

MObject MPlug::node(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, fNode ? MStatus::kSuccess : NullPlug());
    return fNode ? fNode->Object() : MObject();
}

MString MPlug::name(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, isNull() ? NullPlug() : MStatus::kSuccess);
    return isNull() ? MString() : PlugName(*fNode, fSteps);
}

MString MPlug::partialName(bool includeNodeName, bool, bool, bool, bool useFullAttributePath,
                           bool useLongNames, MStatus* ReturnStatus) const
{
    Report(ReturnStatus, isNull() ? NullPlug() : MStatus::kSuccess);
    if (isNull())
        return MString();
    if (useFullAttributePath)
        return PlugName(*fNode, fSteps, useLongNames, includeNodeName);
    // Without the full path: the last attribute with its own index.
    const PlugPath last(fSteps.end() - 1, fSteps.end());
    return PlugName(*fNode, last, useLongNames, includeNodeName);
}

bool MPlug::isArray(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return !isNull() && Attr()->array && fSteps.back().index < 0;
}

bool MPlug::isElement(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return !isNull() && Attr()->array && fSteps.back().index >= 0;
}

bool MPlug::isCompound(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return !isNull() && (Attr()->kind == AttributeKind::kCompound || Attr()->IsTuple());
}

bool MPlug::isChild(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return fSteps.size() > 1;
}

bool MPlug::isKeyable(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    // setAttr -keyable may have changed this node's plug alone.
    return !isNull() && IsPlugKeyable(*HostNode(), Steps());
}

unsigned int MPlug::numChildren(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, isNull() ? NullPlug() : MStatus::kSuccess);
    return isNull() ? 0u : static_cast<unsigned>(Attr()->children.size());
}

MPlug MPlug::child(unsigned int index, MStatus* ReturnStatus) const
{
    if (isNull() || index >= Attr()->children.size())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "no child with that index"));
        return MPlug();
    }
    Report(ReturnStatus, MStatus::kSuccess);
    PlugPath path = fSteps;
    path.push_back(PlugStep{Attr()->children[index].get(), -1});
    return MPlug(fNode, std::move(path));
}

MPlug MPlug::child(const MObject& attribute, MStatus* ReturnStatus) const
{
    const int index = isNull() ? -1 : Attr()->ChildIndex(Attribute::From(attribute));
    if (index < 0)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the attribute is no child of the plug"));
        return MPlug();
    }
    return child(static_cast<unsigned>(index), ReturnStatus);
}

MPlug MPlug::parent(MStatus* ReturnStatus) const
{
    if (fSteps.size() < 2)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the plug is no child"));
        return MPlug();
    }
    Report(ReturnStatus, MStatus::kSuccess);
    return MPlug(fNode, PlugPath(fSteps.begin(), fSteps.end() - 1));
}

MPlug MPlug::array(MStatus* ReturnStatus) const
{
    if (!isElement())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the plug is no element"));
        return MPlug();
    }
    Report(ReturnStatus, MStatus::kSuccess);
    PlugPath path = fSteps;
    path.back().index = -1;
    return MPlug(fNode, std::move(path));
}

unsigned int MPlug::logicalIndex(MStatus* ReturnStatus) const
{
    if (!isElement())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the plug is no element"));
        return 0xFFFFFFFFu;
    }
    Report(ReturnStatus, MStatus::kSuccess);
    return static_cast<unsigned>(fSteps.back().index);
}

MPlug MPlug::elementByLogicalIndex(unsigned int logicalIndex, MStatus* ReturnStatus) const
{
    if (!isArray() || logicalIndex > 0x7FFFFFFFu)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the plug is no array"));
        return MPlug();
    }
    Report(ReturnStatus, MStatus::kSuccess);
    PlugPath path = fSteps;
    path.back().index = static_cast<int>(logicalIndex);
    return MPlug(fNode, std::move(path));
}

namespace
{
// The logical indices of the existing elements of an array plug, in order.
std::vector<unsigned> ElementIndices(const Node& node, const PlugPath& path)
{
    std::vector<unsigned> indices;
    if (const DataNode* data = node.FindData(path); data && data->isArray)
        for (const auto& entry : data->elements)
            indices.push_back(entry.first);
    return indices;
}
} // namespace

MPlug MPlug::elementByPhysicalIndex(unsigned int physicalIndex, MStatus* ReturnStatus) const
{
    if (!isArray())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the plug is no array"));
        return MPlug();
    }
    const std::vector<unsigned> indices = ElementIndices(*fNode, fSteps);
    if (physicalIndex >= indices.size())
    {
        Report(ReturnStatus,
               MStatus(MStatus::kInvalidParameter, "the physical index is past the last element"));
        return MPlug();
    }
    return elementByLogicalIndex(indices[physicalIndex], ReturnStatus);
}

unsigned int MPlug::numElements(MStatus* ReturnStatus) const
{
    if (!isArray())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the plug is no array"));
        return 0;
    }
    Report(ReturnStatus, MStatus::kSuccess);
    return static_cast<unsigned>(ElementIndices(*fNode, fSteps).size());
}

unsigned int MPlug::evaluateNumElements(MStatus* ReturnStatus)
{
    if (isArray())
    {
        MStatus status;
        fNode->Evaluate(fSteps, status);
        if (!status)
        {
            Report(ReturnStatus, status);
            return 0;
        }
    }
    return numElements(ReturnStatus);
}

int MPlug::getExistingArrayAttributeIndices(std::vector<int>& indices, MStatus* ReturnStatus)
{
    indices.clear();
    if (!isArray())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the plug is no array"));
        return 0;
    }
    Report(ReturnStatus, MStatus::kSuccess);
    for (const unsigned index : ElementIndices(*fNode, fSteps))
        indices.push_back(static_cast<int>(index));
    return static_cast<int>(indices.size());
}

namespace
{
std::vector<unsigned> ConnectedElementIndices(const Node& node, const PlugPath& path)
{
    std::vector<unsigned> connected;
    PlugPath element = path;
    for (const unsigned index : ElementIndices(node, path))
    {
        element.back().index = static_cast<int>(index);
        if (!Scene::Get().ConnectionsAt(node, element, true, true, true).empty())
            connected.push_back(index);
    }
    return connected;
}
} // namespace

unsigned int MPlug::numConnectedElements(MStatus* ReturnStatus) const
{
    if (!isArray())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the plug is no array"));
        return 0;
    }
    Report(ReturnStatus, MStatus::kSuccess);
    return static_cast<unsigned>(ConnectedElementIndices(*fNode, fSteps).size());
}

unsigned int MPlug::numConnectedChildren(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, isNull() ? NullPlug() : MStatus::kSuccess);
    unsigned count = 0;
    for (unsigned i = 0; i < numChildren(); ++i)
        if (child(i).isConnected())
            ++count;
    return count;
}

MPlug MPlug::connectionByPhysicalIndex(unsigned int physicalIndex, MStatus* ReturnStatus) const
{
    const std::vector<unsigned> connected =
        isArray() ? ConnectedElementIndices(*fNode, fSteps) : std::vector<unsigned>();
    if (physicalIndex >= connected.size())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "no connected element at that index"));
        return MPlug();
    }
    return elementByLogicalIndex(connected[physicalIndex], ReturnStatus);
}

bool MPlug::isConnected(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, isNull() ? NullPlug() : MStatus::kSuccess);
    return !isNull() && !Scene::Get().ConnectionsAt(*fNode, fSteps, true, true, false).empty();
}

bool MPlug::isDestination(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, isNull() ? NullPlug() : MStatus::kSuccess);
    return !isNull() && Scene::Get().SourceOf(*fNode, fSteps) != nullptr;
}

bool MPlug::isSource(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, isNull() ? NullPlug() : MStatus::kSuccess);
    return !isNull() && !Scene::Get().ConnectionsAt(*fNode, fSteps, true, false, false).empty();
}

bool MPlug::connectedTo(MPlugArray& array, bool asDst, bool asSrc, MStatus* ReturnStatus) const
{
    array.clear();
    if (isNull())
    {
        Report(ReturnStatus, NullPlug());
        return false;
    }
    Report(ReturnStatus, MStatus::kSuccess);
    for (const Connection* c : Scene::Get().ConnectionsAt(*fNode, fSteps, asSrc, asDst, false))
    {
        if (asDst && c->destination == fNode && c->destinationPath == fSteps)
            array.append(MPlug(c->source, c->sourcePath));
        if (asSrc && c->source == fNode && c->sourcePath == fSteps)
            array.append(MPlug(c->destination, c->destinationPath));
    }
    return array.length() > 0;
}

MPlug MPlug::source(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, isNull() ? NullPlug() : MStatus::kSuccess);
    const Connection* c = isNull() ? nullptr : Scene::Get().SourceOf(*fNode, fSteps);
    return c ? MPlug(c->source, c->sourcePath) : MPlug();
}

bool MPlug::destinations(MPlugArray& theDestinations, MStatus* ReturnStatus) const
{
    return connectedTo(theDestinations, false, true, ReturnStatus);
}

// Reads -------------------------------------------------------------------------

namespace
{
const DataNode* Read(const std::shared_ptr<Node>& node, const PlugPath& path, MStatus* ReturnStatus)
{
    if (!node || path.empty())
    {
        Report(ReturnStatus, NullPlug());
        return nullptr;
    }
    MStatus status;
    const DataNode* data = node->Evaluate(path, status);
    Report(ReturnStatus, status);
    return data;
}

double Number(const std::shared_ptr<Node>& node, const PlugPath& path, MStatus* ReturnStatus)
{
    const DataNode* data = Read(node, path, ReturnStatus);
    return data ? data->numbers[0] : 0.0;
}
} // namespace

bool MPlug::asBool(MStatus* ReturnStatus) const
{
    return Number(fNode, fSteps, ReturnStatus) != 0.0;
}
char MPlug::asChar(MStatus* ReturnStatus) const
{
    return static_cast<char>(Number(fNode, fSteps, ReturnStatus));
}
short MPlug::asShort(MStatus* ReturnStatus) const
{
    return static_cast<short>(Number(fNode, fSteps, ReturnStatus));
}
int MPlug::asInt(MStatus* ReturnStatus) const
{
    return static_cast<int>(Number(fNode, fSteps, ReturnStatus));
}
float MPlug::asFloat(MStatus* ReturnStatus) const
{
    return static_cast<float>(Number(fNode, fSteps, ReturnStatus));
}
double MPlug::asDouble(MStatus* ReturnStatus) const
{
    return Number(fNode, fSteps, ReturnStatus);
}
MDistance MPlug::asMDistance(MStatus* ReturnStatus) const
{
    return MDistance(Number(fNode, fSteps, ReturnStatus), MDistance::kCentimeters);
}
MTime MPlug::asMTime(MStatus* ReturnStatus) const
{
    return MTime(Number(fNode, fSteps, ReturnStatus), MTime::kSeconds);
}

MString MPlug::asString(MStatus* ReturnStatus) const
{
    const DataNode* data = Read(fNode, fSteps, ReturnStatus);
    if (!data)
        return MString();
    if (const StringData* s = StringData::From(data->data))
        return MString(s->value.c_str());
    return MString(data->text.c_str());
}

MObject MPlug::asMObject(MStatus* ReturnStatus) const
{
    const DataNode* data = Read(fNode, fSteps, ReturnStatus);
    return data ? CloneData(data->DataObject()) : MObject();
}

MStatus MPlug::getValue(MObject& data) const
{
    MStatus status;
    data = asMObject(&status);
    return status;
}
MStatus MPlug::getValue(double& value) const
{
    MStatus status;
    value = asDouble(&status);
    return status;
}
MStatus MPlug::getValue(int& value) const
{
    MStatus status;
    value = asInt(&status);
    return status;
}
MStatus MPlug::getValue(bool& value) const
{
    MStatus status;
    value = asBool(&status);
    return status;
}
MStatus MPlug::getValue(MDistance& value) const
{
    MStatus status;
    value = asMDistance(&status);
    return status;
}
MStatus MPlug::getValue(MTime& value) const
{
    MStatus status;
    value = asMTime(&status);
    return status;
}

// Writes ------------------------------------------------------------------------

namespace
{
// The stored value a write may change, or null with the reason. A pair or
// triple with a connected child is fed in part, and refuses a write too.
DataNode* Writable(const std::shared_ptr<Node>& node, const PlugPath& path, MStatus& status)
{
    if (!node || path.empty() || !node->alive)
    {
        status = NullPlug();
        return nullptr;
    }
    PlugPath fed;
    if (const Connection* c = node->Feed(path, path.back().attribute->IsTuple(), fed))
    {
        MString text = PlugName(*node, path) + " is the destination of a connection from " +
                       PlugName(*c->source, c->sourcePath);
        if (fed != path)
            text += MString(" to ") + PlugName(*node, fed);
        status = MStatus(MStatus::kFailure, text);
        return nullptr;
    }
    DataNode* data = node->Data(path);
    status =
        data ? MStatus::kSuccess : MStatus(MStatus::kInvalidParameter, "the plug has an open element index");
    return data;
}

MStatus WriteNumber(const std::shared_ptr<Node>& node, const PlugPath& path, double value)
{
    MStatus status;
    DataNode* data = Writable(node, path, status);
    if (!data)
        return status;
    const Attribute& a = *data->attribute;
    if (a.IsBoolean())
        value = value != 0.0 ? 1.0 : 0.0;
    else if (a.IsIntegral())
        value = std::trunc(value);
    // A child of a pair or triple writes its number of the pair's value,
    // within the pair's limits too.
    unsigned component = 0;
    if (DataNode* tuple = node->TupleValue(path, component))
    {
        value = tuple->attribute->ClampComponent(value, component);
        tuple->numbers[component] = value;
    }
    data->numbers[0] = a.Clamp(value, 0);
    Scene::Get().Touch();
    return MStatus::kSuccess;
}
} // namespace

MStatus MPlug::setBool(bool value)
{
    return WriteNumber(fNode, fSteps, value ? 1.0 : 0.0);
}
MStatus MPlug::setShort(short value)
{
    return WriteNumber(fNode, fSteps, value);
}
MStatus MPlug::setInt(int value)
{
    return WriteNumber(fNode, fSteps, value);
}
MStatus MPlug::setFloat(float value)
{
    return WriteNumber(fNode, fSteps, value);
}
MStatus MPlug::setDouble(double value)
{
    return WriteNumber(fNode, fSteps, value);
}
MStatus MPlug::setMDistance(const MDistance& value)
{
    return WriteNumber(fNode, fSteps, value.asCentimeters());
}
MStatus MPlug::setMTime(const MTime& value)
{
    return WriteNumber(fNode, fSteps, value.as(MTime::kSeconds));
}

MStatus MPlug::setString(const MString& value)
{
    MStatus status;
    DataNode* data = Writable(fNode, fSteps, status);
    if (!data)
        return status;
    data->text = value.asChar();
    data->data = MObject(std::make_shared<StringData>(std::string(value.asChar())));
    Scene::Get().Touch();
    return MStatus::kSuccess;
}

MStatus MPlug::setMObject(const MObject& value)
{
    MStatus status;
    DataNode* data = Writable(fNode, fSteps, status);
    if (!data)
        return status;
    if (data->attribute->kind == AttributeKind::kMatrix)
    {
        if (!MatrixData::From(value))
            return MStatus(MStatus::kInvalidParameter, "a matrix plug takes matrix data");
        data->matrix = MatrixOf(value);
    }
    else
    {
        data->data = CloneData(value);
    }
    Scene::Get().Touch();
    return MStatus::kSuccess;
}

bool MPlug::operator==(const MPlug& other) const
{
    return fNode == other.fNode && fSteps == other.fSteps;
}

bool MPlug::operator==(const MObject& attribute) const
{
    return !isNull() && Attr() == Attribute::From(attribute);
}
