// scripted_internal.h -- what the scripted platform's files share among themselves.
#pragma once

#include <mutex>
#include <string>

// Guards every record and control of the scripted platform.
extern std::mutex scriptedMutex;
// Appends to the call record; scriptedMutex held.
void scriptedRecord(const std::string& call);
void scriptedResetWave();
