# Linux: the core on SDL2 (with FreeType and fontconfig for text), the scripted platform the
# tests run on, the null platform a new port starts from; the program with its Media folder,
# installed and packaged as a .deb; the tests, benchmarks and fuzzers. Included by
# CMakeLists.txt for a Linux target.
find_package(SDL2 REQUIRED)
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
# MIDI out: RtMidi, which speaks JACK and the ALSA sequencer; the program asks JACK itself
# whether a server runs, and quiets ALSA's own complaints.
find_package(PkgConfig REQUIRED)
pkg_check_modules(MIDI REQUIRED IMPORTED_TARGET rtmidi jack alsa)

add_library(fretstrummer_platform_sdl STATIC
  platform/sdl/system.cpp
  platform/sdl/audio.cpp
  platform/sdl/window.cpp
  ${FRETSTRUMMER_SHARED_PLATFORM}
  platform/shared/wave_ring.cpp
  platform/freetype/text.cpp
  platform/posix/file.cpp
  platform/posix/replace_file.cpp
  platform/posix/settings.cpp
  platform/posix/thread.cpp
  platform/rtmidi/midi.cpp
)
target_include_directories(fretstrummer_platform_sdl PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(fretstrummer_platform_sdl PUBLIC SDL2::SDL2 Threads::Threads
                      Freetype::Freetype Fontconfig::Fontconfig PkgConfig::MIDI
                      PRIVATE fretstrummer_warnings)

add_library(fretstrummer_platform_scripted STATIC
  platform/scripted/system.cpp
  platform/scripted/wave.cpp
  platform/scripted/window.cpp
  platform/freetype/text.cpp
  platform/posix/file.cpp
)
target_include_directories(fretstrummer_platform_scripted PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(fretstrummer_platform_scripted PUBLIC Threads::Threads
                      Freetype::Freetype Fontconfig::Fontconfig PRIVATE fretstrummer_warnings)

# The null platform, built with every build so that it always links: a port's starting point.
add_executable(fretstrummer_null platform/shared/main.cpp platform/null/null.cpp
               ${FRETSTRUMMER_SHARED_PLATFORM})
target_link_libraries(fretstrummer_null PRIVATE fretstrummer_core fretstrummer_warnings)

# The program, with its Media folder beside it.
add_executable(fretstrummer platform/shared/main.cpp)
target_link_libraries(fretstrummer PRIVATE
  fretstrummer_core fretstrummer_platform_sdl fretstrummer_warnings)
set_target_properties(fretstrummer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(fretstrummer media)

# Installed: the program with its Media folder in lib/fretstrummer, a link to it in bin (the
# program finds its Media folder through the link), the icons, the launcher, the metainfo and the
# manual page.
install(TARGETS fretstrummer RUNTIME DESTINATION lib/fretstrummer)
install(DIRECTORY ${FRETSTRUMMER_MEDIA_DIR} DESTINATION lib/fretstrummer)
install(CODE [[
  set(bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
  file(MAKE_DIRECTORY "${bin}")
  file(CREATE_LINK ../lib/fretstrummer/fretstrummer "${bin}/fretstrummer" SYMBOLIC)
]])
install(DIRECTORY ${FRETSTRUMMER_ICON_DIR}/hicolor DESTINATION share/icons)
install(FILES desktop/fretstrummer.desktop DESTINATION share/applications)
install(FILES desktop/org.fretstrummer.Fretstrummer.metainfo.xml DESTINATION share/metainfo)
install(FILES desktop/fretstrummer.6 DESTINATION share/man/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fretstrummer)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "touch-screen guitar")
set(CPACK_PACKAGE_CONTACT "Fretstrummer developers <developers@fretstrummer.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libsdl2-2.0-0 (>= 2.0.22), libfreetype6, libfontconfig1, fonts-dejavu-core, librtmidi6, libjack-jackd2-0 | libjack0, libasound2, libstdc++6, libgcc-s1, libc6")
include(CPack)

enable_testing()
add_subdirectory(tests)
if(FRETSTRUMMER_FUZZ)
  add_subdirectory(fuzz)
endif()

option(FRETSTRUMMER_BENCH "Build the benchmarks" ON)
if(FRETSTRUMMER_BENCH)
  add_subdirectory(bench)
endif()
