// sprites.h -- the eleven pictures of the screen, each at its fixed size.
#pragma once

#include <cstdint>

// A drawable picture and its size in pixels.
struct Sprite {
    uint8_t* drawable; // its pixels, blue, green, red, bottom row first, rows padded to 4 bytes
    int32_t width;
    int32_t height;
};

extern Sprite* StringSprite[6];
extern Sprite* BackgroundSprite;
extern Sprite* LadSprite;
extern Sprite* LadSpotSprite;
extern Sprite* ExitSprite;
extern Sprite* ResetSprite;

// Makes the eleven sprites from the Media folder's bitmaps. Always 1.
int loadSprites();
