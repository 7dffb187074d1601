// threads.cpp -- the page's program with threads: it runs on a thread of its own beside the
// page's, and waits there for the events the page queues; the feeder has its own thread.
#include "platform/posix/thread.h"
#include "platform/shared/input.h"
#include "platform/shared/port.h"
#include "platform/web/web_platform.h"

#include <emscripten/threading.h>

const bool WebHasThreads = true;

void joinWebThreads() {
    joinStartedThreads(20);
}

bool portWaitForEvent() {
    waitForQueuedMessage();
    return true;
}

void webWaitForWake(std::atomic<uint32_t>* word, uint32_t seen, double milliseconds) {
    emscripten_futex_wait(word, seen, milliseconds);
}

void webWake(std::atomic<uint32_t>* word) {
    emscripten_futex_wake(word, 1);
}
