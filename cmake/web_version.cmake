# Writes the service worker for one build of the page: run with -P, with SOURCE (the worker's
# source), FOLDER (the built page) and FILES (what the worker keeps, ;-separated). The build's
# name is a hash of those files, so the worker changes whenever any of them does: the browser
# then fetches the new build whole, in the background, under a cache of its own.
set(contents "")
foreach(name ${FILES})
  file(SHA256 ${FOLDER}/${name} hash)
  string(APPEND contents "${name} ${hash}\n")
endforeach()
string(SHA256 build "${contents}")
string(SUBSTRING ${build} 0 16 FRETSTRUMMER_BUILD)
string(REPLACE ";" "\", \"" FRETSTRUMMER_FILES "${FILES}")
configure_file(${SOURCE} ${FOLDER}/service-worker.js @ONLY)
