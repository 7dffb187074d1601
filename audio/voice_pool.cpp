// voice_pool.cpp -- voice allocation and the clamped software mixer.
#include "audio/voice_pool.h"

#include <mutex>

#if defined(__SSE2__) && !defined(FRETSTRUMMER_PLAIN_MIX)
#include <emmintrin.h>
#define MIX_SSE2 1
#elif defined(__ARM_NEON) && !defined(FRETSTRUMMER_PLAIN_MIX)
#include <arm_neon.h>
#define MIX_NEON 1
#endif

Voice VoicePool[VoiceCount];

static std::mutex voiceLock;

void lockVoices() {
    voiceLock.lock();
}
void unlockVoices() {
    voiceLock.unlock();
}

Voice* allocateVoice(const int16_t* data, uint32_t length) {
    for (Voice& voice : VoicePool) {
        if (voice.isFree.load(std::memory_order_acquire) == 0) continue;
        voice.data = data;
        voice.length = length;
        voice.position = 0;
        // The feeder reads isFree first: once it sees 0, the fields above are complete.
        voice.isFree.store(0, std::memory_order_release);
        return &voice;
    }
    return nullptr;
}

void stopVoice(Voice* voice) {
    voice->isFree.store(1, std::memory_order_release);
}

void addClamped(int16_t* block, const int16_t* source, uint32_t samples) {
    for (uint32_t i = 0; i < samples; i++) {
        int32_t sum = int32_t(block[i]) + int32_t(source[i]);
        block[i] = static_cast<int16_t>(sum > 32767 ? 32767 : sum < -32768 ? -32768 : sum);
    }
}

// A saturating 16-bit add is exactly the clamp above, eight samples at a time; what is left of
// a block that is not a whole number of eights goes one at a time.
void addClampedBlock(int16_t* block, const int16_t* source, uint32_t samples) {
    uint32_t i = 0;
#if defined(MIX_SSE2)
    for (; i + 8 <= samples; i += 8) {
        __m128i sum = _mm_adds_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i)),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block + i), sum);
    }
#elif defined(MIX_NEON)
    for (; i + 8 <= samples; i += 8)
        vst1q_s16(block + i, vqaddq_s16(vld1q_s16(block + i), vld1q_s16(source + i)));
#endif
    addClamped(block + i, source + i, samples - i);
}

void mixVoices(int16_t* block, uint32_t count) {
    for (Voice& voice : VoicePool) {
        if (voice.isFree.load(std::memory_order_acquire) != 0) continue;
        uint32_t remaining = voice.length - voice.position;
        uint32_t n = remaining < count ? remaining : count;
        const int16_t* source = voice.data + voice.position / 2;
        if (n == count)
            addClampedBlock(block, source, n / 2);
        else
            addClamped(block, source, n >> 1);
        voice.position += n;
        if (voice.position >= voice.length) voice.isFree.store(1, std::memory_order_release);
    }
}
