// The feeder and the two blocks, over the scripted wave device.
#include "assets/open_notes.h"
#include "audio/audio_output.h"
#include "audio/midi_out.h"
#include "audio/voice_pool.h"
#include "platform/scripted/scripted.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

struct AudioOutputTest : ::testing::Test {
    void SetUp() override { scriptedReset(); }
    void TearDown() override {
        scriptedHoldThreads(false);
        if (feederRunning()) closeAudio();
        scriptedReset();
        PlayLayout = DefaultLayout;
        MidiWanted = MidiChoice::Off;
        for (int& note : OpenNotes) note = -1;
    }
    static bool feederRunning() { return scriptedThreadsStarted() > 0 && !feederStopped.load(); }
};

// Waits (at most two seconds) until the device has had `count` blocks queued.
static bool waitQueued(size_t count) {
    auto deadline = std::chrono::steady_clock::now() + 2s;
    while (scriptedQueuedCount() < count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(100us);
    }
    return true;
}

// Plays the blocks one at a time, as a device would, until `count` were queued; the feeder
// queues `held` at once.
static std::vector<ScriptedBlock> runBlocks(size_t count, size_t held = OutputBlockCount) {
    for (size_t queued = held; queued < count; queued++) {
        EXPECT_TRUE(waitQueued(queued));
        scriptedPlayBlocks(1);
    }
    EXPECT_TRUE(waitQueued(count));
    return scriptedQueuedBlocks();
}

static std::vector<int16_t> rampNote(int samples) {
    std::vector<int16_t> note(samples);
    for (int i = 0; i < samples; i++) note[i] = int16_t(1 + i % 30000);
    return note;
}

// The samples a note adds to the blocks from `first` on.
static void expectNoteFrom(const std::vector<ScriptedBlock>& blocks, size_t first,
                           const std::vector<int16_t>& note) {
    size_t samples = blocks[0].samples.size();
    for (size_t b = 0; b < blocks.size(); b++)
        for (size_t i = 0; i < samples; i++) {
            size_t at = (b - first) * samples + i;
            int expected = b >= first && at < note.size() ? note[at] : 0;
            ASSERT_EQ(blocks[b].samples[i], expected) << "block " << b << " sample " << i;
        }
}

TEST_F(AudioOutputTest, OpensTheFormatAndAlternatesWholeSilentBlocks) {
    ASSERT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 1);
    std::vector<ScriptedBlock> blocks = runBlocks(12);
    ASSERT_EQ(blocks.size(), 12u);
    for (size_t i = 0; i < blocks.size(); i++) {
        EXPECT_EQ(blocks[i].which, i % 2 ? 'B' : 'A') << i;
        EXPECT_EQ(blocks[i].samples, std::vector<int16_t>(OutputBlockSamples, 0)) << i;
    }
    for (const Voice& voice : VoicePool) EXPECT_NE(voice.isFree.load(), 0);
}

TEST_F(AudioOutputTest, AVoiceStartedBeforeTheFirstMixSoundsFromBlockB) {
    scriptedHoldThreads(true);
    ASSERT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 1);
    std::vector<int16_t> note = rampNote(1500);
    lockVoices();
    allocateVoice(note.data(), 3000);
    unlockVoices();
    scriptedHoldThreads(false);
    std::vector<ScriptedBlock> blocks = runBlocks(6);
    expectNoteFrom(blocks, 1, note);
}

TEST_F(AudioOutputTest, ANoteSoundsSampleExactTwoToThreeBlocksAfterItStarts) {
    ASSERT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 1);
    runBlocks(5);
    std::vector<int16_t> note = rampNote(2000);
    lockVoices();
    allocateVoice(note.data(), 4000);
    unlockVoices();
    // Five blocks queued: the feeder is mixing, or has mixed, the sixth.
    std::vector<ScriptedBlock> blocks = runBlocks(12);
    size_t first = 0;
    while (first < blocks.size() && blocks[first].samples[0] == 0) first++;
    ASSERT_TRUE(first == 5 || first == 6) << first;
    expectNoteFrom(blocks, first, note);
}

TEST_F(AudioOutputTest, AStopAskedBeforeTheFeederRunsQueuesNothing) {
    scriptedHoldThreads(true);
    ASSERT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 1);
    stopRequested.store(1);
    scriptedHoldThreads(false);
    closeAudio();
    EXPECT_EQ(feederStopped.load(), 1);
    EXPECT_EQ(scriptedQueuedCount(), 0u);
}

