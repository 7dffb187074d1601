// The real SDL audio device, recorded through SDL's disk driver: a note started on a voice comes
// out sample for sample, without a gap.
#include "audio/audio_output.h"
#include "audio/voice_pool.h"
#include "platform/sdl/sdl_platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

TEST(SdlAudio, ANoteComesOutOfTheDeviceSampleExactAndWhole) {
    std::filesystem::path recording =
        std::filesystem::temp_directory_path() /
        ("fretstrummer-disk-" + std::to_string(std::random_device{}()) + ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", recording.c_str(), 1);
    ASSERT_EQ(openAudio(1, 22050, 1024), 1);

    // 0.2 s of a note that is never 0, so a gap of silence inside it would show.
    std::vector<int16_t> note(4410);
    for (size_t i = 0; i < note.size(); i++) note[i] = int16_t((i * 7919) % 20000 + 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    lockVoices();
    allocateVoice(note.data(), uint32_t(note.size() * 2));
    unlockVoices();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    closeAudio();
    EXPECT_EQ(feederStopped.load(), 1);

    std::ifstream in(recording, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::filesystem::remove(recording);
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    size_t start = 0;
    while (start < samples.size() && samples[start] == 0) start++;
    ASSERT_LT(start, samples.size()) << "the note never came out";
    ASSERT_GE(samples.size() - start, note.size());
    EXPECT_EQ(std::vector<int16_t>(samples.begin() + start, samples.begin() + start + note.size()),
              note);
    // Nothing but silence after it.
    for (size_t i = start + note.size(); i < samples.size(); i++) ASSERT_EQ(samples[i], 0) << i;
}

TEST(SdlAudio, AnUnopenableDeviceIsAFailureBeforeAnyThread) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(openAudio(1, 22050, 1024), 0);
    EXPECT_EQ(OutputBlock[0].buffer, nullptr);
    EXPECT_EQ(feederStopped.load(), 0);
}
