// audio.cpp -- the wave device in the browser: blocks queued by the feeder, played by the
// page's Web Audio node (page.js) at the rate the program opens it at. Where the program has
// threads (and so shares its memory with the page) the node is an audio worklet's, on the
// browser's audio thread: it reads the sound from the program's memory, where a thread of the
// device's own keeps it filled from the blocks (the pump, below). Elsewhere a
// ScriptProcessorNode pulls the sound on the page's own thread (webAudioPull).
#include "platform/platform.h"
#include "platform/shared/port.h"
#include "platform/shared/wave_ring.h"
#include "platform/web/web_platform.h"

#include <emscripten.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <thread>

static std::atomic<bool> deviceOpen;
static std::atomic<uint32_t> openRate{1};
// The feeder's turns, where the node drives it (the program without threads).
static void (*drivenFeed)();

// A ScriptProcessorNode takes 256 samples at a time at the least; a worklet's node 128, the
// browser's render quantum. The pump copies half a quantum at a time, so that as few blocks as
// can be wait behind what is ready.
static constexpr int ScriptNodeSamples = 256;
static constexpr uint32_t QuantumSamples = 128;
static constexpr uint32_t PumpSamples = QuantumSamples / 2;

// The sound the worklet's node reads, in the program's memory (shared with the node): the pump
// writes samples at `written`, the node reads them at `read` and counts `wake` up once it has,
// waking the pump. `ahead` is how many samples the pump keeps ready: the node sets it once it
// has seen how many quanta the engine renders back to back, with a margin for the start that it
// lowers a quantum at a time, and raises it by one each time it finds too few.
// Counts run on past the buffer's end; a sample's place is its count modulo the buffer's size.
struct SharedSound {
    std::atomic<uint32_t> written;
    std::atomic<uint32_t> read;
    std::atomic<uint32_t> wake;
    std::atomic<uint32_t> ahead;
    std::atomic<uint32_t> attached; // 1 once a node reads; the pump plays nothing before
    int16_t samples[4096];
};
static constexpr uint32_t SharedSamples = sizeof(SharedSound::samples) / sizeof(int16_t);
static_assert(offsetof(SharedSound, samples) == 20 && sizeof(std::atomic<uint32_t>) == 4,
              "page.js reads this layout");
static SharedSound sound;
static constexpr uint32_t PumpAhead = QuantumSamples + PumpSamples;
static std::atomic<bool> pumping, pumpEnded;
// Whether the pump fills late (below): in the low-latency mode, which asks the device for a
// small buffer. The default mode's blocks are mixed one ahead and long; a few milliseconds gained
// there are not worth a pump that must wake on time.
static std::atomic<bool> askedSmall, fillLate;
// What the default mode keeps ready at the least, however short the engine's runs: as much as
// one of its blocks. Less, and a machine busy with other work (a browser compiling the program
// as it starts) now and then left the node without sound.
static constexpr uint32_t DefaultAhead = 512;
// What the low-latency mode, which fills up only shortly before each run, keeps ready beyond
// what the node asks for (5.8 ms of sound): an engine on time for most of a minute now and then
// renders a run twice its length (Chromium), or two runs close together, while the program's
// threads, sharing the cores with the browser's, answer late.
static constexpr uint32_t LowLatencyReserve = 128;
// Calls of the node further apart than this start a new run; the pump fills up this long (or
// half the runs' period, if longer) before the next run is due: less, and a busy machine's
// feeder, mixing what the pump asks for block by block, now and then had it ready too late.
static constexpr double RunGapMilliseconds = 2;
static constexpr double FillMarginMilliseconds = 4;

// The pump copies the blocks into the node's sound as the node makes room there, once the
// blocks hold what it copies. By default a block whose last byte is copied goes back to the
// feeder at once.
//
// An engine that renders several quanta back to back takes them all at once, a run every so
// often: what is copied straight after a run waits for the next. So the pump watches when the
// runs come and, in the low-latency mode, fills up only shortly before the next is due (after a
// run that came late, at once). Meanwhile it keeps ready what a run like the last one leaves, a
// quantum at the least: a run that takes more, as one twice as long does, has it fill up again
// while the run lasts. It also holds the blocks it copied: handed back, the feeder would mix
// them again at once, a run before their sound is due. When it fills it lets go of as many as it
// is to copy. The sound the node takes is then as fresh as it can be. A run that comes early
// finds less, and the node keeps more ready from then on. In the default mode the pump fills up
// straight after each call.
static void pump() {
    bool holding = fillLate.load(std::memory_order_relaxed);
    if (holding)
        ringHoldTaken();
    else
        ringHandBackAtOnce();
    uint32_t written = sound.written.load(std::memory_order_relaxed);
    uint32_t taken = sound.read.load();
    int shortLooks = 0;
    double runStart = 0, lastCall = 0, period = 0;
    bool catchingUp = false;
    uint32_t runFrom = taken, runTook = 0; // where the last run began to take, and how much it took
    while (pumping.load(std::memory_order_acquire)) {
        double now = emscripten_get_now();
        uint32_t seen = sound.wake.load(std::memory_order_acquire);
        // The node's calls are timed by what they take: it also wakes the pump when it asks
        // for more to be kept ready, which is no call.
        uint32_t read = sound.read.load(std::memory_order_acquire);
        if (read != taken) {
            uint32_t before = taken;
            taken = read;
            // A run that comes late is the engine catching up after it stalled: it takes
            // another soon, sooner than the runs' period (calls that come sooner than half of it
            // are no run of their own). Until a run comes on time the pump fills up at once.
            if (now - lastCall > RunGapMilliseconds) {
                double since = now - runStart;
                catchingUp = period > 0 && (since < period / 2 || since > period * 5 / 4);
                if (since >= period / 2) {
                    if (runStart > 0 && since < 200)
                        period = period > 0 ? period + (since - period) / 8 : since;
                    runStart = now;
                    runTook = before - runFrom;
                    runFrom = before;
                }
            }
            lastCall = now;
        }
        // Until shortly before the next run, what a run like the last leaves is enough.
        double fillAt = runStart + period - std::max(FillMarginMilliseconds, period / 2);
        uint32_t ahead = sound.ahead.load(std::memory_order_relaxed);
        bool late = fillLate.load(std::memory_order_relaxed);
        ahead = std::min(late ? ahead + LowLatencyReserve : std::max(ahead, DefaultAhead),
                         SharedSamples - PumpSamples);
        late = late && period > 0 && now < fillAt && !catchingUp;
        if (late)
            ahead = std::min(ahead, std::max(QuantumSamples, ahead - std::min(ahead, runTook)));
        uint32_t ready = written - read;
        bool room = sound.attached.load(std::memory_order_acquire) && ready + PumpSamples <= ahead;
        if (room && holding) ringRelease((ahead - ready) / PumpSamples * PumpSamples * 2);
        // With less than a quantum ready and the blocks still short after two looks, the node
        // would run short at its next call anyway: what the blocks hold goes now (the last of
        // them as the program stops).
        if (room &&
            (ringQueuedBytes() >= PumpSamples * 2 || (ready < QuantumSamples && shortLooks >= 2))) {
            ringPlay(reinterpret_cast<uint8_t*>(sound.samples + written % SharedSamples),
                     PumpSamples * 2);
            written += PumpSamples;
            sound.written.store(written, std::memory_order_release);
            shortLooks = 0;
            continue;
        }
        // The feeder is mixing what is to come: a look again soon. Otherwise until the node's
        // next call, or the time to fill up.
        shortLooks += room;
        double wait = room ? 0.25 : late ? fillAt - now : 100;
        webWaitForWake(&sound.wake, seen, wait);
    }
    pumpEnded.store(true, std::memory_order_release);
}

