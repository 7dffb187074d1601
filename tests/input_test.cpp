// Stylus points to plucks, and the routing of keys and messages, in process.
#include "app/event_loop.h"
#include "app/startup.h"
#include "assets/sample_bank.h"
#include "display/screen.h"
#include "instrument/chords.h"
#include "instrument/strings.h"
#include "platform/scripted/scripted.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

struct InputTest : ::testing::Test {
    MediaFolder folder;
    std::vector<uint8_t> window = std::vector<uint8_t>(240 * 320 * 3);

    void SetUp() override {
        scriptedReset();
        for (int i = 0; i < 6; i++) folder.write(std::to_string(i + 1) + ".wav", pcm({i, i, i}));
        ASSERT_EQ(buildSampleBank(), 1);
        for (Voice& voice : VoicePool) stopVoice(&voice);
        std::memset(Strings, 0, sizeof Strings);
        std::memset(KeyDownTable, 0, sizeof KeyDownTable);
        clearChords();
        ActiveChord = EditedChord = nullptr;
        loadSprites();
        initStrings();
        WindowSurface.pixels = window.data();
    }
    void TearDown() override {
        releaseSampleBank();
        scriptedReset();
    }

    // The strings plucked since the last call, in the order of their voices; marks the voices
    // sounding now so that a later pluck shows as a voice back at position 0.
    static std::vector<int> plucked() {
        std::vector<int> strings;
        for (Voice& voice : VoicePool)
            if (voice.isFree.load() == 0 && voice.position == 0) {
                strings.push_back(voice.ownerString);
                EXPECT_EQ(voice.data, SampleBank[voice.ownerString * FretCount].data);
                voice.position = 2;
            }
        return strings;
    }
    static int route(uint32_t message, uint32_t wParam, uint32_t lParam, bool* exit = nullptr) {
        bool ignored = false;
        Message m{MainWindow, message, wParam, lParam};
        return routeMessage(&m, exit ? exit : &ignored);
    }
    static int stylus(uint32_t message, int x, int y, bool* exit = nullptr) {
        return route(message, 0, (uint32_t(y) & 0xFFFF) << 16 | (uint32_t(x) & 0xFFFF), exit);
    }
};

TEST_F(InputTest, AStringSoundsOncePerVisitAndStroke) {
    stylus(MsgStylusDown, 10, 100);
    stylus(MsgStylusMove, 39, 300);
    stylus(MsgStylusMove, 10, 100);
    EXPECT_EQ(plucked(), std::vector<int>{5});
    stylus(MsgStylusMove, 40, 100); // the neighbour, and back
    stylus(MsgStylusMove, 39, 100);
    EXPECT_EQ(plucked(), (std::vector<int>{5, 4}));
    stylus(MsgStylusUp, 39, 100); // lift and touch again
    stylus(MsgStylusDown, 39, 100);
    EXPECT_EQ(plucked(), std::vector<int>{5});
    // Through the reset strip and back into the same column: no new pluck.
    stylus(MsgStylusMove, 60, 100);
    plucked();
    stylus(MsgStylusMove, 60, 2);
    stylus(MsgStylusMove, 60, 100);
    EXPECT_EQ(plucked(), std::vector<int>{});
}

TEST_F(InputTest, TheCornersAndEdgesOfThePlayView) {
    ChordTable[uint8_t('A')].assigned = 1;
    EXPECT_EQ(stylusPoint(2, 3), 0);
    struct {
        int x, y, string;
    } points[] = {{5, 0, 5},     {49, 0, 4}, {191, 0, 1}, {100, 5, 3},
                  {239, 319, 0}, {0, 5, 5},  {40, 5, 4}};
    for (auto p : points) {
        EXPECT_EQ(stylusPoint(p.x, p.y), 1);
        EXPECT_EQ(plucked(), std::vector<int>{p.string}) << p.x << "," << p.y;
    }
    for (auto [x, y] : {std::pair{240, 10}, {10, 320}, {65535, 10}, {10, 65535}}) {
        EXPECT_EQ(stylusPoint(x, y), 1);
        EXPECT_EQ(plucked(), std::vector<int>{}) << x << "," << y;
    }
    EXPECT_EQ(ChordTable[uint8_t('A')].assigned, 1);
    stylusPoint(50, 4);
    EXPECT_EQ(ChordTable[uint8_t('A')].assigned, 0);
    ChordTable[uint8_t('A')].assigned = 1;
    stylusPoint(190, 0);
    EXPECT_EQ(ChordTable[uint8_t('A')].assigned, 0);
    EXPECT_EQ(plucked(), std::vector<int>{});
}

