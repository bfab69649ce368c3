# Curve closest-point benchmark (vx_bench_curves).
