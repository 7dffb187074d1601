// stroke.h -- what every windowing platform does the same way with the pointer.
#pragma once

#include <cstdint>

// a / b rounded down, for pointer positions left of or above the window.
int floorDiv(int a, int b);

// A point of the 240 x 320 screen as a stylus message's lParam: x in the low 16 bits, y in the
// high 16 bits.
uint32_t stylusLParam(int x, int y);

// Desktop systems report a quick drag as a few far-apart points where a digitiser reports
// every column. For a move from (fromX, fromY) to (toX, toY) that jumps over string columns,
// writes into points the lParams of one move per column crossed, at the first pixel of that
// column on the line between the two points, so that a fast strum plucks every string; returns
// how many (at most 6). The move to (toX, toY) itself is not among them.
int strokeFill(int fromX, int fromY, int toX, int toY, uint32_t points[6]);
