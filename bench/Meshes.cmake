# Mesh query benchmarks (vx_bench_meshes).
