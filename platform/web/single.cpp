// single.cpp -- the page's program without threads, for browsers that give a page no shared
// memory. It runs on the page's own thread: waiting for a message, it lets the page go on
// (Asyncify unwinds it) until the page has queued one and wakes it. The page's audio node
// drives the feeder (audio.cpp), so no thread is ever asked for.
#include "platform/platform.h"
#include "platform/shared/input.h"
#include "platform/shared/port.h"
#include "platform/web/web_platform.h"

#include <emscripten.h>

const bool WebHasThreads = false;

void joinWebThreads() {}

int platformStartThread(void (*)()) {
    return refuse("this browser gives the page no threads");
}

// No thread ever waits.
void webWaitForWake(std::atomic<uint32_t>*, uint32_t, double) {}
void webWake(std::atomic<uint32_t>*) {}

// Returns once the page calls the wake-up it is given (page.js keeps it through
// fretstrummerPage.sleeping, and calls it as it tells the program an event).
EM_JS(void, webSleepUntilWoken, (),
      { return Asyncify.handleSleep(function(wakeUp) { fretstrummerPage.sleeping(wakeUp); }); });

bool portWaitForEvent() {
    Message message;
    if (!peekQueuedMessage(&message)) webSleepUntilWoken();
    return true;
}
