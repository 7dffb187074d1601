// The default Media folder made by the build: recorded notes in tune, pictures of the exact
// sizes, the same bytes every time, and a bank built from them; and make_media's own notes.
#include "assets/sample_bank.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fs = std::filesystem;

static const fs::path DefaultMedia = FRETSTRUMMER_MEDIA_DIR;

static std::vector<int16_t> wavSamples(const Bytes& file) {
    return samplesOf(Bytes(file.begin() + 44, file.end()));
}

// The fundamental, from the peak of the normalised autocorrelation near the expected period,
// over the half second after the first: a plucked string starts sharp and settles.
static double fundamental(const std::vector<int16_t>& s, double expected) {
    const size_t start = 11025, window = 11025;
    int low = int(OutputRate / expected * 0.8), high = int(OutputRate / expected * 1.25);
    std::vector<double> r(high + 2);
    for (int lag = low - 1; lag <= high + 1; lag++) {
        double sum = 0, e0 = 0, e1 = 0;
        for (size_t i = start; i < start + window; i++) {
            sum += double(s[i]) * s[i + lag];
            e0 += double(s[i]) * s[i];
            e1 += double(s[i + lag]) * s[i + lag];
        }
        r[lag] = sum / std::sqrt(e0 * e1);
    }
    int best = low;
    for (int lag = low; lag <= high; lag++)
        if (r[lag] > r[best]) best = lag;
    double shift = 0.5 * (r[best - 1] - r[best + 1]) / (r[best - 1] - 2 * r[best] + r[best + 1]);
    return OutputRate / (best + shift);
}

static double rms(const std::vector<int16_t>& s, size_t from, size_t count) {
    double sum = 0;
    for (size_t i = from; i < from + count; i++) sum += double(s[i]) * s[i];
    return std::sqrt(sum / count);
}

static void makeMedia(const fs::path& folder, const char* options = "") {
    std::string command =
        std::string(MAKE_MEDIA_PATH) + " " + options + " '" + folder.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

// Six plucked strings in standard tuning, as the bank needs them.
static void expectNotes(const fs::path& folder) {
    const double tuning[6] = {82.41, 110.00, 146.83, 196.00, 246.94, 329.63};
    for (int i = 0; i < 6; i++) {
        SCOPED_TRACE(folder / (std::to_string(i + 1) + ".wav"));
        Bytes file = readBytes(folder / (std::to_string(i + 1) + ".wav"));
        ASSERT_GT(file.size(), 44u);
        // The canonical 44 bytes of headers: PCM, mono, 16-bit, the output's rate, then the data.
        EXPECT_EQ(file, riffWave(Bytes(file.begin() + 44, file.end())));

        std::vector<int16_t> s = wavSamples(file);
        // Even shortened by seven frets, a note outlasts its string's fade.
        EXPECT_GT(s.size() * 0.66741, double(FadeLength[i]));
        int peak = 0;
        double sum = 0;
        for (int16_t v : s) {
            peak = std::max(peak, std::abs(int(v)));
            sum += v;
        }
        EXPECT_LT(peak, 29204);                    // below -1 dBFS: a strum does not clip
        EXPECT_GT(peak, 8231);                     // and not timid: above -12 dBFS
        EXPECT_LT(std::fabs(sum / s.size()), 8.0); // no DC offset
        // Within 8 cents of standard tuning.
        double cents = 1200 * std::log2(fundamental(s, tuning[i]) / tuning[i]);
        EXPECT_LT(std::fabs(cents), 8.0) << cents;
        // Struck, then dying away.
        EXPECT_GT(rms(s, 0, 2205), 1000.0);
        EXPECT_LT(rms(s, 44100, 2205), rms(s, 0, 2205) * 0.5);
    }
}

TEST(DefaultMedia, NotesAreRecordedPluckedStringsInStandardTuningCopiedAsTheyAre) {
    expectNotes(DefaultMedia);
    for (const char* name : {"1.wav", "2.wav", "3.wav", "4.wav", "5.wav", "6.wav", "NOTICE"})
        EXPECT_EQ(readBytes(DefaultMedia / name),
                  readBytes(fs::path(FRETSTRUMMER_NOTES_DIR) / name))
            << name;
}

TEST(DefaultMedia, TheSynthesisedNotesArePluckedStringsInStandardTuningToo) {
    MediaFolder synth;
    makeMedia(synth.media, "--synth-notes");
    expectNotes(synth.media);
}

TEST(DefaultMedia, BitmapsHaveExactlyTheHeadersAndSizesOfTheTable) {
    struct Picture {
        const char* name;
        int width, height;
    } pictures[] = {
        {"String1.bmp", 5, 320},      {"String2.bmp", 4, 320},     {"String3.bmp", 3, 320},
        {"String4.bmp", 2, 320},      {"String5.bmp", 2, 320},     {"String6.bmp", 1, 320},
        {"Background.bmp", 240, 320}, {"Lad.bmp", 40, 40},         {"LadSpot.bmp", 40, 40},
        {"ExitButton.bmp", 5, 5},     {"ResetButton.bmp", 141, 5},
    };
    for (const Picture& p : pictures) {
        SCOPED_TRACE(p.name);
        Bytes file = readBytes(DefaultMedia / p.name);
        uint32_t row = (3 * p.width + 3) / 4 * 4;
        ASSERT_EQ(file.size(), 54 + row * p.height);
        // Bottom-up (a positive height), 24 bits, no compression.
        Bytes headers = bmpHeaders(p.width, p.height);
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 34),
                  Bytes(headers.begin(), headers.begin() + 34));
        for (int y = 0; y < p.height; y++)
            for (uint32_t pad = 3 * p.width; pad < row; pad++)
                ASSERT_EQ(file[54 + y * row + pad], 0);
    }
    Bytes lad = readBytes(DefaultMedia / "Lad.bmp"), spot = readBytes(DefaultMedia / "LadSpot.bmp");
    EXPECT_NE(lad, spot);
}

TEST(DefaultMedia, IsWrittenTheSameEveryTime) {
    MediaFolder again;
    makeMedia(again.media);
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(again.media)) {
        EXPECT_EQ(readBytes(entry.path()), readBytes(DefaultMedia / entry.path().filename()))
            << entry.path();
        files++;
    }
    EXPECT_EQ(files, 12); // the eleven pictures and Notes.txt
}

TEST(DefaultMedia, BuildsTheWholeBankWithoutPlayingTheHeader) {
    MediaFolder folder;
    folder.copyDefaults(".wav");
    ASSERT_EQ(buildSampleBank(), 1);
    for (int string = 0; string < StringCount; string++) {
        std::vector<int16_t> data =
            wavSamples(readBytes(DefaultMedia / (std::to_string(string + 1) + ".wav")));
        int32_t fade = FadeLength[string];
        const Sample& open = SampleBank[string * FretCount];
        ASSERT_EQ(open.length, uint32_t(2 * fade)) << string;
        for (int k = 0; k < 200; k++)
            ASSERT_EQ(open.data[k], data[k] * (fade - k) / fade) << string << " " << k;
        for (int fret = 1; fret < FretCount; fret++) {
            const Sample& s = SampleBank[string * FretCount + fret];
            // Long enough that even the highest fret still fades to its very end.
            EXPECT_EQ(s.length, uint32_t(2 * fade)) << string << "/" << fret;
            EXPECT_EQ(s.data[0], data[0]);
        }
    }
    releaseSampleBank();
}
