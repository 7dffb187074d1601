// wave.cpp -- the wave device on Win32: the program's blocks played by waveOut, each with a
// real WAVEHDR of its own whose WHDR_DONE the device's callback mirrors into the block.
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>
// After windows.h, whose types it takes.
#include <mmsystem.h>

#include <atomic>

static HWAVEOUT waveOut;
// Read by the feeder's calls while the main thread's close writes them.
static std::atomic<bool> deviceOpen;

// The program has two blocks, or seventeen small ones in its low-latency mode; a few more
// headers cost nothing.
static constexpr int HeaderCount = 24;
static WAVEHDR headers[HeaderCount];
static std::atomic<WaveBlock*> blockOf[HeaderCount];

// Set by the device each time it hands a block back; the feeder waits on it. waveOut's
// callback may call only a few functions of the system, SetEvent among them.
static HANDLE handedBack;

static WAVEHDR* headerOf(const WaveBlock* block) {
    for (int i = 0; i < HeaderCount; i++)
        if (blockOf[i].load(std::memory_order_acquire) == block) return &headers[i];
    return nullptr;
}

// Called by the device: a block has played. Nothing but the flags and the wake-up is done
// here; waveOut's own functions may not be called from its callback.
static void CALLBACK onDevice(HWAVEOUT, UINT message, DWORD_PTR, DWORD_PTR first, DWORD_PTR) {
    if (message != WOM_DONE) return;
    WaveBlock* block = reinterpret_cast<WaveBlock*>(reinterpret_cast<WAVEHDR*>(first)->dwUser);
    block->flags.fetch_and(~WaveBlockQueued, std::memory_order_relaxed);
    block->flags.fetch_or(WaveBlockDone, std::memory_order_release);
    SetEvent(handedBack);
}

// waveOut plays the program's blocks themselves, but the audio engine beneath it (Windows'
// shared mode, and Wine's) takes them a period of 10 ms at a time and hands a block back only
// at the period after the one that played it; the program's replacement reaches the device at
// the next. Under Wine, a queue of 32 ms still ran dry about one start in ten, and once dry it
// stays in step with the periods, a period of silence after every round of blocks. So the
// low-latency mode counts the device as taking 23 ms at once: seventeen blocks of 64 samples,
// 49 ms, queued, which held in 40 starts of 40.
uint32_t platformWaveDeviceBuffer(uint32_t) {
    return 512 * 2;
}

int platformWaveOpen(WaveDevice* device, const PcmFormat* format) {
    if (deviceOpen.load()) return win32Refuse("the audio output is open already"), 1;
    // An auto-reset event: each hand-back wakes the feeder once, which looks at its block again.
    if (!handedBack) handedBack = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!handedBack) return win32Refuse(), 1;
    WAVEFORMATEX wave{};
    wave.wFormatTag = format->formatTag;
    wave.nChannels = format->channels;
    wave.nSamplesPerSec = format->samplesPerSecond;
    wave.nAvgBytesPerSec = format->averageBytesPerSecond;
    wave.nBlockAlign = format->blockAlign;
    wave.wBitsPerSample = format->bitsPerSample;
    wave.cbSize = format->extraSize;
    MMRESULT result = waveOutOpen(&waveOut, WAVE_MAPPER, &wave,
                                  reinterpret_cast<DWORD_PTR>(onDevice), 0, CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) {
        wchar_t text[MAXERRORLENGTH];
        char why[MAXERRORLENGTH * 3] = "waveOutOpen failed";
        if (waveOutGetErrorTextW(result, text, MAXERRORLENGTH) == MMSYSERR_NOERROR)
            WideCharToMultiByte(CP_UTF8, 0, text, -1, why, sizeof why, nullptr, nullptr);
        return win32Refuse(why), 1;
    }
    for (auto& block : blockOf) block.store(nullptr);
    deviceOpen.store(true);
    *device = 1;
    return 0;
}

int platformWavePrepare(WaveDevice, WaveBlock* block, uint32_t size) {
    if (!deviceOpen.load() || size != sizeof(WaveBlock) || !block->buffer) return 1;
    WAVEHDR* header = headerOf(block);
    for (int i = 0; !header && i < HeaderCount; i++)
        if (!blockOf[i].load()) blockOf[i].store(block), header = &headers[i];
    if (!header) return win32Refuse("more blocks than the device has headers for"), 1;
    *header = WAVEHDR{};
    header->lpData = reinterpret_cast<LPSTR>(block->buffer);
    header->dwBufferLength = block->bufferLength;
    header->dwUser = reinterpret_cast<DWORD_PTR>(block);
    if (waveOutPrepareHeader(waveOut, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return 1;
    block->flags.fetch_or(WaveBlockPrepared);
    return 0;
}

int platformWaveQueue(WaveDevice, WaveBlock* block, uint32_t) {
    WAVEHDR* header = headerOf(block);
    if (!deviceOpen.load() || !header || !(block->flags.load() & WaveBlockPrepared)) return 1;
    block->flags.fetch_or(WaveBlockQueued, std::memory_order_relaxed);
    if (waveOutWrite(waveOut, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        block->flags.fetch_and(~WaveBlockQueued);
        return 1;
    }
    return 0;
}

void platformWaveWait(WaveDevice, const WaveBlock* block, uint32_t milliseconds) {
    // A hand-back of the other block wakes the wait too: it looks again until its own is back.
    ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (!(block->flags.load(std::memory_order_acquire) & WaveBlockDone)) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline ||
            WaitForSingleObject(handedBack, static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0)
            break;
    }
}

int platformWaveUnprepare(WaveDevice, WaveBlock* block, uint32_t) {
    WAVEHDR* header = headerOf(block);
    if (!header || (block->flags.load() & WaveBlockQueued)) return 1;
    if (waveOutUnprepareHeader(waveOut, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return 1;
    block->flags.fetch_and(~WaveBlockPrepared);
    return 0;
}

int platformWaveClose(WaveDevice) {
    if (!deviceOpen.exchange(false)) return 1;
    // Whatever is still queued is handed back unplayed, so the device can close.
    waveOutReset(waveOut);
    for (int i = 0; i < HeaderCount; i++) {
        WaveBlock* block = blockOf[i].exchange(nullptr);
        if (!block) continue;
        if (headers[i].dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(waveOut, &headers[i], sizeof(WAVEHDR));
        block->flags.fetch_and(~(WaveBlockQueued | WaveBlockPrepared));
    }
    waveOutClose(waveOut);
    return 0;
}

// The program has its feeder thread.
int platformWaveDriveFeeder(WaveDevice, void (*)()) {
    return 0;
}
