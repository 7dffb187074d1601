// scripted.h -- controls of the in-memory platform that the tests drive.
#pragma once

// The path platformExecutablePath reports from now on; nullptr makes it report none.
void scriptedSetExecutablePath(const char* path);
