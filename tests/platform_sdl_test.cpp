// The real platform's own-path role, on this very test program.
#include "audio/audio_output.h"
#include "platform/platform.h"
#include "platform/shared/wave_ring.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

TEST(PlatformExecutablePath, NamesThisProgramWholeOrNotAtAll) {
    char path[4200];
    int length = platformExecutablePath(path, sizeof path);
    ASSERT_GT(length, 0);
    std::filesystem::path self(path);
    EXPECT_EQ(int(std::string(path).size()), length);
    EXPECT_TRUE(self.is_absolute());
    EXPECT_EQ(self.filename(), "platform_sdl_tests");
    EXPECT_TRUE(std::filesystem::equivalent(self, "/proc/self/exe"));

    // A buffer one byte too small gets nothing rather than a cut path, and says it is too small.
    char tight[4200];
    EXPECT_EQ(platformExecutablePath(tight, length), -1);
    EXPECT_EQ(tight[0], '\0');
    EXPECT_EQ(platformExecutablePath(tight, length + 1), length);
}

// SIGTERM asks the program to quit; a second one, while it is still ending, ends it at once.
TEST(PlatformSignals, TheFirstQuitSignalIsAQuitMessageASecondEndsTheProcess) {
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    pid_t child = fork();
    if (child == 0) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        WindowClass windowClass{};
        if (!platformRegisterClass(&windowClass)) _exit(2);
        raise(SIGTERM);
        Message message{};
        char seen = platformPeekMessage(&message, 1) && message.message == MsgQuit ? 'q' : '-';
        if (write(report[1], &seen, 1) != 1) _exit(3);
        raise(SIGINT);
        _exit(4); // not reached
    }
    close(report[1]);
    char seen = 0;
    EXPECT_EQ(read(report[0], &seen, 1), 1);
    EXPECT_EQ(seen, 'q');
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    close(report[0]);
}

// A sound server is asked to keep the device buffer, rounded up to whole milliseconds, and 18 ms
// more; a player's own PULSE_LATENCY_MSEC stands.
TEST(PlatformWaveOpen, AsksASoundServerForTheDeviceBufferAndAMargin) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    PcmFormat format{1, 1, OutputRate, OutputRate * 2, 2, 16, 0};
    auto requested = [&format](uint32_t deviceBytes) {
        platformWaveDeviceBuffer(deviceBytes);
        WaveDevice device{};
        if (platformWaveOpen(&device, &format) != 0) return std::string("not opened");
        platformWaveClose(device);
        const char* latency = getenv("PULSE_LATENCY_MSEC");
        return std::string(latency ? latency : "unset");
    };
    unsetenv("PULSE_LATENCY_MSEC");
    EXPECT_EQ(requested(512), "29"); // 256 samples: 11.6 ms
    unsetenv("PULSE_LATENCY_MSEC");
    EXPECT_EQ(requested(128), "20"); // the low-latency mode's 64 samples: 2.9 ms
    setenv("PULSE_LATENCY_MSEC", "45", 1);
    EXPECT_EQ(requested(512), "45");
    unsetenv("PULSE_LATENCY_MSEC");
}

// The ring hands a block back at the device's next call, once it has played; for a device that
// calls in bursts, as soon as its last byte is taken; for a device that holds the blocks it has
// copied, when it releases them, as many as it asks for, counting those still on their way back
// to the queue. Each call plays the blocks' bytes in turn, and what is queued and not yet taken
// is counted.
TEST(WaveRing, HandsABlockBackAtTheNextCallAtOnceOrWhenTheDeviceReleasesIt) {
    uint8_t bytes[3][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}};
    WaveBlock blocks[3]{};
    auto done = [&blocks] {
        std::string flags;
        for (const WaveBlock& block : blocks)
            flags += block.flags.load() & WaveBlockDone ? 'D' : '-';
        return flags;
    };
    // What is handed back after each of three calls, by way of handing back.
    for (std::string way : {"next call:---,D-D,DDD", "at once:D--,DDD,DDD", "held:---,---,---"}) {
        SCOPED_TRACE(way);
        ringReset();
        if (way.starts_with("at once")) ringHandBackAtOnce();
        if (way.starts_with("held")) ringHoldTaken();
        for (int i = 0; i < 3; i++) {
            blocks[i].buffer = bytes[i];
            blocks[i].bufferLength = 4;
            blocks[i].flags.store(0);
            ASSERT_EQ(platformWavePrepare(1, &blocks[i], sizeof(WaveBlock)), 0);
            ASSERT_EQ(platformWaveQueue(1, &blocks[i], sizeof(WaveBlock)), 0);
        }
        std::string expected = way.substr(way.find(':') + 1);
        uint8_t out[6];
        EXPECT_EQ(ringQueuedBytes(), 12u);
        EXPECT_EQ(ringPlay(out, 6), 0);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(done(), expected.substr(0, 3));
        EXPECT_EQ(ringQueuedBytes(), 6u); // half the second block, and the third
        EXPECT_EQ(ringPlay(out, 6), 0);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{7, 8, 9, 10, 11, 12}));
        EXPECT_EQ(ringQueuedBytes(), 0u);
        // The last block, with nothing behind it, comes back at once unless held.
        EXPECT_EQ(done(), expected.substr(4, 3));
        EXPECT_EQ(ringPlay(out, 2), 1); // run out: silence
        EXPECT_EQ(done(), expected.substr(8, 3));
        if (way.starts_with("held")) {
            ringRelease(4);
            EXPECT_EQ(done(), "D--");
            ringRelease(4); // the first is on its way back: enough
            EXPECT_EQ(done(), "D--");
            blocks[0].flags.fetch_and(~WaveBlockDone); // the feeder queues it again
            ASSERT_EQ(platformWaveQueue(1, &blocks[0], sizeof(WaveBlock)), 0);
            ringRelease(12);
            EXPECT_EQ(done(), "-DD");
        }
        ringDrop();
    }
    // A call that finds the blocks run out, where the device lets it wait, waits for the
    // feeder's next and plays it on; without the feeder, silence once the wait is over.
    ringReset();
    ringWaitWhenLate(10000000);
    for (WaveBlock& block : blocks) block.flags.store(0);
    ASSERT_EQ(platformWavePrepare(1, &blocks[0], sizeof(WaveBlock)), 0);
    ASSERT_EQ(platformWavePrepare(1, &blocks[1], sizeof(WaveBlock)), 0);
    ASSERT_EQ(platformWaveQueue(1, &blocks[0], sizeof(WaveBlock)), 0);
    std::thread feeder([&] {
        platformWaveWait(1, &blocks[0], 10000);
        platformWaveQueue(1, &blocks[1], sizeof(WaveBlock));
    });
    uint8_t out[8];
    EXPECT_EQ(ringPlay(out, 8), 0);
    feeder.join();
    EXPECT_EQ(std::vector<uint8_t>(out, out + 8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    ringWaitWhenLate(1000);
    EXPECT_EQ(ringPlay(out, 2), 1);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 2), (std::vector<uint8_t>{0, 0}));
    ringDrop();
}
