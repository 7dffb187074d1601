// scripted_internal.h -- what the scripted platform's files share among themselves.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

// Guards every record and control of the scripted platform.
extern std::mutex scriptedMutex;
// Appends to the call record; scriptedMutex held.
void scriptedRecord(const std::string& call);
void scriptedResetWave();
void scriptedResetWindow();
void scriptedWriteRecord(const char* path, const uint8_t* pixels);
