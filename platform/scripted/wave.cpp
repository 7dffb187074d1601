// wave.cpp -- the scripted wave device: records every queued block and plays when told to.
#include "platform/platform.h"
#include "platform/scripted/scripted.h"
#include "platform/scripted/scripted_internal.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>

static bool deviceOpen = false;
static bool refuseOpen = false;
static int refusePrepareCountdown = 0;
static ScriptedPlayback playback = ScriptedPlayback::Manual;
static std::vector<const WaveBlock*> headers; // in the order first prepared: A, B
static std::deque<WaveBlock*> held;
static std::vector<ScriptedBlock> queued;
static std::thread realTimeDevice;
static bool realTimeRunning = false;
static bool keepBlocks = true;
static size_t queuedCount = 0;
static std::condition_variable handedBack; // with scriptedMutex
static bool stallClose = false;
static int closing = 0;                   // closes under way
static std::condition_variable closeGate; // with scriptedMutex
static bool driveFeeder = false;
static void (*drivenFeed)() = nullptr; // what scriptedPlayBlocks calls after handing back

static char nameOf(const WaveBlock* block) {
    for (size_t i = 0; i < headers.size(); i++)
        if (headers[i] == block) return static_cast<char>('A' + i);
    return '?';
}

// scriptedMutex held.
static int playHeld(int count) {
    int played = 0;
    while (played < count && !held.empty()) {
        WaveBlock* block = held.front();
        held.pop_front();
        block->flags.fetch_and(~WaveBlockQueued, std::memory_order_acq_rel);
        block->flags.fetch_or(WaveBlockDone, std::memory_order_release);
        played++;
    }
    if (played) handedBack.notify_all();
    return played;
}

// The rate the device was opened at, for the real-time player.
static uint32_t openRate = 1;

static void runRealTime() {
    using namespace std::chrono;
    auto next = steady_clock::now();
    for (;;) {
        // Each block takes as long to play as its samples last at the device's rate; with none
        // held, the device waits a millisecond and looks again.
        uint32_t samples = 0;
        {
            std::lock_guard<std::mutex> guard(scriptedMutex);
            if (!realTimeRunning) return;
            if (!held.empty()) samples = held.front()->bufferLength / 2;
        }
        next += samples ? microseconds(1000000LL * samples / openRate) : milliseconds(1);
        std::this_thread::sleep_until(next);
        std::lock_guard<std::mutex> guard(scriptedMutex);
        if (!realTimeRunning) return;
        if (samples)
            playHeld(1);
        else
            next = steady_clock::now();
    }
}

// Stops the real-time player; scriptedMutex not held.
static void stopRealTime() {
    {
        std::lock_guard<std::mutex> guard(scriptedMutex);
        realTimeRunning = false;
    }
    if (realTimeDevice.joinable()) realTimeDevice.join();
}

void scriptedSetPlayback(ScriptedPlayback mode) {
    stopRealTime();
    std::lock_guard<std::mutex> guard(scriptedMutex);
    playback = mode;
    if (mode == ScriptedPlayback::Instant) playHeld(static_cast<int>(held.size()));
    if (mode == ScriptedPlayback::RealTime && deviceOpen) {
        realTimeRunning = true;
        realTimeDevice = std::thread(runRealTime);
    }
}

int scriptedPlayBlocks(int count) {
    void (*feed)() = nullptr;
    int played = 0;
    {
        std::lock_guard<std::mutex> guard(scriptedMutex);
        played = playHeld(count);
        feed = drivenFeed;
    }
    // The feed queues blocks again, which takes the lock.
    if (played && feed) feed();
    return played;
}

void scriptedDriveFeeder(bool drive) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    driveFeeder = drive;
}

int scriptedHeldBlocks() {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    return static_cast<int>(held.size());
}

std::vector<ScriptedBlock> scriptedQueuedBlocks() {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    return queued;
}

size_t scriptedQueuedCount() {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    return queuedCount;
}

void scriptedKeepBlocks(bool keep) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    keepBlocks = keep;
}

void scriptedRefuseWaveOpen(bool refuse) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    refuseOpen = refuse;
}

void scriptedRefuseWavePrepare(int nth) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    refusePrepareCountdown = nth;
}

