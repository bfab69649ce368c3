#include <vxhost/MeshBuilders.h>

#include <maya/MFloatPointArray.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>

#include <cmath>
#include <initializer_list>
#include <numbers>

namespace vxhost
{

namespace
{
MObject Fail(MStatus* ReturnStatus, const char* text)
{
    if (ReturnStatus)
        *ReturnStatus = MStatus(MStatus::kInvalidParameter, text);
    return MObject::kNullObj;
}

bool Positive(double size)
{
    return size > 0.0 && std::isfinite(size);
}

MObject Make(const MFloatPointArray& points, const MIntArray& counts, const MIntArray& connects,
             MStatus* ReturnStatus)
{
    MFnMesh mesh;
    return mesh.create(static_cast<int>(points.length()), static_cast<int>(counts.length()), points, counts,
                       connects, MObject::kNullObj, ReturnStatus);
}

void AddPolygon(MIntArray& counts, MIntArray& connects, std::initializer_list<int> vertices)
{
    counts.append(static_cast<int>(vertices.size()));
    for (const int v : vertices)
        connects.append(v);
}
} // namespace

MObject MakeBoxMesh(double width, double height, double depth, const MPoint& centre, MStatus* ReturnStatus)
{
    if (!Positive(width) || !Positive(height) || !Positive(depth))
        return Fail(ReturnStatus, "A box needs a positive width, height and depth");
    const double x = width / 2, y = height / 2, z = depth / 2;
    const double corners[8][3] = {{-x, -y, z}, {x, -y, z}, {-x, y, z},   {x, y, z},
                                  {-x, y, -z}, {x, y, -z}, {-x, -y, -z}, {x, -y, -z}};
    MFloatPointArray points;
    for (const auto& c : corners)
        points.append(MFloatPoint(MPoint(centre.x + c[0], centre.y + c[1], centre.z + c[2])));
    MIntArray counts, connects;
    AddPolygon(counts, connects, {0, 1, 3, 2}); // +z
    AddPolygon(counts, connects, {2, 3, 5, 4}); // +y
    AddPolygon(counts, connects, {4, 5, 7, 6}); // -z
    AddPolygon(counts, connects, {6, 7, 1, 0}); // -y
    AddPolygon(counts, connects, {1, 7, 5, 3}); // +x
    AddPolygon(counts, connects, {6, 0, 2, 4}); // -x
    return Make(points, counts, connects, ReturnStatus);
}

MObject MakeSphereMesh(double radius, int subdivisionsAxis, int subdivisionsHeight, const MPoint& centre,
                       MStatus* ReturnStatus)
{
    if (!Positive(radius))
        return Fail(ReturnStatus, "A sphere needs a positive radius");
    if (subdivisionsAxis < 3 || subdivisionsHeight < 2)
        return Fail(ReturnStatus, "A sphere needs at least 3 axis and 2 height subdivisions");
    const int around = subdivisionsAxis;
    const int rings = subdivisionsHeight - 1;

    // Rings from bottom to top, then the south and north poles. Angles run
    // so that x = cos, z = -sin: seen from outside, a quad's vertices then
    // go counter-clockwise in the order below.
    MFloatPointArray points;
    points.reserve(static_cast<unsigned int>(around * rings + 2));
    for (int j = 1; j <= rings; ++j)
    {
        const double phi = -std::numbers::pi / 2 + std::numbers::pi * j / subdivisionsHeight;
        const double ringRadius = radius * std::cos(phi);
        const double y = radius * std::sin(phi);
        for (int i = 0; i < around; ++i)
        {
            const double theta = 2 * std::numbers::pi * i / around;
            points.append(MFloatPoint(MPoint(centre.x + ringRadius * std::cos(theta), centre.y + y,
                                             centre.z - ringRadius * std::sin(theta))));
        }
    }
    const int south = around * rings;
    const int north = south + 1;
    points.append(MFloatPoint(MPoint(centre.x, centre.y - radius, centre.z)));
    points.append(MFloatPoint(MPoint(centre.x, centre.y + radius, centre.z)));

    const auto at = [around](int ring, int i) { return ring * around + i % around; };
    MIntArray counts, connects;
    for (int j = 0; j + 1 < rings; ++j)
        for (int i = 0; i < around; ++i)
            AddPolygon(counts, connects, {at(j, i), at(j, i + 1), at(j + 1, i + 1), at(j + 1, i)});
    for (int i = 0; i < around; ++i)
        AddPolygon(counts, connects, {south, at(0, i + 1), at(0, i)});
    for (int i = 0; i < around; ++i)
        AddPolygon(counts, connects, {at(rings - 1, i), at(rings - 1, i + 1), north});
    return Make(points, counts, connects, ReturnStatus);
}

MObject MakePlaneMesh(double width, double height, int subdivisionsX, int subdivisionsY, const MPoint& centre,
                      MStatus* ReturnStatus)
{
    if (!Positive(width) || !Positive(height))
        return Fail(ReturnStatus, "A plane needs a positive width and height");
    if (subdivisionsX < 1 || subdivisionsY < 1)
        return Fail(ReturnStatus, "A plane needs at least 1 subdivision each way");
    const int columns = subdivisionsX + 1;
    MFloatPointArray points;
    points.reserve(static_cast<unsigned int>(columns * (subdivisionsY + 1)));
    for (int r = 0; r <= subdivisionsY; ++r)
        for (int c = 0; c < columns; ++c)
            points.append(MFloatPoint(MPoint(centre.x - width / 2 + width * c / subdivisionsX, centre.y,
                                             centre.z + height / 2 - height * r / subdivisionsY)));
    MIntArray counts, connects;
    for (int r = 0; r < subdivisionsY; ++r)
        for (int c = 0; c < subdivisionsX; ++c)
        {
            const int v = r * columns + c;
            AddPolygon(counts, connects, {v, v + 1, v + 1 + columns, v + columns});
        }
    return Make(points, counts, connects, ReturnStatus);
}

} // namespace vxhost
