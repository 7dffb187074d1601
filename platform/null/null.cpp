// null.cpp -- every role a port supplies, doing nothing or refusing: the platform a new port
// starts from. Built with platform/shared it links and runs: the window is made (with no
// pixels, so nothing is drawn), and start-up ends when the wave output is refused, with its
// line and exit code 253. Fill in the roles in the order platform/README.md gives.
#include "platform/platform.h"
#include "platform/shared/input.h"
#include "platform/shared/port.h"

#include <cerrno>
#include <cstdlib>

// ---- The process

void portEndProcess(int code) {
    std::_Exit(code);
}

void platformKeepScreenOn(int) {}

int platformExecutablePath(char* path, int capacity) {
    if (capacity > 0) path[0] = '\0';
    return 0; // unknown: the Media folder is not found
}

std::FILE* platformOpenFile(const char*) {
    errno = ENOENT;
    return nullptr;
}

// ---- Kept settings

int platformSettingsPath(const char*, char* path, int capacity) {
    if (capacity > 0) path[0] = '\0';
    return refuse("the null platform keeps no settings");
}

int platformReplaceFile(const char*, const void*, uint32_t) {
    refuse("the null platform keeps no settings");
    return 1;
}

// ---- MIDI out

int platformMidiOpen(const char*) {
    refuse("the null platform has no MIDI output");
    return 1;
}
void platformMidiSend(const uint8_t*, int) {}
void platformMidiClose() {}

// ---- Wave output

uint32_t platformWaveDeviceBuffer(uint32_t) {
    return 0;
}
int platformWaveOpen(WaveDevice*, const PcmFormat*) {
    refuse("the null platform has no sound output");
    return 1;
}
int platformWavePrepare(WaveDevice, WaveBlock*, uint32_t) {
    return 1;
}
int platformWaveQueue(WaveDevice, WaveBlock*, uint32_t) {
    return 1;
}
void platformWaveWait(WaveDevice, const WaveBlock*, uint32_t) {}
int platformWaveUnprepare(WaveDevice, WaveBlock*, uint32_t) {
    return 1;
}
int platformWaveClose(WaveDevice) {
    return 1;
}
int platformWaveDriveFeeder(WaveDevice, void (*)()) {
    return 0;
}

// ---- Threads

int platformStartThread(void (*)()) {
    return refuse("the null platform starts no threads");
}
void platformRaiseThreadPriority() {}

// ---- Windows and messages

uint32_t platformRegisterClass(const WindowClass* windowClass) {
    keepWindowClass(windowClass);
    return 1;
}
WindowHandle platformCreateWindow(uint32_t, const char*, const char*, uint32_t, int, int, int, int,
                                  WindowHandle, uint32_t, InstanceHandle, void*) {
    return TheWindow;
}
void platformSetWindowLong(WindowHandle, int, uint32_t) {}
void platformSetWindowPos(WindowHandle, int, int, int, int, int, uint32_t) {}
void platformSetForegroundWindow(WindowHandle) {}
void platformUpdateWindow(WindowHandle) {}

// No system, no events: the first wait is the end of the queue, which the program takes as quit.
bool portWaitForEvent() {
    return false;
}
bool portTakeEvent() {
    return false;
}
void platformTranslateMessage(const Message*) {}
int32_t platformDefWindowProc(WindowHandle, uint32_t, uint32_t, uint32_t) {
    return 0;
}

ShellFullScreen platformLoadShellFullScreen() {
    return nullptr;
}

// ---- The window's pixels and text

uint8_t* platformWindowPixels(WindowHandle) {
    return nullptr; // nothing to draw into: the splash is skipped and the back buffer refused
}
void platformShowPixels(WindowHandle, int, int, int, int) {}

void platformShowChordName(uint32_t, const char*) {}

void platformDrawText(uint8_t*, const char*, uint32_t) {}