void scriptedStallWaveClose(bool stall) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    stallClose = stall;
    closeGate.notify_all();
}

void scriptedResetWave() {
    stopRealTime();
    std::unique_lock<std::mutex> lock(scriptedMutex);
    // A close left behind by a stall finishes before the next test opens the device.
    stallClose = false;
    closeGate.notify_all();
    closeGate.wait(lock, [] { return closing == 0; });
    deviceOpen = refuseOpen = false;
    refusePrepareCountdown = 0;
    playback = ScriptedPlayback::Manual;
    headers.clear();
    held.clear();
    queued.clear();
    queuedCount = 0;
    keepBlocks = true;
    driveFeeder = false;
    drivenFeed = nullptr;
}

uint32_t platformWaveDeviceBuffer(uint32_t bytes) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("waveDeviceBuffer " + std::to_string(bytes));
    return bytes;
}

int platformWaveOpen(WaveDevice* device, const PcmFormat* f) {
    {
        std::lock_guard<std::mutex> guard(scriptedMutex);
        scriptedRecord("waveOpen " + std::to_string(f->formatTag) + " " +
                       std::to_string(f->channels) + " " + std::to_string(f->samplesPerSecond) +
                       " " + std::to_string(f->averageBytesPerSecond) + " " +
                       std::to_string(f->blockAlign) + " " + std::to_string(f->bitsPerSample) +
                       " " + std::to_string(f->extraSize));
        if (refuseOpen || deviceOpen) return 1;
        deviceOpen = true;
        openRate = f->samplesPerSecond ? f->samplesPerSecond : 1;
        *device = 1;
    }
    if (playback == ScriptedPlayback::RealTime) scriptedSetPlayback(playback);
    return 0;
}

int platformWavePrepare(WaveDevice, WaveBlock* block, uint32_t size) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    bool known = nameOf(block) != '?';
    if (!known) headers.push_back(block);
    scriptedRecord(std::string("wavePrepare ") + nameOf(block) + " " + std::to_string(size));
    if (refusePrepareCountdown > 0 && --refusePrepareCountdown == 0) return 1;
    if (!deviceOpen || size != sizeof(WaveBlock)) return 1;
    block->flags.fetch_or(WaveBlockPrepared);
    return 0;
}

int platformWaveQueue(WaveDevice, WaveBlock* block, uint32_t) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    if (!deviceOpen || !(block->flags.load() & WaveBlockPrepared)) return 1;
    const int16_t* samples = reinterpret_cast<const int16_t*>(block->buffer);
    if (keepBlocks)
        queued.push_back(
            {nameOf(block), std::vector<int16_t>(samples, samples + block->bufferLength / 2)});
    queuedCount++;
    block->flags.fetch_or(WaveBlockQueued);
    held.push_back(block);
    if (playback == ScriptedPlayback::Instant) playHeld(1);
    return 0;
}

void platformWaveWait(WaveDevice, const WaveBlock* block, uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(scriptedMutex);
    handedBack.wait_for(lock, std::chrono::milliseconds(milliseconds),
                        [block] { return (block->flags.load() & WaveBlockDone) != 0; });
}

int platformWaveUnprepare(WaveDevice, WaveBlock* block, uint32_t) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord(std::string("waveUnprepare ") + nameOf(block));
    if (block->flags.load() & WaveBlockQueued) return 1; // still playing
    block->flags.fetch_and(~WaveBlockPrepared);
    return 0;
}

int platformWaveClose(WaveDevice) {
    stopRealTime();
    std::unique_lock<std::mutex> lock(scriptedMutex);
    scriptedRecord("waveClose");
    closing++;
    closeGate.wait(lock, [] { return !stallClose; });
    closing--;
    closeGate.notify_all();
    // A closed device lets go of what it held, unplayed.
    for (WaveBlock* block : held) block->flags.fetch_and(~WaveBlockQueued);
    held.clear();
    deviceOpen = false;
    drivenFeed = nullptr;
    return 0;
}

// Recorded only where the device drives the feeder, so that a port's usual calls read as ever.
int platformWaveDriveFeeder(WaveDevice, void (*feed)()) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    if (!driveFeeder) return 0;
    scriptedRecord("waveDriveFeeder");
    drivenFeed = feed;
    return 1;
}
