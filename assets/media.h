// media.h -- the Media folder beside the executable, and the one way the program reads a file.
#pragma once

#include <cstdint>

// Room for the longest path Linux hands out (PATH_MAX, 4096) followed by "Media/".
inline constexpr int MediaDirCapacity = 4096 + 8;
// Room for MediaDir followed by a file name of up to NAME_MAX (255) bytes.
inline constexpr int MediaPathCapacity = MediaDirCapacity + 256;

// The media folder's full path, ending in '/'. Empty until buildMediaDir has found it, and left
// empty when the executable's path cannot be had: then every load fails.
extern char MediaDir[MediaDirCapacity];

// Fills MediaDir with the executable's folder (its path up to and including the last '/')
// followed by "Media/". Called once at start-up, before the first load.
void buildMediaDir();

// Writes MediaDir followed by name into path. 0 when MediaDir is empty or the result does not
// fit in capacity bytes; path is then empty.
int mediaPath(const char* name, char* path, int capacity);

// Reads the file `name` of the media folder whole into a new block that the caller keeps.
// Returns 1 when every byte of the file was read. On failure *data is none (the file could not
// be opened, is empty, is not a regular file, is 4 GiB or larger, or the block could not be had)
// or the block with the bytes the read did not deliver set to 0; *size is the measured size,
// or 0 when there was none.
int loadMediaFile(const char* name, unsigned char** data, uint32_t* size);
