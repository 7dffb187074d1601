# The default notes, recordings kept in media/ (see media/NOTICE), copied into the Media folder
# with their notice: note_files lists the copies.
set(note_files)
foreach(name 1.wav 2.wav 3.wav 4.wav 5.wav 6.wav NOTICE)
  add_custom_command(
    OUTPUT ${FRETSTRUMMER_MEDIA_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FRETSTRUMMER_MEDIA_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/media/${name} ${FRETSTRUMMER_MEDIA_DIR}/${name}
    DEPENDS ${CMAKE_SOURCE_DIR}/media/${name})
  list(APPEND note_files ${FRETSTRUMMER_MEDIA_DIR}/${name})
endforeach()
