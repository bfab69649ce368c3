#pragma once
/// \file MUserData.h
/// Data a draw override hands from preparation to drawing.

#include <maya/MApiNamespace.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// The base of a draw override's per-object data. The host keeps the object
/// that prepareForDraw returns and passes it back as oldData on the next
/// preparation; when prepareForDraw returns a different object the host
/// deletes the old one. Data marked deleteAfterUse is deleted after the
/// frame that used it, so the next preparation gets no oldData.
class MUserData
{
public:
    MUserData() = default;
    /// Maya's older form; deleteAfterUse as above.
    explicit MUserData(bool deleteAfterUse) : fDeleteAfterUse(deleteAfterUse) {}
    virtual ~MUserData() = default;
    MUserData(const MUserData&) = delete;
    MUserData& operator=(const MUserData&) = delete;

    bool deleteAfterUse() const { return fDeleteAfterUse; }
    void setDeleteAfterUse(bool shouldDelete) { fDeleteAfterUse = shouldDelete; }

private:
    bool fDeleteAfterUse = false;
};

OPENMAYA_NAMESPACE_CLOSE
