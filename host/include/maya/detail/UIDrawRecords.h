#pragma once
/// \file detail/UIDrawRecords.h
/// What MHWRender::MUIDrawManager records: the drawables a draw override or
/// a manipulator adds, as the host's renderer and tests read them.

#include <maya/MColor.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

#include <string>
#include <vector>

namespace vxhost
{
/// The drawing state in force when a primitive was added. Values of the
/// enumerations are those of MUIDrawManager.
struct UIDrawState
{
    MColor color{1.0f, 1.0f, 1.0f, 1.0f};
    float lineWidth = 1.0f; ///< pixels
    int lineStyle = 0;      ///< MUIDrawManager::LineStyle
    float pointSize = 2.0f; ///< pixels
    int paintStyle = 0;     ///< MUIDrawManager::PaintStyle
    unsigned depthPriority = 0;
    unsigned fontSize = 12; ///< points
};

enum class UIPrimitiveKind
{
    kMesh,   ///< points, lines, strips, closed lines, triangles: see mode
    kCircle, ///< centre points[0], normal, radius
    kSphere, ///< centre points[0], radius
    kIcon,   ///< at points[0], named text, scale
    kText    ///< at points[0], text, alignment
};

struct UIPrimitive
{
    UIPrimitiveKind kind = UIPrimitiveKind::kMesh;
    int mode = 0;               ///< MUIDrawManager::Primitive, for kMesh
    bool draw2D = false;        ///< points are pixels from the viewport's lower-left corner
    bool filled = false;        ///< circles and spheres
    std::vector<MPoint> points; ///< object space (after any index array was applied)
    std::vector<MColor> colors; ///< per point, when given; else state.color
    MVector normal;
    double radius = 0.0;
    float scale = 1.0f;
    int alignment = 0; ///< MUIDrawManager::TextAlignment
    std::string text;  ///< icon name or text
    UIDrawState state;
};

/// Everything between one beginDrawable and its endDrawable.
struct UIDrawable
{
    int selectability = 0; ///< MUIDrawManager::Selectability
    unsigned selectionName = 0;
    std::vector<UIPrimitive> primitives;
};
} // namespace vxhost
