// Chord keys and the editor's logic: which view shows, which frets the strings have.
#include "app/startup.h"
#include "assets/open_notes.h"
#include "display/screen.h"
#include "display/sprites.h"
#include "instrument/chord_file.h"
#include "instrument/chords.h"
#include "instrument/strings.h"
#include "platform/scripted/scripted.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

struct ChordsTest : ::testing::Test {
    std::vector<uint8_t> window = std::vector<uint8_t>(240 * 320 * 3);

    void SetUp() override {
        clearChords();
        scriptedReset();
        loadSprites(); // no Media folder: black pictures of the right sizes
        std::memset(Strings, 0, sizeof Strings);
        initStrings();
        ActiveChord = EditedChord = nullptr;
        WindowSurface.pixels = window.data();
    }
    static void assign(uint32_t key, std::vector<uint8_t> frets) {
        std::memcpy(ChordTable[key].frets, frets.data(), 6);
        ChordTable[key].assigned = 1;
    }
    static std::vector<int> frets() {
        std::vector<int> result;
        for (const StringState& s : Strings) result.push_back(s.fret);
        return result;
    }
    static int redraws() {
        int count = 0;
        for (const std::string& call : scriptedCalls()) count += call == "show 0,0 240x320";
        return count;
    }
};

TEST_F(ChordsTest, TheViewsChangeAsTheirTableSays) {
    assign('A', {1, 2, 3, 4, 5, 6});
    chordKeyDown('A'); // play, assigned: frets applied, no redraw
    EXPECT_EQ(frets(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(ActiveChord, &ChordTable[uint8_t('A')]);
    EXPECT_EQ(redraws(), 0);
    chordKeyUp('A'); // play, any key up: frets back to 0, still play
    EXPECT_EQ(frets(), std::vector<int>(6, 0));
    EXPECT_EQ(redraws(), 0);

    chordKeyDown('C'); // play, unassigned: the editor
    EXPECT_EQ(EditedChord, &ChordTable[uint8_t('C')]);
    EXPECT_EQ(redraws(), 1);
    chordKeyDown('D'); // editor, unassigned: nothing
    EXPECT_EQ(EditedChord, &ChordTable[uint8_t('C')]);
    chordKeyDown('A'); // editor, assigned: applied, editor stays
    EXPECT_EQ(frets(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(EditedChord, &ChordTable[uint8_t('C')]);
    EXPECT_EQ(redraws(), 1);
    chordKeyUp('D'); // editor, any key up: back to play
    EXPECT_EQ(EditedChord, nullptr);
    EXPECT_EQ(redraws(), 2);
    EXPECT_EQ(frets(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST_F(ChordsTest, TheLastAssignedKeyPressedHoldsTheStrings) {
    assign('A', {1, 1, 1, 1, 1, 1});
    assign('B', {2, 2, 2, 2, 2, 2});
    chordKeyDown('A');
    chordKeyDown('B');
    EXPECT_EQ(frets(), std::vector<int>(6, 2));
    chordKeyUp('A');
    EXPECT_EQ(frets(), std::vector<int>(6, 2));
    chordKeyUp('B');
    EXPECT_EQ(frets(), std::vector<int>(6, 0));

    // A held while C opens the editor; releasing A closes it although C is still held.
    chordKeyDown('A');
    chordKeyDown('C');
    EXPECT_EQ(frets(), std::vector<int>(6, 1));
    chordKeyUp('A');
    EXPECT_EQ(frets(), std::vector<int>(6, 0));
    EXPECT_EQ(EditedChord, nullptr);
    int before = redraws();
    chordKeyUp('C');
    EXPECT_EQ(redraws(), before);
}

TEST_F(ChordsTest, TheResetStripForgetsEveryChordButNotTheOneHeld) {
    assign('A', {3, 3, 3, 3, 3, 3});
    chordKeyDown('A');
    stylusPoint(100, 2);
    for (const ChordSlot& slot : ChordTable) ASSERT_EQ(slot.assigned, 0);
    EXPECT_EQ(frets(), std::vector<int>(6, 3));
    chordKeyUp('A');
    EXPECT_EQ(frets(), std::vector<int>(6, 0));
    chordKeyDown('A');
    EXPECT_EQ(EditedChord, &ChordTable[uint8_t('A')]);
}

TEST_F(ChordsTest, EditingMarksOneFretPerStringAndAssignsOnlyOnAChange) {
    chordKeyDown('E');
    size_t calls = scriptedCalls().size();
    editTap(230, 300); // string 0's fret 0 is marked already
    EXPECT_EQ(scriptedCalls().size(), calls);
    EXPECT_EQ(ChordTable[uint8_t('E')].assigned, 0);
    // An all-open chord: another fret first, then back to 0.
    editTap(230, 250);
    editTap(230, 300);
    EXPECT_EQ(ChordTable[uint8_t('E')].assigned, 1);
    EXPECT_EQ(
        std::vector<uint8_t>(ChordTable[uint8_t('E')].frets, ChordTable[uint8_t('E')].frets + 6),
        std::vector<uint8_t>(6, 0));
    // A drag down string 2's column marks each cell in turn; the last one touched stays.
    std::vector<std::string> shown;
    for (int y = 0; y < 300; y += 10) editTap(125, y);
    std::vector<std::string> all = scriptedCalls();
    for (size_t i = calls; i < all.size(); i++)
        if (all[i].rfind("show 120,", 0) == 0) shown.push_back(all[i]);
    EXPECT_EQ(shown.size(), 16u); // frets 7 to 0 each marked, the one before each cleared
    EXPECT_EQ(ChordTable[uint8_t('E')].frets[2], 0);
    EXPECT_EQ(shown.back(), "show 120,280 40x40");
    editTap(0, 0); // the top-left corner: string 5 at fret 7
    EXPECT_EQ(ChordTable[uint8_t('E')].frets[5], 7);
}

struct ChordFileTest : ChordsTest {
    MediaFolder folder;
    std::filesystem::path file = folder.root / "chords.txt";
    void SetUp() override {
        ChordsTest::SetUp();
        for (int s = 0; s < 6; s++) OpenNotes[s] = std::vector<int>{40, 45, 50, 55, 59, 64}[s];
        ChordFileOption = file.c_str();
    }
    void TearDown() override {
        // Back to the scripted platform's own place, which keeps its files in memory.
        ChordFileOption = nullptr;
        clearChords();
        loadChords();
        for (int& note : OpenNotes) note = -1;
    }
    static std::string text(const std::filesystem::path& path) {
        Bytes bytes = readBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }
    static std::vector<uint8_t> fretsOf(uint32_t key) {
        return std::vector<uint8_t>(ChordTable[key].frets, ChordTable[key].frets + 6);
    }
    // Loads the file, returning what was said on stderr.
    static std::string load() {
        ::testing::internal::CaptureStderr();
        loadChords();
        return ::testing::internal::GetCapturedStderr();
    }
};

static const std::string Heading =
    "# Fretstrummer's chords: a key, then the frets of its six strings from the thickest to\n"
    "# the thinnest (0 the open string, 1 to 7 a fret). Lines starting with # are comments.\n";

TEST_F(ChordFileTest, GoodLinesLoadAndEachOtherIsNamedOnStderr) {
    std::string lines = "# a comment\n"
                        "A 0 2 2 1 0 0\n"
                        "Foo 0 0 0 0 0 0\n"
                        "B 0 8 0 0 0 0\n"
                        "C 0 0 0\n"
                        "D 0 0 0 0 0 0 0\n"
                        "\x01garbage\n"
                        "F x 0 0 0 0 0\n"
                        "\n"
                        "e 022100   # compact, and the key's name in any case\r\n"
                        "f1\t3 3 2 0 1 0";
    writeBytes(file, Bytes(lines.begin(), lines.end()));
    std::string path = file.string();
    EXPECT_EQ(load(), "Fretstrummer: " + path + ":3: skipped: no key of that name\n" +
                          "Fretstrummer: " + path + ":4: skipped: a fret outside 0 to 7\n" +
                          "Fretstrummer: " + path + ":5: skipped: fewer than six frets\n" +
                          "Fretstrummer: " + path + ":6: skipped: more than six frets\n" +
                          "Fretstrummer: " + path + ":7: skipped: not text\n" +
                          "Fretstrummer: " + path + ":8: skipped: a fret is not a number\n");
    int assigned = 0;
    for (const ChordSlot& slot : ChordTable) assigned += slot.assigned;
    EXPECT_EQ(assigned, 3);
    EXPECT_EQ(fretsOf('A'), (std::vector<uint8_t>{0, 2, 2, 1, 0, 0}));
    EXPECT_EQ(fretsOf('E'), (std::vector<uint8_t>{0, 2, 2, 1, 0, 0}));
    EXPECT_EQ(fretsOf(VkF1), (std::vector<uint8_t>{3, 3, 2, 0, 1, 0}));
    EXPECT_EQ(scriptedChordNames(), (std::vector<std::string>{"65 E", "69 E", "112 C/G"}));

    // Written back as the program writes it, and read back the same, silently.
    char written[ChordTextCapacity];
    uint32_t length = formatChords(written);
    EXPECT_EQ(std::string(written, length), Heading + "A            0 2 2 1 0 0   # E\n"
                                                      "E            0 2 2 1 0 0   # E\n"
                                                      "F1           3 3 2 0 1 0   # C/G\n");
    ChordSlot before[ChordCount];
    std::memcpy(before, ChordTable, sizeof before);
    std::memset(ChordTable, 0, sizeof ChordTable);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(parseChords(written, length, "again"), 3);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(std::memcmp(before, ChordTable, sizeof before), 0);

    // Every key has a name that reads back as that key.
    for (uint32_t code = 0; code < 256; code++) {
        char name[16];
        keyName(code, name);
        EXPECT_EQ(keyOfChordName(name, static_cast<int>(std::strlen(name))), int(code)) << name;
    }
}

TEST_F(ChordFileTest, AChordIsKeptWhenItsEditorClosesAndAResetKeepsTheSetItCleared) {
    EXPECT_EQ(load(), ""); // no file yet: an empty table, silently
    chordKeyDown('G');
    editTap(210, 170);                                   // string 0, fret 3
    EXPECT_EQ(scriptedChordNames().back(), "71 G6add9"); // named as it is tapped
    EXPECT_FALSE(std::filesystem::exists(file)) << "kept before its editor closed";
    chordKeyUp('G');
    EXPECT_EQ(text(file), Heading + "G            3 0 0 0 0 0   # G6add9\n");

    stylusPoint(100, 2); // the reset strip
    EXPECT_EQ(text(file), Heading);
    EXPECT_EQ(text(file.string() + ".previous"), Heading + "G            3 0 0 0 0 0   # G6add9\n");
    EXPECT_EQ(scriptedChordNames().back(), "71 ");
    std::filesystem::remove(file.string() + ".previous");
    stylusPoint(100, 2); // nothing to clear: nothing written
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".previous"));
}

TEST_F(ChordFileTest, AReadOnlyOrHugeFileIsPlayedAndAFailedWriteIsToldOfOnce) {
    std::string line = "A 0 2 2 1 0 0\n";
    writeBytes(file, Bytes(line.begin(), line.end()));
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    EXPECT_EQ(load(), "Fretstrummer: " + file.string() +
                          " is read-only: its chords are played, not saved\n");
    EXPECT_EQ(fretsOf('A'), (std::vector<uint8_t>{0, 2, 2, 1, 0, 0}));
    chordKeyDown('B');
    editTap(210, 170);
    chordKeyUp('B');
    EXPECT_EQ(text(file), line);
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);

    std::string huge = line + std::string(ChordFileMostBytes, '#');
    writeBytes(file, Bytes(huge.begin(), huge.end()));
    EXPECT_EQ(load(), "Fretstrummer: " + file.string() +
                          ": longer than 1048576 bytes: the rest "
                          "is skipped\n");
    EXPECT_EQ(ChordTable[uint8_t('A')].assigned, 1);

    scriptedRefuseReplaceFile(true);
    load();
    ::testing::internal::CaptureStderr();
    chordKeyDown('C');
    editTap(210, 170);
    chordKeyUp('C');
    chordKeyDown('D');
    editTap(210, 170);
    chordKeyUp('D');
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Fretstrummer: the chords will not be kept in " + file.string() +
                  ": refused by the test's script\n");
}
