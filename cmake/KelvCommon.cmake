# Races and replays must repeat exactly: single precision, no contraction into
# fused multiply-adds, no fast-math.
add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)

if(KELV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(KELV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KELV_FUZZ needs clang")
  endif()
  # Coverage instrumentation for the code under fuzzing; the runtime is linked
  # only into the fuzz targets.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# A library target made of every source file of a folder (and its subfolders
# listed in EXTRA_DIRS).
function(kelv_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS;PUBLIC_DEPS" ${ARGN})
  set(srcs)
  foreach(d ${ARG_DIRS})
    file(GLOB dsrcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${d}/*.cpp)
    list(APPEND srcs ${dsrcs})
  endforeach()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_DEPS})
endfunction()
