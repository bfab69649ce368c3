# Builds the plug-in the way a studio builds it against Maya's devkit, with a
# devkit-shaped folder made from the stand-in host: its API headers as
# include/maya, TBB's headers beside them, and the host library under the
# names of Maya's libraries. Then loads the module this produced into the
# stand-in host and runs a few frames with it. Also checks that a devkit
# path that is missing or lacks the headers stops CMake with a message
# naming what is missing.
#
# cmake -DSOURCE_DIR=... -DWORK_DIR=... -DHOST_LIBRARY=... -DTBB_LIBRARY=...
#       -DTBB_INCLUDE_DIR=... -DVOLARIX=... -DCXX_COMPILER=... -DGENERATOR=... -P DevkitBuild.cmake

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  # CMake wraps its messages; match them as one line.
  string(REGEX REPLACE "[ \n]+" " " flat "${out}${err}")
  set(result "${result}" PARENT_SCOPE)
  set(output "${flat}" PARENT_SCOPE)
endfunction()

function(configure devkit build)
  run(${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${build}" -G "${GENERATOR}"
      -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_BUILD_TYPE=Release "-DVOLARIX_MAYA_DEVKIT=${devkit}")
  set(result "${result}" PARENT_SCOPE)
  set(output "${output}" PARENT_SCOPE)
endfunction()

# A path with a space, as studio paths often have.
set(devkit "${WORK_DIR}/maya devkit")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${devkit}/include" "${devkit}/lib")

# Bad input first: no such folder, then a folder without the headers.
configure("${WORK_DIR}/no such devkit" "${WORK_DIR}/build-missing")
if(result EQUAL 0 OR NOT output MATCHES "is not a folder")
  message(FATAL_ERROR "a missing devkit folder was not refused by name:\n${output}")
endif()
configure("${devkit}" "${WORK_DIR}/build-empty")
if(result EQUAL 0 OR NOT output MATCHES "no include/maya/MFnPlugin.h")
  message(FATAL_ERROR "a devkit without headers was not refused by name:\n${output}")
endif()

file(COPY "${SOURCE_DIR}/host/include/maya" DESTINATION "${devkit}/include")
file(CREATE_LINK "${TBB_INCLUDE_DIR}/tbb" "${devkit}/include/tbb" SYMBOLIC)
if(EXISTS "${TBB_INCLUDE_DIR}/oneapi")
  # oneTBB's tbb/ headers forward to oneapi/tbb/ by relative path.
  file(CREATE_LINK "${TBB_INCLUDE_DIR}/oneapi" "${devkit}/include/oneapi" SYMBOLIC)
endif()
configure("${devkit}" "${WORK_DIR}/build-nolibs")
if(result EQUAL 0 OR NOT output MATCHES "library Foundation, OpenMaya, OpenMayaFX, OpenMayaUI, OpenMayaRender, tbb not found")
  message(FATAL_ERROR "a devkit without libraries was not refused by name:\n${output}")
endif()

foreach(name Foundation OpenMaya OpenMayaAnim OpenMayaFX OpenMayaRender OpenMayaUI)
  file(CREATE_LINK "${HOST_LIBRARY}" "${devkit}/lib/lib${name}.so" SYMBOLIC)
endforeach()
file(CREATE_LINK "${TBB_LIBRARY}" "${devkit}/lib/libtbb.so" SYMBOLIC)

set(build "${WORK_DIR}/build")
configure("${devkit}" "${build}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "configuring against the devkit failed:\n${output}")
endif()
run(${CMAKE_COMMAND} --build "${build}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "building against the devkit failed:\n${output}")
endif()
set(module "${build}/bin/particleVolarix.so")
if(NOT EXISTS "${module}")
  message(FATAL_ERROR "the devkit build made no ${module}")
endif()

# Only the plug-in is built: no host, no programs, no tests.
file(GLOB built RELATIVE "${build}/bin" "${build}/bin/*")
if(NOT built STREQUAL "particleVolarix.so")
  message(FATAL_ERROR "the devkit build made more than the module: ${built}")
endif()

# The same build lays out the Maya module, with this plug-in in it.
run(${CMAKE_COMMAND} --install "${build}" --prefix "${WORK_DIR}/dist" --component maya_module)
foreach(file particleVolarix.mod plug-ins/particleVolarix.so scripts/AEparticleVolarixTemplate.mel)
  if(NOT result EQUAL 0 OR NOT EXISTS "${WORK_DIR}/dist/particleVolarix/${file}")
    message(FATAL_ERROR "the devkit build's module lacks ${file}:\n${output}")
  endif()
endforeach()

file(WRITE "${WORK_DIR}/scene.mel" "loadPlugin \"${module}\";
particle -n flock -jbp 0 0 0 -nj 40 -jr 5;
createNode particleVolarix -n swarm;
setAttr swarm.maximumSpeed 12;
connectDynamic -f swarm flock;
")
run("${VOLARIX}" run "${WORK_DIR}/scene.mel" --frames 1:6 --quiet --json)
if(NOT result EQUAL 0 OR NOT output MATCHES "\"particles\": 40")
  message(FATAL_ERROR "the devkit-built module did not run in the host:\n${output}")
endif()
message(STATUS "built against the devkit and ran: ${module}")
