// The 48 notes: resampling, fading, the bank's order, and what a sample file may hold.
#include "assets/sample_bank.h"
#include "test_util.h"

#include "assets/media.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <string>

static std::vector<int> resampled(const std::vector<int16_t>& source, float factor,
                                  size_t offset = 0) {
    // A source at an odd address, as a data chunk can be, must read the same.
    Bytes body = pcm(source);
    Bytes bytes(offset + body.size());
    std::memcpy(bytes.data() + offset, body.data(), body.size());
    std::vector<int16_t> dest(source.size() + 1, 0x5A5A);
    uint32_t length = resample(dest.data(), bytes.data() + offset, factor, uint32_t(body.size()));
    EXPECT_EQ(dest[length / 2], 0x5A5A) << "wrote past the note";
    return std::vector<int>(dest.begin(), dest.begin() + length / 2);
}

static std::vector<int> faded(std::vector<int16_t> samples, uint32_t length, int string) {
    uint32_t result = fadeOut(samples.data(), length, string);
    return std::vector<int>(samples.begin(), samples.begin() + result / 2);
}

TEST(Resample, InterpolatesLinearlyAndTruncatesTowardZero) {
    EXPECT_EQ(resampled({0, 1000, 2000, 3000}, 0.66741f), (std::vector<int>{0, 1498, 2996}));
    EXPECT_EQ(resampled({0, -1000, -2000, -3000}, 0.66741f, 1),
              (std::vector<int>{0, -1498, -2996}));
    // The last source sample interpolates with itself.
    EXPECT_EQ(resampled({0, 1000, 2000}, 0.94387f), (std::vector<int>{0, 1059, 2000}));
}

TEST(Resample, AnEnormousSourceNeitherHangsNorOverrunsItsDestination) {
    // Past 2^25 samples a step below 2 no longer moves a single-precision position.
    const uint32_t n = (1u << 25) + 1000;
    std::vector<unsigned char> source(2 * size_t(n), 0);
    std::vector<int16_t> dest(n + 1, 0x5A5A);
    uint32_t length = resample(dest.data(), source.data(), SemitoneFactor[1], 2 * n);
    EXPECT_LE(length, 2 * n);
    EXPECT_EQ(dest[n], 0x5A5A);
}

static uint32_t fnv1a(const int16_t* samples, uint32_t length) {
    uint32_t hash = 0x811c9dc5u;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(samples);
    for (uint32_t i = 0; i < length; i++) hash = (hash ^ bytes[i]) * 0x01000193u;
    return hash;
}

TEST(Resample, AccumulatesThePositionByRepeatedAddition) {
    // On a ramp the output shows the position; recomputing it as k * step, or fusing
    // frac * d + a, changes hundreds of these samples.
    std::vector<int16_t> ramp(4000);
    for (int k = 0; k < 4000; k++) ramp[k] = int16_t(8 * k);
    Bytes source = pcm(ramp);
    struct Case {
        float factor;
        uint32_t length;
        uint32_t hash;
    } cases[] = {
        {0.94387f, 7552, 0xdb52a8c3u}, {0.89089f, 7128, 0xd271408cu}, {0.84089f, 6728, 0x43b56169u},
        {0.7937f, 6350, 0x62a7c3bfu},  {0.74915f, 5994, 0xda0e7849u}, {0.7071f, 5658, 0xb93d4af0u},
        {0.66741f, 5340, 0x3681a6bau},
    };
    std::vector<int16_t> dest(4000);
    for (const Case& c : cases) {
        uint32_t length = resample(dest.data(), source.data(), c.factor, 8000);
        EXPECT_EQ(length, c.length) << c.factor;
        EXPECT_EQ(fnv1a(dest.data(), length), c.hash) << c.factor;
    }

    // A limit keeps the first samples exactly and writes nothing after them.
    std::vector<int16_t> limited(600, 0x5A5A);
    ASSERT_EQ(resample(limited.data(), source.data(), 0.66741f, 8000, 1001), 1000u);
    EXPECT_TRUE(std::equal(limited.begin(), limited.begin() + 500, dest.begin()));
    EXPECT_EQ(limited[500], 0x5A5A);
}

TEST(FadeOut, FadesLinearlyOverTheStringsLengthAndCutsThere) {
    EXPECT_EQ(faded({30000, 30000, 30000}, 6, 0), (std::vector<int>{30000, 29999, 29998}));
    EXPECT_EQ(faded({-30000, -30000, -30000}, 6, 0), (std::vector<int>{-30000, -29999, -29998}));
    // The odd last byte belongs to no sample.
    EXPECT_EQ(faded({1000, 1000, 1000, 1000}, 7, 0), (std::vector<int>{1000, 999, 999}));

    for (int string = 0; string < StringCount; string++) {
        int32_t fade = 40000 - 3000 * string;
        std::vector<int> loud = faded(std::vector<int16_t>(45000, 32767), 90000, string);
        ASSERT_EQ(loud.size(), size_t(fade)) << string;
        EXPECT_EQ(loud.back(), 32767 / fade) << string;
        std::vector<int> quiet = faded(std::vector<int16_t>(45000, -32768), 90000, string);
        EXPECT_EQ(quiet.back(), -(32768 / fade)) << string;
        EXPECT_EQ(quiet[fade / 2], -32768 * (fade - fade / 2) / fade) << string;
    }
    // A note shorter than the fade keeps its length and is not silenced.
    std::vector<int> shortNote = faded(std::vector<int16_t>(100, 20000), 200, 5);
    ASSERT_EQ(shortNote.size(), 100u);
    EXPECT_EQ(shortNote.back(), 20000 * (25000 - 99) / 25000);
}

