// main.cpp -- main() on Linux and the web: runs the program and ends with its exit code.
#include "app/startup.h"
#include "platform/platform.h"
#include "platform/shared/options.h"

int main(int argc, char** argv) {
    int code = takeCommandLine(argc, argv);
    if (code >= 0) platformExitProcess(code);
    code = programEntry(1, 0, "", 1);
    platformExitProcess(code);
}
