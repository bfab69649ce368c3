#pragma once
/// \file MUIDrawManager.h
/// Simple drawables (lines, points, circles, icons, text) that draw
/// overrides and manipulators add to a redraw.

#include <maya/MColor.h>
#include <maya/MColorArray.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MUintArray.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>
#include <maya/detail/UIDrawRecords.h>

#include <vector>

OPENMAYA_MAJOR_NAMESPACE_OPEN

namespace MHWRender
{
/// Records every drawable it is given, in order, for the host's renderer.
/// Primitives belong to the drawable opened by beginDrawable and closed by
/// endDrawable; a primitive added outside a drawable is ignored, as Maya
/// ignores it. Each drawable starts with the default state (opaque white,
/// line width 1, solid lines, point size 2, depth priority 0); the setters
/// change the state for the primitives that follow in that drawable.
class MUIDrawManager
{
public:
    enum Selectability
    {
        kNonSelectable = 0,
        kSelectable = 1,
        kAutomatic = 2
    };
    enum Primitive
    {
        kPoints = 0,
        kLines = 1,
        kLineStrip = 2,
        kClosedLine = 3,
        kTriangles = 4,
        kTriStrip = 5
    };
    enum LineStyle
    {
        kSolid = 0,
        kShortDotted = 1,
        kShortDashed = 2,
        kDashed = 3,
        kDotted = 4
    };
    enum PaintStyle
    {
        kFlat = 0,
        kStippled = 1,
        kShaded = 2
    };
    enum FontSize
    {
        kDefaultFontSize = 12,
        kSmallFontSize = 9
    };
    enum TextAlignment
    {
        kLeft = 0,
        kCenter = 1,
        kRight = 2
    };

    MUIDrawManager() = default;
    MUIDrawManager(const MUIDrawManager&) = delete;
    MUIDrawManager& operator=(const MUIDrawManager&) = delete;

    void beginDrawable(Selectability selectability = kNonSelectable, unsigned int selectionName = 0);
    void endDrawable();
    /// Maya's X-ray brackets; the host draws every drawable over the scene.
    void beginDrawInXray() {}
    void endDrawInXray() {}

    void setColor(const MColor& color);
    /// A colour of the active colour table (M3dView::kActiveColors).
    void setColorIndex(const short index);
    void setPointSize(float value);
    void setLineWidth(float value);
    void setLineStyle(LineStyle style);
    void setPaintStyle(PaintStyle style);
    /// Higher priorities draw over lower ones.
    void setDepthPriority(unsigned int priority);
    void setFontSize(unsigned int fontSize);

    void line(const MPoint& startPoint, const MPoint& endPoint);
    void line2d(const MPoint& startPoint, const MPoint& endPoint);
    /// Pairs of points, each pair one segment.
    void lineList(const MPointArray& points, bool draw2D);
    void lineStrip(const MPointArray& points, bool draw2D);
    void point(const MPoint& point);
    void point2d(const MPoint& point);
    void points(const MPointArray& points, bool draw2D);
    /// A primitive from positions, indexed by index when given; colour gives
    /// one colour per position. Normals and texture coordinates are taken
    /// and unused, as a wireframe renderer has no use for them.
    void mesh(Primitive mode, const MPointArray& position, const MVectorArray* normal = nullptr,
              const MColorArray* color = nullptr, const MUintArray* index = nullptr,
              const MPointArray* texcoord = nullptr);
    void mesh2d(Primitive mode, const MPointArray& position, const MColorArray* color = nullptr,
                const MUintArray* index = nullptr);
    void circle(const MPoint& center, const MVector& normal, double radius, bool filled = false);
    void circle2d(const MPoint& center, double radius, bool filled = false);
    void sphere(const MPoint& center, double radius, bool filled = false);
    void text(const MPoint& position, const MString& text, TextAlignment alignment = kLeft,
              const int* backgroundSize = nullptr, const MColor* backgroundColor = nullptr,
              bool dynamic = false);
    void text2d(const MPoint& position, const MString& text, TextAlignment alignment = kLeft,
                const int* backgroundSize = nullptr, const MColor* backgroundColor = nullptr,
                bool dynamic = false);
    /// One of the host's icons at position, scale 1 being its natural size.
    void icon(const MPoint& position, const MString& name, float scale);
    /// The icons icon() knows.
    static void getIconNames(MStringArray& names);

    /// Host code: what has been recorded, in order.
    const std::vector<vxhost::UIDrawable>& Drawables() const { return fDrawables; }
    void ClearDrawables();

private:
    vxhost::UIPrimitive* Add(vxhost::UIPrimitiveKind kind, bool draw2D);
    void mesh2dOr3d(Primitive mode, const MPointArray& position, bool draw2D);

    std::vector<vxhost::UIDrawable> fDrawables;
    vxhost::UIDrawState fState;
    bool fOpen = false;
};
} // namespace MHWRender

OPENMAYA_NAMESPACE_CLOSE
