// Frames pixel for pixel: the play view, the editor, a tap, the splash, and odd bitmaps.
#include "app/startup.h"
#include "display/layout.h"
#include "display/screen.h"
#include "display/splash.h"
#include "display/sprites.h"
#include "instrument/chords.h"
#include "instrument/strings.h"
#include "platform/scripted/scripted.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fs = std::filesystem;

using Frame = std::vector<uint8_t>; // 240 x 320, blue green red, top row first

// A bitmap file's picture at the given size, read the plain way: rows from byte 54, bottom first.
static Frame picture(const fs::path& file, int width, int height) {
    Bytes bytes = readBytes(file);
    int stride = (3 * width + 3) / 4 * 4;
    Frame pixels(size_t(3 * width * height));
    for (int y = 0; y < height; y++)
        std::memcpy(&pixels[size_t(3 * width * y)], &bytes[54 + size_t(stride) * (height - 1 - y)],
                    size_t(3 * width));
    return pixels;
}

static void paste(Frame& frame, const Frame& pixels, int width, int height, int x, int y) {
    for (int row = 0; row < height; row++)
        std::memcpy(&frame[size_t(720 * (y + row) + 3 * x)], &pixels[size_t(3 * width * row)],
                    size_t(3 * width));
}

#define EXPECT_FRAME(actual, expected, name) EXPECT_TRUE(sameFrame(actual, expected)) << name

struct DisplayTest : ::testing::Test {
    MediaFolder folder;
    fs::path defaults = FRETSTRUMMER_MEDIA_DIR;

    void SetUp() override {
        scriptedReset();
        folder.copyDefaults();
    }
    void TearDown() override { scriptedReset(); }

    // Start-up's drawing steps, over the scripted window.
    void startDisplay() {
        WindowClass windowClass{};
        platformRegisterClass(&windowClass);
        MainWindow = platformCreateWindow(0, "", "", 0, 0, 0, 240, 320, 0, 0, 0, nullptr);
        loadSprites();
        std::memset(Strings, 0, sizeof Strings);
        initStrings();
        clearChords();
        ActiveChord = EditedChord = nullptr;
        ASSERT_EQ(createSurfaces(MainWindow), 1);
        redrawAll();
    }
    static Frame window() {
        const uint8_t* pixels = scriptedWindowPixels();
        return Frame(pixels, pixels + 230400);
    }
    Frame playView() const {
        Frame frame(230400);
        paste(frame, picture(defaults / "Background.bmp", 240, 320), 240, 320, 0, 0);
        paste(frame, picture(defaults / "ExitButton.bmp", 5, 5), 5, 5, 0, 0);
        paste(frame, picture(defaults / "ResetButton.bmp", 141, 5), 141, 5, 50, 0);
        const int widths[6] = {5, 4, 3, 2, 2, 1}, xs[6] = {218, 178, 139, 99, 59, 20};
        for (int s = 0; s < 6; s++)
            paste(frame,
                  picture(defaults / ("String" + std::to_string(s + 1) + ".bmp"), widths[s], 320),
                  widths[s], 320, xs[s], 0);
        return frame;
    }
    Frame editorView(const uint8_t frets[6]) const {
        Frame frame(230400), lad = picture(defaults / "Lad.bmp", 40, 40),
                             spot = picture(defaults / "LadSpot.bmp", 40, 40);
        for (int s = 0; s < 6; s++)
            for (int f = 0; f < 8; f++)
                paste(frame, frets[s] == f ? spot : lad, ColumnWidth, CellHeight, stringLeft(s),
                      fretTop(f));
        return frame;
    }
};

TEST_F(DisplayTest, ThePlayViewThenTheEditorWhichRedrawsOnlyTheTwoCellsATapChanges) {
    startDisplay();
    // The strings drawn last: their lines cross the reset button.
    EXPECT_FRAME(window(), playView(), "play");
    chordKeyDown('A');
    const uint8_t fresh[6] = {0, 0, 0, 0, 0, 0};
    EXPECT_FRAME(window(), editorView(fresh), "editor");
    size_t callsBefore = scriptedCalls().size();
    editTap(210, 100);
    std::vector<std::string> calls = scriptedCalls();
    EXPECT_EQ(std::vector<std::string>(calls.begin() + long(callsBefore), calls.end()),
              (std::vector<std::string>{"show 200,280 40x40", "show 200,80 40x40"}));
    const uint8_t tapped[6] = {5, 0, 0, 0, 0, 0};
    EXPECT_FRAME(window(), editorView(tapped), "tapped");

    chordKeyUp('A');
    EXPECT_FRAME(window(), playView(), "closed");
}

