// window.cpp -- the scripted window: messages a test posts, and a record of every call.
#include "platform/platform.h"
#include "platform/scripted/scripted.h"
#include "platform/scripted/scripted_internal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <thread>
#include <unistd.h>

namespace {

struct ScriptItem {
    enum Kind { Post, Quit, DeviceBlocks } kind;
    Message message;
    int blocks;
};

bool refuseClass = false, refuseWindow = false, refuseSurface = false, shellPresent = false;
WindowClass registered{};
bool classRegistered = false;
WindowHandle window = 0;
std::deque<ScriptItem> script;
uint8_t pixels[ScreenHeight * ScreenStride];
std::string recordPath;

std::string text(const char* s) {
    return s ? s : "none";
}

int fullScreenCall(WindowHandle w, uint32_t flags) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("fullScreen " + std::to_string(w) + " " + std::to_string(flags));
    return 1;
}

// Lets the device play `count` blocks, each after the feeder has queued its successor.
void playDeviceBlocks(int count) {
    auto feederCaughtUp = [] {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (scriptedHeldBlocks() < 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    };
    for (int i = 0; i < count; i++) {
        feederCaughtUp();
        scriptedPlayBlocks(1);
    }
    feederCaughtUp();
}

// Takes the next message; a device step is carried out when `wait` allows it, otherwise it
// counts as nothing waiting. -1: nothing waiting, 0: quit, 1: a message.
int nextMessage(Message* message, bool wait) {
    for (;;) {
        std::unique_lock<std::mutex> lock(scriptedMutex);
        if (script.empty()) return wait ? 0 : -1; // the queue's end is the quit message
        ScriptItem item = script.front();
        if (item.kind == ScriptItem::DeviceBlocks) {
            if (!wait) return -1;
            script.pop_front();
            lock.unlock();
            playDeviceBlocks(item.blocks);
            continue;
        }
        script.pop_front();
        if (item.kind == ScriptItem::Quit) {
            *message = Message{0, MsgQuit, 0, 0};
            return 0;
        }
        *message = item.message;
        message->window = window;
        return 1;
    }
}

} // namespace

void scriptedResetWindow() {
    refuseClass = refuseWindow = refuseSurface = shellPresent = false;
    registered = WindowClass{};
    classRegistered = false;
    window = 0;
    script.clear();
    std::fill(std::begin(pixels), std::end(pixels), 0);
    recordPath.clear();
}

void scriptedRefuseClass(bool refuse) {
    refuseClass = refuse;
}
void scriptedRefuseWindow(bool refuse) {
    refuseWindow = refuse;
}
void scriptedRefuseSurface(bool refuse) {
    refuseSurface = refuse;
}
void scriptedSetShellPresent(bool present) {
    shellPresent = present;
}

void scriptedPost(uint32_t message, uint32_t wParam, uint32_t lParam) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    script.push_back({ScriptItem::Post, Message{0, message, wParam, lParam}, 0});
}

void scriptedPostStylus(uint32_t message, int x, int y) {
    scriptedPost(message, 0, (static_cast<uint32_t>(y) & 0xFFFF) << 16 | (x & 0xFFFF));
}

void scriptedPostQuit() {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    script.push_back({ScriptItem::Quit, Message{}, 0});
}

void scriptedPostPause() {
    scriptedPostDeviceBlocks(0);
}

void scriptedPostDeviceBlocks(int count) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    script.push_back({ScriptItem::DeviceBlocks, Message{}, count});
}

const uint8_t* scriptedWindowPixels() {
    return pixels;
}

void scriptedSetRecordPath(const char* path) {
    recordPath = path;
}

void platformExitProcess(int code) {
    {
        std::lock_guard<std::mutex> guard(scriptedMutex);
        scriptedRecord("exitProcess " + std::to_string(code));
    }
    if (!recordPath.empty()) scriptedWriteRecord(recordPath.c_str(), pixels);
    std::fflush(stderr);
    _exit(code);
}

