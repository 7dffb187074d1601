// surface.h -- 24-bit pixel surfaces and the rectangle copy that all drawing is made of.
#pragma once

#include <cstdint>

// Pixels blue, green, red; rows of `stride` bytes, stored bottom row first when bottomUp (as
// bitmaps are), top row first otherwise.
struct Surface {
    uint8_t* pixels;
    int32_t width;
    int32_t height;
    int32_t stride;
    bool bottomUp;
};

// Raster operations.
enum : uint32_t {
    RopCopy = 0xCC0020,         // the destination takes the source's pixels
    RopInvertedCopy = 0x330008, // ... their bitwise inverse
    RopWhiteness = 0xFF0062,    // the destination turns white; no source
};

// Bytes in a row of a bitmap `width` pixels wide: 3 a pixel, padded to a multiple of 4.
inline int32_t bitmapStride(int32_t width) {
    return (3 * width + 3) / 4 * 4;
}

// The address of pixel (x, y), y counted from the top.
uint8_t* pixelAt(const Surface* surface, int x, int y);

// Copies the width x height rectangle at (sx, sy) of source to (x, y) of destination with the
// raster operation, clipped to both surfaces. source is not read for RopWhiteness.
void copyRect(Surface* destination, int x, int y, int width, int height, const Surface* source,
              int sx, int sy, uint32_t rop);
