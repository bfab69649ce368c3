# Curve closest-point benchmark (vx_bench_curves).
add_executable(vx_bench_curves CurveBench.cpp)
target_link_libraries(vx_bench_curves PRIVATE vxhost_internal benchmark::benchmark)
