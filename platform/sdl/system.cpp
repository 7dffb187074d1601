// system.cpp -- process-level roles of the real program: where the executable lives, threads.
#include "platform/platform.h"
#include "platform/sdl/sdl_platform.h"

#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <unistd.h>

void platformExitProcess(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(code);
}

static char failureReason[256];

int sdlRefuse(const char* why) {
    SDL_strlcpy(failureReason, why ? why : SDL_GetError(), sizeof failureReason);
    return 0;
}

const char* platformFailureReason() {
    return failureReason;
}

// SIGINT and SIGTERM: the first asks the program to end, through SDL's quit event; a second,
// while it is still ending, ends it at once.
static constexpr int QuitSignals[2] = {SIGINT, SIGTERM};
static struct sigaction sdlQuitHandler[2];
static volatile std::sig_atomic_t quitSignalsSeen;

static void onQuitSignal(int signal) {
    if (quitSignalsSeen) _exit(0);
    quitSignalsSeen = 1;
    int which = signal == SIGINT ? 0 : 1;
    const struct sigaction& sdl = sdlQuitHandler[which];
    if (sdl.sa_handler == SIG_DFL || sdl.sa_handler == SIG_IGN || (sdl.sa_flags & SA_SIGINFO)) {
        // SDL left the signal alone: it ends the program as it always would.
        sigaction(signal, &sdl, nullptr);
        raise(signal);
        return;
    }
    sdl.sa_handler(signal);
    // SDL's handler puts itself back in place; the next signal is this one's again.
    struct sigaction ours {};
    ours.sa_handler = onQuitSignal;
    sigemptyset(&ours.sa_mask);
    sigaction(signal, &ours, nullptr);
}

void sdlCatchQuitSignals() {
    for (int i = 0; i < 2; i++) {
        struct sigaction ours {};
        ours.sa_handler = onQuitSignal;
        sigemptyset(&ours.sa_mask);
        sigaction(QuitSignals[i], &ours, &sdlQuitHandler[i]);
    }
}

void platformSwitch(int on) {
    if (on)
        SDL_DisableScreenSaver();
    else
        SDL_EnableScreenSaver();
}

int platformExecutablePath(char* path, int capacity) {
    if (capacity < 2) return 0;
    // readlink does not terminate and silently truncates: a result that fills the whole buffer
    // may have been cut, and leaves no room for the terminator, so it counts as not fitting.
    ssize_t length = readlink("/proc/self/exe", path, static_cast<size_t>(capacity));
    if (length <= 0 || length >= capacity) {
        path[0] = '\0';
        return 0;
    }
    path[length] = '\0';
    return static_cast<int>(length);
}

static int SDLCALL runThread(void* body) {
    reinterpret_cast<void (*)()>(body)();
    return 0;
}

int platformStartThread(void (*body)()) {
    SDL_Thread* thread = SDL_CreateThread(runThread, "AudioFeeder", reinterpret_cast<void*>(body));
    if (!thread) return sdlRefuse();
    SDL_DetachThread(thread);
    return 1;
}

void platformRaiseThreadPriority() {
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);
}
