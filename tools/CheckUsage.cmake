# Runs a command-line tool and checks it against the tools' one convention for
# their command line: --help prints the usage on standard output and exits with
# 0; a usage error prints what is wrong (prefixed with the tool's name) and the
# usage on standard error, leaves standard output empty and exits with 2.
# -DTOOL=path -DNAME=tool -DARGS=a|b|c -DSTATUS=n -DOUT=regex -DERR=regex
string(REPLACE "|" ";" args "${ARGS}")
execute_process(COMMAND ${TOOL} ${args} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result STREQUAL STATUS)
  message(FATAL_ERROR "${NAME} ${ARGS}: exit status ${result}, expected ${STATUS}\nstdout: ${out}\nstderr: ${err}")
endif()
foreach(stream out err)
  string(TOUPPER ${stream} key)
  if(${key} STREQUAL "")
    if(NOT ${stream} STREQUAL "")
      message(FATAL_ERROR "${NAME} ${ARGS}: std${stream} should be empty, is: ${${stream}}")
    endif()
  elseif(NOT ${stream} MATCHES "${${key}}")
    message(FATAL_ERROR "${NAME} ${ARGS}: std${stream} does not match ${${key}}: ${${stream}}")
  endif()
endforeach()
