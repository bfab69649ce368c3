# Mesh data on Embree 3, MFnMesh, mesh builders and OBJ reading.
target_sources(vxhost PRIVATE)
