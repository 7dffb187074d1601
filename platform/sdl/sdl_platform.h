// sdl_platform.h -- what the SDL platform tells beyond the program's roles, for tests and tools.
#pragma once

#include <cstdint>

// Device callbacks that found no block queued and played silence.
uint64_t sdlAudioUnderruns();
