// wave_ring.cpp -- the blocks a pulling audio device plays, handed back as they finish.
#include "platform/shared/wave_ring.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

// Blocks waiting or playing, oldest first: a single-producer (the feeder), single-consumer (the
// callback) ring, with room for every block the program may have out (twenty at the most).
static constexpr uint32_t RingSize = 32;
static WaveBlock* ring[RingSize];
static std::atomic<uint32_t> ringHead, ringTail;
static uint32_t headOffset; // bytes of the oldest block already played; callback only
// The blocks whose last bytes the device took at its last call: they have been played once
// the device asks for more. Callback only, and ringDrop's once the device calls back no more.
static WaveBlock* playing[RingSize];
static int playingCount;
// Where the ring holds the blocks it has played (ringHoldTaken): `playing` holds them, oldest
// first, and `released` the ones ringRelease handed back that may not be queued again yet.
static bool holding;
static WaveBlock* released[RingSize];
static int releasedCount;
// Wakes the feeder when a block is handed back. The callback takes the lock only to order its
// notification after the waiter's last look at the flag, so no wake-up is lost.
static std::mutex handBackLock;
static std::condition_variable handedBack;
static std::atomic<bool> accepting;        // between ringReset and ringDrop
static bool atOnce;                        // callback only
static std::chrono::microseconds lateWait; // set before the device starts calling

void ringReset() {
    ringHead.store(0);
    ringTail.store(0);
    headOffset = 0;
    playingCount = 0;
    releasedCount = 0;
    atOnce = false;
    holding = false;
    lateWait = {};
    accepting.store(true);
}

void ringWaitWhenLate(uint32_t microseconds) {
    lateWait = std::chrono::microseconds(microseconds);
}

// Whether the feeder queued a block behind `head` within the wait allowed. It is polled, not
// waited on: the callback takes no lock the feeder may hold.
static bool feederCaughtUp(uint32_t head) {
    if (lateWait.count() == 0 || !accepting.load()) return false;
    auto deadline = std::chrono::steady_clock::now() + lateWait;
    while (ringTail.load(std::memory_order_acquire) == head) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return true;
}

void ringHandBackAtOnce() {
    atOnce = true;
}

int platformWavePrepare(WaveDevice, WaveBlock* block, uint32_t size) {
    if (!accepting.load() || size != sizeof(WaveBlock) || !block->buffer) return 1;
    block->flags.fetch_or(WaveBlockPrepared);
    return 0;
}

int platformWaveUnprepare(WaveDevice, WaveBlock* block, uint32_t) {
    if (block->flags.load() & WaveBlockQueued) return 1; // still playing
    block->flags.fetch_and(~WaveBlockPrepared);
    return 0;
}

int platformWaveQueue(WaveDevice, WaveBlock* block, uint32_t) {
    if (!accepting.load() || !(block->flags.load() & WaveBlockPrepared)) return 1;
    uint32_t tail = ringTail.load(std::memory_order_relaxed);
    if (tail - ringHead.load(std::memory_order_acquire) >= RingSize) return 1;
    block->flags.fetch_or(WaveBlockQueued, std::memory_order_relaxed);
    ring[tail % RingSize] = block;
    ringTail.store(tail + 1, std::memory_order_release);
    return 0;
}

static void handBack(WaveBlock* block) {
    block->flags.fetch_and(~WaveBlockQueued, std::memory_order_relaxed);
    block->flags.fetch_or(WaveBlockDone, std::memory_order_release);
    { std::lock_guard<std::mutex> ordered(handBackLock); }
    handedBack.notify_all();
}

int ringPlay(uint8_t* stream, int length) {
    if (!holding) {
        for (int i = 0; i < playingCount; i++) handBack(playing[i]);
        playingCount = 0;
    }
    while (length > 0) {
        uint32_t head = ringHead.load(std::memory_order_relaxed);
        if (head == ringTail.load(std::memory_order_acquire) && !feederCaughtUp(head)) {
            std::memset(stream, 0, static_cast<size_t>(length));
            return 1;
        }
        WaveBlock* block = ring[head % RingSize];
        uint32_t take = std::min(static_cast<uint32_t>(length), block->bufferLength - headOffset);
        std::memcpy(stream, block->buffer + headOffset, take);
        stream += take;
        length -= static_cast<int>(take);
        headOffset += take;
        if (headOffset == block->bufferLength) {
            // Its last byte is taken. The feeder gets the block back once it has played, so
            // that what it mixes next is as fresh as it can be; with nothing queued behind it,
            // at once, as the feeder is late or stopping; and at once for a device that calls
            // in bursts.
            headOffset = 0;
            ringHead.store(head + 1, std::memory_order_release);
            if (!holding && (atOnce || head + 1 == ringTail.load(std::memory_order_acquire)))
                handBack(block);
            else
                playing[playingCount++] = block;
        }
    }
    return 0;
}

void ringHoldTaken() {
    holding = true;
}

void ringRelease(uint32_t bytes) {
    // A released block is on its way until the feeder queues it again.
    uint32_t coming = ringQueuedBytes();
    int kept = 0;
    for (int i = 0; i < releasedCount; i++)
        if (!(released[i]->flags.load(std::memory_order_acquire) & WaveBlockQueued))
            coming += released[i]->bufferLength, released[kept++] = released[i];
    releasedCount = kept;
    int handed = 0;
    for (; handed < playingCount && coming < bytes; handed++) {
        WaveBlock* block = playing[handed];
        coming += block->bufferLength;
        released[releasedCount++] = block;
        handBack(block);
    }
    std::copy(playing + handed, playing + playingCount, playing);
    playingCount -= handed;
}

uint32_t ringQueuedBytes() {
    uint32_t bytes = 0, tail = ringTail.load(std::memory_order_acquire);
    for (uint32_t i = ringHead.load(std::memory_order_relaxed); i != tail; i++)
        bytes += ring[i % RingSize]->bufferLength;
    return bytes - (bytes ? headOffset : 0);
}

void platformWaveWait(WaveDevice, const WaveBlock* block, uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(handBackLock);
    handedBack.wait_for(lock, std::chrono::milliseconds(milliseconds),
                        [block] { return (block->flags.load() & WaveBlockDone) != 0; });
}

void ringDrop() {
    accepting.store(false);
    for (uint32_t i = ringHead.load(); i != ringTail.load(); i++)
        ring[i % RingSize]->flags.fetch_and(~WaveBlockQueued);
    ringHead.store(ringTail.load());
    for (int i = 0; i < playingCount; i++) playing[i]->flags.fetch_and(~WaveBlockQueued);
    playingCount = 0;
}
