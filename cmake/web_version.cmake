# Writes the service worker with the build's version: a hash of every file the page loads, so
# that a browser sees a new worker exactly when the page has changed.
# cmake -DSOURCE=service-worker.js -DOUTPUT=... -DFILES="a;b;..." -P web_version.cmake
set(digests "")
foreach(file ${FILES})
  file(SHA256 ${file} digest)
  string(APPEND digests ${digest})
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 FRETSTRUMMER_WEB_VERSION)
configure_file(${SOURCE} ${OUTPUT} @ONLY)
