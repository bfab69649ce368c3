#pragma once
/// \file ArrayOf.h
/// The storage shared by Maya's array classes (MDoubleArray, MVectorArray,
/// ...). Each Maya array is a thin class derived from ArrayOf<T>.

#include <maya/MStatus.h>

#include <algorithm>
#include <type_traits>
#include <vector>

namespace vxhost::detail
{

/// A growable array indexed from 0 with Maya's array methods, plus the
/// STL-style begin()/end()/data()/reserve() that hot loops use.
/// Methods returning MStatus fail with kFailure on an out-of-range index and
/// leave the array unchanged. operator[] does not check its index.
template <typename T> class ArrayOf
{
public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;

    ArrayOf() = default;
    /// `length` copies of `initial`.
    ArrayOf(unsigned int length, const T& initial = T()) : fItems(length, initial) {}
    /// Copies `count` elements from a C array.
    ArrayOf(const T source[], unsigned int count) : fItems(source, source + count) {}

    /// Number of elements.
    unsigned int length() const { return static_cast<unsigned int>(fItems.size()); }
    /// Resizes; new elements are value-initialised (0 for numbers, the
    /// default constructor for classes).
    MStatus setLength(unsigned int length)
    {
        fItems.resize(length);
        return MStatus::kSuccess;
    }

    T& operator[](unsigned int index) { return fItems[index]; }
    /// As in Maya, a const array of numbers hands out copies: only the
    /// non-const operator gives a reference into the storage.
    std::conditional_t<std::is_arithmetic_v<T>, T, const T&> operator[](unsigned int index) const
    {
        return fItems[index];
    }

    /// Replaces the element at `index`; fails if index >= length().
    MStatus set(const T& element, unsigned int index)
    {
        if (index >= fItems.size())
            return MStatus::kFailure;
        fItems[index] = element;
        return MStatus::kSuccess;
    }
    /// Adds an element at the end. Growth is geometric (at least
    /// sizeIncrement() elements at a time), so appends are amortised O(1).
    MStatus append(const T& element)
    {
        if (fItems.size() == fItems.capacity())
            fItems.reserve(fItems.capacity() + std::max<size_t>(fIncrement, fItems.capacity()));
        fItems.push_back(element);
        return MStatus::kSuccess;
    }
    /// Inserts before `index` (index == length() appends); fails if
    /// index > length().
    MStatus insert(const T& element, unsigned int index)
    {
        if (index > fItems.size())
            return MStatus::kFailure;
        fItems.insert(fItems.begin() + index, element);
        return MStatus::kSuccess;
    }
    /// Removes the element at `index`, shifting the rest down; fails if
    /// index >= length().
    MStatus remove(unsigned int index)
    {
        if (index >= fItems.size())
            return MStatus::kFailure;
        fItems.erase(fItems.begin() + index);
        return MStatus::kSuccess;
    }
    /// Empties the array (capacity is kept).
    MStatus clear()
    {
        fItems.clear();
        return MStatus::kSuccess;
    }
    /// Makes this array a copy of `source`.
    MStatus copy(const ArrayOf& source)
    {
        if (this != &source)
            fItems = source.fItems;
        return MStatus::kSuccess;
    }
    /// Copies every element into `destination`, which must hold length()
    /// elements.
    MStatus get(T destination[]) const
    {
        std::copy(fItems.begin(), fItems.end(), destination);
        return MStatus::kSuccess;
    }

    /// The minimum number of elements by which append() grows the storage.
    void setSizeIncrement(unsigned int increment) { fIncrement = std::max(1u, increment); }
    unsigned int sizeIncrement() const { return fIncrement; }

#ifdef VXHOST_INTERNAL
    // The host's own conveniences; Maya's arrays offer none of these.
    /// Makes room for `count` elements without reallocating later.
    void reserve(unsigned int count) { fItems.reserve(count); }
    unsigned int capacity() const { return static_cast<unsigned int>(fItems.capacity()); }

    T* data() { return fItems.data(); }
    const T* data() const { return fItems.data(); }
    bool operator==(const ArrayOf& other) const { return fItems == other.fItems; }
    bool operator!=(const ArrayOf& other) const { return fItems != other.fItems; }
#endif

    T* begin() { return fItems.data(); }
    T* end() { return fItems.data() + fItems.size(); }
    const T* begin() const { return fItems.data(); }
    const T* end() const { return fItems.data() + fItems.size(); }

private:
    std::vector<T> fItems;
    unsigned int fIncrement = 32;
};

} // namespace vxhost::detail
