# Runs sound-decode on stored music with both rates and checks the output sizes: the mixer
# path delivers the declared samples, the native output every frame whole.
# -DTOOL=path -DINPUT=path -DWORK=dir -DMIXER_BYTES=n -DNATIVE_BYTES=n
foreach(rate 22050 native)
  execute_process(COMMAND ${TOOL} ${INPUT} ${WORK}/out_${rate}.s16 --rate ${rate} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "sound-decode --rate ${rate} failed: ${result}")
  endif()
  file(SIZE ${WORK}/out_${rate}.s16 size)
  if(rate STREQUAL "native")
    set(expected ${NATIVE_BYTES})
  else()
    set(expected ${MIXER_BYTES})
  endif()
  if(NOT size EQUAL expected)
    message(FATAL_ERROR "--rate ${rate}: ${size} bytes, expected ${expected}")
  endif()
endforeach()
