// OBJ import for vxhost::ReadObjMesh (declared in vxhost/MeshBuilders.h).
#include <vxhost/MeshBuilders.h>
#include <vxhost/StdString.h>

#include <maya/MFloatPointArray.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>

#include <tiny_obj_loader.h>

#include <new>
#include <string>

namespace vxhost
{

MStatus ReadObjMesh(const MString& path, MObject& outMesh)
{
    try
    {
        tinyobj::ObjReaderConfig config;
        config.triangulate = false; // MFnMesh triangulates for its queries; the faces stay as modelled
        config.vertex_color = false;
        tinyobj::ObjReader reader;
        if (!reader.ParseFromFile(ToStdString(path), config))
        {
            std::string message = reader.Error();
            while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
                message.pop_back();
            return MStatus(MStatus::kFailure,
                           ToMString("Cannot read the OBJ file \"" + ToStdString(path) + "\": " + message));
        }

        const std::vector<float>& vertices = reader.GetAttrib().vertices;
        MFloatPointArray points;
        points.setLength(static_cast<unsigned int>(vertices.size() / 3));
        for (unsigned int i = 0; i < points.length(); ++i)
            points[i] = MFloatPoint(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]);

        MIntArray counts, connects;
        for (const tinyobj::shape_t& shape : reader.GetShapes())
        {
            for (const unsigned char count : shape.mesh.num_face_vertices)
                counts.append(count);
            for (const tinyobj::index_t& index : shape.mesh.indices)
                connects.append(index.vertex_index);
        }

        MStatus status;
        MFnMesh mesh;
        const MObject created =
            mesh.create(static_cast<int>(points.length()), static_cast<int>(counts.length()), points, counts,
                        connects, MObject::kNullObj, &status);
        if (status)
            outMesh = created;
        return status;
    }
    catch (const std::bad_alloc&)
    {
        return MStatus(MStatus::kInsufficientMemory,
                       ToMString("Out of memory reading the OBJ file \"" + ToStdString(path) + "\""));
    }
}

} // namespace vxhost
