# The Windows program: the core on the Win32 platform, one statically linked Fretstrummer.exe
# with its Media folder beside it. Included by CMakeLists.txt for a Windows target.
add_library(fretstrummer_platform_win32 STATIC
  platform/win32/system.cpp
  platform/win32/wave.cpp
  platform/win32/window.cpp
  platform/win32/text.cpp
  platform/shared/input.cpp
  platform/shared/keypad.cpp
)
target_include_directories(fretstrummer_platform_win32 PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(fretstrummer_platform_win32 PUBLIC winmm gdi32 user32
                      PRIVATE fretstrummer_warnings)

enable_language(RC)
set(FRETSTRUMMER_ICON ${CMAKE_BINARY_DIR}/icons/fretstrummer.ico)
set(FRETSTRUMMER_MANIFEST ${CMAKE_SOURCE_DIR}/platform/win32/fretstrummer.manifest)
configure_file(platform/win32/fretstrummer.rc.in ${CMAKE_BINARY_DIR}/fretstrummer.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/fretstrummer.rc PROPERTIES
  OBJECT_DEPENDS "${FRETSTRUMMER_ICON};${FRETSTRUMMER_MANIFEST}")
add_executable(fretstrummer WIN32 platform/win32/main.cpp ${CMAKE_BINARY_DIR}/fretstrummer.rc)
target_link_libraries(fretstrummer PRIVATE
  fretstrummer_core fretstrummer_platform_win32 fretstrummer_warnings)
target_link_options(fretstrummer PRIVATE -static)
set_target_properties(fretstrummer PROPERTIES OUTPUT_NAME Fretstrummer
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# make_media runs here, on the build machine: it is built with the host's compiler.
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
  COMMAND ${CMAKE_COMMAND} -E make_directory ${FRETSTRUMMER_MEDIA_DIR} ${icon_dirs}
  COMMAND ${host_make_media} ${FRETSTRUMMER_MEDIA_DIR} ${CMAKE_BINARY_DIR}/icons
  DEPENDS ${host_make_media}
  COMMENT "Writing the default Media folder")
include(cmake/notes.cmake)
add_custom_target(media ALL
  DEPENDS ${FRETSTRUMMER_MEDIA_DIR}/Background.bmp ${FRETSTRUMMER_ICON} ${note_files})
add_dependencies(fretstrummer media)

# The zip: Fretstrummer.exe with its Media folder beside it.
install(TARGETS fretstrummer RUNTIME DESTINATION .)
install(DIRECTORY ${FRETSTRUMMER_MEDIA_DIR} DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Fretstrummer)
set(CPACK_PACKAGE_FILE_NAME Fretstrummer-${PROJECT_VERSION}-windows-x64)
# Players get the program without its debugging symbols (1.4 MB rather than 3.7).
set(CPACK_STRIP_FILES TRUE)
include(CPack)
