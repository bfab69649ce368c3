# cmake -DBUILD_DIR=... -DWORK_DIR=... -DSCRIPTS_DIR=... -DVOLARIX=... -P ModuleInstall.cmake
#
# Installs the build's Maya module into a prefix with a space in its path,
# checks the layout (and nothing more), then proves that adding the module's
# folder to MAYA_MODULE_PATH is the whole installation: a copy of the volarix
# program in a folder of its own (so no plug-in lies beside it), with no
# other plug-in or script path, loads the installed plug-in, makes a field
# and runs its attribute editor template and the module's userSetup.mel.

cmake_minimum_required(VERSION 3.22)

function(fail)
  string(JOIN "" message ${ARGN})
  message(FATAL_ERROR "${message}")
endfunction()

set(prefix "${WORK_DIR}/install prefix")
set(module "${prefix}/particleVolarix")
file(REMOVE_RECURSE "${WORK_DIR}")

execute_process(
  COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}" --component maya_module
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  fail("cmake --install failed (${result}):\n${output}")
endif()

# The layout: exactly these files.
set(expected
  particleVolarix.mod
  plug-ins/particleVolarix.so
  icons/out_particleVolarix.png
  icons/out_QF_VX_volumeLocatorNode.png
  icons/out_QF_VX_targetLocatorNode.png
  icons/out_QF_VX_modifierLocatorNode.png
  icons/out_QF_VX_obstacleLocatorNode.png)
file(GLOB scripts RELATIVE "${SCRIPTS_DIR}" "${SCRIPTS_DIR}/*.mel")
foreach(script IN LISTS scripts)
  list(APPEND expected "scripts/${script}")
endforeach()
foreach(required AEparticleVolarixTemplate.mel AEQF_VX_targetLocatorNodeTemplate.mel
                 AEQF_VX_modifierLocatorNodeTemplate.mel AEQF_VX_obstacleLocatorNodeTemplate.mel
                 volarixMenu.mel userSetup.mel)
  if(NOT "scripts/${required}" IN_LIST expected)
    fail("the module's scripts lack ${required}")
  endif()
endforeach()
file(GLOB_RECURSE installed RELATIVE "${module}" "${module}/*")
list(SORT expected)
list(SORT installed)
if(NOT installed STREQUAL expected)
  fail("the installed module holds\n  ${installed}\nnot\n  ${expected}")
endif()

# Each icon a PNG of 20 by 20 pixels: the signature, then IHDR's width and height.
foreach(file IN LISTS installed)
  if(file MATCHES "^icons/")
    file(READ "${module}/${file}" header LIMIT 24 HEX)
    if(NOT header STREQUAL "89504e470d0a1a0a0000000d494844520000001400000014")
      fail("${file} is no 20x20 PNG: ${header}")
    endif()
  endif()
endforeach()

# The volarix program alone in a folder: its libraries are found through its
# build RPATH, its plug-in only through the module.
set(bin "${WORK_DIR}/volarix alone")
file(MAKE_DIRECTORY "${bin}")
file(COPY "${VOLARIX}" DESTINATION "${bin}")
get_filename_component(program "${VOLARIX}" NAME)
set(scene "${WORK_DIR}/module scene.mel")
file(WRITE "${scene}" [=[
loadPlugin "particleVolarix";
createNode particleVolarix -n swarm;
AEparticleVolarixTemplate swarm;
source "userSetup.mel";
]=])
# Then, at the shell's prompt, what the menu is.
file(WRITE "${WORK_DIR}/queries.txt" "menu -q -label volarixMenu\n")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=VOLARIX_PLUGIN_PATH --unset=MAYA_PLUG_IN_PATH
          --unset=MAYA_SCRIPT_PATH "MAYA_MODULE_PATH=${module}"
          "${bin}/${program}" shell "${scene}"
  INPUT_FILE "${WORK_DIR}/queries.txt"
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR output MATCHES "Error|Warning")
  fail("the installed module did not run (${result}):\n${output}")
endif()
# The shell shows what each command returns: the installed plug-in loaded,
# the field made, the menu userSetup.mel built.
foreach(shown "Result: particleVolarix //" "Result: swarm //" "Result: Volarix //")
  string(FIND "${output}" "${shown}" at)
  if(at EQUAL -1)
    fail("\"${shown}\" is missing from the run:\n${output}")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
