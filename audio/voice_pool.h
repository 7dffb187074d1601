// voice_pool.h -- the 64 voices that play notes, and the mixer that adds them into a block.
#pragma once

#include <atomic>
#include <cstdint>

// One mixer slot playing one note from its first byte to its last.
struct Voice {
    const int16_t* data;         // the note's samples; borrowed from the sample bank
    uint32_t length;             // the note's length in bytes
    uint32_t position;           // byte offset of the next sample to mix
    std::atomic<uint8_t> isFree; // non-zero: free and silent; 0: sounding
    int32_t ownerString;         // the string that last started it; the mixer never looks
};

inline constexpr int VoiceCount = 64;
extern Voice VoicePool[VoiceCount];

// Starts the note on the lowest-numbered free voice and returns it; none (nullptr) when all 64
// are sounding, and then nothing changes. Main thread, between lockVoices and unlockVoices.
Voice* allocateVoice(const int16_t* data, uint32_t length);

// Silences a voice at once: a single store.
void stopVoice(Voice* voice);

// Adds the next `count` bytes of every sounding voice into block, clamping to 16 bits after
// each voice in voice order, and frees each voice whose note ends. The odd last byte of a note
// is never mixed. The caller clears block first. Feeder thread, under lockVoices.
void mixVoices(int16_t* block, uint32_t count);

// The short lock that keeps a mix from overlapping a cut and re-allocation of the same voice.
void lockVoices();
void unlockVoices();

// block[i] = clamp(block[i] + source[i]) for `samples` samples, one at a time.
void addClamped(int16_t* block, const int16_t* source, uint32_t samples);
// The same, with SIMD saturating adds where the processor has them: the mixer's path for a
// voice that sounds through the whole block, whatever the block's size.
void addClampedBlock(int16_t* block, const int16_t* source, uint32_t samples);
