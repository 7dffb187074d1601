// screen.cpp -- draws the views into the back buffer and copies them to the window.
#include "display/screen.h"

#include "app/startup.h"
#include "platform/platform.h"

#include <cstring>

uint8_t BackBuffer[BackBufferBytes];
uint8_t* WindowSurface;

static void copyToWindow(int x, int y, int width, int height) {
    for (int row = y; row < y + height; row++)
        std::memcpy(WindowSurface + row * ScreenStride + x * 3,
                    BackBuffer + row * ScreenStride + x * 3, static_cast<size_t>(width) * 3);
    platformShowPixels(MainWindow, x, y, width, height);
}

void redrawAll() {
    copyToWindow(0, 0, 240, 320);
}

void redrawCell(int string, int fret, CellMode) {
    copyToWindow((5 - string) * 40, (7 - fret) * 40, 40, 40);
}
