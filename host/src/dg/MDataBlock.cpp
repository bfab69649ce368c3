// The data block of a node during compute, and its handles and builder.
#include "DataObjects.h"
#include "Scene.h"

#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>

#include <cstdint>
#include <iterator>

using namespace vxhost;

namespace
{
void Report(MStatus* ReturnStatus, MStatus status)
{
    if (ReturnStatus)
        *ReturnStatus = status;
}

MStatus NoData()
{
    return MStatus(MStatus::kInvalidParameter, "no such value in the data block");
}
} // namespace

// MDataBlock ---------------------------------------------------------------------

namespace
{
PlugPath PathOf(Node* node, const MObject& attribute)
{
    const Attribute* a = Attribute::From(attribute);
    return a && node->Owns(a) ? node->PathTo(a) : PlugPath();
}

DataNode* Input(Node* node, const PlugPath& path, MStatus* ReturnStatus)
{
    MStatus status = NoData();
    DataNode* data = path.empty() ? nullptr : node->Evaluate(path, status);
    Report(ReturnStatus, status);
    return data;
}

DataNode* Output(Node* node, const PlugPath& path, MStatus* ReturnStatus)
{
    DataNode* data = path.empty() ? nullptr : node->Data(path);
    Report(ReturnStatus, data ? MStatus::kSuccess : NoData());
    return data;
}

// The handle of the value at path: a child of a pair or triple is a view of
// its number within the pair's value.
MDataHandle HandleAt(Node* node, const PlugPath& path, DataNode* data)
{
    unsigned component = 0;
    if (DataNode* tuple = data ? node->TupleValue(path, component) : nullptr)
        return MDataHandle(node, tuple, component);
    return MDataHandle(node, data);
}

void MarkClean(DataNode& data, std::uint64_t generation)
{
    data.computedAt = generation;
    for (DataNode& child : data.children)
        MarkClean(child, generation);
    for (auto& entry : data.elements)
        MarkClean(*entry.second, generation);
}
} // namespace

MDataHandle MDataBlock::inputValue(const MPlug& plug, MStatus* ReturnStatus)
{
    const PlugPath path = plug.HostNode().get() == fNode ? plug.Steps() : PlugPath();
    return HandleAt(fNode, path, Input(fNode, path, ReturnStatus));
}

MDataHandle MDataBlock::inputValue(const MObject& attribute, MStatus* ReturnStatus)
{
    const PlugPath path = PathOf(fNode, attribute);
    return HandleAt(fNode, path, Input(fNode, path, ReturnStatus));
}

MDataHandle MDataBlock::outputValue(const MPlug& plug, MStatus* ReturnStatus)
{
    const PlugPath path = plug.HostNode().get() == fNode ? plug.Steps() : PlugPath();
    return HandleAt(fNode, path, Output(fNode, path, ReturnStatus));
}

MDataHandle MDataBlock::outputValue(const MObject& attribute, MStatus* ReturnStatus)
{
    const PlugPath path = PathOf(fNode, attribute);
    return HandleAt(fNode, path, Output(fNode, path, ReturnStatus));
}

MArrayDataHandle MDataBlock::inputArrayValue(const MObject& attribute, MStatus* ReturnStatus)
{
    PlugPath path = PathOf(fNode, attribute);
    DataNode* data = Input(fNode, path, ReturnStatus);
    if (data && !data->isArray)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the attribute is no array"));
        data = nullptr;
    }
    return MArrayDataHandle(fNode, std::move(path), data);
}

MArrayDataHandle MDataBlock::outputArrayValue(const MObject& attribute, MStatus* ReturnStatus)
{
    PlugPath path = PathOf(fNode, attribute);
    DataNode* data = Output(fNode, path, ReturnStatus);
    if (data && !data->isArray)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the attribute is no array"));
        data = nullptr;
    }
    return MArrayDataHandle(fNode, std::move(path), data);
}

MStatus MDataBlock::setClean(const MPlug& plug)
{
    DataNode* data = plug.HostNode().get() == fNode ? fNode->Data(plug.Steps()) : nullptr;
    if (!data)
        return NoData();
    MarkClean(*data, Scene::Get().Generation());
    return MStatus::kSuccess;
}

MStatus MDataBlock::setClean(const MObject& attribute)
{
    DataNode* data = Output(fNode, PathOf(fNode, attribute), nullptr);
    if (!data)
        return NoData();
    MarkClean(*data, Scene::Get().Generation());
    return MStatus::kSuccess;
}

// MDataHandle --------------------------------------------------------------------

MObject MDataHandle::attribute()
{
    if (!fData)
        return MObject();
    if (fComponent >= 0)
        return MObject(fData->attribute->children[static_cast<std::size_t>(fComponent)]);
    return MObject(const_cast<Attribute*>(fData->attribute)->shared_from_this());
}

