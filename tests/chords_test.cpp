// Chord keys and the editor's logic: which view shows, which frets the strings have.
#include "app/startup.h"
#include "display/screen.h"
#include "display/sprites.h"
#include "instrument/chords.h"
#include "instrument/strings.h"
#include "platform/scripted/scripted.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

struct ChordsTest : ::testing::Test {
    std::vector<uint8_t> window = std::vector<uint8_t>(240 * 320 * 3);

    void SetUp() override {
        scriptedReset();
        loadSprites(); // no Media folder: black pictures of the right sizes
        std::memset(Strings, 0, sizeof Strings);
        initStrings();
        clearChords();
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
