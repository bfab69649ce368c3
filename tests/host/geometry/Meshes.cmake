# Tests of meshes (vx_test_host_meshes).
vx_add_test(vx_test_host_meshes
  SOURCES
    geometry/MeshDataTest.cpp
    geometry/MeshQueryTest.cpp
  LIBS vxhost_internal Threads::Threads)
