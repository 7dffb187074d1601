// layout.h -- where everything stands on the 240 x 320 screen: six string columns 40 pixels
// wide (string 0, the thickest, at the right), the chord editor's grid of 40 x 40 cells (fret 0
// in the bottom row), the exit square in the top-left corner and the reset strip along the top.
// The instrument, the drawing, the platforms' stylus fill and the tests all place things here.
#pragma once

#include "platform/platform.h"

// A string's column, and a cell of the editor's grid: as wide as the screen holds six.
inline constexpr int ColumnWidth = 40;
inline constexpr int ColumnCount = ScreenWidth / ColumnWidth;
inline constexpr int CellHeight = 40;
inline constexpr int GridRows = ScreenHeight / CellHeight;

// The column (0 the leftmost) that holds x, counting on past the screen's edges: -1 left of it.
constexpr int columnOf(int x) {
    return x >= 0 ? x / ColumnWidth : -((-x + ColumnWidth - 1) / ColumnWidth);
}
// The left edge of a column.
constexpr int columnLeft(int column) {
    return column * ColumnWidth;
}

// The string whose column holds x (0 <= x < ScreenWidth), and the left edge of a string's
// column: the strings count from the right.
constexpr int stringAt(int x) {
    return ColumnCount - 1 - x / ColumnWidth;
}
constexpr int stringLeft(int string) {
    return columnLeft(ColumnCount - 1 - string);
}

// The fret of the editor's row that holds y (0 <= y < ScreenHeight), and the top of a fret's
// row: frets count from the bottom.
constexpr int fretAt(int y) {
    return GridRows - 1 - y / CellHeight;
}
constexpr int fretTop(int fret) {
    return (GridRows - 1 - fret) * CellHeight;
}

// The exit square: 5 x 5 pixels in the top-left corner.
inline constexpr int ExitSquareSize = 5;
constexpr bool inExitSquare(int x, int y) {
    return x < ExitSquareSize && y < ExitSquareSize;
}

// The reset strip: x from 50 to 190, the top 5 rows. Its picture is 141 x 5 from (50, 0).
inline constexpr int ResetStripLeft = 50, ResetStripRight = 190, ResetStripHeight = 5;
constexpr bool inResetStrip(int x, int y) {
    return x >= ResetStripLeft && x <= ResetStripRight && y < ResetStripHeight;
}
