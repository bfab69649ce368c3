# Mesh data on Embree 3, MFnMesh, mesh builders and OBJ reading.
find_package(embree 3 REQUIRED)
find_package(tinyobjloader REQUIRED)
target_sources(vxhost PRIVATE
  src/geometry/EmbreeScene.cpp
  src/geometry/EmbreeSceneCache.cpp
  src/geometry/MFnMesh.cpp
  src/geometry/MFnMeshData.cpp
  src/geometry/MeshBuilders.cpp
  src/geometry/MeshGeometry.cpp
  src/geometry/MeshObjReader.cpp
  src/geometry/MeshTopology.cpp
)
target_link_libraries(vxhost PRIVATE embree tinyobjloader::tinyobjloader)
