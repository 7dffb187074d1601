// web_platform.h -- what the browser's platform files share, and what differs between the
// page's two programs: with threads (threads.cpp) and without (single.cpp).
#pragma once

#include <atomic>
#include <cstdint>

// Whether this program has threads: the feeder's own, and the program's beside the page's.
extern const bool WebHasThreads;
// Lets the threads still returning end before the process does.
void joinWebThreads();
// Waits until *word is no longer `seen`, woken by webWake or the page's Atomics.notify, for at
// most `milliseconds`. With threads only.
void webWaitForWake(std::atomic<uint32_t>* word, uint32_t seen, double milliseconds);
void webWake(std::atomic<uint32_t>* word);
