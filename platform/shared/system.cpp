// system.cpp -- the process's end and the reason for the last refusal, the same on every
// windowing platform.
#include "platform/platform.h"
#include "platform/shared/port.h"

#include <cstdio>

static char failureReason[256];

int refuse(const char* why) {
    std::snprintf(failureReason, sizeof failureReason, "%s", why ? why : "");
    return 0;
}

const char* platformFailureReason() {
    return failureReason;
}

void platformExitProcess(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    portEndProcess(code);
}
