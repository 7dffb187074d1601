# The Windows program: the core on the Win32 platform, one statically linked Fretstrummer.exe
# with its Media folder beside it. Included by CMakeLists.txt for a Windows target.
add_library(fretstrummer_platform_win32 STATIC
  platform/win32/system.cpp
  platform/win32/wave.cpp
  platform/win32/window.cpp
  platform/win32/text.cpp
  platform/win32/midi.cpp
  ${FRETSTRUMMER_SHARED_PLATFORM}
)
target_include_directories(fretstrummer_platform_win32 PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(fretstrummer_platform_win32 PUBLIC winmm gdi32 user32 shell32 ole32 uuid
                      PRIVATE fretstrummer_warnings)

enable_language(RC)
set(FRETSTRUMMER_MANIFEST ${CMAKE_SOURCE_DIR}/platform/win32/fretstrummer.manifest)
configure_file(platform/win32/fretstrummer.rc.in ${CMAKE_BINARY_DIR}/fretstrummer.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/fretstrummer.rc PROPERTIES
  OBJECT_DEPENDS "${FRETSTRUMMER_ICON_DIR}/fretstrummer.ico;${FRETSTRUMMER_MANIFEST}")
add_executable(fretstrummer WIN32 platform/win32/main.cpp ${CMAKE_BINARY_DIR}/fretstrummer.rc)
target_link_libraries(fretstrummer PRIVATE
  fretstrummer_core fretstrummer_platform_win32 fretstrummer_warnings)
target_link_options(fretstrummer PRIVATE -static)
set_target_properties(fretstrummer PROPERTIES OUTPUT_NAME Fretstrummer
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

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
