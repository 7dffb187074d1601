// startup.cpp -- from nothing to the first frame, and back to nothing.
#include "app/startup.h"

#include "app/event_loop.h"
#include "assets/media.h"
#include "assets/open_notes.h"
#include "assets/sample_bank.h"
#include "audio/audio_output.h"
#include "audio/midi_out.h"
#include "display/screen.h"
#include "display/splash.h"
#include "display/sprites.h"
#include "instrument/chord_file.h"
#include "instrument/strings.h"

#include <cstdio>

WindowHandle MainWindow;
ShellFullScreen FullScreenCall;

static constexpr uint32_t PopupStyle = 0x80000000;

void fullScreen(uint32_t flags) {
    if (FullScreenCall) FullScreenCall(MainWindow, flags);
}

int32_t windowProc(WindowHandle window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    return platformDefWindowProc(window, message, wParam, lParam);
}

bool CloseDuringStartUp;

void pumpMessages() {
    Message message;
    while (platformPeekMessage(&message, 1)) {
        // Closing the window or asking to quit (a SIGTERM, Ctrl-C) while the program starts must
        // not be lost: the event loop ends the program as soon as start-up is over.
        if (message.message == MsgQuit) {
            CloseDuringStartUp = true;
            return;
        }
        platformTranslateMessage(&message);
        platformDispatchMessage(&message);
        if (message.message == MsgClose || message.message == MsgDestroy) CloseDuringStartUp = true;
    }
}

// A start-up that cannot go on says why and ends the process at once.
static void say(const char* what, const char* why) {
    std::fprintf(stderr, "Fretstrummer: %s%s%s\n", what, why[0] ? ": " : "", why);
}

[[noreturn]] static void fail(int code, const char* what, const char* why) {
    say(what, why);
    platformExitProcess(code);
}

// A window that cannot be had ends the program with the platform's reason.
static int refused(int code, const char* what) {
    say(what, platformFailureReason());
    return code;
}

int programEntry(InstanceHandle instance, InstanceHandle, const char*, int) {
    FullScreenCall = platformLoadShellFullScreen();
    buildMediaDir();

    WindowClass windowClass{0,       windowProc,    0, 0, instance, 0, 0, StockBlackBrush,
                            nullptr, "Fretstrummer"};
    if ((platformRegisterClass(&windowClass) & 0xFFFF) == 0)
        return refused(-1, "cannot register the window class");
    MainWindow = platformCreateWindow(0, "Fretstrummer", "Fretstrummer", PopupStyle, 0, 0,
                                      ScreenWidth, ScreenHeight, 0, 0, instance, nullptr);
    if (!MainWindow) return refused(-2, "cannot create the window");
    platformSetWindowLong(MainWindow, WindowStyleField, PopupStyle);
    platformSetWindowPos(MainWindow, WindowTopMost, 0, 0, ScreenWidth, ScreenHeight,
                         WindowKeepSize | WindowKeepPlace | WindowShow);
    platformSetForegroundWindow(MainWindow);
    platformUpdateWindow(MainWindow);
    pumpMessages();
    fullScreen(ShellHideAll);
    pumpMessages();
    platformKeepScreenOn(1);
    showSplash(MainWindow);

    if (!openAudio(1, OutputRate, PlayLayout.blockSamples * sizeof(int16_t)))
        fail(-3, "cannot open the audio output", platformFailureReason());
    if (!buildSampleBank()) {
        if (!FailedSampleFile) fail(-4, "cannot build the notes", MediaFailure);
        char name[16], path[MediaPathCapacity], what[MediaPathCapacity + 16];
        std::snprintf(name, sizeof name, "%d.wav", FailedSampleFile);
        if (!mediaPath(name, path, sizeof path)) std::snprintf(path, sizeof path, "%s", name);
        std::snprintf(what, sizeof what, "cannot load %s", path);
        fail(-4, what, MediaFailure);
    }
    loadSprites();
    initStrings();

    if (!createSurfaces(MainWindow))
        fail(-5, "cannot create the back buffer", platformFailureReason());
    loadOpenNotes();
    loadChords();
    redrawAll();
    // A MIDI server may take its time to answer: the first frame does not wait for it.
    openMidi();
    pumpMessages();
    runEventLoop();
}

void shutdown() {
    closeMidi();
    closeAudio();
    platformKeepScreenOn(0);
    fullScreen(ShellShowAll);
    platformExitProcess(0);
}
