# Mesh query benchmarks (vx_bench_meshes): MFnMesh's queries beside the raw
# Embree calls they wrap, on scenes the benchmark builds itself. The raw
# baseline's closest-point callback is the host's own triangle routine, so
# the difference is the wrapper's per-call cost alone.
find_package(embree 3 REQUIRED)
add_executable(vx_bench_meshes MeshBench.cpp)
target_include_directories(vx_bench_meshes PRIVATE ${PROJECT_SOURCE_DIR}/host/src/geometry)
target_link_libraries(vx_bench_meshes PRIVATE vxhost_internal embree benchmark::benchmark)
