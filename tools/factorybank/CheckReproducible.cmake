# Builds the bank from its source again and compares it with the committed one.
execute_process(COMMAND ${FACTORYBANK} ${SOURCE} ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "factorybank failed on ${SOURCE}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${BANK} RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "${BANK} is not what ${SOURCE} makes: run factorybank ${SOURCE} ${BANK}")
endif()
