// The recording draw manager.
#include <maya/M3dView.h>
#include <maya/MUIDrawManager.h>

using namespace vxhost;

OPENMAYA_MAJOR_NAMESPACE_OPEN
namespace MHWRender
{
namespace
{
// The icons the host draws a glyph of its own for; any other name is drawn
// as a small crossed square.
const char* const kIconNames[] = {"TURBULENCE_FIELD"};
} // namespace

void MUIDrawManager::beginDrawable(Selectability selectability, unsigned int selectionName)
{
    // An unclosed drawable ends here, as a new one starts.
    UIDrawable drawable;
    drawable.selectability = selectability;
    drawable.selectionName = selectionName;
    fDrawables.push_back(std::move(drawable));
    fState = UIDrawState();
    fOpen = true;
}

void MUIDrawManager::endDrawable()
{
    fOpen = false;
}

void MUIDrawManager::setColor(const MColor& color)
{
    fState.color = color;
}

void MUIDrawManager::setColorIndex(const short index)
{
    MStatus status;
    const MColor color =
        M3dView::active3dView().colorAtIndex(static_cast<unsigned>(index), M3dView::kActiveColors, &status);
    if (status)
        fState.color = color;
}

void MUIDrawManager::setPointSize(float value)
{
    fState.pointSize = value;
}

void MUIDrawManager::setLineWidth(float value)
{
    fState.lineWidth = value;
}

void MUIDrawManager::setLineStyle(LineStyle style)
{
    fState.lineStyle = style;
}

void MUIDrawManager::setPaintStyle(PaintStyle style)
{
    fState.paintStyle = style;
}

void MUIDrawManager::setDepthPriority(unsigned int priority)
{
    fState.depthPriority = priority;
}

void MUIDrawManager::setFontSize(unsigned int fontSize)
{
    fState.fontSize = fontSize;
}

UIPrimitive* MUIDrawManager::Add(UIPrimitiveKind kind, bool draw2D)
{
    if (!fOpen)
        return nullptr;
    UIPrimitive& p = fDrawables.back().primitives.emplace_back();
    p.kind = kind;
    p.draw2D = draw2D;
    p.state = fState;
    return &p;
}

void MUIDrawManager::line(const MPoint& startPoint, const MPoint& endPoint)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kMesh, false))
    {
        p->mode = kLines;
        p->points = {startPoint, endPoint};
    }
}

void MUIDrawManager::line2d(const MPoint& startPoint, const MPoint& endPoint)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kMesh, true))
    {
        p->mode = kLines;
        p->points = {startPoint, endPoint};
    }
}

void MUIDrawManager::lineList(const MPointArray& points, bool draw2D)
{
    mesh2dOr3d(kLines, points, draw2D);
}

void MUIDrawManager::lineStrip(const MPointArray& points, bool draw2D)
{
    mesh2dOr3d(kLineStrip, points, draw2D);
}

void MUIDrawManager::point(const MPoint& point)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kMesh, false))
    {
        p->mode = kPoints;
        p->points = {point};
    }
}

void MUIDrawManager::point2d(const MPoint& point)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kMesh, true))
    {
        p->mode = kPoints;
        p->points = {point};
    }
}

void MUIDrawManager::points(const MPointArray& points, bool draw2D)
{
    mesh2dOr3d(kPoints, points, draw2D);
}

void MUIDrawManager::mesh2dOr3d(Primitive mode, const MPointArray& position, bool draw2D)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kMesh, draw2D))
    {
        p->mode = mode;
        p->points.assign(position.begin(), position.end());
    }
}

namespace
{
void FillMesh(UIPrimitive& p, const MPointArray& position, const MColorArray* color, const MUintArray* index)
{
    if (index)
    {
        // Indices past the end of the positions are dropped, as a device
        // would refuse them.
        for (unsigned i = 0; i < index->length(); ++i)
        {
            const unsigned k = (*index)[i];
            if (k >= position.length())
                continue;
            p.points.push_back(position[k]);
            if (color && k < color->length())
                p.colors.push_back((*color)[k]);
        }
    }
    else
    {
        p.points.assign(position.begin(), position.end());
        if (color)
            p.colors.assign(color->begin(), color->end());
    }
    if (p.colors.size() != p.points.size())
        p.colors.clear();
}
} // namespace

void MUIDrawManager::mesh(Primitive mode, const MPointArray& position, const MVectorArray*,
                          const MColorArray* color, const MUintArray* index, const MPointArray*)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kMesh, false))
    {
        p->mode = mode;
        FillMesh(*p, position, color, index);
    }
}

void MUIDrawManager::mesh2d(Primitive mode, const MPointArray& position, const MColorArray* color,
                            const MUintArray* index)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kMesh, true))
    {
        p->mode = mode;
        FillMesh(*p, position, color, index);
    }
}

void MUIDrawManager::circle(const MPoint& center, const MVector& normal, double radius, bool filled)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kCircle, false))
    {
        p->points = {center};
        p->normal = normal;
        p->radius = radius;
        p->filled = filled;
    }
}

void MUIDrawManager::circle2d(const MPoint& center, double radius, bool filled)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kCircle, true))
    {
        p->points = {center};
        p->normal = MVector(0.0, 0.0, 1.0);
        p->radius = radius;
        p->filled = filled;
    }
}

void MUIDrawManager::sphere(const MPoint& center, double radius, bool filled)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kSphere, false))
    {
        p->points = {center};
        p->radius = radius;
        p->filled = filled;
    }
}

void MUIDrawManager::text(const MPoint& position, const MString& text, TextAlignment alignment, const int*,
                          const MColor*, bool)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kText, false))
    {
        p->points = {position};
        p->text = text.asChar();
        p->alignment = alignment;
    }
}

void MUIDrawManager::text2d(const MPoint& position, const MString& text, TextAlignment alignment, const int*,
                            const MColor*, bool)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kText, true))
    {
        p->points = {position};
        p->text = text.asChar();
        p->alignment = alignment;
    }
}

void MUIDrawManager::icon(const MPoint& position, const MString& name, float scale)
{
    if (UIPrimitive* p = Add(UIPrimitiveKind::kIcon, false))
    {
        p->points = {position};
        p->text = name.asChar();
        p->scale = scale;
    }
}

void MUIDrawManager::getIconNames(MStringArray& names)
{
    names.clear();
    for (const char* name : kIconNames)
        names.append(MString(name));
}

void MUIDrawManager::ClearDrawables()
{
    fDrawables.clear();
    fState = UIDrawState();
    fOpen = false;
}
} // namespace MHWRender
OPENMAYA_NAMESPACE_CLOSE
