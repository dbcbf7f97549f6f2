# Flags shared by every target. The filter's results must not depend on FMA contraction or on
# value-changing optimisations, so contraction is off and fast-math is never used.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-Wall -Wextra -ffp-contract=off)
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  add_compile_options(-O2)
endif()

# The audio code runs in round-toward-zero; the compiler must not assume round-to-nearest there.
set(QUORL_AUDIO_FLAGS -frounding-math -fno-builtin-sin -fno-builtin-cos)

if(WIN32)
  # The DLL and the Windows programs must run on a bare Windows: no mingw runtime DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # No link time in the PE header, so that one commit always links to the same bytes.
  add_link_options(-Wl,--no-insert-timestamp)
endif()

# Objects name no folder of the machine that built them (__FILE__, debug info): the same commit
# compiles to the same bytes wherever it is checked out or built. The build folder comes last so
# that it wins over the source folder that holds it.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>
                    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>)

option(QUORL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(QUORL_FUZZ "Build the fuzz targets (with clang)" OFF)
option(QUORL_TSAN "Build with ThreadSanitizer" OFF)
if(QUORL_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
if(QUORL_FUZZ)
  # Everything is instrumented for coverage, so that libFuzzer sees into the libraries too.
  add_compile_options(-fsanitize=fuzzer-no-link)
  set(QUORL_SANITIZE ON)
endif()
if(QUORL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
