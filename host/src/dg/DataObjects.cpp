#include "DataObjects.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <type_traits>

#include <maya/MFnData.h>

namespace vxhost
{
MObject CloneData(const MObject& data)
{
    if (!data.HostImpl())
        return data;
    std::shared_ptr<HostObject> copy = data.HostImpl()->Clone();
    return copy ? MObject(std::move(copy)) : data;
}

namespace
{
// Bit for bit, so that -0 differs from 0 and a NaN equals itself.
template <typename T> bool Identical(const T& a, const T& b)
{
    static_assert(std::is_trivially_copyable_v<T>);
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

template <typename T> bool SameArray(const T& a, const T& b)
{
    if (a.length() != b.length())
        return false;
    for (unsigned i = 0; i < a.length(); ++i)
        if (!Identical(a[i], b[i]))
            return false;
    return true;
}

bool SameArray(const ArrayAttrsArray& a, const ArrayAttrsArray& b)
{
    return a.index() == b.index() &&
           std::visit([&b](const auto& x) { return SameArray(x, std::get<std::decay_t<decltype(x)>>(b)); }, a);
}

// Whether both are data of type Data and equal; nullopt when either is not.
template <typename Data> std::optional<bool> SameAs(const HostObject* a, const HostObject* b)
{
    const auto* x = dynamic_cast<const Data*>(a);
    const auto* y = dynamic_cast<const Data*>(b);
    if (!x || !y)
        return std::nullopt;
    if constexpr (std::is_same_v<Data, ArrayAttrsData>)
        return std::equal(x->value.begin(), x->value.end(), y->value.begin(), y->value.end(),
                          [](const auto& p, const auto& q) { return p.first == q.first && SameArray(p.second, q.second); });
    else if constexpr (std::is_same_v<Data, MatrixData>)
        return Identical(x->value, y->value);
    else if constexpr (std::is_same_v<Data, StringData>)
        return x->value == y->value;
    else
        return SameArray(x->value, y->value);
}
} // namespace

bool SameData(const MObject& a, const MObject& b)
{
    const HostObject* x = a.HostImpl().get();
    const HostObject* y = b.HostImpl().get();
    if (x == y)
        return true;
    if (!x || !y || x->ApiType() != y->ApiType())
        return false;
    for (const std::optional<bool> same :
         {SameAs<VectorArrayData>(x, y), SameAs<DoubleArrayData>(x, y), SameAs<IntArrayData>(x, y),
          SameAs<PointArrayData>(x, y), SameAs<MatrixData>(x, y), SameAs<StringData>(x, y),
          SameAs<ArrayAttrsData>(x, y)})
        if (same)
            return *same;
    return false;
}

std::size_t DataBytes(const MObject& data)
{
    const HostObject* object = data.HostImpl().get();
    if (const auto* v = dynamic_cast<const VectorArrayData*>(object))
        return v->value.length() * sizeof(MVector);
    if (const auto* d = dynamic_cast<const DoubleArrayData*>(object))
        return d->value.length() * sizeof(double);
    if (const auto* i = dynamic_cast<const IntArrayData*>(object))
        return i->value.length() * sizeof(int);
    if (const auto* p = dynamic_cast<const PointArrayData*>(object))
        return p->value.length() * sizeof(MPoint);
    if (const auto* s = dynamic_cast<const StringData*>(object))
        return s->value.size();
    std::size_t bytes = 0;
    if (const auto* a = dynamic_cast<const ArrayAttrsData*>(object))
        for (const auto& [name, array] : a->value)
            bytes += name.size() + std::visit([](const auto& x) { return x.length() * sizeof(x[0]); }, array);
    return bytes;
}

MObject NewMatrixData(const MMatrix& matrix)
{
    return MObject(std::make_shared<MatrixData>(matrix));
}

MObject EmptyData(int dataType)
{
    switch (dataType)
    {
    case MFnData::kVectorArray:
        return MObject(std::make_shared<VectorArrayData>());
    case MFnData::kDoubleArray:
        return MObject(std::make_shared<DoubleArrayData>());
    case MFnData::kIntArray:
        return MObject(std::make_shared<IntArrayData>());
    case MFnData::kPointArray:
        return MObject(std::make_shared<PointArrayData>());
    case MFnData::kMatrix:
        return NewMatrixData(MMatrix());
    case MFnData::kString:
        return MObject(std::make_shared<StringData>());
    case MFnData::kDynArrayAttrs:
        return MObject(std::make_shared<ArrayAttrsData>());
    default:
        return MObject();
    }
}

MMatrix MatrixOf(const MObject& data)
{
    const MatrixData* m = MatrixData::From(data);
    return m ? m->value : MMatrix();
}
} // namespace vxhost
