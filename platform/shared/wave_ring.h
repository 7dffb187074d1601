// wave_ring.h -- the blocks a pulling audio device plays: queued by the feeder, taken by the
// device's callback a buffer at a time, and handed back as they finish playing. It supplies the
// prepare, queue, wait and unprepare roles; the platform opens and closes the device.
#pragma once

#include "platform/platform.h"

// Empties the ring for a newly opened device; the ring takes blocks from here on.
void ringReset();
// Fills the device's buffer from the queued blocks, oldest first, with silence where they run
// out. 1 when they ran out.
int ringPlay(uint8_t* stream, int length);
// From now on until the next ringReset, a call that finds the blocks run out waits up to this
// long for the feeder's next before it plays silence: for a device that may ask for more than
// the program keeps queued at once, as a sound server does that catches up after it woke late.
// The feeder has its blocks back by then and mixes each in microseconds, so the sound goes on
// where silence would have been heard. Set before the device starts calling.
void ringWaitWhenLate(uint32_t microseconds);
// The bytes queued and not yet taken. The callback's own thread only.
uint32_t ringQueuedBytes();
// Lets go of every block the device holds, once it calls back no more, and takes no more.
void ringDrop();
// From now on until the next ringReset, a block is handed back as soon as its last byte is
// taken, rather than at the device's next call: for a device that calls in bursts, two calls
// back to back, the second before the feeder has had a turn. The callback's own thread only.
void ringHandBackAtOnce();
// From now on until the next ringReset, a block whose last byte is taken is held, not handed
// back, until ringRelease asks for it: for a device that copies its sound ahead in runs, so
// that the feeder mixes each block just before the copy that takes it rather than a run
// earlier. The callback's own thread only.
void ringHoldTaken();
// Hands back held blocks, oldest first, until what is queued and what is on its way back to
// the queue (handed back, not yet queued again) come to `bytes`, or none is held. The
// callback's own thread only.
void ringRelease(uint32_t bytes);
