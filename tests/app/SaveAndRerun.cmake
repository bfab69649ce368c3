# A saved scene runs as the scene it was saved from, bit for bit:
#   cmake -DVOLARIX=prog -DSCENE=scene.mel -DDIR=work -P SaveAndRerun.cmake
# runs SCENE with "file -save" added at its end, runs the saved script, and
# compares the two runs' caches byte for byte.
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
file(READ ${SCENE} text)
file(WRITE ${DIR}/original.mel "${text}\nfile -save \"${DIR}/saved.mel\";\n")
foreach(run original saved)
  execute_process(COMMAND ${VOLARIX} run ${DIR}/${run}.mel --frames 1:12 --cache ${DIR}/${run} --quiet
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "${run}.mel failed (${code}):\n${out}${err}")
  endif()
endforeach()
file(GLOB files RELATIVE ${DIR}/original ${DIR}/original/*.pdc)
list(LENGTH files count)
if(count EQUAL 0)
  message(FATAL_ERROR "the original run wrote no cache")
endif()
foreach(f ${files})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${DIR}/original/${f} ${DIR}/saved/${f}
                  RESULT_VARIABLE different)
  if(different)
    message(FATAL_ERROR "${f} differs between the original and the saved scene")
  endif()
endforeach()
message("${count} cache files identical")
