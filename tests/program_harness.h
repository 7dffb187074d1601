// program_harness.h -- runs the whole program over the scripted platform in a child process.
#pragma once

#include "platform/scripted/scripted.h"

#include <functional>
#include <string>
#include <vector>

struct ProgramRun {
    int exitCode; // as the entry operation or the exit call gave it: -1, -2, 0, ...
    ScriptedRecord record;
    std::string errors; // what it wrote on stderr
};

// Forks; the child sets up the scripted platform with `script`, runs the program's entry
// operation and ends; the parent reads back the exit code, the record and stderr.
ProgramRun runProgram(const std::function<void()>& script);

// The record's calls without those whose place depends on thread timing.
std::vector<std::string> orderedCalls(const ScriptedRecord& record);
