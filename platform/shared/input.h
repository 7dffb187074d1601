// input.h -- what every windowing platform does the same way with its input: the program's
// messages made from the system's events, queued until the event loop takes them, the stylus in
// screen pixels, and the keys. The platform's own half is in port.h.
#pragma once

#include "platform/platform.h"

// The one window the program makes.
inline constexpr WindowHandle TheWindow = 1;

// a / b rounded down, for pointer positions left of or above the window.
int floorDiv(int a, int b);

// The window class the program registered: its procedure takes every message dispatched.
void keepWindowClass(const WindowClass* windowClass);

// Queues a message for the window (room for 64; more are dropped). Any thread may queue; the
// program's thread takes them.
void queueMessage(uint32_t message, uint32_t wParam, uint32_t lParam);
// Takes the oldest queued message into *message: 1, or 0 when none is queued.
int takeQueuedMessage(Message* message);
// Copies the oldest queued message into *message and leaves it queued: 1, or 0 when none.
int peekQueuedMessage(Message* message);
// Returns once a message is queued, for a platform whose events are queued by another thread.
void waitForQueuedMessage();

// A key went down or up: its virtual-key code, whether Alt was held (the system's key
// messages), and the system's own lParam where it has one. Alt+F4 asks the window to close, as
// every system's own handling does.
void queueKey(bool down, bool alt, uint32_t code, uint32_t lParam = 0);

// Lifts every key queueKey has seen go down and not come up: a key-up message for each.
void releaseHeldKeys();

// The stylus pressed or lifted (MsgStylusDown, MsgStylusUp) at (x, y) of the 240 x 320 screen.
void queueStylus(uint32_t message, int x, int y);
// The stylus moved to (x, y). Desktop systems report a quick drag as a few far-apart points
// where a digitiser reports every column: a move that jumps over string columns is preceded by
// one move per column crossed, at the first pixel of that column on the line between the two
// points, so that a fast strum plucks every string.
void queueStylusMove(int x, int y);
// The stylus lifted where it was last.
void queueStylusLift();
