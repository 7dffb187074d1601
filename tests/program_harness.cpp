#include "program_harness.h"

#include "app/startup.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

ProgramRun runProgram(const std::function<void()>& script) {
    std::filesystem::path base = std::filesystem::temp_directory_path() /
                                 ("fretstrummer-run-" + std::to_string(std::random_device{}()));
    std::string recordPath = base.string() + ".record", errorPath = base.string() + ".stderr";
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        int errors = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(errors, 2);
        alarm(30); // a program that never ends fails the test instead of hanging it
        scriptedReset();
        scriptedSetRecordPath(recordPath.c_str());
        script();
        int code = programEntry(7, 3, "ignored", 5);
        platformExitProcess(code);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ProgramRun run{};
    run.exitCode = WIFEXITED(status) ? static_cast<int8_t>(WEXITSTATUS(status)) : 1000 + status;
    scriptedReadRecord(recordPath.c_str(), &run.record);
    std::ifstream errors(errorPath);
    run.errors.assign(std::istreambuf_iterator<char>(errors), {});
    std::filesystem::remove(recordPath);
    std::filesystem::remove(errorPath);
    return run;
}

std::vector<std::string> orderedCalls(const ScriptedRecord& record) {
    std::vector<std::string> calls;
    for (const std::string& call : record.calls)
        if (call != "raiseThreadPriority") calls.push_back(call);
    return calls;
}
