// sprites.cpp -- turns the bitmap files into the screen's pictures.
#include "display/sprites.h"

#include "assets/media.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

Sprite* StringSprite[6];
Sprite* BackgroundSprite;
Sprite* LadSprite;
Sprite* LadSpotSprite;
Sprite* ExitSprite;
Sprite* ResetSprite;

static Sprite sprites[11];
static Surface surfaces[11];
static int surfacesUsed;

// Where a bitmap file's pixels start: past the 14-byte file header and the 40-byte info header.
static constexpr uint32_t PixelOffset = 54;

Surface* makeDrawable(int32_t width, int32_t height, const uint8_t* pixels, uint32_t available) {
    if (surfacesUsed == 11) return nullptr;
    int32_t stride = bitmapStride(width);
    uint32_t bytes = static_cast<uint32_t>(stride * height);
    uint8_t* memory = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (!memory) return nullptr;
    if (pixels) std::memcpy(memory, pixels, available < bytes ? available : bytes);
    surfaces[surfacesUsed] = Surface{memory, width, height, stride, true};
    return &surfaces[surfacesUsed++];
}

int loadSprites() {
    static const struct {
        const char* file;
        int32_t width, height;
    } table[11] = {
        {"String1.bmp", 5, 320},      {"String2.bmp", 4, 320},     {"String3.bmp", 3, 320},
        {"String4.bmp", 2, 320},      {"String5.bmp", 2, 320},     {"String6.bmp", 1, 320},
        {"Background.bmp", 240, 320}, {"Lad.bmp", 40, 40},         {"LadSpot.bmp", 40, 40},
        {"ExitButton.bmp", 5, 5},     {"ResetButton.bmp", 141, 5},
    };
    // Made once in the program's life; a test that makes them again gets fresh ones.
    for (int i = 0; i < surfacesUsed; i++) std::free(surfaces[i].pixels);
    surfacesUsed = 0;
    for (int i = 0; i < 11; i++) {
        Sprite& sprite = sprites[i];
        sprite.width = table[i].width;
        sprite.height = table[i].height;
        unsigned char* image = nullptr;
        uint32_t size = 0;
        // Only the picture's own bytes are read, whatever else the file holds after them.
        uint32_t least =
            PixelOffset + static_cast<uint32_t>(bitmapStride(sprite.width) * sprite.height);
        int whole = loadMediaFile(table[i].file, &image, &size, least);
        if (!whole || size < least) {
            char path[MediaPathCapacity], why[sizeof MediaFailure + 32];
            if (!mediaPath(table[i].file, path, sizeof path))
                std::snprintf(path, sizeof path, "%s", table[i].file);
            if (whole)
                std::snprintf(why, sizeof why, "is shorter than a whole picture");
            else
                std::snprintf(why, sizeof why, "cannot be read (%s)", MediaFailure);
            std::fprintf(stderr, "Fretstrummer: %s %s; what it lacks of the picture is black\n",
                         path, why);
        }
        bool hasPixels = image && size > PixelOffset;
        sprite.drawable =
            makeDrawable(sprite.width, sprite.height, hasPixels ? image + PixelOffset : nullptr,
                         hasPixels ? size - PixelOffset : 0);
        std::free(image); // its pixels now live in the sprite
    }
    for (int i = 0; i < 6; i++) StringSprite[i] = &sprites[i];
    BackgroundSprite = &sprites[6];
    LadSprite = &sprites[7];
    LadSpotSprite = &sprites[8];
    ExitSprite = &sprites[9];
    ResetSprite = &sprites[10];
    return 1;
}
