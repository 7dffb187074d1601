// platform.h -- the operating system's roles, in the program's own words.
// platform/sdl supplies them for the real program, platform/scripted for the tests; the choice
// is made at link time.
#pragma once

#include <atomic>
#include <cstdint>

// ---- The executable

// The executable's own full path, zero-terminated, into path (capacity bytes, terminator
// included). Returns its length, or 0 when the platform cannot tell or the path does not fit:
// a path is never cut short.
int platformExecutablePath(char* path, int capacity);

// ---- Wave output

// The published PCM format record.
struct PcmFormat {
    uint16_t formatTag; // 1: integer PCM
    uint16_t channels;
    uint32_t samplesPerSecond;
    uint32_t averageBytesPerSecond;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
};

// The 32-byte header of a block of sound handed to the device.
struct WaveBlock {
    uint8_t* buffer;
    uint32_t bufferLength;
    uint32_t bytesRecorded;
    uint32_t user;
    std::atomic<uint32_t> flags; // WaveBlockDone is the program's; the others the platform's
    uint32_t loops;
    uint32_t next;
};
static_assert(sizeof(WaveBlock) == 32);

inline constexpr uint32_t WaveBlockDone = 1;     // set by the device once it has played it
inline constexpr uint32_t WaveBlockPrepared = 2; // between prepare and unprepare
inline constexpr uint32_t WaveBlockQueued = 16;  // held by the device

using WaveDevice = uint32_t;

// Opens the default output for format. 0 means open, with *device written.
int platformWaveOpen(WaveDevice* device, const PcmFormat* format);
// Readies a block for the device (size: the header's, 32). 0 means prepared.
int platformWavePrepare(WaveDevice device, WaveBlock* block, uint32_t size);
// Queues a prepared block. Queued blocks play in order, straight after one another; each one's
// WaveBlockDone is set once the device has taken its last byte.
int platformWaveQueue(WaveDevice device, WaveBlock* block, uint32_t size);
// Undoes prepare; refused for a block the device still holds.
int platformWaveUnprepare(WaveDevice device, WaveBlock* block, uint32_t size);
// Closes the device. Once it returns, the device reads no block any more.
int platformWaveClose(WaveDevice device);

// ---- Threads

// Starts body on a thread of its own that nobody joins. 1 when it runs, 0 when refused.
int platformStartThread(void (*body)());
// Raises the calling thread to the highest priority the platform grants; a refusal changes
// nothing else.
void platformRaiseThreadPriority();
