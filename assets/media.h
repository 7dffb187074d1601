// media.h -- the Media folder beside the executable, and the one way the program reads a file.
#pragma once

#include <cstdint>
#include <cstdio>

// Room for the longest path Linux hands out (PATH_MAX, 4096) followed by "Media/".
inline constexpr int MediaDirCapacity = 4096 + 8;
// Room for MediaDir followed by a file name of up to NAME_MAX (255) bytes.
inline constexpr int MediaPathCapacity = MediaDirCapacity + 256;

// The media folder's full path, ending in '/'. Empty until buildMediaDir has found it, and left
// empty when the executable's path cannot be had: then every load fails.
extern char MediaDir[MediaDirCapacity];

// Why the last open, read or load of a media file failed, for the line that reports it; empty
// while nothing has failed.
extern char MediaFailure[256];
// Puts why into MediaFailure; returns 0, the failure's result.
int mediaFailed(const char* why);

// Fills MediaDir with the executable's folder (its path up to and including the last '/')
// followed by "Media/". Called once at start-up, before the first load.
void buildMediaDir();

// Writes MediaDir followed by name into path. 0 when MediaDir is empty or the result does not
// fit in capacity bytes; path is then empty.
int mediaPath(const char* name, char* path, int capacity);

// A regular file of the media folder, open for reading piece by piece. Files of any size open:
// only the pieces asked for are read.
struct MediaFile {
    std::FILE* file;
    uint64_t size;
    uint64_t position; // where the next read starts unless told otherwise
};

// Opens the file `name` of the media folder. 1 when open; 0 when it is missing, unreadable,
// empty or not a regular file, with MediaFailure saying which.
int openMediaFile(const char* name, MediaFile* file);
// Reads up to `bytes` bytes from `offset` into `into` and returns how many arrived: fewer only
// where the file ends or the read fails (then MediaFailure says why).
uint32_t readMediaFile(MediaFile* file, uint64_t offset, void* into, uint32_t bytes);
void closeMediaFile(MediaFile* file);

// Reads the first `most` bytes of the file `name` (all of it when it is shorter) into a new
// block of just that size, which the caller keeps. Returns 1 when all of them were read, with
// *size their number. On failure MediaFailure says why, and *data is none (the file could not
// be opened or the block could not be had) or the block with the bytes the read did not
// deliver set to 0; *size is the block's size, or 0 when there is none.
int loadMediaFile(const char* name, unsigned char** data, uint32_t* size,
                  uint32_t most = UINT32_MAX);
