// keypad.h -- the on-screen chord keys of a touch screen, outside the 240 x 320 screen: eight
// big keys standing for the codes of 1 to 8, below the strings in portrait, beside them in
// landscape. A key pressed is a key-down message of its code, lifted a key-up, exactly as a
// hardware key. Pointers (the mouse, fingers) are routed here: the first on the instrument is the
// stylus, others there are ignored while it is down, each on the pad presses its own key.
#pragma once

#include <cstdint>

inline constexpr int KeypadKeys = 8;

// The command line's choice: shown (--keypad) or hidden (--no-keypad); without one the pad
// shows where there is a touch screen.
void keypadChoose(bool shown);
// Lays the pad out for the display: shown as the options and the touch screen say, below the
// screen on a portrait display, to its right on a landscape one.
void keypadLayOut(bool touchScreen, bool landscape);
// Shows the pad below the screen (beside = false) or to its right (beside = true), or hides it.
void keypadShow(bool shown, bool beside);
bool keypadShown();
// The pad's size in screen pixels (0 x 0 when hidden), and where it stands beside the screen.
int keypadWidth();
int keypadHeight();
int keypadLeft(); // 0 below the screen, 240 beside it
int keypadTop();  // 320 below the screen, 0 beside it
// The screen and the pad together, in screen pixels: what the window shows.
int keypadWindowWidth();
int keypadWindowHeight();
// The key at (x, y) of the window in screen pixels, or -1.
int keypadKeyAt(int x, int y);
// The virtual-key code a key stands for.
uint32_t keypadCode(int key);
// Sets the chord name the key standing for `code` shows ("" for none: its digit shows); true
// when a key's look changed. Codes no key stands for are ignored.
bool keypadSetName(uint32_t code, const char* name);
// Draws the pad, its pressed keys pressed, into pixels of keypadWidth() x keypadHeight(),
// blue green red, top row first.
void drawKeypad(uint8_t* pixels);

// A pointer (0 the mouse, 1 to 10 fingers) pressed, moved or lifted at (x, y) of the window in
// screen pixels: the program's messages are queued. True when the pad's look changed.
inline constexpr int KeypadPointers = 11;
bool keypadPointerDown(int pointer, int x, int y);
bool keypadPointerMove(int pointer, int x, int y);
bool keypadPointerUp(int pointer, int x, int y);

// What every windowing platform hands over of its pointers, in screen pixels of the window (the
// system's pixels divided by the scale, less the picture's origin). True when the pad's look
// changed: the platform shows it again.
enum PointerEvent { PointerDown, PointerMove, PointerUp };
// The mouse's left button pressed, the mouse moved (held: with the button down) or the button
// lifted. A move without the button held is nothing.
bool mouseEvent(PointerEvent event, int x, int y, bool held);
// A touch or a pen the system knows by `id`, several at a time; the eleventh at once is ignored.
bool touchEvent(PointerEvent event, int64_t id, int x, int y);
// The window lost the focus: every key, pad key and pointer held is let go of, as though each
// had been lifted, so that no chord stays applied and no editor stays open.
bool loseFocus();