namespace
{
// The handle's one number: the first of its value, or its component of a
// pair's.
double First(const DataNode* data, int component)
{
    return data ? data->numbers[component >= 0 ? component : 0] : 0.0;
}
} // namespace

bool MDataHandle::asBool() const
{
    return First(fData, fComponent) != 0.0;
}
char MDataHandle::asChar() const
{
    return static_cast<char>(First(fData, fComponent));
}
short MDataHandle::asShort() const
{
    return static_cast<short>(First(fData, fComponent));
}
int MDataHandle::asInt() const
{
    return static_cast<int>(First(fData, fComponent));
}
float MDataHandle::asFloat() const
{
    return static_cast<float>(First(fData, fComponent));
}
double MDataHandle::asDouble() const
{
    return First(fData, fComponent);
}

double2& MDataHandle::asDouble2()
{
    static thread_local double2 none;
    return fData ? *reinterpret_cast<double2*>(fData->numbers) : none;
}

double3& MDataHandle::asDouble3()
{
    static thread_local double3 none;
    return fData ? fData->numbers : none;
}

int2& MDataHandle::asInt2()
{
    // Numbers are stored as doubles: this is a copy, for reading.
    static thread_local int2 copy;
    copy[0] = fData ? static_cast<int>(fData->numbers[0]) : 0;
    copy[1] = fData ? static_cast<int>(fData->numbers[1]) : 0;
    return copy;
}

MVector MDataHandle::asVector() const
{
    return fData ? MVector(fData->numbers[0], fData->numbers[1], fData->numbers[2]) : MVector();
}

MDistance MDataHandle::asDistance() const
{
    return MDistance(First(fData, fComponent), MDistance::kCentimeters);
}

MTime MDataHandle::asTime() const
{
    return MTime(First(fData, fComponent), MTime::kSeconds);
}

const MMatrix& MDataHandle::asMatrix() const
{
    static const MMatrix identity;
    if (!fData)
        return identity;
    if (fData->attribute->kind != AttributeKind::kMatrix)
        if (const MatrixData* m = MatrixData::From(fData->data))
            return m->value;
    return fData->matrix;
}

MString MDataHandle::asString() const
{
    if (!fData)
        return MString();
    if (const StringData* s = StringData::From(fData->data))
        return MString(s->value.c_str());
    return MString(fData->text.c_str());
}

MObject MDataHandle::data()
{
    return fData ? fData->DataObject() : MObject();
}
MObject MDataHandle::asNurbsCurve()
{
    return data();
}
MObject MDataHandle::asMesh()
{
    return data();
}

void MDataHandle::set(bool value)
{
    set(value ? 1.0 : 0.0);
}
void MDataHandle::set(short value)
{
    set(static_cast<double>(value));
}
void MDataHandle::set(int value)
{
    set(static_cast<double>(value));
}
void MDataHandle::set(float value)
{
    set(static_cast<double>(value));
}
void MDataHandle::set(double value)
{
    if (fData)
        fData->numbers[fComponent >= 0 ? fComponent : 0] = value;
}
void MDataHandle::set(double a, double b)
{
    set(a, b, 0.0);
}
void MDataHandle::set(double a, double b, double c)
{
    if (!fData)
        return;
    fData->numbers[0] = a;
    fData->numbers[1] = b;
    fData->numbers[2] = c;
}
void MDataHandle::set(int a, int b)
{
    set(static_cast<double>(a), static_cast<double>(b), 0.0);
}
void MDataHandle::set(const MVector& value)
{
    set(value.x, value.y, value.z);
}
void MDataHandle::set(const MMatrix& value)
{
    if (fData)
        fData->matrix = value;
}
void MDataHandle::set(const MString& value)
{
    if (!fData)
        return;
    fData->text = value.asChar();
    fData->data = MObject(std::make_shared<StringData>(std::string(value.asChar())));
}
void MDataHandle::set(const MDistance& value)
{
    set(value.asCentimeters());
}
void MDataHandle::set(const MTime& value)
{
    set(value.as(MTime::kSeconds));
}

MStatus MDataHandle::set(const MObject& value)
{
    if (!fData)
        return NoData();
    if (fData->attribute->kind == AttributeKind::kMatrix)
        fData->matrix = MatrixOf(value);
    else
        fData->data = value;
    return MStatus::kSuccess;
}

void MDataHandle::setClean()
{
    if (!fData)
        return;
    DataNode& data = fComponent >= 0 ? fData->children[static_cast<std::size_t>(fComponent)] : *fData;
    MarkClean(data, Scene::Get().Generation());
}

MDataHandle MDataHandle::child(const MObject& attribute)
{
    const int index = fData && !fData->isArray && fComponent < 0
                          ? fData->attribute->ChildIndex(Attribute::From(attribute))
                          : -1;
    if (index < 0)
        return MDataHandle();
    if (fData->attribute->IsTuple())
        return MDataHandle(fNode, fData, static_cast<unsigned>(index));
    return MDataHandle(fNode, &fData->children[static_cast<std::size_t>(index)]);
}