TEST_F(AudioOutputTest, CloseStopsTheFeederFreesEveryVoiceAndReleasesTheDevice) {
    scriptedSetPlayback(ScriptedPlayback::RealTime);
    ASSERT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 1);
    std::vector<int16_t> note = rampNote(40000);
    lockVoices();
    for (int i = 0; i < 3; i++) allocateVoice(note.data(), 80000);
    unlockVoices();
    ASSERT_TRUE(waitQueued(6));
    closeAudio();
    EXPECT_EQ(feederStopped.load(), 1);
    for (const Voice& voice : VoicePool) EXPECT_NE(voice.isFree.load(), 0);
    EXPECT_EQ(scriptedHeldBlocks(), 0);
    EXPECT_EQ(OutputBlock[0].buffer, nullptr);
    EXPECT_EQ(OutputBlock[1].buffer, nullptr);
    // The device played the last blocks out: nothing was left queued when it closed.
    EXPECT_EQ(OutputBlock[0].flags.load() & WaveBlockQueued, 0u);
}

TEST_F(AudioOutputTest, CloseReturnsEvenWhenTheDeviceNeverHandsABlockBackOrNeverCloses) {
    ASSERT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 1);
    ASSERT_TRUE(waitQueued(2));
    auto start = std::chrono::steady_clock::now();
    closeAudio();
    // Its bound is seven block periods, about 163 ms; an unbounded wait would never return.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(feederStopped.load(), 1);
    EXPECT_EQ(scriptedHeldBlocks(), 0);
    EXPECT_EQ(scriptedCalls().back(), "waveClose");

    // A close that never returns is left behind with a line; the blocks stay with the device.
    scriptedReset();
    scriptedSetPlayback(ScriptedPlayback::Instant);
    ASSERT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 1);
    scriptedStallWaveClose(true);
    ::testing::internal::CaptureStderr();
    closeAudio();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Fretstrummer: the audio device did not close\n");
    EXPECT_EQ(feederStopped.load(), 1);
    EXPECT_EQ(scriptedCalls().back(), "waveClose");
    EXPECT_NE(OutputBlock[0].buffer, nullptr);
    scriptedStallWaveClose(false);
    for (WaveBlock& block : OutputBlock) std::free(block.buffer), block.buffer = nullptr;
}

TEST_F(AudioOutputTest, ARefusalGivesZeroBeforeAnyThreadAndGivesEverythingBack) {
    scriptedRefuseWaveOpen(true);
    EXPECT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 0);
    EXPECT_EQ(scriptedCalls(), std::vector<std::string>{"waveOpen 1 1 22050 44100 2 16 0"});

    for (int nth : {1, 2}) {
        scriptedReset();
        scriptedRefuseWavePrepare(nth);
        EXPECT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 0) << nth;
        EXPECT_EQ(scriptedThreadsStarted(), 0);
        EXPECT_EQ(scriptedCalls().back(), "waveClose") << nth;
        EXPECT_EQ(OutputBlock[0].buffer, nullptr);
        EXPECT_EQ(OutputBlock[1].buffer, nullptr);
    }

    scriptedReset();
    scriptedRefuseThreads(true);
    EXPECT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 0);
    EXPECT_EQ(scriptedCalls().back(), "waveClose");

    scriptedReset();
    EXPECT_EQ(openAudio(2, OutputRate, OutputBlockBytes), 0);
    EXPECT_EQ(openAudio(1, OutputRate, 2 * OutputBlockBytes), 0);
    EXPECT_TRUE(scriptedCalls().empty());
}

TEST_F(AudioOutputTest, LowLatencyBlocksAreSmallerTakenInTurnAndEachMixedAsItGoesOut) {
    PlayLayout = LowLatencyLayout;
    const uint32_t bytes = LowLatencyLayout.blockSamples * 2;
    scriptedHoldThreads(true);
    ASSERT_EQ(openAudio(1, OutputRate, bytes), 1);
    // The device is asked for a buffer of one block; it takes one, so three are queued.
    EXPECT_EQ(scriptedCalls(),
              (std::vector<std::string>{"waveDeviceBuffer " + std::to_string(bytes),
                                        "waveOpen 1 1 22050 44100 2 16 0", "wavePrepare A 32",
                                        "wavePrepare B 32", "wavePrepare C 32", "startThread"}));
    std::vector<int16_t> note = rampNote(300);
    lockVoices();
    allocateVoice(note.data(), 600);
    unlockVoices();
    scriptedHoldThreads(false);
    // Started before the first block went out: it sounds from that very block.
    std::vector<ScriptedBlock> blocks = runBlocks(9, 3);
    for (size_t i = 0; i < blocks.size(); i++) {
        EXPECT_EQ(blocks[i].which, "ABC"[i % 3]) << i;
        EXPECT_EQ(blocks[i].samples.size(), LowLatencyLayout.blockSamples) << i;
    }
    expectNoteFrom(blocks, 0, note);
    // Started while all three wait at the device: it sounds from the next block to go out.
    while (scriptedHeldBlocks() < 3) std::this_thread::sleep_for(100us);
    lockVoices();
    allocateVoice(note.data(), 600);
    unlockVoices();
    blocks = runBlocks(16, 9);
    std::vector<ScriptedBlock> later(blocks.begin() + 9, blocks.end());
    expectNoteFrom(later, 0, note);
}

