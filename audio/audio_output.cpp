// audio_output.cpp -- keeps the blocks going to the device: by default two, each mixed one block
// ahead; in the low-latency mode smaller ones, each mixed when it comes back.
#include "audio/audio_output.h"

#include "audio/midi_out.h"
#include "audio/voice_pool.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

PcmFormat OutputFormat;
WaveBlock OutputBlock[MostOutputBlocks];
OutputLayout PlayLayout = DefaultLayout;
std::atomic<uint8_t> stopRequested;
std::atomic<uint8_t> feederStopped;

static WaveDevice outputDevice;
// Scratch A feeds block A, scratch B block B, and so on. Static, so the feeder has no failure
// path and allocates nothing.
alignas(16) static int16_t scratch[MostOutputBlocks][OutputBlockSamples];
// The layout the device was opened with, its block count settled.
static OutputLayout playing;

// How long closeAudio waits for the feeder to stop, and then for the last blocks to play out,
// before it closes the device regardless: a device that stops handing blocks back (a sound
// server that has not started playing yet, or has frozen) never keeps the program alive. In
// periods of the default block, whatever the layout.
static constexpr int FeederStopBlockPeriods = 4;
static constexpr int PlayOutBlockPeriods = 3;
// How long the device's own close may take before the program ends without it. A sound server
// that has frozen, or a driver writing into a pipe nobody reads, can keep it for ever.
static constexpr int DeviceCloseMilliseconds = 100;
static std::atomic<uint8_t> deviceClosed;

static void closeDevice() {
    platformWaveClose(outputDevice);
    deviceClosed.store(1, std::memory_order_release);
}

static bool isDone(const WaveBlock& block) {
    return (block.flags.load(std::memory_order_acquire) & WaveBlockDone) != 0;
}

// How long one wait for a done flag may last. The device ends the wait when it hands the block
// back, well within a block period; the limit only bounds how late a stop is seen when the
// device has stalled, and keeps an idle feeder from waking more than once per block.
static constexpr uint32_t BlockWaitMilliseconds = 50;

// 1 once the device has handed the block back; 0 if a stop was asked for meanwhile.
static int waitForBlock(const WaveBlock& block) {
    while (!isDone(block)) {
        if (stopRequested.load(std::memory_order_acquire)) return 0;
        platformWaveWait(outputDevice, &block, BlockWaitMilliseconds);
    }
    return 1;
}

static void refillAndQueue(int which) {
    WaveBlock& block = OutputBlock[which];
    block.flags.fetch_and(~WaveBlockDone, std::memory_order_acq_rel);
    // With MIDI alone the mix is made as always and not heard.
    if (midiOnly())
        std::memset(block.buffer, 0, block.bufferLength);
    else
        std::memcpy(block.buffer, scratch[which], block.bufferLength);
    platformWaveQueue(outputDevice, &block, sizeof(WaveBlock));
}

static void mix(int which) {
    std::memset(scratch[which], 0, OutputBlock[which].bufferLength);
    lockVoices();
    mixVoices(scratch[which], OutputBlock[which].bufferLength);
    unlockVoices();
}

// Where the device drives the feeder (a platform without threads), the block it waits for next.
static bool feederDriven;
static int feederNext;

// Every block starts as handed back, so the first wait for each passes at once.
static void startFeeding() {
    std::memset(scratch[0], 0, OutputBlock[0].bufferLength);
    for (int i = 0; i < playing.blockCount; i++)
        OutputBlock[i].flags.fetch_or(WaveBlockDone, std::memory_order_acq_rel);
    feederNext = 0;
}

// One turn of the feeder for a block handed back. By default: queue A, mix B; queue B, mix A.
// In the low-latency mode a block is mixed when it comes back, and queued at once. 0 when the
// round is over and a stop was asked for.
static int feedBlock(int which) {
    int count = playing.blockCount;
    if (!playing.mixAhead) mix(which);
    refillAndQueue(which);
    if (playing.mixAhead) mix((which + 1) % count);
    return !(which == count - 1 && stopRequested.load(std::memory_order_acquire));
}

void AudioFeeder() {
    platformRaiseThreadPriority();
    startFeeding();
    if (!stopRequested.load(std::memory_order_acquire)) {
        for (int which = 0;; which = (which + 1) % playing.blockCount)
            if (!waitForBlock(OutputBlock[which]) || !feedBlock(which)) break;
    }
    feederStopped.store(1, std::memory_order_release);
}

// The feeder's turns as a device that drives it calls for them: every block handed back, in
// the same order as the thread's, on the thread the device calls from.
static void feedHandedBack() {
    while (!feederStopped.load(std::memory_order_acquire)) {
        if (!isDone(OutputBlock[feederNext])) {
            if (stopRequested.load(std::memory_order_acquire))
                feederStopped.store(1, std::memory_order_release);
            return;
        }
        int which = feederNext;
        feederNext = (which + 1) % playing.blockCount;
        if (!feedBlock(which)) feederStopped.store(1, std::memory_order_release);
    }
}

