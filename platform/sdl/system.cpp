// system.cpp -- process-level roles on Linux with SDL: the process's end, the quit signals, the
// screen kept on, where the executable lives, the feeder's priority.
#include "platform/platform.h"
#include "platform/posix/thread.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/shared/port.h"

#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <unistd.h>

void portEndProcess(int code) {
    // The feeder and the device's close have finished their work by now (closeAudio waited for
    // both, within its bounds): what is left of them is returning, which takes no time.
    joinStartedThreads(20);
    _exit(code);
}

int sdlRefuse(const char* why) {
    return refuse(why ? why : SDL_GetError());
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

void platformKeepScreenOn(int on) {
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
        return length <= 0 ? 0 : -1;
    }
    path[length] = '\0';
    return static_cast<int>(length);
}

void platformRaiseThreadPriority() {
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);
}
