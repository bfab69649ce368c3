#pragma once
/// \file MTypeId.h
/// The 32-bit id that names a node or data type.

#include <maya/MApiNamespace.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// A node or data type id. Ids must be unique across all loaded plug-ins;
/// Autodesk assigns each developer a 24-bit prefix with 256 ids under it.
class MTypeId
{
public:
    /// Id 0 (invalid as a real type's id).
    constexpr MTypeId() = default;
    constexpr MTypeId(unsigned int id) : fId(id) {}
    /// (prefix << 8) | (id & 0xFF): a 24-bit prefix and an 8-bit id.
    constexpr MTypeId(unsigned int prefix, unsigned int id) : fId((prefix << 8) | (id & 0xFFu)) {}

    constexpr unsigned int id() const { return fId; }
    constexpr bool operator==(const MTypeId& o) const { return fId == o.fId; }
    constexpr bool operator!=(const MTypeId& o) const { return fId != o.fId; }

private:
    unsigned int fId = 0;
};

OPENMAYA_NAMESPACE_CLOSE