// Undoes what openAudio got so far: the first `prepared` blocks and the device.
static void giveBack(int prepared) {
    for (int i = 0; i < prepared; i++) {
        platformWaveUnprepare(outputDevice, &OutputBlock[i], sizeof(WaveBlock));
        std::free(OutputBlock[i].buffer);
        OutputBlock[i].buffer = nullptr;
    }
    platformWaveClose(outputDevice);
}

int openAudio(uint32_t channels, uint32_t rate, uint32_t blockSize) {
    // The mixer makes mono samples, and the feeder's scratch blocks hold at most
    // OutputBlockSamples.
    playing = PlayLayout;
    if (channels != 1 || blockSize != playing.blockSamples * sizeof(int16_t) ||
        playing.blockSamples > OutputBlockSamples || playing.blockCount > MostOutputBlocks)
        return 0;
    OutputFormat.formatTag = 1;
    OutputFormat.channels = static_cast<uint16_t>(channels);
    OutputFormat.samplesPerSecond = rate;
    OutputFormat.averageBytesPerSecond = channels * 16 * rate / 8;
    OutputFormat.blockAlign = static_cast<uint16_t>(channels * 16 / 8);
    OutputFormat.bitsPerSample = 16;
    OutputFormat.extraSize = 0;
    stopRequested.store(0);
    feederStopped.store(0);

    // Small blocks: a device that pulls its sound a buffer at a time is asked for a buffer of
    // one block. It hands the blocks of one pull back at its next, so twice what it takes at
    // once is queued, and a block more to mix meanwhile.
    if (!playing.mixAhead) {
        uint32_t pulled = platformWaveDeviceBuffer(blockSize);
        int cover = 2 * static_cast<int>((pulled + blockSize - 1) / blockSize) + 1;
        playing.blockCount = std::min(MostOutputBlocks, std::max(playing.blockCount, cover));
    }
    if (platformWaveOpen(&outputDevice, &OutputFormat) != 0) return 0;
    for (int i = 0; i < playing.blockCount; i++) {
        WaveBlock& block = OutputBlock[i];
        block.bufferLength = blockSize;
        block.bytesRecorded = 0;
        block.user = 0;
        block.loops = 0;
        block.next = 0;
        block.buffer = static_cast<uint8_t*>(std::calloc(blockSize, 1));
        block.flags.store(WaveBlockDone);
        if (!block.buffer || platformWavePrepare(outputDevice, &block, sizeof(WaveBlock)) != 0) {
            std::free(block.buffer);
            block.buffer = nullptr;
            giveBack(i);
            return 0;
        }
    }
    for (Voice& voice : VoicePool) stopVoice(&voice);
    // Without threads the device feeds the blocks as it hands them back, starting now.
    feederDriven = platformWaveDriveFeeder(outputDevice, feedHandedBack) != 0;
    if (feederDriven) {
        startFeeding();
        feedHandedBack();
    } else if (!platformStartThread(AudioFeeder)) {
        giveBack(playing.blockCount);
        return 0;
    }
    return 1;
}

void closeAudio() {
    using Clock = std::chrono::steady_clock;
    stopRequested.store(1, std::memory_order_release);
    // Whatever the feeder still mixes is silence.
    for (Voice& voice : VoicePool) stopVoice(&voice);

    uint32_t rate = OutputFormat.samplesPerSecond ? OutputFormat.samplesPerSecond : OutputRate;
    auto blockPeriods = [rate](int count) {
        return std::chrono::microseconds(1000000LL * count * OutputBlockSamples / rate);
    };
    WaveBlock* used = OutputBlock + playing.blockCount;
    Clock::time_point deadline = Clock::now() + blockPeriods(FeederStopBlockPeriods);
    auto waitFor = [&](auto ready) {
        while (!ready()) {
            if (Clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    };
    // A driven feeder takes its turns on this thread, between the program's messages: it has
    // none left, and the device plays nothing while this thread waits.
    if (feederDriven) feederStopped.store(1, std::memory_order_release);
    bool stopped = waitFor([] { return feederStopped.load(std::memory_order_acquire) != 0; });
    // The device plays out the last blocks the feeder queued.
    deadline = Clock::now() + blockPeriods(PlayOutBlockPeriods);
    if (stopped && !feederDriven)
        waitFor([used] { return std::all_of(OutputBlock, used, isDone); });

    for (WaveBlock* block = OutputBlock; block != used; block++)
        platformWaveUnprepare(outputDevice, block, sizeof(WaveBlock));
    // The close runs beside this thread, which waits for it only so long.
    deviceClosed.store(0, std::memory_order_release);
    if (!platformStartThread(closeDevice)) closeDevice();
    deadline = Clock::now() + std::chrono::milliseconds(DeviceCloseMilliseconds);
    if (!waitFor([] { return deviceClosed.load(std::memory_order_acquire) != 0; })) {
        // Nothing is lost: the program keeps no state. The device may still read the blocks,
        // so they are left to the end of the process.
        std::fprintf(stderr, "Fretstrummer: the audio device did not close\n");
        return;
    }
    // A closed device reads no block; a feeder that never answered still might, so then the
    // buffers are left to the end of the process.
    if (stopped) {
        for (WaveBlock* block = OutputBlock; block != used; block++) {
            std::free(block->buffer);
            block->buffer = nullptr;
        }
    }
}
