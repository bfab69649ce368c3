# Runs a command and checks how it ended, for end-to-end tests of volarix:
#   cmake -DCOMMAND=prog|arg|arg -DEXIT=2 [-DMATCH=regex] [-DNOMATCH=regex]
#         [-DINPUT=file] [-DABSENT=path] -P ExpectRun.cmake
# COMMAND separates arguments with '|'; MATCH must and NOMATCH must not
# match what the command wrote to stdout and stderr together; ABSENT must
# not exist afterwards (removed before the command runs).
string(REPLACE "|" ";" command "${COMMAND}")
if(DEFINED INPUT)
  set(input INPUT_FILE "${INPUT}")
endif()
if(DEFINED ABSENT)
  file(REMOVE_RECURSE "${ABSENT}")
endif()
execute_process(COMMAND ${command} ${input} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(all "${out}${err}")
message("${all}")
if(NOT "${code}" STREQUAL "${EXIT}")
  message(FATAL_ERROR "exit status ${code}, expected ${EXIT}")
endif()
if(DEFINED MATCH AND NOT all MATCHES "${MATCH}")
  message(FATAL_ERROR "the output does not match \"${MATCH}\"")
endif()
if(DEFINED NOMATCH AND all MATCHES "${NOMATCH}")
  message(FATAL_ERROR "the output matches \"${NOMATCH}\"")
endif()
if(DEFINED ABSENT AND EXISTS "${ABSENT}")
  message(FATAL_ERROR "\"${ABSENT}\" was written")
endif()
