// splash.cpp -- the title and "Loading..." while the notes are built: dark text drawn on white,
// copied to the window inverted, so light text on black.
#include "display/splash.h"

#include "display/surface.h"

static uint8_t splashPixels[ScreenHeight * ScreenStride];

void showSplash(WindowHandle window) {
    Surface screen{platformWindowPixels(window), ScreenWidth, ScreenHeight, ScreenStride, false};
    if (!screen.pixels) return;
    Surface splash{splashPixels, ScreenWidth, ScreenHeight, ScreenStride, false};
    copyRect(&splash, 0, 0, ScreenWidth, ScreenHeight, nullptr, 0, 0, RopWhiteness);

    platformDrawText(splashPixels, "Talmir's Fret Strummer", TextCenter);
    platformDrawText(splashPixels, "Loading...", TextCenter | TextVerticalCenter);
    copyRect(&screen, 0, 0, ScreenWidth, ScreenHeight, &splash, 0, 0, RopInvertedCopy);
    platformShowPixels(window, 0, 0, ScreenWidth, ScreenHeight);
}
