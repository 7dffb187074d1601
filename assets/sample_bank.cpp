// sample_bank.cpp -- loads the six recordings and derives the 48 notes from them.
#include "assets/sample_bank.h"

#include "assets/media.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

WaveImage SourceWave[StringCount];
Sample SampleBank[SampleCount];
int FailedSampleFile;

// Close to 2^(-fret / 12); the notes depend on these exact literals.
const float SemitoneFactor[FretCount] = {1.0f,    0.94387f, 0.89089f, 0.84089f,
                                         0.7937f, 0.74915f, 0.7071f,  0.66741f};

static uint32_t readLe32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

static uint16_t readLe16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

static float sampleAt(const unsigned char* source, uint32_t index) {
    return static_cast<float>(static_cast<int16_t>(readLe16(source + 2 * index)));
}

static int refuse(const char* name, const char* why) {
    char path[MediaPathCapacity];
    mediaPath(name, path, sizeof path);
    std::fprintf(stderr, "Fretstrummer: %s %s\n", path, why);
    return 0;
}

// Finds the sound in a sample file. A RIFF/WAVE file plays its data chunk only, and only when
// its format is the output's own; anything else plays as raw PCM from its first byte.
static int findSound(WaveImage* wave, const char* name) {
    const unsigned char* image = wave->data;
    uint64_t size = wave->size;
    wave->pcm = image;
    wave->pcmSize = wave->size;
    if (size < 4 || std::memcmp(image, "RIFF", 4) != 0) return 1;
    if (size < 12 || std::memcmp(image + 8, "WAVE", 4) != 0)
        return refuse(name, "is a RIFF file but not a WAVE file");

    bool formatSeen = false;
    uint64_t at = 12;
    while (at + 8 <= size) {
        const unsigned char* chunk = image + at;
        uint64_t body = at + 8;
        uint64_t chunkSize = readLe32(chunk + 4);
        uint64_t available = size - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (chunkSize < 16 || chunkSize > available)
                return refuse(name, "has a fmt chunk too short to read");
            const unsigned char* fmt = image + body;
            unsigned tag = readLe16(fmt), channels = readLe16(fmt + 2);
            unsigned rate = readLe32(fmt + 4), bits = readLe16(fmt + 14);
            if (tag != 1 || channels != 1 || rate != 22050 || bits != 16) {
                char why[200];
                std::snprintf(why, sizeof why,
                              "declares format %u, %u channels, %u Hz, %u bits per sample; "
                              "it must be PCM (format 1), mono, 22050 Hz, 16 bits",
                              tag, channels, rate, bits);
                return refuse(name, why);
            }
            formatSeen = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!formatSeen) return refuse(name, "has no fmt chunk before its data chunk");
            // Streaming writers leave a data size that runs past the end: play what is there.
            wave->pcm = image + body;
            wave->pcmSize = static_cast<uint32_t>(chunkSize < available ? chunkSize : available);
            return 1;
        }
        at = body + chunkSize + (chunkSize & 1);
    }
    return refuse(name, "has no data chunk");
}

uint32_t resample(int16_t* dest, const unsigned char* source, float factor, uint32_t length,
                  uint32_t limit) {
    uint32_t n = length / 2;
    // Past 2^24 samples the position stops advancing; never writing more samples than the
    // source holds keeps such a source from running over dest.
    uint32_t most = n < limit / 2 ? n : limit / 2;
    if (most == 0) return 0;
    float step = 1.0f / factor;
    dest[0] = static_cast<int16_t>(readLe16(source));
    uint32_t written = 1;
    float pos = step + 0.0f;
    uint32_t index = static_cast<uint32_t>(pos);
    while (index < n && written < most) {
        float a = sampleAt(source, index);
        // The last sample has no right-hand partner and interpolates with itself.
        float b = index + 1 < n ? sampleAt(source, index + 1) : a;
        float frac = pos - static_cast<float>(index);
        float d = b - a;
        float m = frac * d;
        float value = m + a;
        dest[written++] = static_cast<int16_t>(static_cast<int32_t>(value));
        pos = pos + step;
        index = static_cast<uint32_t>(pos);
    }
    return written * 2;
}

// With the fade length known at compile time the division becomes a multiplication, with the
// very same truncated quotients.
template <int32_t Fade> static void fadeSamples(int16_t* samples, uint32_t count) {
    for (uint32_t k = 0; k < count; k++)
        samples[k] = static_cast<int16_t>(samples[k] * (Fade - static_cast<int32_t>(k)) / Fade);
}

uint32_t fadeOut(int16_t* samples, uint32_t length, int string) {
    static void (*const fades[StringCount])(int16_t*, uint32_t) = {
        fadeSamples<FadeLength[0]>, fadeSamples<FadeLength[1]>, fadeSamples<FadeLength[2]>,
        fadeSamples<FadeLength[3]>, fadeSamples<FadeLength[4]>, fadeSamples<FadeLength[5]>};
    uint32_t n = length / 2;
    uint32_t fade = static_cast<uint32_t>(FadeLength[string]);
    uint32_t count = n < fade ? n : fade;
    fades[string](samples, count);
    return count * 2;
}

int buildSampleBank() {
    for (int n = 1; n <= StringCount; n++) {
        char name[16];
        std::snprintf(name, sizeof name, "%d.wav", n);
        WaveImage* wave = &SourceWave[n - 1];
        FailedSampleFile = n;
        if (!loadMediaFile(name, &wave->data, &wave->size)) return 0;
        if (!findSound(wave, name)) return 0;
    }
    for (int string = 0; string < StringCount; string++) {
        const WaveImage* wave = &SourceWave[string];
        for (int fret = 0; fret < FretCount; fret++) {
            int16_t* buffer = static_cast<int16_t*>(std::malloc(wave->size));
            if (!buffer) return 0;
            uint32_t length = wave->pcmSize;
            // The fade cuts every note after its first FadeLength samples, so nothing past them
            // is copied or computed: those bytes would never be played, and leaving them alone
            // spares start-up thousands of page faults.
            uint32_t kept = 2 * static_cast<uint32_t>(FadeLength[string]);
            if (SemitoneFactor[fret] != 1.0f)
                length = resample(buffer, wave->pcm, SemitoneFactor[fret], length, kept);
            else
                std::memcpy(buffer, wave->pcm, length < kept ? length : kept);
            length = fadeOut(buffer, length, string);
            SampleBank[string * FretCount + fret] = Sample{buffer, length};
        }
    }
    FailedSampleFile = 0;
    return 1;
}

void releaseSampleBank() {
    for (Sample& sample : SampleBank) {
        std::free(sample.data);
        sample = Sample{};
    }
    for (WaveImage& wave : SourceWave) {
        std::free(wave.data);
        wave = WaveImage{};
    }
}
