// input.cpp -- the program's messages queued by a windowing platform, and the stylus's moves.
#include "platform/shared/input.h"

static constexpr int QueueSize = 64;
static Message queued[QueueSize];
static int queueHead, queueCount;
static int lastX, lastY; // the stylus's last point, in screen pixels of 240 x 320

static WindowClass registered;

void keepWindowClass(const WindowClass* windowClass) {
    registered = *windowClass;
}

int32_t dispatchToWindow(const Message* m) {
    return registered.windowProc
               ? registered.windowProc(m->window, m->message, m->wParam, m->lParam)
               : 0;
}

int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

void queueMessage(uint32_t message, uint32_t wParam, uint32_t lParam) {
    if (queueCount == QueueSize) return;
    queued[(queueHead + queueCount++) % QueueSize] = Message{TheWindow, message, wParam, lParam};
}

int peekQueuedMessage(Message* message) {
    if (queueCount == 0) return 0;
    *message = queued[queueHead];
    return 1;
}

int takeQueuedMessage(Message* message) {
    if (!peekQueuedMessage(message)) return 0;
    queueHead = (queueHead + 1) % QueueSize;
    queueCount--;
    return 1;
}

// x in the low 16 bits, y in the high 16 bits.
static uint32_t stylusLParam(int x, int y) {
    return (static_cast<uint32_t>(y) & 0xFFFF) << 16 | (static_cast<uint32_t>(x) & 0xFFFF);
}

void queueStylus(uint32_t message, int x, int y) {
    lastX = x;
    lastY = y;
    queueMessage(message, 0, stylusLParam(x, y));
}

void queueStylusMove(int x, int y) {
    int from = floorDiv(lastX, 40), to = floorDiv(x, 40);
    int step = to > from ? 1 : -1;
    for (int column = from + step; column != to && to != from; column += step) {
        if (column < 0 || column > 5) continue;
        int cx = step > 0 ? column * 40 : column * 40 + 39;
        int cy =
            lastY + static_cast<int>(static_cast<long>(y - lastY) * (cx - lastX) / (x - lastX));
        queueMessage(MsgStylusMove, 0, stylusLParam(cx, cy));
    }
    queueStylus(MsgStylusMove, x, y);
}
