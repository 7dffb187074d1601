# Building the web page with Debian's Emscripten. Its system libraries are built once into a
# cache in the build folder (Debian's own cache is frozen and empty), and its JavaScript tools
# find their modules (acorn) where Debian puts them.
# The toolchain is read again for every try-compile, in a scratch folder of its own: the cache
# stays where the first reading put it, so the libraries are built once, not once per check.
if(NOT DEFINED ENV{FRETSTRUMMER_EM_CACHE})
  set(ENV{FRETSTRUMMER_EM_CACHE} ${CMAKE_BINARY_DIR}/emscripten-cache)
endif()
set(web_environment EM_CACHE=$ENV{FRETSTRUMMER_EM_CACHE} EM_FROZEN_CACHE=
    NODE_PATH=/usr/share/nodejs)
foreach(setting ${web_environment})
  string(REGEX MATCH "^[^=]*" name "${setting}")
  string(REGEX REPLACE "^[^=]*=" "" value "${setting}")
  set(ENV{${name}} "${value}")
endforeach()
# Emscripten's own platform file, found beside the emcc on the PATH (Debian's is a link into
# /usr/share/emscripten; EMSCRIPTEN_ROOT names another installation).
if(NOT EMSCRIPTEN_ROOT)
  find_program(emcc_program emcc REQUIRED)
  file(REAL_PATH ${emcc_program} emcc_real)
  get_filename_component(EMSCRIPTEN_ROOT ${emcc_real} DIRECTORY)
endif()
include(${EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)
set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env ${web_environment})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env ${web_environment})
# CMake's checks of the compiler compile and do not link: a link at their -O0 would build a
# second, debugging variant of Emscripten's C library (minutes on a fresh machine) that the
# page never uses.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# The page has two programs, with threads and without (cmake/web.cmake): each target says which.
