# Compiles one .po file with its table of languages as the build does and compiles
# the generated source; succeeds only when one of the two refuses it with a message
# matching EXPECT.
#   cmake -DPYTHON= -DCOMPILER= -DLANGUAGES= -DPOT= -DPO= -DOUT= -DCXX= -DSOURCE= -DEXPECT=
#         -P expect_rejected.cmake
execute_process(COMMAND "${PYTHON}" "${COMPILER}" "${OUT}" "${LANGUAGES}" "${POT}" "${PO}"
                RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
if(result EQUAL 0)
  execute_process(COMMAND "${CXX}" -std=c++20 -fsyntax-only "-I${SOURCE}" "${OUT}"
                  RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
endif()
if(result EQUAL 0)
  message(FATAL_ERROR "${PO} was accepted")
endif()
if(NOT errors MATCHES "${EXPECT}")
  message(FATAL_ERROR "${PO} was refused, but not for '${EXPECT}':\n${errors}")
endif()
message(STATUS "refused as expected: ${EXPECT}")
