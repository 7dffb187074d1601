// input.cpp -- the program's messages queued by a windowing platform, the keys and the
// stylus's moves.
#include "platform/shared/input.h"

#include "display/layout.h"

#include <condition_variable>
#include <mutex>

static constexpr int QueueSize = 64;
static Message queued[QueueSize];
static int queueHead, queueCount;
// The page's thread queues in a browser; everywhere else the queue is the program thread's own,
// and its lock is never waited for.
static std::mutex queueLock;
static std::condition_variable messageQueued;

static int lastX, lastY;  // the stylus's last point, in screen pixels of 240 x 320
static bool keyHeld[256]; // by virtual-key code: down and not yet up

int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

void queueMessage(uint32_t message, uint32_t wParam, uint32_t lParam) {
    {
        std::lock_guard<std::mutex> held(queueLock);
        if (queueCount == QueueSize) return;
        queued[(queueHead + queueCount++) % QueueSize] =
            Message{TheWindow, message, wParam, lParam};
    }
    messageQueued.notify_one();
}

int peekQueuedMessage(Message* message) {
    std::lock_guard<std::mutex> held(queueLock);
    if (queueCount == 0) return 0;
    *message = queued[queueHead];
    return 1;
}

int takeQueuedMessage(Message* message) {
    std::lock_guard<std::mutex> held(queueLock);
    if (queueCount == 0) return 0;
    *message = queued[queueHead];
    queueHead = (queueHead + 1) % QueueSize;
    queueCount--;
    return 1;
}

void waitForQueuedMessage() {
    std::unique_lock<std::mutex> held(queueLock);
    messageQueued.wait(held, [] { return queueCount > 0; });
}

void queueKey(bool down, bool alt, uint32_t code, uint32_t lParam) {
    if (down && alt && code == VkF4) return queueMessage(MsgClose, 0, 0);
    keyHeld[code & 0xFF] = down;
    queueMessage(alt ? (down ? MsgSysKeyDown : MsgSysKeyUp) : (down ? MsgKeyDown : MsgKeyUp), code,
                 lParam);
}

void releaseHeldKeys() {
    for (uint32_t code = 0; code < 256; code++)
        if (keyHeld[code]) queueKey(false, false, code);
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
    int from = columnOf(lastX), to = columnOf(x);
    int step = to > from ? 1 : -1;
    for (int column = from + step; column != to && to != from; column += step) {
        if (column < 0 || column >= ColumnCount) continue;
        int cx = step > 0 ? columnLeft(column) : columnLeft(column + 1) - 1;
        int cy =
            lastY + static_cast<int>(static_cast<long>(y - lastY) * (cx - lastX) / (x - lastX));
        queueMessage(MsgStylusMove, 0, stylusLParam(cx, cy));
    }
    queueStylus(MsgStylusMove, x, y);
}

void queueStylusLift() {
    queueStylus(MsgStylusUp, lastX, lastY);
}