static void stopPump() {
    if (!pumping.exchange(false)) return;
    sound.wake.fetch_add(1);
    webWake(&sound.wake);
    while (!pumpEnded.load(std::memory_order_acquire))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Whether the page will play through a worklet (page.js decides the same way).
static bool worklet() {
    return MAIN_THREAD_EM_ASM_INT({ return fretstrummerPage.hasWorklet() ? 1 : 0; }) != 0;
}

// In the low-latency mode the pump takes a whole run of the engine's at a fill, and holds the
// blocks it took until it fills again: as it may take up to four quanta of the program's
// samples at once, the program keeps that many blocks and more, so that one turn of the feeder
// mixes a run's sound.
static constexpr uint32_t PumpRunSamples = 4 * QuantumSamples;

uint32_t platformWaveDeviceBuffer(uint32_t) {
    askedSmall.store(true);
    return (worklet() ? PumpRunSamples : ScriptNodeSamples) * 2;
}

int platformWaveOpen(WaveDevice* handle, const PcmFormat* format) {
    if (deviceOpen.load()) return refuse("the audio output is open already"), 1;
    if (format->formatTag != 1 || format->bitsPerSample != 16 || format->channels != 1)
        return refuse("only mono 16-bit PCM plays"), 1;
    ringReset();
    openRate = format->samplesPerSecond;
    // With threads and a worklet the pump runs from now on, and waits for the page's node.
    sound.attached.store(0);
    sound.ahead.store(PumpAhead);
    sound.read.store(sound.written.load());
    fillLate.store(askedSmall.exchange(false));
    if (WebHasThreads && worklet()) {
        pumping.store(true);
        pumpEnded.store(false);
        if (!platformStartThread(pump)) return pumping.store(false), 1;
    }
    // Sound starts with the first touch, click or key: browsers allow no sooner.
    if (!MAIN_THREAD_EM_ASM_INT({ return fretstrummerPage.openAudio($0, $1, $2); },
                                format->samplesPerSecond, ScriptNodeSamples,
                                fillLate.load() ? 1 : 0)) {
        stopPump();
        return refuse("this browser has no Web Audio"), 1;
    }
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
    // Once the page has let its node go it pulls no more, and once the pump has ended it plays
    // no more: the blocks are free.
    MAIN_THREAD_EM_ASM({ fretstrummerPage.closeAudio(); });
    stopPump();
    ringDrop();
    return 0;
}

// The page's worklet node is made: where in the program's memory it reads the sound.
extern "C" EMSCRIPTEN_KEEPALIVE SharedSound* webAudioShared() {
    if (!pumping.load()) return nullptr;
    sound.attached.store(1, std::memory_order_release);
    sound.wake.fetch_add(1);
    webWake(&sound.wake);
    return &sound;
}

// The page asks for `count` samples (at most 4096): they are played from the blocks, and where
// the address returned points.
extern "C" EMSCRIPTEN_KEEPALIVE int16_t* webAudioPull(int count) {
    static int16_t samples[4096];
    if (count < 0 || count > 4096) count = 4096;
    // Firefox calls a ScriptProcessorNode in pairs, the second at once: the blocks the first
    // took must be back with the feeder by then. A call within a quarter of the node's period
    // of the one before is part of a burst; a device whose calls come in bursts again and again
    // calls in bursts, where one late call that the next catches up on (as in Chromium now and
    // then) does not make it one. Without threads the feeder takes its turn straight after each
    // call (below), bursts or not.
    static double lastCall;
    static int bursts;
    double now = emscripten_get_now();
    if (now - lastCall < 250.0 * count / openRate.load())
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
