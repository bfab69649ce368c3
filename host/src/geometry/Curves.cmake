# NURBS curve data and MFnNurbsCurve.
target_sources(vxhost PRIVATE)
