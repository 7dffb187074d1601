// event_loop.h -- the message loop: keys to chords, the stylus to the strings.
#pragma once

#include "platform/platform.h"

#include <cstdint>

// One held flag per virtual-key code: absorbs auto-repeat and lost releases.
extern uint8_t KeyDownTable[256];

// Routes one message. Returns 1 when it is to be dispatched to the window procedure; sets
// *exit when the program is to shut down after that dispatch.
int routeMessage(const Message* message, bool* exit);

// Waits for messages and routes them until the program ends; does not return.
[[noreturn]] void runEventLoop();
