// sample_bank.cpp -- loads the six recordings and derives the 48 notes from them.
#include "assets/sample_bank.h"

#include "assets/media.h"
#include "audio/audio_output.h"

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

// A chunk's id is four printable characters.
static bool looksLikeChunkId(const unsigned char* id) {
    for (int i = 0; i < 4; i++)
        if (id[i] < 0x20 || id[i] > 0x7E) return false;
    return true;
}

// WAVE_FORMAT_EXTENSIBLE's sub-format for integer PCM, after its leading format tag.
static const unsigned char PcmSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// Checks a fmt chunk (`size` bytes, of which the first `got` are in fmt): 1 when it is the
// output's own format, plain or in WAVE_FORMAT_EXTENSIBLE's wrapping.
static int checkFormat(const unsigned char* fmt, uint32_t size, uint32_t got) {
    if (size < 16 || got < 16) return mediaFailed("its fmt chunk is too short to read");
    unsigned tag = readLe16(fmt), channels = readLe16(fmt + 2);
    unsigned rate = readLe32(fmt + 4), bits = readLe16(fmt + 14);
    if (tag == 0xFFFE) {
        if (size < 40 || got < 40 || readLe16(fmt + 16) < 22)
            return mediaFailed("its extensible fmt chunk is too short to read");
        tag = std::memcmp(fmt + 26, PcmSubFormatTail, sizeof PcmSubFormatTail) == 0
                  ? readLe16(fmt + 24)
                  : 0xFFFE;
    }
    if (tag != 1 || channels != 1 || rate != OutputRate || bits != 16) {
        char why[200];
        std::snprintf(why, sizeof why,
                      "it declares format %u, %u channels, %u Hz, %u bits per sample; "
                      "it must be PCM (format 1), mono, %u Hz, 16 bits",
                      tag, channels, rate, bits, OutputRate);
        return mediaFailed(why);
    }
    return 1;
}

// Finds the sound in an open sample file: *offset and *length. A RIFF/WAVE file plays its data
// chunk only, and only when its format is the output's own; a file in another container is
// refused; anything else plays as raw PCM from its first byte.
static int findSound(MediaFile* file, uint64_t* offset, uint64_t* length) {
    uint64_t size = file->size;
    unsigned char head[12] = {};
    uint32_t got = readMediaFile(file, 0, head, sizeof head);
    *offset = 0;
    *length = size;
    if (got >= 3 && std::memcmp(head, "ID3", 3) == 0)
        return mediaFailed("it is an MP3 file (it starts with an ID3 tag), not PCM samples");
    if (got >= 4 && std::memcmp(head, "RIFX", 4) == 0)
        return mediaFailed(
            "it is a big-endian RIFX file; it must be a little-endian RIFF WAVE file");
    if (got < 4 || std::memcmp(head, "RIFF", 4) != 0) return 1;
    if (got < 12 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return mediaFailed("it is a RIFF file but not a WAVE file");

    bool formatSeen = false;
    uint64_t at = 12;
    while (at + 8 <= size) {
        unsigned char chunk[8];
        if (readMediaFile(file, at, chunk, 8) < 8) return 0;
        uint64_t body = at + 8;
        uint32_t chunkSize = readLe32(chunk + 4);
        uint64_t available = size - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            unsigned char fmt[40] = {};
            uint32_t wanted = chunkSize < sizeof fmt ? chunkSize : sizeof fmt;
            if (chunkSize > available) return mediaFailed("its fmt chunk is too short to read");
            if (!checkFormat(fmt, chunkSize, readMediaFile(file, body, fmt, wanted))) return 0;
            formatSeen = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!formatSeen) return mediaFailed("it has no fmt chunk before its data chunk");
            // Streaming writers leave a data size that runs past the end: play what is there.
            *offset = body;
            *length = chunkSize < available ? chunkSize : available;
            return 1;
        }
        at = body + chunkSize;
        if (chunkSize & 1) {
            // A chunk of odd size is followed by a pad byte, which some writers leave out: the
            // next chunk starts where an id is found.
            unsigned char next[5] = {};
            uint32_t seen = readMediaFile(file, at, next, sizeof next);
            bool padded = seen == 5 && looksLikeChunkId(next + 1);
            if (padded || seen < 4 || !looksLikeChunkId(next)) at++;
        }
    }
    return mediaFailed("it has no data chunk");
}

