# Tests of NURBS curves (vx_test_host_curves).
