# Regenerates the example survey file and compares it byte for byte with the
# committed one. Called by CTest with PYTHON, SCRIPT, EXPECTED and ACTUAL set.
execute_process(COMMAND ${PYTHON} ${SCRIPT} -o ${ACTUAL} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${SCRIPT} failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${EXPECTED} ${ACTUAL} RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "${EXPECTED} differs from what ${SCRIPT} writes now: regenerate and commit it")
endif()
