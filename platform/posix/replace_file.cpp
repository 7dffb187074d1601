// replace_file.cpp -- replacing a file whole on a POSIX system: Linux, for the SDL and the
// scripted platforms.
#include "platform/platform.h"
#include "platform/shared/port.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char reason[PATH_MAX + 128];

int refused(const char* what, const char* path) {
    std::snprintf(reason, sizeof reason, "%s %s: %s", what, path, std::strerror(errno));
    refuse(reason);
    return 1;
}

bool writeAll(int fd, const char* data, uint32_t size) {
    while (size > 0) {
        ssize_t wrote = write(fd, data, size);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            if (wrote == 0) errno = ENOSPC;
            return false;
        }
        data += wrote;
        size -= static_cast<uint32_t>(wrote);
    }
    return true;
}

} // namespace

int platformReplaceFile(const char* path, const void* data, uint32_t size) {
    // The new text goes to a file of its own in the same folder (a rename moves only within a
    // file system), reaches the disk, and only then takes the old file's name: at every moment
    // the name holds the old file or the new one, whole.
    char temporary[PATH_MAX];
    if (std::snprintf(temporary, sizeof temporary, "%s.XXXXXX", path) >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return refused("cannot write", path);
    }
    int fd = mkstemp(temporary);
    if (fd < 0) return refused("cannot write into the folder of", path);
    bool written = writeAll(fd, static_cast<const char*>(data), size) && fsync(fd) == 0 &&
                   fchmod(fd, 0644) == 0;
    int error = errno;
    if (close(fd) != 0 && written) written = false, error = errno;
    if (!written || rename(temporary, path) != 0) {
        if (written) error = errno;
        unlink(temporary);
        errno = error;
        return refused("cannot write", path);
    }
    // The rename itself reaches the disk with the folder.
    char folder[PATH_MAX];
    std::snprintf(folder, sizeof folder, "%s", path);
    char* slash = std::strrchr(folder, '/');
    if (slash) *(slash == folder ? slash + 1 : slash) = '\0';
    int directory = open(slash ? folder : ".", O_RDONLY | O_DIRECTORY);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
    return 0;
}
