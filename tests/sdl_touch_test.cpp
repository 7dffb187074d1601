// The on-screen chord keys and several fingers at once, on the real SDL platform: SDL's own
// finger and mouse events, under its dummy video driver, through the platform into the program's
// input rules.
#include "app/event_loop.h"
#include "app/startup.h"
#include "assets/sample_bank.h"
#include "display/screen.h"
#include "instrument/chords.h"
#include "instrument/strings.h"
#include "platform/shared/keypad.h"
#include "platform/shared/options.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// The dummy display is 1024 x 768, landscape: the pad stands beside the strings, two columns
// of 60 x 80 keys from x = 240, and the window is 360 x 320 at twice the size.
struct SdlTouchTest : ::testing::Test {
    int16_t notes[SampleCount][4] = {};
    std::vector<std::string> seen;

    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        char program[] = "fretstrummer", keypad[] = "--keypad";
        char* argv[] = {program, keypad};
        ASSERT_EQ(takeCommandLine(2, argv), -1);
        WindowClass windowClass{};
        ASSERT_EQ(platformRegisterClass(&windowClass), 1u);
        MainWindow = platformCreateWindow(0, "", "Fretstrummer", 0, 0, 0, 240, 320, 0, 0, 0, 0);
        ASSERT_NE(MainWindow, 0u) << platformFailureReason();
        // A note of its own for every string and fret, so a voice tells which was plucked.
        for (int i = 0; i < SampleCount; i++) SampleBank[i] = Sample{notes[i], 8};
        ::testing::internal::CaptureStderr(); // no Media folder here: black pictures
        loadSprites();
        ::testing::internal::GetCapturedStderr();
        std::memset(Strings, 0, sizeof Strings);
        initStrings();
        clearChords();
        ActiveChord = EditedChord = nullptr;
        ASSERT_EQ(createSurfaces(MainWindow), 1);
        for (Voice& voice : VoicePool) stopVoice(&voice);
    }
    void TearDown() override {
        for (Voice& voice : VoicePool) stopVoice(&voice);
        for (Sample& sample : SampleBank) sample = Sample{};
    }

    // A finger (or the mouse, for mouse events) at (x, y) of the screen's pixels, in SDL's terms:
    // a fraction of the window for a finger, a window pixel for the mouse.
    static void push(uint32_t type, SDL_FingerID id, int x, int y) {
        SDL_Event event{};
        event.type = type;
        event.tfinger.fingerId = id;
        event.tfinger.x = (2 * x + 1) / 720.0f;
        event.tfinger.y = (2 * y + 1) / 640.0f;
        if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP)
            event.button =
                SDL_MouseButtonEvent{type, 0, 0, 0, SDL_BUTTON_LEFT, 0, 1, 0, 2 * x, 2 * y};
        SDL_PushEvent(&event);
    }
    // Takes every message the platform made of the events, as the event loop does.
    void pump() {
        Message message;
        bool exit = false;
        while (platformPeekMessage(&message, 1)) {
            if (message.message == MsgKeyDown || message.message == MsgKeyUp)
                seen.push_back((message.message == MsgKeyDown ? "down " : "up ") +
                               std::string(1, char(message.wParam)));
            if (message.message == MsgStylusDown) seen.push_back("stylus");
            routeMessage(&message, &exit);
        }
        EXPECT_FALSE(exit);
    }
    // The notes sounding, as string/fret.
    std::vector<std::string> sounding() const {
        std::vector<std::string> result;
        for (const Voice& voice : VoicePool)
            if (voice.isFree.load() == 0) {
                long i = (reinterpret_cast<const int16_t(*)[4]>(voice.data) - notes);
                result.push_back(std::to_string(i / FretCount) + "/" +
                                 std::to_string(i % FretCount));
            }
        return result;
    }
};

TEST_F(SdlTouchTest, OneFingerHoldsAPadKeyWhileAnotherStrumsOrSetsAChord) {
    const uint8_t frets[6] = {3, 2, 0, 0, 1, 7};
    std::memcpy(ChordTable[uint8_t('1')].frets, frets, 6);
    ChordTable[uint8_t('1')].assigned = 1;

    push(SDL_FINGERDOWN, 11, 270, 40); // key 1
    pump();
    for (int s = 0; s < 6; s++) EXPECT_EQ(Strings[s].fret, frets[s]) << s;
    // A stroke from the low string to the high one; a third finger on the strings meanwhile
    // plucks nothing.
    push(SDL_FINGERDOWN, 12, 5, 100);
    push(SDL_FINGERMOTION, 12, 110, 120);
    push(SDL_FINGERDOWN, 13, 125, 200);
    push(SDL_FINGERMOTION, 13, 60, 200);
    push(SDL_FINGERMOTION, 12, 235, 140);
    push(SDL_FINGERUP, 13, 60, 200);
    push(SDL_FINGERUP, 12, 235, 140);
    pump();
    EXPECT_EQ(sounding(), (std::vector<std::string>{"5/7", "4/1", "3/0", "2/0", "1/2", "0/3"}));
    // Lifting the chord's finger sets the frets back.
    push(SDL_FINGERUP, 11, 270, 40);
    pump();
    for (int s = 0; s < 6; s++) EXPECT_EQ(Strings[s].fret, 0) << s;
    EXPECT_EQ(seen, (std::vector<std::string>{"down 1", "stylus", "up 1"}));

    // A pad key with no chord opens the editor, and a tap there sets a fret.
    push(SDL_FINGERDOWN, 21, 330, 120); // key 4
    pump();
    ASSERT_EQ(EditedChord, &ChordTable[uint8_t('4')]);
    // The exit square's place: in the editor, string 5 at fret 7, and no exit.
    push(SDL_FINGERDOWN, 22, 2, 3);
    push(SDL_FINGERUP, 22, 2, 3);
    push(SDL_FINGERUP, 21, 330, 120);
    pump();
    EXPECT_EQ(EditedChord, nullptr);
    EXPECT_EQ(ChordTable[uint8_t('4')].assigned, 1);
    EXPECT_EQ(ChordTable[uint8_t('4')].frets[5], 7);
    EXPECT_EQ(sounding().size(), 6u); // the strum's notes, and nothing the taps plucked

    // A finger sliding off its key lifts it; the mouse presses keys as a finger does, and a
    // key two pointers hold goes up when the last lets go.
    seen.clear();
    push(SDL_FINGERDOWN, 23, 270, 120); // key 3
    push(SDL_FINGERMOTION, 23, 330, 120);
    push(SDL_FINGERMOTION, 23, 270, 120);
    push(SDL_FINGERUP, 23, 270, 120);
    push(SDL_FINGERDOWN, 24, 300, 300); // key 8
    push(SDL_MOUSEBUTTONDOWN, 0, 330, 250);
    push(SDL_FINGERUP, 24, 300, 300);
    push(SDL_MOUSEBUTTONUP, 0, 330, 250);
    pump();
    EXPECT_EQ(seen, (std::vector<std::string>{"down 3", "up 3", "down 8", "up 8"}));
}
