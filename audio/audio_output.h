// audio_output.h -- the audio device, its two alternating blocks and the feeder thread.
#pragma once

#include "platform/platform.h"

#include <atomic>
#include <cstdint>

// The program's sound: mono, signed 16-bit samples, OutputRate a second, handed to the device
// in OutputBlockCount alternating blocks of OutputBlockSamples samples (about 23.2 ms each).
inline constexpr uint32_t OutputRate = 22050;
inline constexpr uint32_t OutputBlockSamples = 512;
inline constexpr uint32_t OutputBlockBytes = OutputBlockSamples * sizeof(int16_t);
inline constexpr int OutputBlockCount = 2;

// How the blocks go to the device. The default: two blocks of 512 samples, each mixed one
// block ahead, two to three block periods (46-70 ms) from a pluck to its sound. The
// low-latency mode: smaller blocks, each mixed when it comes back from the device, as many as
// keep a device that pulls its sound a buffer at a time from running short (three at least).
struct OutputLayout {
    uint32_t blockSamples;
    int blockCount;
    bool mixAhead;
};
inline constexpr OutputLayout DefaultLayout{OutputBlockSamples, OutputBlockCount, true};
inline constexpr OutputLayout LowLatencyLayout{64, 3, false};
inline constexpr int MostOutputBlocks = 20;
// The layout the next openAudio plays with: the default unless the low-latency mode was asked
// for before start-up. openAudio settles its block count.
extern OutputLayout PlayLayout;

// The format the device was opened with.
extern PcmFormat OutputFormat;
// Blocks A (0), B (1), ..., used in turn: A, B, A, B, ... by default.
extern WaveBlock OutputBlock[MostOutputBlocks];

// Written once each: by closeAudio, and by the feeder as its last act.
extern std::atomic<uint8_t> stopRequested;
extern std::atomic<uint8_t> feederStopped;

// Opens the device (channels must be 1, blockSize the bytes of PlayLayout's blocks), prepares
// its blocks, frees every voice and starts the feeder. 1 when the output runs; 0 on any
// failure, with whatever was acquired given back.
int openAudio(uint32_t channels, uint32_t rate, uint32_t blockSize);

// Stops the feeder, waits for it and for the last blocks (a few block periods at the most),
// then releases the device. Every voice is free afterwards. A device that does not close
// within a tenth of a second is left behind, with a line on stderr: the process can end anyway.
void closeAudio();

// The feeder thread's body.
void AudioFeeder();
