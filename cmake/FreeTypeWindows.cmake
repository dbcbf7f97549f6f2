# FreeType for the editor's text, linked as Freetype::Freetype on every platform. Linux uses the
# system's library. The Windows DLL must import nothing but system DLLs, so there FreeType is
# cross-built once per build tree, as a static library, from Debian's source package; later
# configures of the same tree reuse it.
if(NOT WIN32)
  find_package(Freetype REQUIRED)
  return()
endif()

set(QUORL_FREETYPE_DIR ${CMAKE_BINARY_DIR}/freetype)
set(QUORL_FREETYPE_LIBRARY ${QUORL_FREETYPE_DIR}/install/lib/libfreetype.a)
set(QUORL_FREETYPE_INCLUDE_DIR ${QUORL_FREETYPE_DIR}/install/include/freetype2)

# Runs one step of the FreeType build with its output in a log; a failure stops the configure
# with the step's name and the end of its log.
function(quorl_freetype_step name)
  set(log ${QUORL_FREETYPE_DIR}/${name}.log)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_FILE ${log} ERROR_FILE ${log})
  if(NOT result EQUAL 0)
    file(READ ${log} output)
    string(LENGTH "${output}" length)
    if(length GREATER 3000)
      math(EXPR start "${length} - 3000")
      string(SUBSTRING "${output}" ${start} -1 output)
    endif()
    message(FATAL_ERROR "FreeType for Windows: the ${name} step failed (${result}); "
                        "its log is ${log}. It ends with:\n${output}")
  endif()
endfunction()

# Fetches the source, then configures, builds and installs FreeType with the project's toolchain.
function(quorl_build_freetype)
  if(NOT CMAKE_TOOLCHAIN_FILE)
    message(FATAL_ERROR "FreeType for Windows: only the cross build (a toolchain file) is supported")
  endif()
  # A relative toolchain path is one the outer configure resolved; FreeType's runs elsewhere.
  set(toolchain ${CMAKE_TOOLCHAIN_FILE})
  if(NOT IS_ABSOLUTE "${toolchain}")
    if(EXISTS ${CMAKE_BINARY_DIR}/${toolchain})
      set(toolchain ${CMAKE_BINARY_DIR}/${toolchain})
    else()
      set(toolchain ${CMAKE_SOURCE_DIR}/${toolchain})
    endif()
  endif()
  set(generator -G ${CMAKE_GENERATOR})
  if(CMAKE_MAKE_PROGRAM)
    list(APPEND generator -DCMAKE_MAKE_PROGRAM=${CMAKE_MAKE_PROGRAM})
  endif()

  file(MAKE_DIRECTORY ${QUORL_FREETYPE_DIR})
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-freetype-source.sh ${QUORL_FREETYPE_DIR}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "FreeType for Windows: fetching the source failed (${result}); "
                        "scripts/setup.sh adds the source entries apt needs")
  endif()
  # What a failed attempt left could hold a cache made with other settings, or half an install.
  file(REMOVE_RECURSE ${QUORL_FREETYPE_DIR}/build ${QUORL_FREETYPE_DIR}/install)
  # Only what reads TrueType fonts from memory is wanted: no compressed or colour fonts, no
  # shaping, and none of the libraries those would need.
  quorl_freetype_step(configure
    ${CMAKE_COMMAND} -S ${QUORL_FREETYPE_DIR}/src -B ${QUORL_FREETYPE_DIR}/build ${generator}
    -DCMAKE_TOOLCHAIN_FILE=${toolchain}
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DCMAKE_INSTALL_PREFIX=${QUORL_FREETYPE_DIR}/install
    -DCMAKE_INSTALL_LIBDIR=lib
    -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON)
  quorl_freetype_step(build ${CMAKE_COMMAND} --build ${QUORL_FREETYPE_DIR}/build --parallel 2)
  quorl_freetype_step(install ${CMAKE_COMMAND} --install ${QUORL_FREETYPE_DIR}/build)
  if(NOT EXISTS ${QUORL_FREETYPE_LIBRARY})
    message(FATAL_ERROR "FreeType for Windows: the install left no ${QUORL_FREETYPE_LIBRARY}")
  endif()
endfunction()

# FreeType installs its headers before the library, so the library marks a finished install.
if(EXISTS ${QUORL_FREETYPE_LIBRARY})
  message(STATUS "FreeType for Windows: cached")
else()
  message(STATUS "FreeType for Windows: building from Debian's source package (once per build tree)")
  quorl_build_freetype()
  message(STATUS "FreeType for Windows: built ${QUORL_FREETYPE_LIBRARY}")
endif()

# Two names for one library: freetype_windows says what it is, Freetype::Freetype is what every
# target links, as on Linux.
foreach(target freetype_windows Freetype::Freetype)
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${QUORL_FREETYPE_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${QUORL_FREETYPE_INCLUDE_DIR})
endforeach()