TEST_F(InputTest, APluckCutsOnlyItsOwnStringsPreviousNote) {
    stylusPoint(10, 10); // string 5 on voice 0
    stylusPoint(50, 10); // string 4 on voice 1
    stylusPoint(10, 10); // string 5 again: its note is cut, and voice 0 is taken again
    EXPECT_EQ(Strings[5].voice, &VoicePool[0]);
    EXPECT_EQ(plucked(), (std::vector<int>{5, 4}));
    // Voice 0 ends and goes to string 3; string 5's next pluck leaves it alone.
    stopVoice(&VoicePool[0]);
    stylusPoint(90, 10);
    EXPECT_EQ(Strings[3].voice, &VoicePool[0]);
    stylusPoint(10, 10);
    EXPECT_EQ(Strings[5].voice, &VoicePool[2]);
    EXPECT_EQ(VoicePool[0].isFree.load(), 0);
    EXPECT_EQ(VoicePool[0].ownerString, 3);
}

TEST_F(InputTest, KeysReachTheChordsOncePerPressWithoutTheSystemsKeys) {
    ChordSlot& a = ChordTable[uint8_t('A')];
    a.assigned = 1;
    a.frets[0] = 3;
    route(MsgKeyDown, 'A', 0);
    EXPECT_EQ(Strings[0].fret, 3);
    Strings[0].fret = 0;
    route(MsgKeyDown, 'A', 0); // auto-repeat is absorbed
    EXPECT_EQ(Strings[0].fret, 0);
    Strings[0].fret = 3;
    route(MsgKeyUp, 'A', 0);
    EXPECT_EQ(Strings[0].fret, 0);
    EXPECT_EQ(KeyDownTable[uint8_t('A')], 0);

    // A system key-down and a plain key-up of one code are one press.
    route(MsgSysKeyDown, 'A', 0);
    EXPECT_EQ(KeyDownTable[uint8_t('A')], 1);
    route(MsgImeKeyUp, 'A', 0);
    EXPECT_EQ(KeyDownTable[uint8_t('A')], 0);
    EXPECT_EQ(ActiveChord, nullptr);

    // A release never pressed does nothing; an unassigned key opens the editor.
    route(MsgKeyUp, 'B', 0);
    EXPECT_EQ(KeyDownTable[uint8_t('B')], 0);
    for (uint32_t code : {91u, 127u, 130u, 135u, 0x15Bu - 0x100u}) {
        route(MsgKeyDown, code, 0);
        route(MsgSysKeyDown, code, 0);
        EXPECT_EQ(KeyDownTable[code & 0xFF], 0) << code;
        EXPECT_EQ(EditedChord, nullptr) << code;
    }
    route(MsgKeyDown, 126, 0);
    EXPECT_EQ(EditedChord, &ChordTable[126]);
    route(MsgKeyUp, 136, 0);
    EXPECT_EQ(EditedChord, &ChordTable[126]);
    route(MsgKeyUp, 126, 0);
    EXPECT_EQ(EditedChord, nullptr);
    // The whole word is compared: 91 + 256 is no Windows key, and stands for key 91.
    route(MsgKeyDown, 91 + 256, 0);
    EXPECT_EQ(KeyDownTable[91], 1);
}

TEST_F(InputTest, WhatIsDispatchedAndWhatEndsTheProgram) {
    for (uint32_t message :
         {MsgContextMenu, MsgChar, MsgSysChar, MsgSysCommand, MsgImeChar, MsgHotKey, MsgStylusUp})
        EXPECT_EQ(route(message, 'Q', 0), 0) << message;
    EXPECT_EQ(EditedChord, nullptr);
    for (uint32_t message :
         {uint32_t(MsgPaint), uint32_t(MsgDeadChar), 1234u, uint32_t(MsgActivate)})
        EXPECT_EQ(route(message, 0, 0), 1) << message;
    for (uint32_t message : {MsgClose, MsgDestroy}) {
        bool exit = false;
        EXPECT_EQ(route(message, 0, 0, &exit), 1);
        EXPECT_TRUE(exit);
    }
    bool exit = false;
    EXPECT_EQ(stylus(MsgStylusMove, 100, 100, &exit), 0);
    EXPECT_FALSE(exit);
    EXPECT_EQ(stylus(MsgStylusDown, 4, 4, &exit), 1);
    EXPECT_TRUE(exit);

    // Stylus up ends the stroke even when there was none.
    Strings[2].struck = 1;
    stylus(MsgStylusUp, 500, 500);
    EXPECT_EQ(Strings[2].struck, 0);
}
