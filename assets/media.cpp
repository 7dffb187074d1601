// media.cpp -- finds the Media folder and reads its files whole.
#include "assets/media.h"

#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

char MediaDir[MediaDirCapacity];

static const char MediaFolderName[] = "Media/";

void buildMediaDir() {
    MediaDir[0] = '\0';
    char exe[MediaDirCapacity];
    int length = platformExecutablePath(exe, sizeof exe);
    if (length <= 0) return;
    // The folder ends at the last separator, so a program installed in a folder of its own
    // name (~/fretstrummer/fretstrummer) still finds the Media folder beside it.
    const char* lastSlash = std::strrchr(exe, '/');
    if (!lastSlash) return;
    size_t folderLength = static_cast<size_t>(lastSlash - exe) + 1;
    if (folderLength + sizeof MediaFolderName > sizeof MediaDir) return;
    std::memcpy(MediaDir, exe, folderLength);
    std::memcpy(MediaDir + folderLength, MediaFolderName, sizeof MediaFolderName);
}

int mediaPath(const char* name, char* path, int capacity) {
    if (capacity < 1) return 0;
    path[0] = '\0';
    size_t dirLength = std::strlen(MediaDir);
    size_t nameLength = std::strlen(name);
    if (dirLength == 0 || dirLength + nameLength + 1 > static_cast<size_t>(capacity)) return 0;
    std::memcpy(path, MediaDir, dirLength);
    std::memcpy(path + dirLength, name, nameLength + 1);
    return 1;
}

int loadMediaFile(const char* name, unsigned char** data, uint32_t* size) {
    *data = nullptr;
    *size = 0;
    char path[MediaPathCapacity];
    if (!mediaPath(name, path, sizeof path)) return 0;

    // A directory or a device opens like a file but has no size worth trusting.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return 0;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return 0;

    long end = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) end = std::ftell(file);
    // Sizes travel as 32-bit numbers: a larger file would be measured wrong, so it is refused.
    if (end <= 0 || static_cast<unsigned long>(end) > UINT32_MAX ||
        std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return 0;
    }
    uint32_t measured = static_cast<uint32_t>(end);
    *size = measured;

    unsigned char* block = static_cast<unsigned char*>(std::malloc(measured));
    if (!block) {
        std::fclose(file);
        return 0;
    }
    *data = block;

    // One read may deliver less than asked; keep reading until the file is whole or ends.
    uint32_t delivered = 0;
    while (delivered < measured) {
        size_t got = std::fread(block + delivered, 1, measured - delivered, file);
        if (got == 0) break;
        delivered += static_cast<uint32_t>(got);
    }
    std::fclose(file);

    if (delivered < measured) {
        // The file ended before its measured size (or the read failed): no caller may take
        // the missing bytes for sound or pixels.
        std::memset(block + delivered, 0, measured - delivered);
        return 0;
    }
    return 1;
}
