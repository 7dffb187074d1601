// audio.cpp -- the wave device on SDL2: blocks queued by the feeder, played by SDL's callback.
#include "platform/platform.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/shared/wave_ring.h"

#include <SDL.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

static std::atomic<bool> deviceOpen;
static SDL_AudioDeviceID device;
// SDL 2.26's device thread can sit in a blocking call that only its driver's next event ends:
// PulseAudio's main loop until the server asks for more (up to two seconds on an idle null
// sink), a disk driver's write into a pipe nobody reads. SDL's close waits for that thread, so
// while it closes the thread is interrupted now and then: the blocking call returns early,
// the thread sees that it must stop, and the close returns.
static int interruptSignal() {
    return SIGRTMIN;
}

static void onInterrupt(int) {}

static std::atomic<bool> deviceClosed;

// Interrupts every playback thread SDL runs ("SDLAudioP<device>"): the device being closed
// is the only one. It may not have called back yet (a device that starts paused and then
// waits for the server never has), so it is found by its name.
static void interruptDeviceThreads() {
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return;
    while (dirent* task = readdir(tasks)) {
        char path[300], name[32] = {};
        std::snprintf(path, sizeof path, "/proc/self/task/%s/comm", task->d_name);
        int comm = open(path, O_RDONLY);
        if (comm < 0) continue;
        ssize_t got = read(comm, name, sizeof name - 1);
        close(comm);
        if (got > 9 && std::strncmp(name, "SDLAudioP", 9) == 0)
            syscall(SYS_tgkill, getpid(), std::atol(task->d_name), interruptSignal());
    }
    closedir(tasks);
}

// The thread in SDL_CloseAudioDevice: the driver's own close can block it as well (a disk
// driver flushing into a full pipe).
static std::atomic<long> closingThread;

