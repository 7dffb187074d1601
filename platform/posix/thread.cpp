// thread.cpp -- the thread role on POSIX threads: Linux with SDL, and the browser. Every thread
// is joined before the process ends, as far as the time allows.
#include "platform/posix/thread.h"

#include "platform/platform.h"
#include "platform/shared/port.h"

#include <atomic>
#include <chrono>
#include <pthread.h>
#include <thread>

namespace {

// The program starts two threads in its life (the feeder and the device's close); a slot is
// free again once its thread has been joined.
constexpr int ThreadSlots = 8;
struct Slot {
    pthread_t thread;
    void (*body)();
    bool used;                  // started and not joined yet; the starting thread's own
    std::atomic<bool> finished; // its body has returned
} slots[ThreadSlots];

void* runThread(void* slot) {
    Slot* own = static_cast<Slot*>(slot);
    own->body();
    own->finished.store(true, std::memory_order_release);
    return nullptr;
}

// Joins the threads whose bodies have returned; true when none is left running.
bool joinFinished() {
    bool all = true;
    for (Slot& slot : slots) {
        if (!slot.used) continue;
        if (!slot.finished.load(std::memory_order_acquire)) {
            all = false;
            continue;
        }
        pthread_join(slot.thread, nullptr);
        slot.used = false;
    }
    return all;
}

} // namespace

int platformStartThread(void (*body)()) {
    joinFinished();
    for (Slot& slot : slots) {
        if (slot.used) continue;
        slot.body = body;
        slot.finished.store(false);
        if (pthread_create(&slot.thread, nullptr, runThread, &slot) != 0)
            return refuse("no thread to spare");
        slot.used = true;
        return 1;
    }
    return refuse("too many threads");
}

void joinStartedThreads(int milliseconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!joinFinished() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
