// system.cpp -- process-level roles of the real program: where the executable lives.
#include "platform/platform.h"

#include <unistd.h>

int platformExecutablePath(char* path, int capacity) {
    if (capacity < 2) return 0;
    // readlink does not terminate and silently truncates: a result that fills the whole buffer
    // may have been cut, and leaves no room for the terminator, so it counts as not fitting.
    ssize_t length = readlink("/proc/self/exe", path, static_cast<size_t>(capacity));
    if (length <= 0 || length >= capacity) {
        path[0] = '\0';
        return 0;
    }
    path[length] = '\0';
    return static_cast<int>(length);
}
