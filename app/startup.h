// startup.h -- the program's entry operation, its start-up and its shutdown.
#pragma once

#include "platform/platform.h"

// The one window of the program.
extern WindowHandle MainWindow;
// The shell's full-screen call, or none where the platform has no such shell.
extern ShellFullScreen FullScreenCall;

// Starts the program and runs it to its end. Returns -1 when the window class is refused and
// -2 when the window is; every other run ends the process from inside: 0 after shutdown, -3
// when the audio output cannot be opened, -4 when a sample file cannot be loaded, -5 when the
// back buffer cannot be created. Only the instance is used.
int programEntry(InstanceHandle instance, InstanceHandle previous, const char* commandLine,
                 int show);

// Handles the messages waiting now, without waiting for more; stops at the quit message, which
// it takes from the queue without handling it. Notes a quit, a close request or destruction in
// CloseDuringStartUp: the program ends once start-up is over.
void pumpMessages();
extern bool CloseDuringStartUp;

// The window procedure: everything goes to the platform's default handling.
int32_t windowProc(WindowHandle window, uint32_t message, uint32_t wParam, uint32_t lParam);

// Stops the audio, gives the screen back and ends the process with 0.
[[noreturn]] void shutdown();

// Calls the shell's full-screen operation when there is one.
void fullScreen(uint32_t flags);
