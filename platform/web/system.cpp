// system.cpp -- process-level roles in the browser: the page's end, the screen kept on, where
// the program's files are. The page's side is in page.js.
#include "platform/platform.h"
#include "platform/shared/port.h"
#include "platform/web/web_platform.h"

#include <emscripten.h>

#include <cstdio>
#include <cstring>

void portEndProcess(int code) {
    joinWebThreads(); // as on Linux: the feeder and the close are only returning
    // The page learns the code (Module.onExit) and shows that the instrument has ended.
    emscripten_force_exit(code);
    __builtin_unreachable();
}

void platformKeepScreenOn(int on) {
    MAIN_THREAD_ASYNC_EM_ASM({ fretstrummerPage.keepAwake($0); }, on);
}

// The page's files stand at the root of its file system: the program at /Fretstrummer, its
// Media folder beside it.
int platformExecutablePath(char* path, int capacity) {
    static constexpr char Path[] = "/Fretstrummer";
    if (capacity < static_cast<int>(sizeof Path)) return -1;
    std::memcpy(path, Path, sizeof Path);
    return static_cast<int>(sizeof Path - 1);
}

// A page's threads all run at the browser's one priority.
void platformRaiseThreadPriority() {}

// The settings live in the page's local storage (page.js), copied into /settings of the
// program's file system as it asks for them.
int platformSettingsPath(const char* name, char* path, int capacity) {
    int length = std::snprintf(path, static_cast<size_t>(capacity), "/settings/%s", name);
    if (length < 0 || length >= capacity) return refuse("the settings name is too long");
    if (MAIN_THREAD_EM_ASM_INT(
            { return fretstrummerPage.loadSetting(UTF8ToString($0), UTF8ToString($1)); }, name,
            path) != 0)
        return refuse("the browser refuses the page its storage");
    return 1;
}

int platformReplaceFile(const char* path, const void* data, uint32_t size) {
    // Local storage replaces an entry whole: there is no half-written one to fear.
    if (MAIN_THREAD_EM_ASM_INT({ return fretstrummerPage.saveSetting(UTF8ToString($0), $1, $2); },
                               path, data, size) != 0)
        return refuse("the browser refuses the page its storage"), 1;
    return 0;
}

// MIDI out through the page's Web MIDI (page.js): asked for as the program opens it, granted
// later or never; the page says which.
int platformMidiOpen(const char* device) {
    if (device)
        return refuse("a MIDI device by name is for Windows: the page sends to the first "
                      "output the browser grants"),
               1;
    if (MAIN_THREAD_EM_ASM_INT({ return fretstrummerPage.midiOpen(); }) != 0)
        return refuse("this browser has no MIDI"), 1;
    return 0;
}

void platformMidiSend(const uint8_t* message, int length) {
    if (length == 3)
        MAIN_THREAD_ASYNC_EM_ASM({ fretstrummerPage.midiSend($0, $1, $2); }, message[0], message[1],
                                 message[2]);
}

void platformMidiClose() {
    MAIN_THREAD_ASYNC_EM_ASM({ fretstrummerPage.midiClose(); });
}
