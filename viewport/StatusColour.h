#pragma once
/// \file StatusColour.h
/// The colour a plug-in object is drawn in for its selection state.

#include <maya/M3dView.h>
#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MHWGeometryUtilities.h>

/// White, except for an unselected object (dormant, or only affected by the
/// selection), drawn in entry `dormantIndex` of the active view's template
/// colours, and for the lead of the selection, drawn in entry `leadIndex` of
/// its active colours. Other selected states stay white so that they stand
/// out from both.
inline MColor StatusColour(const MDagPath& path, unsigned int dormantIndex, unsigned int leadIndex)
{
    switch (MHWRender::MGeometryUtilities::displayStatus(path))
    {
    case MHWRender::kDormant:
    case MHWRender::kActiveAffected:
        return M3dView::active3dView().colorAtIndex(dormantIndex, M3dView::kTemplateColor);
    case MHWRender::kLead:
        return M3dView::active3dView().colorAtIndex(leadIndex, M3dView::kActiveColors);
    default:
        return MColor(1.0f, 1.0f, 1.0f, 1.0f);
    }
}
