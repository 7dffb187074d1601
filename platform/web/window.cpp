// window.cpp -- the window, its pixels and its input in the browser. The page (page.js) puts
// the pixels on its canvas and hands its events here on the page's own thread; the program
// takes them as its messages on its thread.
#include "platform/platform.h"
#include "platform/shared/input.h"
#include "platform/shared/keypad.h"
#include "platform/shared/keys.h"
#include "platform/shared/port.h"

#include <emscripten.h>

#include <mutex>

namespace {

uint8_t pixels[ScreenHeight * ScreenStride];
uint8_t padPixels[ScreenHeight * ScreenStride];
bool created;
// Guards the pad's state between the page's thread and the program's; the message queue has
// a lock of its own.
std::mutex inputLock;

// The whole picture, the screen and the pad, onto the canvas. No lock is held while the page
// runs a call for this thread: its own calls here take the lock.
void showAll() {
    MAIN_THREAD_EM_ASM({ fretstrummerPage.show($0, 720, 0, 0, 240, 320, 0, 0); }, pixels);
    int width, height, left, top;
    {
        // The pad's place is read with its picture: the page may turn meanwhile.
        std::lock_guard<std::mutex> held(inputLock);
        if (!keypadShown()) return;
        drawKeypad(padPixels);
        width = keypadWidth(), height = keypadHeight(), left = keypadLeft(), top = keypadTop();
    }
    MAIN_THREAD_EM_ASM({ fretstrummerPage.show($0, $1 * 3, 0, 0, $1, $2, $3, $4); }, padPixels,
                       width, height, left, top);
}

// The pad drawn as its keys are now and put on the canvas, from the page's own thread with
// inputLock held.
void showPadNow() {
    drawKeypad(padPixels);
    EM_ASM({ fretstrummerPage.show($0, $1 * 3, 0, 0, $1, $2, $3, $4); }, padPixels, keypadWidth(),
           keypadHeight(), keypadLeft(), keypadTop());
}

} // namespace

// A pointer pressed (0), moved (1) or lifted (2) at (x, y) of the canvas in screen pixels: the
// mouse (touch 0, buttons as the page has them) or a touch or pen known by id. A pad whose look
// changed is shown again at once: this is the page's own thread.
extern "C" EMSCRIPTEN_KEEPALIVE void webPointer(int what, int touch, int id, int x, int y,
                                                int buttons) {
    std::lock_guard<std::mutex> held(inputLock);
    if (!created) return;
    PointerEvent event = what == 0 ? PointerDown : what == 2 ? PointerUp : PointerMove;
    if (touch ? touchEvent(event, id, x, y) : mouseEvent(event, x, y, (buttons & 1) != 0))
        showPadNow();
}

// A key went down or up: its virtual-key code, as the page found it by the key's place.
extern "C" EMSCRIPTEN_KEEPALIVE void webKey(int down, uint32_t code, int alt) {
    queueKey(down != 0, alt != 0, code);
}

// The key table, for the page to turn a key's KeyboardEvent.code into its virtual-key code.
extern "C" EMSCRIPTEN_KEEPALIVE int webKeyCount() {
    return KeyPlaceCount;
}
extern "C" EMSCRIPTEN_KEEPALIVE const char* webKeyName(int key) {
    return KeyPlaces[key].name;
}
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t webKeyCode(int key) {
    return KeyPlaces[key].code;
}

// The page gained (1) or lost (0) the focus, or was shown again (2). Losing it lets go of every
// key, pad key and pointer held.
extern "C" EMSCRIPTEN_KEEPALIVE void webWindowEvent(int what) {
    if (what == 0) {
        std::lock_guard<std::mutex> held(inputLock);
        if (created && loseFocus()) showPadNow();
    }
    if (what == 2)
        queueMessage(MsgPaint, 0, 0);
    else
        queueMessage(MsgActivate, static_cast<uint32_t>(what), 0);
}

// The page turned between portrait and landscape: the pad moves below or beside the strings,
// the canvas takes its new size and everything is shown again. Keys and fingers held stay held.
// 0 while there is no window yet.
extern "C" EMSCRIPTEN_KEEPALIVE int webTurn(int touch, int landscape) {
    int width, height;
    {
        std::lock_guard<std::mutex> held(inputLock);
        if (!created) return 0;
        keypadLayOut(touch != 0, landscape != 0);
        width = keypadWindowWidth(); // the screen's alone without the pad
        height = keypadWindowHeight();
    }
    EM_ASM({ fretstrummerPage.sizeCanvas($0, $1); }, width, height);
    queueMessage(MsgPaint, 0, 0);
    return 1;
}

uint32_t platformRegisterClass(const WindowClass* windowClass) {
    keepWindowClass(windowClass);
    return 1;
}

WindowHandle platformCreateWindow(uint32_t, const char*, const char*, uint32_t, int, int, int, int,
                                  WindowHandle, uint32_t, InstanceHandle, void*) {
    // The pad goes below the strings on a portrait screen, beside them on a landscape one.
    int touch = MAIN_THREAD_EM_ASM_INT({ return fretstrummerPage.touchScreen(); });
    int landscape = MAIN_THREAD_EM_ASM_INT({ return fretstrummerPage.landscape(); });
    keypadLayOut(touch != 0, landscape != 0);
    int width = keypadWindowWidth(), height = keypadWindowHeight();
    if (!MAIN_THREAD_EM_ASM_INT({ return fretstrummerPage.makeCanvas($0, $1, $2); }, width, height,
                                landscape))
        return refuse("the page has no canvas");
    std::lock_guard<std::mutex> held(inputLock);
    created = true;
    return TheWindow;
}

void platformSetWindowLong(WindowHandle, int, uint32_t) {}

void platformSetWindowPos(WindowHandle, int, int, int, int, int, uint32_t) {}

void platformSetForegroundWindow(WindowHandle) {}

void platformUpdateWindow(WindowHandle) {
    showAll();
}

// The page queues the events; the program only waits for them (threads.cpp, single.cpp).
bool portTakeEvent() {
    return false;
}

void platformTranslateMessage(const Message*) {}

int32_t platformDefWindowProc(WindowHandle, uint32_t message, uint32_t, uint32_t) {
    if (message == MsgPaint) showAll();
    return 0;
}

ShellFullScreen platformLoadShellFullScreen() {
    return nullptr;
}

uint8_t* platformWindowPixels(WindowHandle) {
    return created ? pixels : nullptr;
}

void platformShowPixels(WindowHandle, int x, int y, int width, int height) {
    if (!created) return;
    MAIN_THREAD_EM_ASM({ fretstrummerPage.show($0, 720, $1, $2, $3, $4, 0, 0); }, pixels, x, y,
                       width, height);
}

void platformShowChordName(uint32_t code, const char* name) {
    bool changed;
    {
        std::lock_guard<std::mutex> held(inputLock);
        changed = keypadSetName(code, name);
        if (changed && created && keypadShown()) drawKeypad(padPixels);
    }
    if (changed && created && keypadShown())
        MAIN_THREAD_EM_ASM({ fretstrummerPage.show($0, $1 * 3, 0, 0, $1, $2, $3, $4); }, padPixels,
                           keypadWidth(), keypadHeight(), keypadLeft(), keypadTop());
}
