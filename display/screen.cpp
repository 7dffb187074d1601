// screen.cpp -- draws the play view or the chord editor into the back buffer, then the window.
#include "display/screen.h"

#include "display/layout.h"
#include "display/sprites.h"
#include "instrument/chords.h"
#include "instrument/strings.h"
#include "platform/platform.h"

#include <cstring>

static uint8_t backBufferPixels[ScreenHeight * ScreenStride];
Surface BackBuffer{backBufferPixels, ScreenWidth, ScreenHeight, ScreenStride, false};
Surface WindowSurface{nullptr, ScreenWidth, ScreenHeight, ScreenStride, false};

// The window every frame goes to.
static WindowHandle shownIn;

int createSurfaces(WindowHandle window) {
    shownIn = window;
    WindowSurface.pixels = platformWindowPixels(window);
    if (!WindowSurface.pixels) return 0;
    std::memset(backBufferPixels, 0, sizeof backBufferPixels);
    return 1;
}

static void draw(const Sprite* sprite, int x, int y) {
    copyRect(&BackBuffer, x, y, sprite->width, sprite->height, sprite->drawable, 0, 0, RopCopy);
}

static void copyToWindow(int x, int y, int width, int height) {
    copyRect(&WindowSurface, x, y, width, height, &BackBuffer, x, y, RopCopy);
    platformShowPixels(shownIn, x, y, width, height);
}

void redrawAll() {
    if (!EditedChord) {
        draw(BackgroundSprite, 0, 0);
        draw(ExitSprite, 0, 0);
        draw(ResetSprite, ResetStripLeft, 0);
        for (const StringState& s : Strings)
            draw(s.sprite, s.left + s.width / 2 - s.sprite->width / 2, s.top);
    } else {
        for (int s = 0; s < StringCount; s++)
            for (int f = 0; f < FretCount; f++)
                draw(EditedChord->frets[s] == f ? LadSpotSprite : LadSprite, stringLeft(s),
                     fretTop(f));
    }
    copyToWindow(0, 0, ScreenWidth, ScreenHeight);
}

void redrawCell(int string, int fret, CellMode mode) {
    int x = stringLeft(string), y = fretTop(fret);
    draw(mode == CellMarked ? LadSpotSprite : LadSprite, x, y);
    copyToWindow(x, y, ColumnWidth, CellHeight);
}
