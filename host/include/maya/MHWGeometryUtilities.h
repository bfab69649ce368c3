#pragma once
/// \file MHWGeometryUtilities.h
/// Viewport 2.0 geometry helpers: the display status of an object.

#include <maya/MDagPath.h>
#include <maya/MStatus.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

namespace MHWRender
{
/// How an object is drawn by its selection state; Maya's values.
enum DisplayStatus
{
    kActive = 0,
    kLive = 1,
    kDormant = 2,
    kInvisible = 3,
    kHilite = 4,
    kTemplate = 5,
    kActiveTemplate = 6,
    kActiveComponent = 7,
    kLead = 8,
    kIntermediateObject = 9,
    kActiveAffected = 10,
    kNoStatus = 11
};

class MGeometryUtilities
{
public:
    /// From the active selection: kLead when the object or a DAG ancestor
    /// of it is the last item selected, kActive when it or an ancestor is
    /// another selected item, otherwise kDormant. An intermediate object
    /// is kIntermediateObject and a hidden one (its own or an ancestor's
    /// visibility off) kInvisible, whatever the selection. kNoStatus with
    /// kInvalidParameter for a path that leads nowhere.
    static DisplayStatus displayStatus(const MDagPath& path, MStatus* returnStatus = nullptr);
};
} // namespace MHWRender

OPENMAYA_NAMESPACE_CLOSE
