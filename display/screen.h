// screen.h -- the back buffer all drawing goes to, and the two views drawn from it.
#pragma once

#include "display/surface.h"
#include "platform/platform.h"

#include <cstdint>

// 240 x 320, top row first, all black until the first frame.
extern Surface BackBuffer;
// The window's pixels, where every frame is copied; its pixels are none until start-up has
// fetched them.
extern Surface WindowSurface;

// Takes the window's pixels, where every frame is copied from now on, and makes the back
// buffer all black. 0 when the window has no pixels to draw into.
int createSurfaces(WindowHandle window);

enum CellMode { CellEmpty, CellMarked };

// Draws the current view (play or editor) into the back buffer and copies all of it to the
// window.
void redrawAll();
// Redraws one cell of the editor grid and copies only that 40 x 40 square to the window.
void redrawCell(int string, int fret, CellMode mode);