// Frees the bank whatever a test did.
struct BankTest : ::testing::Test {
    void TearDown() override { releaseSampleBank(); }
};

static void writeSix(const MediaFolder& folder, Bytes (*file)(int n)) {
    for (int n = 1; n <= 6; n++) folder.write(std::to_string(n) + ".wav", file(n));
}

static std::vector<int> note(int string, int fret) {
    const Sample& s = SampleBank[string * FretCount + fret];
    return std::vector<int>(s.data, s.data + s.length / 2);
}

TEST_F(BankTest, BuildsStringMajorFromRawFilesHoweverTiny) {
    MediaFolder folder;
    // Ten samples of 1000 * n: a constant resamples to itself, so every note shows its file.
    // Then no whole sample, one sample, and an odd last byte.
    writeSix(folder, [](int n) -> Bytes {
        if (n == 4) return {0x42};
        if (n == 5) return pcm({-1234});
        if (n == 6) return {0x10, 0x00, 0x20, 0x00, 0x30};
        return pcm(std::vector<int16_t>(10, int16_t(1000 * n)));
    });
    ASSERT_EQ(buildSampleBank(), 1);

    const size_t samplesAtFret[8] = {10, 10, 9, 9, 8, 8, 8, 7};
    for (int string = 0; string < 3; string++) {
        EXPECT_EQ(SourceWave[string].size, 20u);
        int level = 1000 * (string + 1), fade = 40000 - 3000 * string;
        for (int fret = 0; fret < FretCount; fret++) {
            std::vector<int> expected;
            for (size_t k = 0; k < samplesAtFret[fret]; k++)
                expected.push_back(level * (fade - int(k)) / fade);
            EXPECT_EQ(note(string, fret), expected) << string << "/" << fret;
        }
    }
    for (int fret = 0; fret < FretCount; fret++) {
        EXPECT_EQ(SampleBank[3 * FretCount + fret].length, 0u) << fret;
        EXPECT_EQ(note(4, fret), std::vector<int>{-1234}) << fret;
    }
    EXPECT_EQ(note(5, 0), (std::vector<int>{16, 31}));
    // Every note has a buffer of its own.
    for (int i = 0; i < SampleCount; i++)
        for (int j = i + 1; j < SampleCount && SampleBank[i].length; j++)
            ASSERT_NE(SampleBank[i].data, SampleBank[j].data);
}

