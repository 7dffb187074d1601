# The web page: the core on the browser's platform, index.html with the program, index.data (the
# Media folder) beside it, and what makes it work offline. Included by CMakeLists.txt for an
# Emscripten target. The page has two programs from the same sources: index.js (its wasm and its
# worker) with threads, for pages that may share memory between them (cross-origin isolated,
# with SharedArrayBuffer), and index-single.js without, for the rest; index.html picks one as
# it loads.
set(web_dir ${CMAKE_SOURCE_DIR}/platform/web)
set(web_exports _main,_webPointer,_webKey,_webKeyCount,_webKeyName,_webKeyCode,_webWindowEvent,_webTurn,_webAudioPull,_webAudioShared)
set(web_common_link -sINITIAL_MEMORY=64MB -sTOTAL_STACK=1MB -sENVIRONMENT=web,worker -sEXIT_RUNTIME
    -g0 -sEXPORTED_FUNCTIONS=${web_exports} --pre-js ${web_dir}/page.js
    --preload-file ${FRETSTRUMMER_MEDIA_DIR}@/Media)

set(web_platform_sources platform/web/system.cpp platform/web/audio.cpp platform/web/window.cpp
    platform/web/text.cpp ${FRETSTRUMMER_SHARED_PLATFORM} platform/shared/wave_ring.cpp
    platform/posix/file.cpp)

# With threads the program runs on a thread of its own (its message loop blocks), with a pool
# for it, the feeder, the pump of the worklet's sound and the device's closing; memory is fixed,
# so the page's views of it never go stale.
target_compile_options(fretstrummer_core PUBLIC -pthread)
target_link_options(fretstrummer_core PUBLIC -pthread)
add_library(fretstrummer_platform_web STATIC ${web_platform_sources}
  platform/web/threads.cpp platform/posix/thread.cpp)
target_compile_options(fretstrummer_platform_web PUBLIC -pthread)
add_executable(fretstrummer platform/shared/main.cpp)
target_link_libraries(fretstrummer PRIVATE
  fretstrummer_core fretstrummer_platform_web fretstrummer_warnings)
target_link_options(fretstrummer PRIVATE -sPROXY_TO_PTHREAD -sPTHREAD_POOL_SIZE=5
                    ${web_common_link})
set_target_properties(fretstrummer PROPERTIES OUTPUT_NAME index)

# Without threads the program runs on the page's own thread: its wait for a message lets the
# page go on (Asyncify), and the audio node drives the feeder as it pulls the sound.
add_library(fretstrummer_core_single STATIC ${FRETSTRUMMER_CORE_SOURCES})
add_library(fretstrummer_platform_web_single STATIC ${web_platform_sources}
  platform/web/single.cpp)
add_executable(fretstrummer_single platform/shared/main.cpp)
target_link_libraries(fretstrummer_single PRIVATE
  fretstrummer_core_single fretstrummer_platform_web_single fretstrummer_warnings)
target_link_options(fretstrummer_single PRIVATE -sASYNCIFY -sASYNCIFY_IMPORTS=['webSleepUntilWoken']
                    ${web_common_link})
set_target_properties(fretstrummer_single PROPERTIES OUTPUT_NAME index-single)

foreach(target fretstrummer_core_single fretstrummer_platform_web fretstrummer_platform_web_single)
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE fretstrummer_warnings)
endforeach()
foreach(target fretstrummer fretstrummer_single)
  set_target_properties(${target} PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
    LINK_DEPENDS "${web_dir}/page.js;${FRETSTRUMMER_MEDIA_DIR}/Background.bmp")
  add_dependencies(${target} media)
endforeach()
# Both pack the same Media folder the same way: the page fetches index.data for either, and the
# build checks that the two are one.
add_custom_command(TARGET fretstrummer_single POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E compare_files ${CMAKE_BINARY_DIR}/index.data
          ${CMAKE_BINARY_DIR}/index-single.data
  COMMAND ${CMAKE_COMMAND} -E remove ${CMAKE_BINARY_DIR}/index-single.data)
add_dependencies(fretstrummer_single fretstrummer)

# Beside the programs: the page, its manifest and its icon.
add_custom_command(TARGET fretstrummer POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${web_dir}/index.html ${web_dir}/manifest.webmanifest
          ${CMAKE_BINARY_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy
          ${FRETSTRUMMER_ICON_DIR}/hicolor/256x256/apps/fretstrummer.png ${CMAKE_BINARY_DIR}/icon.png)

# The service worker last, once both programs are built: it carries their version.
set(web_files index.html index.js index.wasm index.worker.js index.data index-single.js
    index-single.wasm manifest.webmanifest icon.png)
list(TRANSFORM web_files PREPEND ${CMAKE_BINARY_DIR}/)
string(REPLACE ";" "\\;" web_file_list "${web_files}")
add_custom_command(TARGET fretstrummer_single POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${web_dir}/service-worker.js
          -DOUTPUT=${CMAKE_BINARY_DIR}/service-worker.js "-DFILES=${web_file_list}"
          -P ${CMAKE_SOURCE_DIR}/cmake/web_version.cmake)
set_property(TARGET fretstrummer_single APPEND PROPERTY LINK_DEPENDS
             ${web_dir}/service-worker.js ${web_dir}/index.html)
