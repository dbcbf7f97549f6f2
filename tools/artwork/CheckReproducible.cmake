# Regenerates the artwork into OUT, checks it and compares it byte for byte with RESOURCES.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

execute_process(COMMAND ${ARTWORK} ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "artwork failed to generate (${result})")
endif()

foreach(folder ${OUT} ${RESOURCES})
  execute_process(COMMAND ${ARTWORK} --check ${folder} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "artwork in ${folder} fails its checks")
  endif()
endforeach()

foreach(density "" -150 -200 -300)
  list(APPEND names background${density}.png sheet${density}.png)
endforeach()
foreach(name ${names})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${name} ${RESOURCES}/${name}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "resources/${name} differs from the generator's output; "
                        "regenerate it with: artwork ${RESOURCES}")
  endif()
endforeach()
