// screen.h -- the back buffer all drawing goes to, and the two views drawn from it.
#pragma once

#include <cstdint>

inline constexpr int BackBufferBytes = 240 * 320 * 3;

// 240 x 320 pixels, blue, green, red, top row first, 720 bytes a row.
extern uint8_t BackBuffer[BackBufferBytes];
// The window's pixels, where every frame is copied; none until start-up fetches it.
extern uint8_t* WindowSurface;

enum CellMode { CellEmpty, CellMarked };

// Draws the current view (play or editor) into the back buffer and copies all of it to the
// window.
void redrawAll();
// Redraws one cell of the editor grid and copies only that 40 x 40 square to the window.
void redrawCell(int string, int fret, CellMode mode);