// A WAVE_FORMAT_EXTENSIBLE file, mono 16-bit at the output's rate, whose sub-format starts with
// `tag`.
static Bytes extensibleWave(const Bytes& data, uint8_t tag) {
    Bytes fmt{0xFE, 0xFF, 1, 0};
    for (uint32_t v : {OutputRate, 2 * OutputRate, 0x00100002u, 0x00100016u, 4u}) append32(fmt, v);
    fmt.insert(fmt.end(), {tag, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
    Bytes body{'W', 'A', 'V', 'E'};
    appendChunk(body, "fmt ", fmt);
    appendChunk(body, "data", data);
    Bytes out{'R', 'I', 'F', 'F'};
    append32(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

TEST_F(BankTest, AWaveFilePlaysItsDataChunkOnly) {
    MediaFolder folder;
    Bytes list;
    appendChunk(list, "LIST", Bytes{'I', 'N', 'F', 'O', 'x'}); // odd size, padded
    // The same chunk as some writers leave it: no pad byte.
    Bytes unpadded{'L', 'I', 'S', 'T', 5, 0, 0, 0, 'I', 'N', 'F', 'O', 'x'};
    Bytes files[6] = {
        riffWave(pcm({5000, 5000, 5000})),
        riffWave(pcm({-300, 300}), 1, 1, OutputRate, 16, list),
        riffWave(pcm({1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000})),
        riffWave(pcm({-8, -8}), 1, 1, OutputRate, 16, unpadded),
        extensibleWave(pcm({7, 7}), 1),
        {},
    };
    // A data chunk whose size runs past the end (as a streaming writer leaves it) plays what
    // the file holds.
    files[5] = riffWave(pcm({900, 900}));
    files[5][files[5].size() - 8] = 0xFF;
    files[5][files[5].size() - 7] = 0xFF;
    for (int n = 1; n <= 6; n++) folder.write(std::to_string(n) + ".wav", files[n - 1]);

    ASSERT_EQ(buildSampleBank(), 1);
    EXPECT_EQ(SourceWave[0].size, 6u); // only the sound is kept
    EXPECT_EQ(note(0, 0), (std::vector<int>{5000, 4999, 4999}));
    EXPECT_EQ(note(1, 0), (std::vector<int>{-300, 299}));
    EXPECT_EQ(note(2, 7).size(), 7u);
    EXPECT_EQ(note(2, 7)[1], 2498 * 33999 / 34000);
    EXPECT_EQ(note(3, 0), (std::vector<int>{-8, -7}));
    EXPECT_EQ(note(4, 0), (std::vector<int>{7, 6}));
    EXPECT_EQ(note(5, 0), (std::vector<int>{900, 899}));
}

TEST_F(BankTest, AHugeRecordingIsReadOnlyAsFarAsItsNotesReach) {
    // 2 GiB of declared sound, sparse on disk; the first 70000 samples are noise.
    std::vector<int16_t> noise(70000);
    uint32_t x = 12345;
    for (int16_t& v : noise) v = int16_t((x = x * 1103515245u + 12345u) >> 16);
    Bytes head = riffWave(pcm(noise));
    MediaFolder folder;
    const uint32_t declared = 0x7FFFFF00u;
    for (int k = 0; k < 4; k++)
        head[head.size() - 2 * noise.size() - 4 + k] = uint8_t(declared >> 8 * k);
    for (int n = 1; n <= 6; n++) {
        std::string name = std::to_string(n) + ".wav";
        folder.write(name, head);
        std::filesystem::resize_file(folder.media / name,
                                     head.size() - 2 * noise.size() + declared);
    }
    ASSERT_EQ(buildSampleBank(), 1);
    std::vector<std::vector<int>> notes;
    for (int i = 0; i < SampleCount; i++) {
        notes.push_back(note(i / FretCount, i % FretCount));
        // Each note's buffer is as large as the note.
        EXPECT_LT(malloc_usable_size(SampleBank[i].data), SampleBank[i].length + 32) << i;
    }
    for (int string = 0; string < StringCount; string++)
        EXPECT_LT(SourceWave[string].size, 2u * 61000) << string;
    releaseSampleBank();

    // Built from the noise alone, the notes are the same.
    MediaFolder reference("reference");
    for (int n = 1; n <= 6; n++) reference.write(std::to_string(n) + ".wav", pcm(noise));
    ASSERT_EQ(buildSampleBank(), 1);
    for (int i = 0; i < SampleCount; i++)
        ASSERT_EQ(note(i / FretCount, i % FretCount), notes[size_t(i)]) << i;
}

TEST_F(BankTest, AMissingFileOrOneInAnotherFormatStopsTheBankAndSaysWhy) {
    struct Case {
        Bytes file;
        const char* says;
    } cases[] = {
        {Bytes{}, "No such file or directory"}, // no 2.wav at all
        {riffWave(pcm({1, 2}), 1, 2, 44100, 16), "declares format 1, 2 channels, 44100 Hz, 16"},
        {riffWave(pcm({1, 2}), 3, 1, OutputRate, 32),
         "declares format 3, 1 channels, 22050 Hz, 32"},
        {riffWave(pcm({1, 2}), 1, 1, OutputRate, 8), "declares format 1, 1 channels, 22050 Hz, 8"},
        {extensibleWave(pcm({1, 2}), 3), "declares format 3, 1 channels, 22050 Hz, 16"},
        {Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, "has no data chunk"},
        {Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}, "not a WAVE file"},
        {Bytes{'R', 'I', 'F', 'F', 20, 0, 0, 0, 'W', 'A', 'V', 'E',
               'f', 'm', 't', ' ', 16, 0, 0, 0, 1,   0,   1,   0},
         "fmt chunk is too short"},
        {Bytes{'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0, 0xFF, 0xFB}, "an MP3 file"},
        {Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 4, 'W', 'A', 'V', 'E'}, "big-endian RIFX"},
    };
    for (const Case& c : cases) {
        MediaFolder folder;
        writeSix(folder, [](int) { return pcm({1, 2, 3}); });
        if (c.file.empty())
            std::filesystem::remove(folder.media / "2.wav");
        else
            folder.write("2.wav", c.file);
        EXPECT_EQ(buildSampleBank(), 0);
        EXPECT_EQ(FailedSampleFile, 2);
        EXPECT_NE(std::string(MediaFailure).find(c.says), std::string::npos) << MediaFailure;
        // 1.wav was read; 3.wav to 6.wav, which exist, were never tried; no note was made.
        EXPECT_EQ(SourceWave[0].size, 6u);
        for (int i = 2; i < 6; i++) EXPECT_EQ(SourceWave[i].data, nullptr) << i;
        for (const Sample& s : SampleBank) ASSERT_EQ(s.data, nullptr);
        releaseSampleBank();
    }
}
