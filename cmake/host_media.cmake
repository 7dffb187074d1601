# The default Media folder and the icons when the program is cross-built (for Windows, for the
# web): make_media is built with the build machine's compiler and run there. Sets
# FRETSTRUMMER_MEDIA_DIR, FRETSTRUMMER_ICON (the .ico), FRETSTRUMMER_ICON_PNG (256 x 256) and
# the target media.
set(FRETSTRUMMER_ICON ${CMAKE_BINARY_DIR}/icons/fretstrummer.ico)
set(FRETSTRUMMER_ICON_PNG ${CMAKE_BINARY_DIR}/icons/hicolor/256x256/apps/fretstrummer.png)
set(FRETSTRUMMER_HOST_CXX c++ CACHE STRING "The build machine's C++ compiler, for make_media")
set(host_make_media ${CMAKE_BINARY_DIR}/host/make_media)
add_custom_command(
  OUTPUT ${host_make_media}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
  COMMAND ${FRETSTRUMMER_HOST_CXX} -std=c++20 -O2 -ffp-contract=off -o ${host_make_media}
          ${CMAKE_SOURCE_DIR}/tools/make_media/make_media.cpp
          ${CMAKE_SOURCE_DIR}/tools/make_media/icon.cpp
  DEPENDS tools/make_media/make_media.cpp tools/make_media/icon.cpp
  COMMENT "Building make_media for the build machine")
set(FRETSTRUMMER_MEDIA_DIR ${CMAKE_BINARY_DIR}/Media)
set(icon_dirs ${CMAKE_BINARY_DIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND icon_dirs ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_command(
  OUTPUT ${FRETSTRUMMER_MEDIA_DIR}/Background.bmp ${FRETSTRUMMER_ICON}
         ${FRETSTRUMMER_ICON_PNG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${FRETSTRUMMER_MEDIA_DIR} ${icon_dirs}
  COMMAND ${host_make_media} ${FRETSTRUMMER_MEDIA_DIR} ${CMAKE_BINARY_DIR}/icons
  DEPENDS ${host_make_media}
  COMMENT "Writing the default Media folder")
include(cmake/notes.cmake)
add_custom_target(media ALL
  DEPENDS ${FRETSTRUMMER_MEDIA_DIR}/Background.bmp ${FRETSTRUMMER_ICON} ${FRETSTRUMMER_ICON_PNG}
          ${note_files})
