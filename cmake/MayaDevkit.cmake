# Building the plug-in alone against a Maya 2022 devkit, for Maya itself.
#
#   cmake -S . -B build-maya -DVOLARIX_MAYA_DEVKIT=/path/to/devkitBase
#   cmake -S . -B build-maya -DMAYA_LOCATION=/usr/autodesk/maya2022
#
# The headers come from <root>/include (maya/ and tbb/), the libraries from
# <root>/lib, then from MAYA_LOCATION's lib/ when both are given (a devkitBase
# unpacked beside an installed Maya). The plug-in links the TBB that Maya
# ships, so it shares Maya's scheduler instead of starting a second one.

set(_vx_roots "")
foreach(_root IN ITEMS "${VOLARIX_MAYA_DEVKIT}" "${MAYA_LOCATION}")
  if(_root)
    if(NOT IS_DIRECTORY "${_root}")
      message(FATAL_ERROR "Maya devkit: '${_root}' is not a folder.")
    endif()
    list(APPEND _vx_roots "${_root}")
  endif()
endforeach()

set(_vx_include "")
foreach(_root IN LISTS _vx_roots)
  if(EXISTS "${_root}/include/maya/MFnPlugin.h")
    set(_vx_include "${_root}/include")
    break()
  endif()
endforeach()
if(NOT _vx_include)
  list(JOIN _vx_roots "', '" _vx_where)
  message(FATAL_ERROR "Maya devkit: no include/maya/MFnPlugin.h under '${_vx_where}'. "
                      "Point VOLARIX_MAYA_DEVKIT at the devkitBase folder (the one holding include/ and lib/).")
endif()
if(NOT EXISTS "${_vx_include}/tbb/parallel_for.h")
  message(FATAL_ERROR "Maya devkit: no tbb/parallel_for.h in '${_vx_include}': "
                      "the plug-in builds against the TBB headers that come with Maya's devkit.")
endif()

set(_vx_libdirs "")
foreach(_root IN LISTS _vx_roots)
  list(APPEND _vx_libdirs "${_root}/lib")
endforeach()

# The Maya libraries the plug-in calls into, and Maya's TBB.
set(_vx_missing "")
foreach(_lib IN ITEMS Foundation OpenMaya OpenMayaFX OpenMayaUI OpenMayaRender tbb)
  find_library(VOLARIX_MAYA_${_lib}_LIBRARY NAMES ${_lib} PATHS ${_vx_libdirs} NO_DEFAULT_PATH)
  if(NOT VOLARIX_MAYA_${_lib}_LIBRARY)
    list(APPEND _vx_missing ${_lib})
  endif()
endforeach()
if(_vx_missing)
  list(JOIN _vx_missing ", " _vx_missing_text)
  list(JOIN _vx_libdirs "', '" _vx_where)
  message(FATAL_ERROR "Maya devkit: library ${_vx_missing_text} not found in '${_vx_where}'.")
endif()

add_library(VolarixMayaAPI INTERFACE)
target_include_directories(VolarixMayaAPI SYSTEM INTERFACE "${_vx_include}")
target_link_libraries(VolarixMayaAPI INTERFACE
  ${VOLARIX_MAYA_Foundation_LIBRARY} ${VOLARIX_MAYA_OpenMaya_LIBRARY} ${VOLARIX_MAYA_OpenMayaFX_LIBRARY}
  ${VOLARIX_MAYA_OpenMayaUI_LIBRARY} ${VOLARIX_MAYA_OpenMayaRender_LIBRARY})
# The definitions Maya's own build of plug-ins uses on each platform.
target_compile_definitions(VolarixMayaAPI INTERFACE _BOOL REQUIRE_IOSTREAM)
if(WIN32)
  target_compile_definitions(VolarixMayaAPI INTERFACE NT_PLUGIN WIN32 _WINDOWS NOMINMAX)
elseif(APPLE)
  target_compile_definitions(VolarixMayaAPI INTERFACE OSMac_ MAC_PLUGIN)
else()
  target_compile_definitions(VolarixMayaAPI INTERFACE LINUX LINUX_64 Bits64_)
endif()
add_library(VolarixMaya::API ALIAS VolarixMayaAPI)

add_library(VolarixMayaTBB INTERFACE)
target_include_directories(VolarixMayaTBB SYSTEM INTERFACE "${_vx_include}")
target_link_libraries(VolarixMayaTBB INTERFACE ${VOLARIX_MAYA_tbb_LIBRARY})
add_library(VolarixMaya::TBB ALIAS VolarixMayaTBB)

message(STATUS "Building particleVolarix alone, against the Maya devkit headers in ${_vx_include}")
