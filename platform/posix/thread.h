// thread.h -- what the POSIX thread role gives the process's end.
#pragma once

// Waits for every thread platformStartThread started to end, for up to `milliseconds` in all,
// and joins each that has: the process then ends with none of them still leaving. A thread
// still in its body by then (a device close that never returns) is left behind.
void joinStartedThreads(int milliseconds);
