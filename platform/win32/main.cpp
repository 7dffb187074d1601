// main.cpp -- the process's entry on Windows: runs the program and ends with its exit code.
#include "app/startup.h"
#include "platform/platform.h"
#include "platform/shared/options.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Started from a console, the usage and the failure lines go to it.
    bool noOutput = !GetStdHandle(STD_OUTPUT_HANDLE), noErrors = !GetStdHandle(STD_ERROR_HANDLE);
    if ((noOutput || noErrors) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (noOutput) std::freopen("CONOUT$", "w", stdout);
        if (noErrors) std::freopen("CONOUT$", "w", stderr);
    }
    // Lines end in '\n' alone, as on every other platform.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    int code = takeCommandLine(__argc, __argv);
    if (code >= 0) platformExitProcess(code);
    code = programEntry(1, 0, "", 1);
    platformExitProcess(code);
}
