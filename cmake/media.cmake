# The default Media folder beside the program, for every platform: the pictures and the icons
# written by tools/make_media (built for the build machine, whatever the target), the recorded
# notes and their notice copied from media/. Sets FRETSTRUMMER_MEDIA_DIR, FRETSTRUMMER_ICON_DIR
# (hicolor/ and fretstrummer.ico) and the target `media`.
set(FRETSTRUMMER_MEDIA_DIR ${CMAKE_BINARY_DIR}/Media)
set(FRETSTRUMMER_ICON_DIR ${CMAKE_BINARY_DIR}/icons)

# What the Media folder holds: the pictures make_media draws and the names of the open notes it
# writes, and the notes kept in media/.
set(media_pictures String1.bmp String2.bmp String3.bmp String4.bmp String5.bmp String6.bmp
    Background.bmp Lad.bmp LadSpot.bmp ExitButton.bmp ResetButton.bmp Notes.txt)
set(media_notes 1.wav 2.wav 3.wav 4.wav 5.wav 6.wav NOTICE)
set(icon_sizes 16 22 24 32 48 64 128 256)

if(CMAKE_CROSSCOMPILING)
  # Configured and built as a project of its own, with the compiler CMake finds for this machine.
  include(ExternalProject)
  set(make_media ${CMAKE_BINARY_DIR}/host/make_media)
  ExternalProject_Add(host_make_media
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/make_media
    BINARY_DIR ${CMAKE_BINARY_DIR}/host
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${make_media}
    BUILD_ALWAYS OFF)
  set(make_media_target host_make_media)
else()
  add_subdirectory(tools/make_media)
  target_link_libraries(make_media PRIVATE fretstrummer_warnings)
  set(make_media $<TARGET_FILE:make_media>)
  set(make_media_target make_media)
endif()

list(TRANSFORM media_pictures PREPEND ${FRETSTRUMMER_MEDIA_DIR}/ OUTPUT_VARIABLE picture_files)
set(icon_dirs ${FRETSTRUMMER_ICON_DIR}/hicolor/scalable/apps)
set(icon_files ${FRETSTRUMMER_ICON_DIR}/fretstrummer.ico
    ${FRETSTRUMMER_ICON_DIR}/hicolor/scalable/apps/fretstrummer.svg)
foreach(size ${icon_sizes})
  list(APPEND icon_dirs ${FRETSTRUMMER_ICON_DIR}/hicolor/${size}x${size}/apps)
  list(APPEND icon_files ${FRETSTRUMMER_ICON_DIR}/hicolor/${size}x${size}/apps/fretstrummer.png)
endforeach()
add_custom_command(
  OUTPUT ${picture_files} ${icon_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${FRETSTRUMMER_MEDIA_DIR} ${icon_dirs}
  COMMAND ${make_media} ${FRETSTRUMMER_MEDIA_DIR} ${FRETSTRUMMER_ICON_DIR}
  DEPENDS ${make_media_target} tools/make_media/make_media.cpp tools/make_media/icon.cpp
  COMMENT "Writing the default Media folder's pictures and the icons")

set(note_files)
foreach(name ${media_notes})
  add_custom_command(
    OUTPUT ${FRETSTRUMMER_MEDIA_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FRETSTRUMMER_MEDIA_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/media/${name} ${FRETSTRUMMER_MEDIA_DIR}/${name}
    DEPENDS ${CMAKE_SOURCE_DIR}/media/${name})
  list(APPEND note_files ${FRETSTRUMMER_MEDIA_DIR}/${name})
endforeach()

add_custom_target(media ALL DEPENDS ${picture_files} ${icon_files} ${note_files})
