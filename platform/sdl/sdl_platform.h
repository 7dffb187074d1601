// sdl_platform.h -- what the SDL platform tells beyond the program's roles, for tests and tools.
#pragma once

#include <cstdint>

// Keeps why a role was refused, for platformFailureReason: `why`, or SDL's own last error when
// why is none. Returns 0, the refusal's usual result.
int sdlRefuse(const char* why = nullptr);

// Takes SIGINT and SIGTERM over from SDL once its video is up: the first is SDL's quit event as
// before, a second ends the process at once.
void sdlCatchQuitSignals();

// The device SDL reports removed is closed and a new default device opened in its place; when
// there is none yet, it is tried again every second, on the event loop's thread.
void sdlAudioDeviceRemoved(uint32_t which);
void sdlRetryAudioDevice();
