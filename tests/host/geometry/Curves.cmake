# Tests of NURBS curves (vx_test_host_curves).
vx_add_test(vx_test_host_curves
  SOURCES
    geometry/NurbsCurveTest.cpp
    geometry/NurbsCurveQueryTest.cpp
  LIBS vxhost_internal Threads::Threads)
