# Tests of meshes (vx_test_host_meshes).
