// stroke.cpp -- the pointer's points in the program's words, and the fill of a fast stroke.
#include "platform/shared/stroke.h"

int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

uint32_t stylusLParam(int x, int y) {
    return (static_cast<uint32_t>(y) & 0xFFFF) << 16 | (static_cast<uint32_t>(x) & 0xFFFF);
}

int strokeFill(int fromX, int fromY, int toX, int toY, uint32_t points[6]) {
    int from = floorDiv(fromX, 40), to = floorDiv(toX, 40);
    int step = to > from ? 1 : -1, count = 0;
    for (int column = from + step; column != to && to != from; column += step) {
        if (column < 0 || column > 5) continue;
        int cx = step > 0 ? column * 40 : column * 40 + 39;
        int cy =
            fromY + static_cast<int>(static_cast<long>(toY - fromY) * (cx - fromX) / (toX - fromX));
        points[count++] = stylusLParam(cx, cy);
    }
    return count;
}