// How many samples of a string's recording its notes reach. Fret 0 plays the first
// FadeLength[string]; a higher fret reads the recording faster, up to half as far again at
// fret 7. This walks the very positions resample takes, so the notes are the same as from the
// whole recording.
static uint64_t samplesReached(int string) {
    uint32_t kept = static_cast<uint32_t>(FadeLength[string]);
    uint64_t reached = kept;
    for (int fret = 1; fret < FretCount; fret++) {
        float step = 1.0f / SemitoneFactor[fret];
        float pos = step + 0.0f;
        for (uint32_t written = 1; written + 1 < kept; written++) pos = pos + step;
        // The last sample written reads its position's sample and the one after it.
        uint64_t last = static_cast<uint64_t>(pos) + 2;
        if (last > reached) reached = last;
    }
    return reached;
}

// Reads what string `string`'s notes need of sample file `name` into SourceWave[string].
static int loadSound(const char* name, int string) {
    WaveImage* wave = &SourceWave[string];
    MediaFile file;
    if (!openMediaFile(name, &file)) return 0;
    uint64_t offset = 0, length = 0;
    if (!findSound(&file, &offset, &length)) {
        closeMediaFile(&file);
        return 0;
    }
    uint64_t reached = 2 * samplesReached(string);
    uint32_t bytes = static_cast<uint32_t>(length < reached ? length : reached);
    unsigned char* block = static_cast<unsigned char*>(std::malloc(bytes ? bytes : 1));
    if (!block) {
        closeMediaFile(&file);
        return mediaFailed("out of memory for its samples");
    }
    *wave = WaveImage{block, bytes, block, bytes};
    uint32_t delivered = readMediaFile(&file, offset, block, bytes);
    closeMediaFile(&file);
    return delivered == bytes;
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
    MediaFailure[0] = '\0';
    for (int n = 1; n <= StringCount; n++) {
        char name[16];
        std::snprintf(name, sizeof name, "%d.wav", n);
        FailedSampleFile = n;
        if (!loadSound(name, n - 1)) return 0;
    }
    FailedSampleFile = 0;
    for (int string = 0; string < StringCount; string++) {
        const WaveImage* wave = &SourceWave[string];
        // The fade cuts every note after its first FadeLength samples, so nothing past them
        // is copied or computed, and a note's buffer is no larger than that.
        uint32_t kept = 2 * static_cast<uint32_t>(FadeLength[string]);
        uint32_t room = wave->pcmSize < kept ? wave->pcmSize : kept;
        for (int fret = 0; fret < FretCount; fret++) {
            int16_t* buffer = static_cast<int16_t*>(std::malloc(room ? room : 1));
            if (!buffer) {
                std::snprintf(MediaFailure, sizeof MediaFailure,
                              "out of memory for the notes of %d.wav", string + 1);
                return 0;
            }
            uint32_t length = wave->pcmSize;
            if (SemitoneFactor[fret] != 1.0f)
                length = resample(buffer, wave->pcm, SemitoneFactor[fret], length, kept);
            else
                std::memcpy(buffer, wave->pcm, room);
            length = fadeOut(buffer, length, string);
            // Higher frets are shorter: each note keeps only the memory it fills.
            if (length < room) {
                if (void* fitted = std::realloc(buffer, length ? length : 1))
                    buffer = static_cast<int16_t*>(fitted);
            }
            SampleBank[string * FretCount + fret] = Sample{buffer, length};
        }
    }
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
