// file.cpp -- the file role where paths are bytes and UTF-8 by custom: Linux (the SDL and the
// scripted platforms) and the browser's file system.
#include "platform/platform.h"

std::FILE* platformOpenFile(const char* path) {
    return std::fopen(path, "rb");
}
