// sample_bank.h -- the 48 notes of the instrument: six recordings, each at frets 0 to 7.
#pragma once

#include <cstdint>

inline constexpr int StringCount = 6;
inline constexpr int FretCount = 8;
inline constexpr int SampleCount = StringCount * FretCount;

// What the notes need of a sample file, kept for the run: the start of the stretch that holds
// sound (the data chunk of a RIFF/WAVE file, the whole of a raw one), as far as the string's
// notes reach into it. pcm and pcmSize are that stretch; data and size the block that holds it.
struct WaveImage {
    unsigned char* data;
    uint32_t size;
    const unsigned char* pcm;
    uint32_t pcmSize;
};

// A note: signed 16-bit little-endian mono samples at the output's rate, and its length in bytes,
// which its buffer holds exactly.
struct Sample {
    int16_t* data;
    uint32_t length;
};

// Entry i is the image of "<i + 1>.wav", the recording of string i.
extern WaveImage SourceWave[StringCount];
// Entry string * 8 + fret. The entries never move once built: the strings keep pointers to them.
extern Sample SampleBank[SampleCount];

// How much shorter (and so how many semitones higher) the note of each fret is.
extern const float SemitoneFactor[FretCount];
// Samples over which each string's notes fade out to silence: 40000 - 3000 * string.
inline constexpr int32_t FadeLength[StringCount] = {40000, 37000, 34000, 31000, 28000, 25000};

// Loads 1.wav to 6.wav and builds all 48 notes. 1 on success; 0 at the first file that cannot
// be loaded (the later ones are not tried and no note is built) or when memory runs out, with
// MediaFailure saying why.
int buildSampleBank();
// The number (1 to 6) of the sample file that made buildSampleBank fail, 0 while none has (and
// when the notes themselves could not be built).
extern int FailedSampleFile;

// Writes the note of `source` (length bytes, little-endian, any alignment) played 1 / factor
// times faster into dest, by linear interpolation in single precision; returns its length in
// bytes. factor is below 1, so the note is never longer than the source; dest holds as much.
// The note stops after `limit` bytes, its first samples unchanged.
uint32_t resample(int16_t* dest, const unsigned char* source, float factor, uint32_t length,
                  uint32_t limit = UINT32_MAX);

// Fades the note (length bytes) linearly out over FadeLength[string] samples and cuts it there;
// returns its new length in bytes.
uint32_t fadeOut(int16_t* samples, uint32_t length, int string);

// Gives back every note and image and empties both tables. The program never calls it; tests
// and benchmarks that build the bank again do.
void releaseSampleBank();
