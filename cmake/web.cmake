# The web page: the core on the browser's platform, index.html with index.js, its wasm, its
# worker and index.data (the Media folder) beside it, and what makes it work offline.
# Included by CMakeLists.txt for an Emscripten target.
add_library(fretstrummer_platform_web STATIC
  platform/web/system.cpp
  platform/web/audio.cpp
  platform/web/window.cpp
  platform/web/text.cpp
  ${FRETSTRUMMER_SHARED_PLATFORM}
  platform/shared/wave_ring.cpp
  platform/posix/file.cpp
  platform/posix/thread.cpp
)
target_include_directories(fretstrummer_platform_web PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(fretstrummer_platform_web PRIVATE fretstrummer_warnings)

set(web_dir ${CMAKE_SOURCE_DIR}/platform/web)
add_executable(fretstrummer platform/shared/main.cpp)
target_link_libraries(fretstrummer PRIVATE
  fretstrummer_core fretstrummer_platform_web fretstrummer_warnings)
# The program runs on a thread of its own (its message loop blocks), with a pool for it, the
# feeder and the device's closing; memory is fixed, so the page's views of it never go stale.
target_link_options(fretstrummer PRIVATE
  -sPROXY_TO_PTHREAD -sPTHREAD_POOL_SIZE=4 -sINITIAL_MEMORY=64MB -sTOTAL_STACK=1MB
  -sENVIRONMENT=web,worker -sEXIT_RUNTIME -g0
  -sEXPORTED_FUNCTIONS=_main,_webPointer,_webKey,_webKeyCount,_webKeyName,_webKeyCode,_webWindowEvent,_webTurn,_webAudioPull
  --pre-js ${web_dir}/page.js
  --preload-file ${FRETSTRUMMER_MEDIA_DIR}@/Media)
set_target_properties(fretstrummer PROPERTIES OUTPUT_NAME index SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  LINK_DEPENDS "${web_dir}/page.js;${FRETSTRUMMER_MEDIA_DIR}/Background.bmp")
add_dependencies(fretstrummer media)

# Beside the program: the page, its service worker, its manifest and its icon.
add_custom_command(TARGET fretstrummer POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${web_dir}/index.html ${web_dir}/service-worker.js
          ${web_dir}/manifest.webmanifest
          ${CMAKE_BINARY_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy
          ${FRETSTRUMMER_ICON_DIR}/hicolor/256x256/apps/fretstrummer.png ${CMAKE_BINARY_DIR}/icon.png)
