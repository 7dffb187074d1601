// thread.cpp -- the thread role on POSIX threads: Linux with SDL, and the browser.
#include "platform/platform.h"
#include "platform/shared/port.h"

#include <pthread.h>

static void* runThread(void* body) {
    reinterpret_cast<void (*)()>(body)();
    return nullptr;
}

int platformStartThread(void (*body)()) {
    pthread_t thread;
    if (pthread_create(&thread, nullptr, runThread, reinterpret_cast<void*>(body)) != 0)
        return refuse("no thread to spare");
    pthread_detach(thread);
    return 1;
}
