#pragma once
/// \file DataNode.h
/// The stored value of one plug: a number tuple, a matrix, a data object or
/// a string; the children of a compound; the elements of an array.

#include "Attribute.h"

#include <maya/MMatrix.h>
#include <maya/MObject.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vxhost
{
class DataNode
{
public:
    /// The value of attribute with its defaults; asArray for the array as a
    /// whole (holding elements), false for one element or a plain value.
    DataNode(const Attribute* attribute, bool asArray);

    const Attribute* attribute;
    bool isArray;

    double numbers[3] = {0.0, 0.0, 0.0}; ///< numeric, unit and enum values; internal units
    MMatrix matrix;
    MObject data; ///< typed values (null until set)
    std::string text;
    std::vector<DataNode> children;                         ///< compound: one per child attribute
    std::map<unsigned, std::unique_ptr<DataNode>> elements; ///< array: by logical index

    /// The graph generation at which a computed value was last computed; 0
    /// when never.
    std::uint64_t computedAt = 0;

    /// The element with logical index, made with the defaults when missing.
    DataNode& Element(unsigned index);
    DataNode* FindElement(unsigned index) const;
    /// Copies another plug's value: numbers, matrix, data (shared), text,
    /// children and elements, matching children by position.
    void CopyValue(const DataNode& source);
    /// The data object, or a new one holding the matrix for a matrix value.
    MObject DataObject() const;
    /// An independent copy, data objects and elements included: what undo
    /// keeps of a value a command is about to change.
    std::unique_ptr<DataNode> Clone() const;
    /// Roughly the bytes the value holds, children, elements and data
    /// included.
    std::size_t Bytes() const;
    /// Whether other holds the same value, bit for bit (numbers, matrix,
    /// text, data contents, children and elements). Data of a kind that
    /// cannot be compared counts as different.
    bool SameValue(const DataNode& other) const;
};
} // namespace vxhost
