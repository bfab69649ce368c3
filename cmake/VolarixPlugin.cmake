# The plug-in's own sources (plugin/, nodes/, commands/, viewport/, solver/,
# volumes/) are built as Maya 2022 builds plug-ins: C++17 without compiler
# extensions (GCC 9.3 on Linux, Visual Studio 2019 on Windows), against the
# Maya API target VolarixMaya::API and TBB target VolarixMaya::TBB. Those are
# the stand-in host (the default) or a Maya devkit (MayaDevkit.cmake).

# volarix_plugin_sources(TARGET): the language level every plug-in target
# is held to.
function(volarix_plugin_sources target)
  set_target_properties(${target} PROPERTIES
    CXX_STANDARD 17
    CXX_STANDARD_REQUIRED ON
    CXX_EXTENSIONS OFF)
endfunction()

# The stand-in host as the Maya API: its public headers without the host's
# own members, and the one library that stands in for OpenMaya, OpenMayaUI,
# OpenMayaRender, OpenMayaAnim, OpenMayaFX and Foundation.
function(volarix_standin_api)
  add_library(VolarixMayaAPI INTERFACE)
  target_link_libraries(VolarixMayaAPI INTERFACE vxhost)
  add_library(VolarixMaya::API ALIAS VolarixMayaAPI)
  add_library(VolarixMayaTBB INTERFACE)
  target_link_libraries(VolarixMayaTBB INTERFACE TBB::tbb)
  add_library(VolarixMaya::TBB ALIAS VolarixMayaTBB)
endfunction()