static int SDLCALL interruptUntilClosed(void*) {
    while (!deviceClosed.load()) {
        interruptDeviceThreads();
        syscall(SYS_tgkill, getpid(), closingThread.load(), interruptSignal());
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}

static void SDLCALL playQueued(void*, Uint8* stream, int length) {
    ringPlay(stream, length);
}

static SDL_AudioSpec wanted;
// The device's own buffer, in samples. Small enough to keep the latency down, large enough not
// to starve the device; the low-latency mode asks for one block.
static Uint16 deviceSamples = 256;

uint32_t platformWaveDeviceBuffer(uint32_t bytes) {
    deviceSamples = static_cast<Uint16>(bytes / 2);
    return bytes;
}

// SDL 2.26 asks PulseAudio (and PipeWire's pulse server) to hold no more than one device buffer
// of sound, 3 to 12 ms: a server or device thread woken a few milliseconds late, as on a busy
// machine, finds the stream empty, and a click is heard while the program's blocks stand ready.
// The server is asked to hold this much more than the device buffer instead. It requests its
// sound in quarters of what it holds, and a request larger than the program's queued blocks
// would empty them, so the margin stays small. The device still calls back for as few samples
// as before, so the blocks come back as often and the latency to the driver is the same.
static constexpr int ServerMarginMs = 18;

// libpulse takes a stream's target length from PULSE_LATENCY_MSEC; a player's own setting
// stands. Set before SDL starts its audio, and with it libpulse's threads; only this process's
// PulseAudio streams read it (SDL's driver, or ALSA's pulse plugin).
static void keepServerAhead(int rate) {
    if (rate <= 0) return;
    char ahead[16];
    // The device buffer in whole milliseconds, rounded down: 11 for 256 samples, 2 for 64. In
    // the low-latency mode under a busy core, 21 ms in all gave PulseAudio 30-35 gaps a minute
    // where 20 gave none (bench/measure_underruns.sh).
    int bufferMs = deviceSamples * 1000 / rate;
    std::snprintf(ahead, sizeof ahead, "%d", bufferMs + ServerMarginMs);
    setenv("PULSE_LATENCY_MSEC", ahead, 0);
}

// Opens SDL's default output for `wanted` and starts it.
static bool openDevice() {
    // No changes allowed: SDL converts to whatever the hardware wants.
    SDL_AudioSpec have{};
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &have, 0);
    if (device == 0) return false;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

// Closes SDL's device, interrupting its thread's blocking calls until the close is over.
static void closeDevice() {
    deviceClosed.store(false);
    closingThread.store(static_cast<long>(syscall(SYS_gettid)));
    // Without a thread to spare the close goes on uninterrupted.
    SDL_Thread* interrupter = SDL_CreateThread(interruptUntilClosed, "AudioClose", nullptr);
    SDL_CloseAudioDevice(device);
    deviceClosed.store(true);
    if (interrupter) SDL_WaitThread(interrupter, nullptr);
}

int platformWaveOpen(WaveDevice* handle, const PcmFormat* format) {
    if (deviceOpen.load()) return sdlRefuse("the audio output is open already"), 1;
    if (format->formatTag != 1 || format->bitsPerSample != 16)
        return sdlRefuse("only 16-bit PCM plays"), 1;
    // Audio is initialised here and only here, so a missing or broken audio driver is an
    // audio failure and nothing else.
    keepServerAhead(static_cast<int>(format->samplesPerSecond));
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return sdlRefuse(), 1;
    wanted = SDL_AudioSpec{};
    wanted.freq = static_cast<int>(format->samplesPerSecond);
    wanted.format = AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(format->channels);
    wanted.samples = deviceSamples;
    wanted.callback = playQueued;
    ringReset();
    // Up to one device buffer's time: the next call is due by then anyway.
    if (wanted.freq > 0)
        ringWaitWhenLate(static_cast<uint32_t>(uint64_t{deviceSamples} * 1000000 / wanted.freq));
    // Interrupts the blocking calls of the device thread and does nothing else; without
    // SA_RESTART, so they return.
    struct sigaction interrupt {};
    interrupt.sa_handler = onInterrupt;
    sigemptyset(&interrupt.sa_mask);
    sigaction(interruptSignal(), &interrupt, nullptr);
    if (!openDevice()) {
        sdlRefuse();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 1;
    }
    deviceOpen.store(true);
    *handle = device;
    return 0;
}

// SDL's retry timer: a user event for the main thread, which reopens the device.
static SDL_TimerID retryTimer;
static Uint32 SDLCALL askForRetry(Uint32 interval, void*) {
    SDL_Event event{};
    event.type = SDL_USEREVENT;
    SDL_PushEvent(&event);
    return interval;
}

void sdlAudioDeviceRemoved(uint32_t which) {
    if (!deviceOpen.load() || which != device || retryTimer) return;
    // The blocks stay where they are: the feeder waits for them, and the next device plays
    // them on from where this one stopped.
    closeDevice();
    device = 0;
    std::fprintf(stderr, "Fretstrummer: the audio device went away; reopening it\n");
    sdlRetryAudioDevice();
}

void sdlRetryAudioDevice() {
    if (!deviceOpen.load()) return;
    if (openDevice()) {
        if (retryTimer) {
            SDL_RemoveTimer(retryTimer);
            retryTimer = 0;
            std::fprintf(stderr, "Fretstrummer: the audio device is back\n");
        }
        return;
    }
    if (retryTimer) return;
    std::fprintf(stderr, "Fretstrummer: no audio device to reopen (%s); trying every second\n",
                 SDL_GetError());
    if (SDL_InitSubSystem(SDL_INIT_TIMER) == 0)
        retryTimer = SDL_AddTimer(1000, askForRetry, nullptr);
}

int platformWaveClose(WaveDevice) {
    if (!deviceOpen.exchange(false)) return 1;
    if (retryTimer) SDL_RemoveTimer(retryTimer), retryTimer = 0;
    // Paused, the device calls back no more: no block is read from here on, whatever the close
    // below does.
    if (device) SDL_PauseAudioDevice(device, 1);
    ringDrop();
    if (device) closeDevice();
    device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return 0;
}

// The program has its feeder thread.
int platformWaveDriveFeeder(WaveDevice, void (*)()) {
    return 0;
}
