# Volume benchmarks (vx_bench_volumes).
