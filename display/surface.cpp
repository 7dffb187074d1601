// surface.cpp -- the rectangle copy.
#include "display/surface.h"

#include <algorithm>
#include <cstring>

uint8_t* pixelAt(const Surface* surface, int x, int y) {
    int row = surface->bottomUp ? surface->height - 1 - y : y;
    return surface->pixels + row * surface->stride + x * 3;
}

void copyRect(Surface* destination, int x, int y, int width, int height, const Surface* source,
              int sx, int sy, uint32_t rop) {
    // Clip against the destination, and against the source where there is one.
    int left = std::max({0, -x, source ? -sx : 0});
    int top = std::max({0, -y, source ? -sy : 0});
    int right = std::min(width, destination->width - x);
    int bottom = std::min(height, destination->height - y);
    if (source) {
        right = std::min(right, source->width - sx);
        bottom = std::min(bottom, source->height - sy);
    }
    if (left >= right || top >= bottom) return;
    size_t bytes = static_cast<size_t>(right - left) * 3;
    for (int row = top; row < bottom; row++) {
        uint8_t* to = pixelAt(destination, x + left, y + row);
        if (rop == RopWhiteness) {
            std::memset(to, 0xFF, bytes);
            continue;
        }
        const uint8_t* from = pixelAt(source, sx + left, sy + row);
        if (rop == RopInvertedCopy)
            for (size_t i = 0; i < bytes; i++) to[i] = static_cast<uint8_t>(~from[i]);
        else
            std::memmove(to, from, bytes);
    }
}
