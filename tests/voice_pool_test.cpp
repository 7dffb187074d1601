// Voice allocation and the clamped mix, in both of its paths.
#include "audio/audio_output.h"
#include "audio/voice_pool.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

struct VoicePoolTest : ::testing::Test {
    void SetUp() override {
        for (Voice& voice : VoicePool) stopVoice(&voice);
    }
    void TearDown() override { SetUp(); }
};

static std::vector<int16_t> filled(size_t samples, int value) {
    return std::vector<int16_t>(samples, int16_t(value));
}

TEST_F(VoicePoolTest, AllocatesTheLowestFreeVoiceAndNoneWhenAllSound) {
    std::vector<int16_t> note = filled(8, 1);
    for (int i = 0; i < VoiceCount; i++) {
        Voice* voice = allocateVoice(note.data(), 16);
        ASSERT_EQ(voice, &VoicePool[i]);
        EXPECT_EQ(voice->position, 0u);
        EXPECT_EQ(voice->length, 16u);
    }
    VoicePool[9].position = 6;
    EXPECT_EQ(allocateVoice(nullptr, 99), nullptr);
    EXPECT_EQ(VoicePool[9].data, note.data());
    EXPECT_EQ(VoicePool[9].length, 16u);
    EXPECT_EQ(VoicePool[9].position, 6u);
    // A voice stopped just before is handed out again at once.
    stopVoice(&VoicePool[9]);
    EXPECT_EQ(allocateVoice(note.data(), 4), &VoicePool[9]);
    EXPECT_EQ(VoicePool[9].position, 0u);
}

TEST_F(VoicePoolTest, ClampsAfterEveryVoiceInBothPaths) {
    for (uint32_t bytes : {OutputBlockBytes, 200u}) {
        SCOPED_TRACE(bytes);
        std::vector<int16_t> one = filled(OutputBlockSamples, 1),
                             minusOne = filled(OutputBlockSamples, -1);
        std::vector<int16_t> block = filled(OutputBlockSamples, 32767);
        allocateVoice(one.data(), bytes);
        mixVoices(block.data(), OutputBlockBytes);
        EXPECT_EQ(block[0], 32767);
        EXPECT_EQ(block[bytes / 2 - 1], 32767);

        block = filled(OutputBlockSamples, -32768);
        allocateVoice(minusOne.data(), bytes);
        mixVoices(block.data(), OutputBlockBytes);
        EXPECT_EQ(block[bytes / 2 - 1], -32768);

        // 32767 + 32767 stops at 32767, and then -32768 leaves -1, not the plain sum 32766.
        std::vector<int16_t> high = filled(OutputBlockSamples, 32767),
                             low = filled(OutputBlockSamples, -32768);
        allocateVoice(high.data(), bytes);
        allocateVoice(high.data(), bytes);
        allocateVoice(low.data(), bytes);
        block = filled(OutputBlockSamples, 0);
        mixVoices(block.data(), OutputBlockBytes);
        EXPECT_EQ(block[0], -1);
        EXPECT_EQ(block[bytes / 2 - 1], -1);
        if (bytes < OutputBlockBytes) {
            EXPECT_EQ(block[bytes / 2], 0);
        }
        for (const Voice& voice : VoicePool) EXPECT_NE(voice.isFree.load(), 0);
    }
}

TEST_F(VoicePoolTest, PlaysANoteInWholeBlocksThenItsRestThenFreesIt) {
    std::vector<int16_t> note(OutputBlockBytes);
    for (uint32_t i = 0; i < OutputBlockBytes; i++) note[i] = int16_t(i + 1);
    std::vector<int16_t> block(OutputBlockSamples);

    Voice* voice = allocateVoice(note.data(), OutputBlockBytes + 476);
    mixVoices(block.data(), OutputBlockBytes);
    EXPECT_EQ(block[0], 1);
    EXPECT_EQ(block[OutputBlockSamples - 1], int16_t(OutputBlockSamples));
    EXPECT_EQ(voice->position, OutputBlockBytes);
    EXPECT_EQ(voice->isFree.load(), 0);
    block.assign(OutputBlockSamples, 0);
    mixVoices(block.data(), OutputBlockBytes);
    EXPECT_EQ(block[0], 513);
    EXPECT_EQ(block[237], 750);
    EXPECT_EQ(block[238], 0);
    EXPECT_EQ(voice->position, 1500u);
    EXPECT_NE(voice->isFree.load(), 0);

    // OutputBlockBytes + 1 bytes: the odd last byte is never heard.
    voice = allocateVoice(note.data(), 1025);
    block.assign(OutputBlockSamples, 0);
    mixVoices(block.data(), OutputBlockBytes);
    block.assign(OutputBlockSamples, 0);
    mixVoices(block.data(), OutputBlockBytes);
    EXPECT_EQ(block, std::vector<int16_t>(OutputBlockSamples, 0));
    EXPECT_NE(voice->isFree.load(), 0);

    // A whole block of exactly OutputBlockBytes bytes is freed in the call that plays it.
    voice = allocateVoice(note.data(), OutputBlockBytes);
    mixVoices(block.data(), OutputBlockBytes);
    EXPECT_NE(voice->isFree.load(), 0);

    // An empty note is freed by the next call and adds nothing.
    voice = allocateVoice(note.data(), 0);
    block.assign(OutputBlockSamples, 0);
    mixVoices(block.data(), OutputBlockBytes);
    EXPECT_EQ(block, std::vector<int16_t>(OutputBlockSamples, 0));
    EXPECT_NE(voice->isFree.load(), 0);
}

TEST_F(VoicePoolTest, AStoppedVoiceIsSkippedAndKeepsItsPosition) {
    std::vector<int16_t> note = filled(2048, 100);
    Voice* voice = allocateVoice(note.data(), 4096);
    std::vector<int16_t> block(OutputBlockSamples);
    mixVoices(block.data(), OutputBlockBytes);
    stopVoice(voice);
    block.assign(OutputBlockSamples, 0);
    mixVoices(block.data(), OutputBlockBytes);
    EXPECT_EQ(block, std::vector<int16_t>(OutputBlockSamples, 0));
    EXPECT_EQ(voice->position, OutputBlockBytes);
}

TEST(Mix, TheSaturatingBlockAddIsExactlyThePlainClamp) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> any(-32768, 32767), extreme(0, 3);
    const int edges[] = {-32768, -1, 32767, 1};
    for (int round = 0; round < 200; round++) {
        // The program's block, the smaller blocks of a low-latency device, and a block that is
        // not a whole number of SIMD lanes.
        const uint32_t sizes[] = {OutputBlockSamples, 128, 64, 13};
        uint32_t samples = sizes[round % 4];
        std::vector<int16_t> block(samples), source(samples);
        for (uint32_t i = 0; i < samples; i++) {
            block[i] = int16_t(round / 4 % 2 ? edges[extreme(random)] : any(random));
            source[i] = int16_t(any(random));
        }
        std::vector<int16_t> plain = block;
        addClamped(plain.data(), source.data(), samples);
        addClampedBlock(block.data(), source.data(), samples);
        ASSERT_EQ(block, plain) << round;
    }
}