void platformKeepScreenOn(int on) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("keepScreenOn " + std::to_string(on));
}

ShellFullScreen platformLoadShellFullScreen() {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord(std::string("loadShell ") + (shellPresent ? "present" : "absent"));
    return shellPresent ? fullScreenCall : nullptr;
}

uint32_t platformRegisterClass(const WindowClass* c) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("registerClass style=" + std::to_string(c->style) +
                   " proc=" + (c->windowProc ? "set" : "none") +
                   " extra=" + std::to_string(c->classExtra) + "," +
                   std::to_string(c->windowExtra) + " instance=" + std::to_string(c->instance) +
                   " icon=" + std::to_string(c->icon) + " cursor=" + std::to_string(c->cursor) +
                   " background=" + std::to_string(c->background) + " menu=" + text(c->menuName) +
                   " class=" + text(c->className));
    if (refuseClass) return 0x10000; // an atom whose low 16 bits are 0
    registered = *c;
    classRegistered = true;
    return 0xC001;
}

WindowHandle platformCreateWindow(uint32_t exStyle, const char* className, const char* title,
                                  uint32_t style, int x, int y, int width, int height,
                                  WindowHandle parent, uint32_t menu, InstanceHandle instance,
                                  void* param) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    char style16[16];
    std::snprintf(style16, sizeof style16, "0x%08X", style);
    scriptedRecord("createWindow exStyle=" + std::to_string(exStyle) + " class=" + text(className) +
                   " title=" + text(title) + " style=" + style16 + " " + std::to_string(x) + "," +
                   std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height) +
                   " parent=" + std::to_string(parent) + " menu=" + std::to_string(menu) +
                   " instance=" + std::to_string(instance) + " param=" + (param ? "set" : "none"));
    if (refuseWindow || !classRegistered) return 0;
    window = 0x10;
    return window;
}

void platformSetWindowLong(WindowHandle w, int index, uint32_t value) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", value);
    scriptedRecord("setWindowLong " + std::to_string(w) + " " + std::to_string(index) + " " + hex);
}

void platformSetWindowPos(WindowHandle w, int insertAfter, int x, int y, int width, int height,
                          uint32_t flags) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("setWindowPos " + std::to_string(w) + " " + std::to_string(insertAfter) + " " +
                   std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" +
                   std::to_string(height) + " flags=" + std::to_string(flags));
}

void platformSetForegroundWindow(WindowHandle w) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("setForeground " + std::to_string(w));
}

void platformUpdateWindow(WindowHandle w) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("updateWindow " + std::to_string(w));
}

int platformGetMessage(Message* message) {
    return nextMessage(message, true);
}

int platformPeekMessage(Message* message, uint32_t) {
    return nextMessage(message, false) >= 0;
}

void platformTranslateMessage(const Message* m) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("translate " + std::to_string(m->message));
}

int32_t platformDispatchMessage(const Message* m) {
    WindowProcedure procedure;
    {
        std::lock_guard<std::mutex> guard(scriptedMutex);
        scriptedRecord("dispatch " + std::to_string(m->message) + " " + std::to_string(m->wParam) +
                       " " + std::to_string(m->lParam));
        procedure = registered.windowProc;
    }
    return procedure ? procedure(m->window, m->message, m->wParam, m->lParam) : 0;
}

int32_t platformDefWindowProc(WindowHandle, uint32_t message, uint32_t, uint32_t) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("default " + std::to_string(message));
    return 0;
}

uint8_t* platformWindowPixels(WindowHandle w) {
    return refuseSurface || w != window || !window ? nullptr : pixels;
}

void platformShowPixels(WindowHandle, int x, int y, int width, int height) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("show " + std::to_string(x) + "," + std::to_string(y) + " " +
                   std::to_string(width) + "x" + std::to_string(height));
}
