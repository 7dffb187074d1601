// platform.h -- the operating system's roles, in the program's own words.
// platform/sdl supplies them for the real program, platform/scripted for the tests; the choice
// is made at link time.
#pragma once

// The executable's own full path, zero-terminated, into path (capacity bytes, terminator
// included). Returns its length, or 0 when the platform cannot tell or the path does not fit:
// a path is never cut short.
int platformExecutablePath(char* path, int capacity);
