# The stand-in's headers offer a plug-in only what Maya 2022's API has: each
# snippet in conformance/ is compiled as the plug-in's sources are (C++17,
# no extensions, the API headers without the host's own members).
# conforming.cpp must compile; every other snippet uses something Maya does
# not offer and must fail.
#
# cmake -DCXX_COMPILER=... -DINCLUDE_DIR=... -DSNIPPETS=... -DWORK_DIR=... -P Conformance.cmake

file(MAKE_DIRECTORY "${WORK_DIR}")
file(GLOB snippets "${SNIPPETS}/*.cpp")
set(failures "")
foreach(snippet IN LISTS snippets)
  get_filename_component(name "${snippet}" NAME_WE)
  execute_process(
    COMMAND "${CXX_COMPILER}" -std=c++17 -Wall -Wextra -Wpedantic -Werror -I "${INCLUDE_DIR}"
            -c "${snippet}" -o "${WORK_DIR}/${name}.o"
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(name STREQUAL "conforming")
    if(NOT result EQUAL 0)
      list(APPEND failures "${name} does not compile")
    endif()
  elseif(result EQUAL 0)
    list(APPEND failures "${name} compiles, though Maya would refuse it")
  endif()
endforeach()
list(LENGTH snippets count)
if(count LESS 2)
  message(FATAL_ERROR "no snippets in ${SNIPPETS}")
endif()
if(failures)
  list(JOIN failures "; " text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "${count} snippets behave as against Maya's headers")
