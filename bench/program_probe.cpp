// program_probe.cpp -- preloaded into the program by measure_program.sh. Prints how long after
// FRETSTRUMMER_T0 (milliseconds since the epoch, taken just before exec) the splash and then
// the first frame (the play view) reached the window: the first two fills of the texture behind
// it. And for every left-button press the program takes, once sound follows silence, how long
// from taking the press to the note's first sample reaching the audio driver. With
// FRETSTRUMMER_PROBE_SAMPLES set, the program's audio device is opened with that many samples
// a buffer instead of its own, to try another size without building the program again.
#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <time.h>

static double nowMs() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

template <typename Function> static Function real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

extern "C" int SDL_UpdateTexture(SDL_Texture* texture, const SDL_Rect* rect, const void* pixels,
                                 int pitch) {
    static auto update =
        real<int (*)(SDL_Texture*, const SDL_Rect*, const void*, int)>("SDL_UpdateTexture");
    static int fills = 0;
    int result = update(texture, rect, pixels, pitch);
    if (++fills <= 2) {
        const char* start = std::getenv("FRETSTRUMMER_T0");
        std::fprintf(stderr, "%s: %.1f ms after exec\n", fills == 1 ? "splash" : "first frame",
                     nowMs() - (start ? std::atof(start) : 0));
    }
    return result;
}

static std::atomic<double> pressedAt{0}, midiPressedAt{0};

static void watchPress(const SDL_Event* event) {
    if (event->type == SDL_MOUSEBUTTONDOWN && event->button.button == SDL_BUTTON_LEFT) {
        pressedAt.store(nowMs());
        midiPressedAt.store(nowMs());
    }
}

// With --midi: how long from taking the press to the pluck's note-on leaving the program.
extern "C" int rtmidi_out_send_message(void* device, const unsigned char* message, int length) {
    static auto send = real<int (*)(void*, const unsigned char*, int)>("rtmidi_out_send_message");
    double pressed = midiPressedAt.exchange(0);
    if (length > 0 && (message[0] & 0xF0) == 0x90 && pressed > 0)
        std::fprintf(stderr, "pluck to note-on: %.2f ms\n", nowMs() - pressed);
    return send(device, message, length);
}

extern "C" int SDL_WaitEvent(SDL_Event* event) {
    static auto wait = real<int (*)(SDL_Event*)>("SDL_WaitEvent");
    int result = wait(event);
    if (result && event) watchPress(event);
    return result;
}

extern "C" int SDL_PollEvent(SDL_Event* event) {
    static auto poll = real<int (*)(SDL_Event*)>("SDL_PollEvent");
    int result = poll(event);
    if (result && event) watchPress(event);
    return result;
}

static SDL_AudioCallback programCallback;
static int outputRate = 1; // the device's, once it opens

static void SDLCALL timedCallback(void* user, Uint8* stream, int length) {
    static bool silent = true;
    static int lastLevel = 0;
    // A device that calls more than two buffers' time after its last call: the driver (or the
    // server behind it) kept the device thread waiting.
    static double lastCall = 0;
    double called = nowMs();
    if (lastCall > 0 && called - lastCall > 2e3 * length / 2 / outputRate)
        std::fprintf(stderr, "late callback: %.1f ms after the last\n", called - lastCall);
    lastCall = called;
    programCallback(user, stream, length);
    const Sint16* samples = reinterpret_cast<const Sint16*>(stream);
    int first = 0, count = length / 2;
    while (first < count && samples[first] == 0) first++;
    // Sound that breaks off into exact silence, where no note ends (a note fades to nothing):
    // the program had no block ready.
    int last = count;
    while (last > 0 && samples[last - 1] == 0) last--;
    int before = last > 0 ? std::abs(samples[last - 1]) : lastLevel;
    if (count - last >= 16 && before > 64) std::fprintf(stderr, "underrun in the callback\n");
    lastLevel = last == count ? std::abs(samples[count - 1]) : 0;
    double pressed = pressedAt.load();
    if (first < count && silent && pressed > 0) {
        std::fprintf(stderr, "pluck to sound: %.1f ms (pressed at %.1f)\n",
                     nowMs() + 1e3 * first / outputRate - pressed, pressed);
        pressedAt.store(0);
    }
    silent = first == count;
}

extern "C" SDL_AudioDeviceID SDL_OpenAudioDevice(const char* name, int capture,
                                                 const SDL_AudioSpec* desired,
                                                 SDL_AudioSpec* obtained, int changes) {
    static auto open =
        real<SDL_AudioDeviceID (*)(const char*, int, const SDL_AudioSpec*, SDL_AudioSpec*, int)>(
            "SDL_OpenAudioDevice");
    SDL_AudioSpec wrapped = *desired;
    programCallback = desired->callback;
    outputRate = desired->freq;
    wrapped.callback = timedCallback;
    if (const char* samples = std::getenv("FRETSTRUMMER_PROBE_SAMPLES"))
        wrapped.samples = static_cast<Uint16>(std::atoi(samples));
    return open(name, capture, &wrapped, obtained, changes);
}
