// sprites.h -- the eleven pictures of the screen, each at its fixed size.
#pragma once

#include "display/surface.h"

#include <cstdint>

// A drawable picture and its size in pixels.
struct Sprite {
    Surface* drawable;
    int32_t width;
    int32_t height;
};

extern Sprite* StringSprite[6];
extern Sprite* BackgroundSprite;
extern Sprite* LadSprite;
extern Sprite* LadSpotSprite;
extern Sprite* ExitSprite;
extern Sprite* ResetSprite;

// Makes the eleven sprites from the Media folder's bitmaps, at the sizes the screen is made for
// whatever the files' headers say, from the pixels at byte 54 on. A file that is missing or too
// short gives black where it has no pixels, and one line on stderr. Always 1.
int loadSprites();

// A new width x height bottom-up surface filled from `pixels` (rows padded to 4 bytes, bottom
// row first), of which `available` bytes exist; the rest is black.
Surface* makeDrawable(int32_t width, int32_t height, const uint8_t* pixels, uint32_t available);
