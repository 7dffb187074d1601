// web_platform.h -- what the browser's platform files share, and what differs between the
// page's two programs: with threads (threads.cpp) and without (single.cpp).
#pragma once

// Whether this program has threads: the feeder's own, and the program's beside the page's.
extern const bool WebHasThreads;
// Lets the threads still returning end before the process does.
void joinWebThreads();
