# Volume queries: nanoseconds per call for the sphere, capsule and box.
add_executable(vx_bench_volumes VolumeBench.cpp)
target_link_libraries(vx_bench_volumes PRIVATE vxvolumes benchmark::benchmark)
