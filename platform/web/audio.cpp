// audio.cpp -- the wave device in the browser: blocks queued by the feeder, pulled by the
// page's Web Audio node (page.js) on the page's own thread, at the rate the program opens it at.
#include "platform/platform.h"
#include "platform/shared/port.h"
#include "platform/shared/wave_ring.h"
#include "platform/web/web_platform.h"

#include <emscripten.h>

#include <atomic>

static std::atomic<bool> deviceOpen;
static std::atomic<uint32_t> openRate{1};
// The feeder's turns, where the node drives it (the program without threads).
static void (*drivenFeed)();

// The page's node takes this many samples at a time, whatever the blocks: the least a
// ScriptProcessorNode takes.
static constexpr int NodeSamples = 256;

uint32_t platformWaveDeviceBuffer(uint32_t) {
    return NodeSamples * 2;
}

int platformWaveOpen(WaveDevice* handle, const PcmFormat* format) {
    if (deviceOpen.load()) return refuse("the audio output is open already"), 1;
    if (format->formatTag != 1 || format->bitsPerSample != 16 || format->channels != 1)
        return refuse("only mono 16-bit PCM plays"), 1;
    ringReset();
    openRate = format->samplesPerSecond;
    // Sound starts with the first touch, click or key: browsers allow no sooner.
    if (!MAIN_THREAD_EM_ASM_INT({ return fretstrummerPage.openAudio($0, $1); },
                                format->samplesPerSecond, NodeSamples))
        return refuse("this browser has no Web Audio"), 1;
    deviceOpen.store(true);
    *handle = 1;
    return 0;
}

int platformWaveDriveFeeder(WaveDevice, void (*feed)()) {
    if (WebHasThreads) return 0;
    drivenFeed = feed;
    return 1;
}

int platformWaveClose(WaveDevice) {
    if (!deviceOpen.exchange(false)) return 1;
    drivenFeed = nullptr;
    // Once the page has let its node go it pulls no more: the blocks are free.
    MAIN_THREAD_EM_ASM({ fretstrummerPage.closeAudio(); });
    ringDrop();
    return 0;
}

// The page's node asks for `count` samples (at most 4096): they are played from the blocks,
// and where the address returned points.
extern "C" EMSCRIPTEN_KEEPALIVE int16_t* webAudioPull(int count) {
    static int16_t samples[4096];
    if (count < 0 || count > 4096) count = 4096;
    // Firefox calls its node in pairs, the second at once: the blocks the first took must be
    // back with the feeder by then. A call within a quarter of the node's period of the one
    // before is part of a burst; a device whose calls come in bursts again and again calls in
    // bursts, where one late call that the next catches up on (as in Chromium now and then)
    // does not make it one. Without threads the feeder takes its turn straight after each call
    // (below), bursts or not.
    static double lastCall;
    static int bursts;
    double now = emscripten_get_now();
    if (now - lastCall < 250.0 * NodeSamples / openRate.load())
        bursts += 4;
    else if (bursts > 0)
        bursts--;
    if (WebHasThreads && bursts >= 16) ringHandBackAtOnce();
    lastCall = now;
    ringPlay(reinterpret_cast<uint8_t*>(samples), count * 2);
    // The blocks just handed back go out again at once, as the feeder thread would send them.
    if (drivenFeed) drivenFeed();
    return samples;
}
