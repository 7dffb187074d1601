// The whole program over the scripted platform: start-up, its calls in order, and every way it
// ends.
#include "program_harness.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>

static const std::vector<std::string> StartUp = {
    "loadShell absent",
    "registerClass style=0 proc=set extra=0,0 instance=7 icon=0 cursor=0 background=4 "
    "menu=none class=Fretstrummer",
    "createWindow exStyle=0 class=Fretstrummer title=Fretstrummer style=0x80000000 0,0 240x320 "
    "parent=0 menu=0 instance=7 param=none",
    "setWindowLong 16 -16 0x80000000",
    "setWindowPos 16 -1 0,0 240x320 flags=67",
    "setForeground 16",
    "updateWindow 16",
    "keepScreenOn 1",
    "show 0,0 240x320",
    "waveOpen 1 1 22050 44100 2 16 0",
    "wavePrepare A 32",
    "wavePrepare B 32",
    "startThread",
    "show 0,0 240x320",
};
static const std::vector<std::string> Shutdown = {"waveUnprepare A", "waveUnprepare B",
                                                  "startThread",     "waveClose",
                                                  "keepScreenOn 0",  "exitProcess 0"};

// A whole run's calls: start-up, with `pumped` handled by its first message pump, then what the
// event loop did, then shutdown.
static std::vector<std::string> wholeRun(const std::vector<std::string>& pumped,
                                         const std::vector<std::string>& inLoop) {
    std::vector<std::string> calls = StartUp;
    calls.insert(calls.begin() + 7, pumped.begin(), pumped.end());
    calls.insert(calls.end(), inLoop.begin(), inLoop.end());
    calls.insert(calls.end(), Shutdown.begin(), Shutdown.end());
    return calls;
}

// Every run here finds the default Media in its Media folder.
struct ProgramTest : ::testing::Test {
    MediaFolder folder;
    void SetUp() override { folder.copyDefaults(); }
};

TEST_F(ProgramTest, StartsUpInOrderAndShutsDownAtTheEndOfTheQueue) {
    ProgramRun run = runProgram([] {});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(orderedCalls(run.record), wholeRun({}, {}));
    EXPECT_EQ(std::count(run.record.calls.begin(), run.record.calls.end(), "raiseThreadPriority"),
              1);
    EXPECT_EQ(run.errors, "");
}

TEST_F(ProgramTest, WithAShellTakesTheFullScreenAndGivesItBack) {
    ProgramRun run = runProgram([] {
        scriptedSetShellPresent(true);
        scriptedPostPause();
        scriptedPost(MsgActivate, 0, 0); // losing activation puts full screen back as well
    });
    std::vector<std::string> expected =
        wholeRun({"fullScreen 16 42"}, {"fullScreen 16 42", "dispatch 6 0 0", "default 6"});
    expected[0] = "loadShell present";
    expected.insert(expected.end() - 1, "fullScreen 16 21");
    EXPECT_EQ(orderedCalls(run.record), expected);
}

TEST(Program, ARefusedClassOrWindowEndsWithMinusOneOrMinusTwo) {
    ProgramRun refusedClass = runProgram([] { scriptedRefuseClass(true); });
    EXPECT_EQ(refusedClass.exitCode, -1);
    EXPECT_EQ(refusedClass.errors,
              "Fretstrummer: cannot register the window class: refused by the test's script\n");
    EXPECT_EQ(orderedCalls(refusedClass.record),
              (std::vector<std::string>{StartUp[0], StartUp[1], "exitProcess -1"}));
    ProgramRun refusedWindow = runProgram([] { scriptedRefuseWindow(true); });
    EXPECT_EQ(refusedWindow.exitCode, -2);
    EXPECT_EQ(refusedWindow.errors,
              "Fretstrummer: cannot create the window: refused by the test's script\n");
    EXPECT_EQ(orderedCalls(refusedWindow.record),
              (std::vector<std::string>{StartUp[0], StartUp[1], StartUp[2], "exitProcess -2"}));
}

TEST_F(ProgramTest, AFailedStartUpSaysWhyAndEndsAtOnce) {
    ProgramRun noAudio = runProgram([] { scriptedRefuseWaveOpen(true); });
    EXPECT_EQ(noAudio.exitCode, -3);
    EXPECT_EQ(noAudio.errors,
              "Fretstrummer: cannot open the audio output: refused by the test's script\n");
    EXPECT_EQ(orderedCalls(noAudio.record).back(), "exitProcess -3");

    std::filesystem::remove(folder.media / "4.wav");
    ProgramRun noSample = runProgram([] {});
    EXPECT_EQ(noSample.exitCode, -4);
    EXPECT_EQ(noSample.errors, "Fretstrummer: cannot load " + (folder.media / "4.wav").string() +
                                   ": No such file or directory\n");
    // Nothing of shutdown: the audio is not closed and the switch stays on.
    std::vector<std::string> calls = orderedCalls(noSample.record);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
              (std::vector<std::string>{"startThread", "exitProcess -4"}));

    folder.copyDefaults(".wav");
    ProgramRun noSurface = runProgram([] { scriptedRefuseSurface(true); });
    EXPECT_EQ(noSurface.exitCode, -5);
    EXPECT_EQ(noSurface.errors,
              "Fretstrummer: cannot create the back buffer: refused by the test's script\n");
}

TEST_F(ProgramTest, StartUpsPumpsGiveDefaultHandlingAndKeepAQuitOrAClose) {
    // A quit (a SIGTERM, Ctrl-C) while the program starts stops that pump unhandled, and ends the
    // program once start-up is over: what was waiting behind it is pumped, nothing after.
    ProgramRun quit = runProgram([] {
        scriptedPost(MsgPaint, 0, 0);
        scriptedPostQuit();
        scriptedPost(MsgActivate, 0, 0);
        scriptedPostPause();
        scriptedPostStylus(MsgStylusDown, 2, 3);
    });
    EXPECT_EQ(quit.exitCode, 0);
    std::vector<std::string> pumped = {"translate 15", "dispatch 15 0 0", "default 15"};
    std::vector<std::string> expected = wholeRun(pumped, {});
    expected.insert(expected.begin() + 7 + 3,
                    {"translate 6", "dispatch 6 0 0", "default 6"}); // the second pump
    EXPECT_EQ(orderedCalls(quit.record), expected);

    // So does a window closed while the program starts.
    ProgramRun closed = runProgram([] {
        scriptedPost(MsgClose, 0, 0);
        scriptedPostPause();
        scriptedPostStylus(MsgStylusDown, 100, 100);
    });
    EXPECT_EQ(closed.exitCode, 0);
    EXPECT_EQ(orderedCalls(closed.record),
              wholeRun({"translate 16", "dispatch 16 0 0", "default 16"}, {}));
}

TEST_F(ProgramTest, CloseAndDestroyEndTheProgramAfterTheirDispatch) {
    for (uint32_t message : {MsgClose, MsgDestroy}) {
        ProgramRun run = runProgram([message] {
            scriptedPostPause();
            scriptedPost(message, 0, 0);
            scriptedPostStylus(MsgStylusDown, 100, 100); // never reached
        });
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(orderedCalls(run.record),
                  wholeRun({}, {"dispatch " + std::to_string(message) + " 0 0",
                                "default " + std::to_string(message)}))
            << message;
        EXPECT_TRUE(run.record.blocks.size() <= 3) << "a note was plucked";
    }
}
