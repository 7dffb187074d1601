// wave_ring.h -- the blocks a pulling audio device plays: queued by the feeder, taken by the
// device's callback a buffer at a time, and handed back as they finish playing.
#pragma once

#include "platform/platform.h"

// Empties the ring for a newly opened device.
void ringReset();
// Queues a block behind the others: 0, or 1 when the ring is full.
int ringQueue(WaveBlock* block);
// Fills the device's buffer from the queued blocks, oldest first, with silence where they run
// out. 1 when they ran out.
int ringPlay(uint8_t* stream, int length);
// What platformWaveWait does: waits for the block's WaveBlockDone or `milliseconds`.
void ringWait(const WaveBlock* block, uint32_t milliseconds);
// Lets go of every block the device holds, once it calls back no more.
void ringDrop();
