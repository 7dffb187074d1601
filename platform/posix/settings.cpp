// settings.cpp -- the player's settings folder on a Linux desktop, as the XDG base directory
// rules place it: $XDG_CONFIG_HOME/fretstrummer, or ~/.config/fretstrummer.
#include "platform/platform.h"
#include "platform/shared/port.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

char reason[PATH_MAX + 64];

// Makes the folder and those above it that are missing.
bool makeFolders(char* path) {
    for (char* slash = std::strchr(path + 1, '/');; slash = std::strchr(slash + 1, '/')) {
        if (slash) *slash = '\0';
        bool made = mkdir(path, 0755) == 0;
        if (!made && errno == EEXIST) {
            struct stat status;
            made = stat(path, &status) == 0 && S_ISDIR(status.st_mode);
            if (!made) errno = ENOTDIR;
        }
        if (slash) *slash = '/';
        if (!made || !slash) return made;
    }
}

} // namespace

int platformSettingsPath(const char* name, char* path, int capacity) {
    // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    int length;
    if (config && config[0] == '/')
        length = std::snprintf(path, capacity, "%s/fretstrummer/%s", config, name);
    else if (home && home[0] == '/')
        length = std::snprintf(path, capacity, "%s/.config/fretstrummer/%s", home, name);
    else
        return refuse("no settings folder: neither XDG_CONFIG_HOME nor HOME is set");
    if (length < 0 || length >= capacity) return refuse("the settings folder's path is too long");
    char* slash = std::strrchr(path, '/');
    *slash = '\0';
    errno = 0;
    bool made = makeFolders(path);
    if (!made)
        std::snprintf(reason, sizeof reason, "cannot make %s: %s", path, std::strerror(errno));
    *slash = '/';
    if (!made) return refuse(reason);
    return 1;
}
