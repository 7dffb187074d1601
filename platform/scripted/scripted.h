// scripted.h -- controls of the in-memory platform that the tests drive.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>
#include <vector>

// Puts every control and record back as at process start (devices closed, nothing refused).
void scriptedReset();

// Every platform call made so far, in order, with its values, e.g. "waveOpen 1 1 22050 44100 2
// 16 0", "wavePrepare A 32", "waveUnprepare A", "waveClose", "startThread". Queued blocks are
// recorded apart, in scriptedQueuedBlocks.
std::vector<std::string> scriptedCalls();

// ---- The executable

// The path platformExecutablePath reports from now on; nullptr makes it report none.
void scriptedSetExecutablePath(const char* path);

// ---- The wave device

enum class ScriptedPlayback {
    Manual,   // queued blocks wait for scriptedPlayBlocks
    Instant,  // a queued block is played at once
    RealTime, // one block every 512 / 22050 s
};
void scriptedSetPlayback(ScriptedPlayback playback);
// Plays the oldest `count` held blocks (their done flag set); returns how many it played.
int scriptedPlayBlocks(int count);
// Blocks the device holds now.
int scriptedHeldBlocks();
// Blocks queued so far: which one ('A' for the first prepared header, 'B' for the second) and
// the bytes it held when queued.
struct ScriptedBlock {
    char which;
    std::vector<int16_t> samples;
};
std::vector<ScriptedBlock> scriptedQueuedBlocks();
// How many blocks were queued, kept or not.
size_t scriptedQueuedCount();
// Whether queued blocks are kept (they are, until told otherwise).
void scriptedKeepBlocks(bool keep);
// Refuse the next open; refuse the nth prepare from now (1 the next one, 0 none).
void scriptedRefuseWaveOpen(bool refuse);
void scriptedRefuseWavePrepare(int nth);

// ---- Threads

// While held, a started thread waits before running its body, until released.
void scriptedHoldThreads(bool hold);
void scriptedRefuseThreads(bool refuse);
int scriptedThreadsStarted();