TEST_F(DisplayTest, BitmapsAreReadByTheTablesSizeFromByte54Whatever) {
    // Headers that claim 10 x 10, top-down rows and a colour table: the table's 40 x 40 wins.
    Bytes lad = readBytes(defaults / "Lad.bmp");
    lad[18] = 10;
    lad[22] = 0xF6, lad[23] = lad[24] = lad[25] = 0xFF; // -10: top-down
    lad[46] = 16;                                       // colours used
    folder.write("Lad.bmp", lad);
    // A short file: only its first rows (the bottom of the picture) exist.
    Bytes background = readBytes(defaults / "Background.bmp");
    background.resize(54 + 720 * 100 + 5);
    folder.write("Background.bmp", background);
    fs::remove(folder.media / "ExitButton.bmp");

    ::testing::internal::CaptureStderr();
    loadSprites();
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors,
              "Fretstrummer: " + (folder.media / "Background.bmp").string() +
                  " is shorter than a whole picture; what it lacks of the picture is black\n"
                  "Fretstrummer: " +
                  (folder.media / "ExitButton.bmp").string() +
                  " cannot be read (No such file or directory); what it lacks of the picture is "
                  "black\n");

    ASSERT_EQ(LadSprite->width, 40);
    ASSERT_EQ(LadSprite->drawable->height, 40);
    EXPECT_EQ(std::memcmp(LadSprite->drawable->pixels, lad.data() + 54, 120 * 40), 0);
    EXPECT_EQ(
        std::memcmp(BackgroundSprite->drawable->pixels, background.data() + 54, 720 * 100 + 5), 0);
    const uint8_t* rest = BackgroundSprite->drawable->pixels + 720 * 100 + 5;
    EXPECT_TRUE(std::all_of(rest, rest + 720 * 220 - 5, [](uint8_t b) { return b == 0; }));
    ASSERT_EQ(ExitSprite->width, 5);
    EXPECT_TRUE(std::all_of(ExitSprite->drawable->pixels, ExitSprite->drawable->pixels + 16 * 5,
                            [](uint8_t b) { return b == 0; }));
}

TEST_F(DisplayTest, TheSplashIsLightTextOnBlackTitleAtTheTopLoadingInTheMiddle) {
    WindowClass windowClass{};
    platformRegisterClass(&windowClass);
    WindowHandle handle = platformCreateWindow(0, "", "", 0, 0, 0, 240, 320, 0, 0, 0, nullptr);
    showSplash(handle);
    EXPECT_EQ(scriptedCalls().back(), "show 0,0 240x320");
    Frame frame = window();
    // Where the light pixels are, row band by row band.
    auto box = [&](int fromRow, int toRow) {
        int left = 240, right = -1, top = 320, bottom = -1, light = 0;
        for (int y = fromRow; y < toRow; y++)
            for (int x = 0; x < 240; x++) {
                const uint8_t* p = &frame[size_t(720 * y + 3 * x)];
                if (p[0] != p[1] || p[1] != p[2]) ADD_FAILURE() << "colour at " << x << "," << y;
                if (p[0] == 0) continue;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
                light += p[0] > 160;
            }
        return std::vector<int>{left, right, top, bottom, light};
    };
    std::vector<int> title = box(0, 40), loading = box(140, 180);
    EXPECT_EQ(box(40, 140)[4] + box(180, 320)[4], 0) << "nothing but the two texts";
    EXPECT_EQ(box(40, 140)[1], -1);
    EXPECT_EQ(box(180, 320)[1], -1);
    EXPECT_LT(title[2], 6);                                 // at the top
    EXPECT_GT(title[4], 40);                                // readable strokes
    EXPECT_NEAR((title[0] + title[1]) / 2.0, 119.5, 3);     // centred
    EXPECT_GT(title[1] - title[0], 100);                    // 22 characters wide
    EXPECT_NEAR((loading[2] + loading[3]) / 2.0, 159.5, 4); // in the middle
    EXPECT_NEAR((loading[0] + loading[1]) / 2.0, 119.5, 3);
    EXPECT_GT(loading[4], 20);
}