// Where the device drives the feeder no thread starts, and the blocks go out in the thread's
// order: a pluck sounds from the very block the thread's order gives it, in either layout.
TEST_F(AudioOutputTest, WhereTheDeviceDrivesTheFeederTheBlocksGoOutInTheThreadsOrder) {
    std::vector<int16_t> note = rampNote(1500);
    auto pluck = [&note] {
        lockVoices();
        allocateVoice(note.data(), 3000);
        unlockVoices();
    };
    auto play = [](int blocks) {
        for (int i = 0; i < blocks; i++) ASSERT_EQ(scriptedPlayBlocks(1), 1) << i;
    };
    for (OutputLayout layout : {DefaultLayout, LowLatencyLayout}) {
        SCOPED_TRACE(layout.mixAhead ? "default" : "low-latency");
        scriptedReset();
        PlayLayout = layout;
        scriptedDriveFeeder(true);
        ASSERT_EQ(openAudio(1, OutputRate, layout.blockSamples * 2), 1);
        std::vector<std::string> calls = scriptedCalls();
        EXPECT_EQ(calls.back(), "waveDriveFeeder");
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "startThread"), 0);
        // Every block goes out at once; by default B's next round is mixed meanwhile.
        size_t count = layout.mixAhead ? 2 : 3;
        EXPECT_EQ(scriptedQueuedCount(), count);
        play(3);
        pluck();
        play(6);
        std::vector<ScriptedBlock> blocks = scriptedQueuedBlocks();
        ASSERT_EQ(blocks.size(), count + 9);
        for (size_t i = 0; i < blocks.size(); i++) EXPECT_EQ(blocks[i].which, "ABC"[i % count]);
        // By default the block mixed before the pluck goes out first; a low-latency block is
        // mixed as it goes out.
        expectNoteFrom(blocks, layout.mixAhead ? count + 4 : count + 3, note);
        closeAudio();
        EXPECT_EQ(scriptedCalls().back(), "waveClose");
        EXPECT_EQ(feederStopped.load(), 1);
        for (const Voice& voice : VoicePool) EXPECT_NE(voice.isFree.load(), 0);
    }
}

TEST_F(AudioOutputTest, PlucksGoOutAsMidiAndWithMidiAloneTheMixRunsUnheard) {
    ::testing::internal::CaptureStderr();
    MidiWanted = MidiChoice::Only;
    openMidi(); // the strings' notes are not known: no MIDI
    scriptedRefuseMidi(true);
    for (int s = 0; s < 6; s++) OpenNotes[s] = std::vector<int>{40, 45, 50, 55, 59, 64}[s];
    openMidi();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Fretstrummer: no MIDI: the Media folder's Notes.txt does not name the strings' "
              "notes\nFretstrummer: no MIDI: refused by the test's script\n");
    scriptedRefuseMidi(false);
    openMidi();

    // A channel per string, string 0 on channel 1; a pluck cuts the string's note before its
    // own; a note that plays out is ended; closing ends what still sounds.
    midiPluck(5, 0, OutputRate);
    midiPluck(5, 2, OutputRate / 100);
    std::this_thread::sleep_for(60ms);
    midiPluck(0, 3, OutputRate);
    closeMidi();
    EXPECT_EQ(scriptedMidi(), (std::vector<std::string>{"95 40 64", "85 40 00", "95 42 64",
                                                        "85 42 00", "90 2b 64", "80 2b 00"}));

    // The mix is made as always, and the device gets silence.
    ASSERT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 1);
    runBlocks(3);
    std::vector<int16_t> note = rampNote(600);
    lockVoices();
    Voice* voice = allocateVoice(note.data(), 1200);
    unlockVoices();
    std::vector<ScriptedBlock> blocks = runBlocks(8);
    for (const ScriptedBlock& block : blocks)
        for (int16_t sample : block.samples) ASSERT_EQ(sample, 0);
    EXPECT_EQ(voice->isFree.load(), 1) << "the note was never mixed";
}
