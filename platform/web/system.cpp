// system.cpp -- process-level roles in the browser: the page's end, threads, where the
// program's files are. The page's side is in page.js.
#include "platform/platform.h"
#include "platform/web/web_platform.h"

#include <emscripten.h>
#include <pthread.h>

#include <cstdio>
#include <cstring>

void platformExitProcess(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    // The page learns the code (Module.onExit) and shows that the instrument has ended.
    emscripten_force_exit(code);
    __builtin_unreachable();
}

static char failureReason[256];

int webRefuse(const char* why) {
    std::snprintf(failureReason, sizeof failureReason, "%s", why);
    return 0;
}

const char* platformFailureReason() {
    return failureReason;
}

void platformSwitch(int on) {
    MAIN_THREAD_ASYNC_EM_ASM({ fretstrummerPage.keepAwake($0); }, on);
}

// The page's files stand at the root of its file system: the program at /Fretstrummer, its
// Media folder beside it.
int platformExecutablePath(char* path, int capacity) {
    static constexpr char Path[] = "/Fretstrummer";
    if (capacity < static_cast<int>(sizeof Path)) return 0;
    std::memcpy(path, Path, sizeof Path);
    return static_cast<int>(sizeof Path - 1);
}

static void* runThread(void* body) {
    reinterpret_cast<void (*)()>(body)();
    return nullptr;
}

int platformStartThread(void (*body)()) {
    pthread_t thread;
    if (pthread_create(&thread, nullptr, runThread, reinterpret_cast<void*>(body)) != 0)
        return webRefuse("no thread to spare");
    pthread_detach(thread);
    return 1;
}

// A page's threads all run at the browser's one priority.
void platformRaiseThreadPriority() {}
