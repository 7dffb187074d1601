// system.cpp -- process-level roles of the scripted platform: the executable path a test names.
#include "platform/platform.h"
#include "platform/scripted/scripted.h"

#include <cstring>
#include <string>

static std::string executablePath;
static bool executablePathKnown = false;

void scriptedSetExecutablePath(const char* path) {
    executablePathKnown = path != nullptr;
    executablePath = path ? path : "";
}

int platformExecutablePath(char* path, int capacity) {
    if (capacity < 1) return 0;
    path[0] = '\0';
    int length = static_cast<int>(executablePath.size());
    if (!executablePathKnown || length == 0 || length >= capacity) return 0;
    std::memcpy(path, executablePath.c_str(), static_cast<size_t>(length) + 1);
    return length;
}
