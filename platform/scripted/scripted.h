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

// ---- Kept settings

// The folder platformSettingsPath names (nullptr: none, the default). Without one, files are
// kept in memory only; with one, they are also written there.
void scriptedSetSettingsFolder(const char* folder);
void scriptedRefuseReplaceFile(bool refuse);
// The bytes last written to path by platformReplaceFile ("" for none).
std::string scriptedSavedFile(const std::string& path);
// Every chord name shown so far, in order: "CODE NAME" ("49 Am", "49 " for none).
std::vector<std::string> scriptedChordNames();

// ---- MIDI

// Refuse the next MIDI opens. The opens and closes are recorded ("midiOpen -", "midiClose").
void scriptedRefuseMidi(bool refuse);
// Every MIDI message sent while open, in hex: "90 28 64".
std::vector<std::string> scriptedMidi();

// ---- The wave device

enum class ScriptedPlayback {
    Manual,   // queued blocks wait for scriptedPlayBlocks
    Instant,  // a queued block is played at once
    RealTime, // each held block played once its samples' time at the opened rate has passed
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
// The device drives the feeder (as a port without threads does) rather than the program
// starting a feeder thread: scriptedPlayBlocks then feeds the blocks it hands back. Manual
// playback only.
void scriptedDriveFeeder(bool drive);
// Refuse the next open; refuse the nth prepare from now (1 the next one, 0 none).
void scriptedRefuseWaveOpen(bool refuse);
void scriptedRefuseWavePrepare(int nth);
// While stalled, the device's close does not return (as a frozen sound server's).
void scriptedStallWaveClose(bool stall);

// ---- Threads

// While held, a started thread waits before running its body, until released.
void scriptedHoldThreads(bool hold);
void scriptedRefuseThreads(bool refuse);
int scriptedThreadsStarted();

// ---- The window and its messages

void scriptedRefuseClass(bool refuse);
void scriptedRefuseWindow(bool refuse);
void scriptedRefuseSurface(bool refuse);
// Whether the shell has its full-screen call ("fullScreen <window> <flags>" in the record).
void scriptedSetShellPresent(bool present);
// Messages the program will take, in order. When they run out, the quit message comes. Those
// posted before a pause are waiting already when the program starts: start-up's own message
// pumps take them. The rest come one by one as the event loop waits.
void scriptedPost(uint32_t message, uint32_t wParam, uint32_t lParam);
void scriptedPostStylus(uint32_t message, int x, int y);
void scriptedPostQuit();
void scriptedPostPause();
// Before the next message is taken (by the blocking get only), the device plays `count`
// blocks, each once the feeder has queued the one after it.
void scriptedPostDeviceBlocks(int count);
// The window's 240 x 320 pixels.
const uint8_t* scriptedWindowPixels();

// ---- A whole run, in a child process

// Where platformExitProcess writes what was recorded before it ends the process.
void scriptedSetRecordPath(const char* path);
struct ScriptedRecord {
    std::vector<std::string> calls;
    std::vector<ScriptedBlock> blocks;
    std::vector<uint8_t> pixels;
};
bool scriptedReadRecord(const char* path, ScriptedRecord* record);
