# NURBS curve data and MFnNurbsCurve.
target_sources(vxhost PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MFnNurbsCurve.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MFnNurbsCurveData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NurbsCurve.cpp
)
