# Runs sound-decode on stored speech the way a user would and checks what it
# writes and how it refuses bad input.
# cmake -DTOOL=... -DFIXTURES=... -DWORK=... -P CheckSoundDecode.cmake
file(MAKE_DIRECTORY ${WORK})

function(expect_size file bytes)
  file(SIZE ${file} size)
  if(NOT size EQUAL ${bytes})
    message(FATAL_ERROR "${file}: ${size} bytes, expected ${bytes}")
  endif()
endfunction()

# Native rate: 110 frames of 240 samples at 8000 Hz.
execute_process(COMMAND ${TOOL} ${FIXTURES}/speech-male.ts ${WORK}/native.raw --rate native RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "native decode failed: ${rc}")
endif()
expect_size(${WORK}/native.raw 52800)

# Speech through the mixer's path: the header's count of 22050 Hz samples.
execute_process(COMMAND ${TOOL} ${FIXTURES}/speech-male.ts ${WORK}/mixed.raw --repeat 3 RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "mixer-path decode failed: ${rc}")
endif()
expect_size(${WORK}/mixed.raw 145530)

# Bad input: exit status 1 and one line on standard error.
file(WRITE ${WORK}/bad.bin "RIFF....WAVE")
foreach(args "${WORK}/bad.bin;${WORK}/bad.raw" "${WORK}/missing.bin;${WORK}/bad.raw"
             "${WORK};${WORK}/bad.raw" "${FIXTURES}/speech-male.ts;/dev/full")
  execute_process(COMMAND ${TOOL} ${args} RESULT_VARIABLE rc ERROR_VARIABLE err)
  string(REGEX MATCHALL "\n" lines "${err}")
  list(LENGTH lines count)
  if(NOT rc EQUAL 1 OR NOT count EQUAL 1)
    message(FATAL_ERROR "${args}: status ${rc}, stderr '${err}'")
  endif()
endforeach()

# A bad command line: exit status 2, what is wrong and the usage on standard error.
foreach(args "${FIXTURES}/speech-male.ts;${WORK}/bad.raw;--rate;44100" "${FIXTURES}/speech-male.ts"
             "${FIXTURES}/speech-male.ts;${WORK}/bad.raw;--repeat"
             "${FIXTURES}/speech-male.ts;${WORK}/bad.raw;--repeat;0")
  execute_process(COMMAND ${TOOL} ${args} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 2 OR NOT err MATCHES "^sound-decode: [^\n]+\nusage: sound-decode IN OUT")
    message(FATAL_ERROR "${args}: status ${rc}, stderr '${err}'")
  endif()
endforeach()
