// event_loop.cpp -- the program's whole input layer.
#include "app/event_loop.h"

#include "app/startup.h"
#include "instrument/chords.h"
#include "instrument/strings.h"

uint8_t KeyDownTable[256];

// The left Windows key and F16 to F24 belong to the system, not to chords.
static bool ignoredKey(uint32_t code) {
    return code == VkLeftWindows || (code >= VkF16 && code <= VkF24);
}

static void keyDown(uint32_t code) {
    if (ignoredKey(code)) return;
    uint32_t k = code & 0xFF;
    if (KeyDownTable[k]) return;
    KeyDownTable[k] = 1;
    chordKeyDown(k);
}

static void keyUp(uint32_t code) {
    if (ignoredKey(code)) return;
    uint32_t k = code & 0xFF;
    if (!KeyDownTable[k]) return;
    KeyDownTable[k] = 0;
    chordKeyUp(k);
}

int routeMessage(const Message* message, bool* exit) {
    switch (message->message) {
    case MsgDestroy:
    case MsgClose:
        *exit = true;
        return 1;
    case MsgActivate:
        fullScreen(ShellHideAll);
        return 1;
    case MsgKeyDown:
    case MsgSysKeyDown:
    case MsgImeKeyDown:
        keyDown(message->wParam);
        return 0;
    case MsgKeyUp:
    case MsgSysKeyUp:
    case MsgImeKeyUp:
        keyUp(message->wParam);
        return 0;
    case MsgStylusMove:
    case MsgStylusDown:
        if (stylusPoint(message->lParam & 0xFFFF, message->lParam >> 16) == 0) {
            *exit = true;
            return 1;
        }
        return 0;
    case MsgStylusUp:
        for (StringState& string : Strings) string.struck = 0;
        return 0;
    case MsgContextMenu:
    case MsgChar:
    case MsgSysChar:
    case MsgSysCommand:
    case MsgImeChar:
    case MsgHotKey:
        return 0;
    default:
        return 1;
    }
}

void runEventLoop() {
    if (CloseDuringStartUp) shutdown();
    bool exit = false;
    Message message;
    for (;;) {
        if (!platformGetMessage(&message)) shutdown();
        if (routeMessage(&message, &exit)) {
            platformDispatchMessage(&message);
            if (exit) shutdown();
        }
    }
}
