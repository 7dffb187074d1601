// main.cpp -- the process's entry on Windows: runs the program and ends with its exit code.
#include "app/startup.h"
#include "platform/platform.h"
#include "platform/shared/keypad.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Started from a console, the failure lines go to it.
    if (!GetStdHandle(STD_ERROR_HANDLE) && AttachConsole(ATTACH_PARENT_PROCESS))
        std::freopen("CONOUT$", "w", stderr);
    // Lines end in '\n' alone, as on every other platform.
    _setmode(_fileno(stderr), _O_BINARY);
    keypadTakeOptions(__argc, __argv);
    int code = programEntry(1, 0, "", 1);
    platformExitProcess(code);
}