MDataHandle MDataHandle::child(const MPlug& plug)
{
    return child(plug.attribute());
}

// MArrayDataHandle ---------------------------------------------------------------

unsigned int MArrayDataHandle::elementCount(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, fArray ? MStatus::kSuccess : NoData());
    return fArray ? static_cast<unsigned>(fArray->elements.size()) : 0u;
}

unsigned int MArrayDataHandle::elementIndex(MStatus* ReturnStatus) const
{
    if (!fArray || fPosition >= fArray->elements.size())
    {
        Report(ReturnStatus, MStatus(MStatus::kFailure, "past the last element"));
        return 0xFFFFFFFFu;
    }
    Report(ReturnStatus, MStatus::kSuccess);
    return std::next(fArray->elements.begin(), fPosition)->first;
}

MStatus MArrayDataHandle::jumpToElement(unsigned int index)
{
    if (!fArray)
        return NoData();
    const auto it = fArray->elements.find(index);
    if (it == fArray->elements.end())
        return MStatus(MStatus::kInvalidParameter, "no element with that logical index");
    fPosition = static_cast<unsigned>(std::distance(fArray->elements.begin(), it));
    return MStatus::kSuccess;
}

MStatus MArrayDataHandle::jumpToArrayElement(unsigned int physicalIndex)
{
    if (!fArray || physicalIndex >= fArray->elements.size())
        return MStatus(MStatus::kInvalidParameter, "no element at that physical index");
    fPosition = physicalIndex;
    return MStatus::kSuccess;
}

MStatus MArrayDataHandle::next()
{
    if (!fArray || fPosition >= fArray->elements.size())
        return MStatus::kFailure;
    ++fPosition;
    return fPosition < fArray->elements.size() ? MStatus::kSuccess : MStatus::kFailure;
}

MDataHandle MArrayDataHandle::inputValue(MStatus* ReturnStatus)
{
    MStatus status;
    const unsigned index = elementIndex(&status);
    if (!status)
    {
        Report(ReturnStatus, status);
        return MDataHandle();
    }
    PlugPath element = fPath;
    element.back().index = static_cast<int>(index);
    return MDataHandle(fNode, Input(fNode, element, ReturnStatus));
}

MDataHandle MArrayDataHandle::outputValue(MStatus* ReturnStatus)
{
    MStatus status;
    const unsigned index = elementIndex(&status);
    Report(ReturnStatus, status);
    return status ? MDataHandle(fNode, fArray->FindElement(index)) : MDataHandle();
}

MArrayDataBuilder MArrayDataHandle::builder(MStatus* ReturnStatus)
{
    Report(ReturnStatus, fArray ? MStatus::kSuccess : NoData());
    return MArrayDataBuilder(fNode, fArray);
}

MStatus MArrayDataHandle::set(const MArrayDataBuilder& builder)
{
    return builder.HostArray() == fArray && fArray
               ? MStatus::kSuccess
               : MStatus(MStatus::kInvalidParameter, "builder of another array");
}

MStatus MArrayDataHandle::setAllClean()
{
    if (!fArray)
        return NoData();
    MarkClean(*fArray, Scene::Get().Generation());
    return MStatus::kSuccess;
}

MStatus MArrayDataHandle::setClean()
{
    return setAllClean();
}

// MArrayDataBuilder --------------------------------------------------------------

MArrayDataBuilder::MArrayDataBuilder(MDataBlock* block, const MObject& attribute, unsigned int,
                                     MStatus* ReturnStatus)
{
    if (block)
        *this = block->outputArrayValue(attribute, ReturnStatus).builder(ReturnStatus);
    else
        Report(ReturnStatus, NoData());
}

MDataHandle MArrayDataBuilder::addElement(unsigned int index, MStatus* ReturnStatus)
{
    Report(ReturnStatus, fArray ? MStatus::kSuccess : NoData());
    return fArray ? MDataHandle(fNode, &fArray->Element(index)) : MDataHandle();
}

MDataHandle MArrayDataBuilder::addLast(MStatus* ReturnStatus)
{
    const unsigned index = fArray && !fArray->elements.empty() ? fArray->elements.rbegin()->first + 1 : 0;
    return addElement(index, ReturnStatus);
}

MStatus MArrayDataBuilder::removeElement(unsigned int index)
{
    if (!fArray || fArray->elements.erase(index) == 0)
        return MStatus(MStatus::kInvalidParameter, "no element with that logical index");
    return MStatus::kSuccess;
}

unsigned int MArrayDataBuilder::elementCount(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, fArray ? MStatus::kSuccess : NoData());
    return fArray ? static_cast<unsigned>(fArray->elements.size()) : 0u;
}

MStatus MArrayDataBuilder::growArray(unsigned int)
{
    return fArray ? MStatus::kSuccess : NoData();
}
