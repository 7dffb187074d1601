// The main thread cutting and re-plucking while the feeder mixes flat out: run under
// ThreadSanitizer by ./test.sh.
#include "audio/audio_output.h"
#include "audio/voice_pool.h"
#include "platform/scripted/scripted.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

TEST(AudioStress, PluckingNeverMeetsAHalfWrittenVoice) {
    scriptedReset();
    scriptedKeepBlocks(false);
    scriptedSetPlayback(ScriptedPlayback::Instant);
    // Six notes of lengths that end mid-block and on an odd byte.
    std::vector<std::vector<int16_t>> notes;
    uint32_t lengths[6];
    for (int s = 0; s < 6; s++) {
        notes.emplace_back(3000 + 700 * s, int16_t(100 * (s + 1)));
        lengths[s] = uint32_t(notes[s].size() * 2 - (s % 2));
    }
    ASSERT_EQ(openAudio(1, OutputRate, OutputBlockBytes), 1);

    // Thousands of plucks, and thousands of blocks mixed meanwhile.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    Voice* last[6] = {};
    for (int round = 0; round < 20000 || scriptedQueuedCount() < 3000; round++) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        int s = round % 6;
        lockVoices();
        if (last[s] && last[s]->ownerString == s) stopVoice(last[s]);
        Voice* voice = allocateVoice(notes[s].data(), lengths[s]);
        ASSERT_NE(voice, nullptr);
        voice->ownerString = s;
        last[s] = voice;
        for (const Voice& v : VoicePool) {
            if (v.isFree.load() != 0) continue;
            int owner = v.ownerString;
            ASSERT_TRUE(owner >= 0 && owner < 6);
            ASSERT_EQ(v.data, notes[owner].data());
            ASSERT_EQ(v.length, lengths[owner]);
            ASSERT_TRUE(v.position % OutputBlockBytes == 0 && v.position < v.length) << v.position;
        }
        unlockVoices();
    }
    closeAudio();
    scriptedReset();
}
