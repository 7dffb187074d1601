// media.cpp -- finds the Media folder and reads the parts of its files the program needs.
#include "assets/media.h"

#include "platform/platform.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

char MediaDir[MediaDirCapacity];
char MediaFailure[256];

static const char MediaFolderName[] = "Media/";

// Why MediaDir is empty, for the loads that then fail.
static const char* noMediaDir = "the media folder is unknown";

void buildMediaDir() {
    MediaDir[0] = '\0';
    noMediaDir = "the media folder is unknown";
    char exe[MediaDirCapacity];
    int length = platformExecutablePath(exe, sizeof exe);
    if (length < 0) noMediaDir = "the program's path is too long";
    if (length <= 0) return;
    // The folder ends at the last separator, so a program installed in a folder of its own
    // name (~/fretstrummer/fretstrummer) still finds the Media folder beside it.
    const char* lastSlash = std::strrchr(exe, '/');
    if (!lastSlash) return;
    size_t folderLength = static_cast<size_t>(lastSlash - exe) + 1;
    if (folderLength + sizeof MediaFolderName > sizeof MediaDir) {
        noMediaDir = "the program's path is too long";
        return;
    }
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

int mediaFailed(const char* why) {
    std::snprintf(MediaFailure, sizeof MediaFailure, "%s", why);
    return 0;
}

// Whether the file's folder lists it.
static bool listed(const std::filesystem::path& file) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(file.parent_path(), error), end;
         !error && entry != end; entry.increment(error))
        if (entry->path().filename() == file.filename()) return true;
    return false;
}

int openMediaFile(const char* name, MediaFile* media) {
    *media = MediaFile{};
    MediaFailure[0] = '\0';
    char path[MediaPathCapacity];
    if (!mediaPath(name, path, sizeof path)) return mediaFailed(noMediaDir);

    // Paths are UTF-8 on every platform, whatever the system's narrow code page. A directory or
    // a device opens like a file but has no size worth trusting, and opening a FIFO would wait
    // for a writer: only a regular file is opened.
    std::filesystem::path file(std::u8string_view(reinterpret_cast<const char8_t*>(path)));
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(file, error);
    // Windows (and Wine) cannot look into a FIFO, a device or a link that leads nowhere, and
    // calls it missing: one the folder lists is there, and it is not a regular file.
    if (error == std::errc::no_such_file_or_directory && listed(file))
        return mediaFailed("not a regular file");
    if (error) return mediaFailed(error.message().c_str());
    if (status.type() != std::filesystem::file_type::regular)
        return mediaFailed("not a regular file");
    uintmax_t size = std::filesystem::file_size(file, error);
    if (error) return mediaFailed(error.message().c_str());
    if (size == 0) return mediaFailed("the file is empty");
    std::FILE* opened = platformOpenFile(path);
    if (!opened) return mediaFailed(std::strerror(errno));
    *media = MediaFile{opened, size, 0};
    return 1;
}

// Moves to `offset` in steps a 32-bit long can hold, for platforms where long is that small.
static bool seekTo(MediaFile* file, uint64_t offset) {
    if (offset == file->position) return true;
    if (std::fseek(file->file, 0, SEEK_SET) != 0) return false;
    constexpr uint64_t Step = 1u << 30;
    for (uint64_t left = offset; left > 0;) {
        uint64_t step = left < Step ? left : Step;
        if (std::fseek(file->file, static_cast<long>(step), SEEK_CUR) != 0) return false;
        left -= step;
    }
    file->position = offset;
    return true;
}

uint32_t readMediaFile(MediaFile* file, uint64_t offset, void* into, uint32_t bytes) {
    if (!file->file) return 0;
    if (offset >= file->size)
        bytes = 0;
    else if (bytes > file->size - offset)
        bytes = static_cast<uint32_t>(file->size - offset);
    if (bytes == 0) return 0;
    if (!seekTo(file, offset)) {
        mediaFailed(std::strerror(errno));
        return 0;
    }
    // One read may deliver less than asked; keep reading until the piece is whole or the file
    // ends.
    uint32_t delivered = 0;
    while (delivered < bytes) {
        size_t got = std::fread(static_cast<unsigned char*>(into) + delivered, 1, bytes - delivered,
                                file->file);
        if (got == 0) break;
        delivered += static_cast<uint32_t>(got);
    }
    file->position = offset + delivered;
    if (delivered < bytes) {
        if (std::ferror(file->file))
            mediaFailed(std::strerror(errno));
        else
            std::snprintf(MediaFailure, sizeof MediaFailure,
                          "the file ended after %llu of its %llu bytes",
                          static_cast<unsigned long long>(file->position),
                          static_cast<unsigned long long>(file->size));
    }
    return delivered;
}

void closeMediaFile(MediaFile* file) {
    if (file->file) std::fclose(file->file);
    *file = MediaFile{};
}

int loadMediaFile(const char* name, unsigned char** data, uint32_t* size, uint32_t most) {
    *data = nullptr;
    *size = 0;
    MediaFile file;
    if (!openMediaFile(name, &file)) return 0;
    uint32_t wanted = file.size < most ? static_cast<uint32_t>(file.size) : most;
    unsigned char* block = wanted ? static_cast<unsigned char*>(std::malloc(wanted)) : nullptr;
    if (!block) {
        closeMediaFile(&file);
        return mediaFailed(wanted ? "out of memory" : "nothing to read");
    }
    *data = block;
    *size = wanted;
    uint32_t delivered = readMediaFile(&file, 0, block, wanted);
    closeMediaFile(&file);
    if (delivered < wanted) {
        // No caller may take the missing bytes for sound or pixels.
        std::memset(block + delivered, 0, wanted - delivered);
        return 0;
    }
    return 1;
}
