// messages.cpp -- the message roles of every windowing platform: the program takes its messages
// from the shared queue, which the port fills from the system's events, and its window class's
// procedure takes what it dispatches.
#include "platform/platform.h"
#include "platform/shared/input.h"
#include "platform/shared/port.h"

static WindowClass registered;

void keepWindowClass(const WindowClass* windowClass) {
    registered = *windowClass;
}

int32_t platformDispatchMessage(const Message* m) {
    return registered.windowProc
               ? registered.windowProc(m->window, m->message, m->wParam, m->lParam)
               : 0;
}

int platformGetMessage(Message* message) {
    while (!takeQueuedMessage(message)) {
        if (!portWaitForEvent()) {
            *message = Message{TheWindow, MsgQuit, 0, 0};
            return 0;
        }
    }
    return message->message != MsgQuit;
}

int platformPeekMessage(Message* message, uint32_t remove) {
    while (!peekQueuedMessage(message) && portTakeEvent()) {
    }
    return remove ? takeQueuedMessage(message) : peekQueuedMessage(message);
}
