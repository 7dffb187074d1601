// main.cpp -- main() on Linux and the web: runs the program and ends with its exit code.
#include "app/startup.h"
#include "platform/platform.h"
#include "platform/shared/keypad.h"

int main(int argc, char** argv) {
    keypadTakeOptions(argc, argv);
    int code = programEntry(1, 0, "", 1);
    platformExitProcess(code);
}
