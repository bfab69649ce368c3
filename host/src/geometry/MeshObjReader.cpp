// OBJ import for vxhost::ReadObjMesh (declared in vxhost/MeshBuilders.h).
#include <vxhost/MeshBuilders.h>
#include <vxhost/StdString.h>

#include <maya/MFloatPointArray.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>

#include <tiny_obj_loader.h>

#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace vxhost
{
namespace
{
// The vertex count of every face, in the file's order. tinyobjloader keeps
// a face's count in one byte, so a face of 256 or more vertices comes back
// with its count wrapped; the file's own "f" lines give the true counts.
std::vector<std::size_t> FaceSizes(const std::string& path)
{
    std::vector<std::size_t> sizes;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line))
    {
        if (const std::size_t hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::string word;
        if (!(words >> word) || word != "f")
            continue;
        std::size_t count = 0;
        while (words >> word)
            ++count;
        sizes.push_back(count);
    }
    return sizes;
}
} // namespace

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

        const std::vector<std::size_t> sizes = FaceSizes(ToStdString(path));
        MIntArray counts, connects;
        std::size_t face = 0;
        for (const tinyobj::shape_t& shape : reader.GetShapes())
        {
            for (const unsigned char wrapped : shape.mesh.num_face_vertices)
            {
                // The reader's count must be the file's, modulo 256.
                if (face >= sizes.size() || sizes[face] % 256 != wrapped)
                    return MStatus(MStatus::kFailure,
                                   ToMString("Cannot read the OBJ file \"" + ToStdString(path) +
                                             "\": its faces do not match what the OBJ reader made of them"));
                counts.append(static_cast<int>(sizes[face++]));
            }
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
