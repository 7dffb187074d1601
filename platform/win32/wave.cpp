// wave.cpp -- the wave device on Win32: the program's blocks played by waveOut, each with a
// real WAVEHDR of its own whose WHDR_DONE the device's callback mirrors into the block.
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>
// After windows.h, whose types it takes.
#include <mmsystem.h>

static HWAVEOUT waveOut;
static bool deviceOpen;

// The program has two blocks; a few more headers cost nothing.
static constexpr int HeaderCount = 4;
static WAVEHDR headers[HeaderCount];
static WaveBlock* blockOf[HeaderCount];

// Wakes a feeder waiting for a block.
static SRWLOCK handBackLock = SRWLOCK_INIT;
static CONDITION_VARIABLE handedBack = CONDITION_VARIABLE_INIT;

static WAVEHDR* headerOf(const WaveBlock* block) {
    for (int i = 0; i < HeaderCount; i++)
        if (blockOf[i] == block) return &headers[i];
    return nullptr;
}

// Called by the device: a block has played. Nothing but the flags and the wake-up is done
// here; waveOut's own functions may not be called from its callback.
static void CALLBACK onDevice(HWAVEOUT, UINT message, DWORD_PTR, DWORD_PTR first, DWORD_PTR) {
    if (message != WOM_DONE) return;
    WaveBlock* block = reinterpret_cast<WaveBlock*>(reinterpret_cast<WAVEHDR*>(first)->dwUser);
    block->flags.fetch_and(~WaveBlockQueued, std::memory_order_relaxed);
    block->flags.fetch_or(WaveBlockDone, std::memory_order_release);
    AcquireSRWLockExclusive(&handBackLock);
    ReleaseSRWLockExclusive(&handBackLock);
    WakeAllConditionVariable(&handedBack);
}

int platformWaveOpen(WaveDevice* device, const PcmFormat* format) {
    if (deviceOpen) return win32Refuse("the audio output is open already"), 1;
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
    for (WaveBlock*& block : blockOf) block = nullptr;
    deviceOpen = true;
    *device = 1;
    return 0;
}

int platformWavePrepare(WaveDevice, WaveBlock* block, uint32_t size) {
    if (!deviceOpen || size != sizeof(WaveBlock) || !block->buffer) return 1;
    WAVEHDR* header = headerOf(block);
    for (int i = 0; !header && i < HeaderCount; i++)
        if (!blockOf[i]) blockOf[i] = block, header = &headers[i];
    if (!header) return 1;
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
    if (!deviceOpen || !header || !(block->flags.load() & WaveBlockPrepared)) return 1;
    block->flags.fetch_or(WaveBlockQueued, std::memory_order_relaxed);
    if (waveOutWrite(waveOut, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        block->flags.fetch_and(~WaveBlockQueued);
        return 1;
    }
    return 0;
}

void platformWaveWait(WaveDevice, const WaveBlock* block, uint32_t milliseconds) {
    ULONGLONG deadline = GetTickCount64() + milliseconds;
    AcquireSRWLockExclusive(&handBackLock);
    while (!(block->flags.load() & WaveBlockDone)) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline || !SleepConditionVariableSRW(&handedBack, &handBackLock,
                                                          static_cast<DWORD>(deadline - now), 0))
            break;
    }
    ReleaseSRWLockExclusive(&handBackLock);
}

int platformWaveUnprepare(WaveDevice, WaveBlock* block, uint32_t) {
    WAVEHDR* header = headerOf(block);
    if (!header || (block->flags.load() & WaveBlockQueued)) return 1;
    if (waveOutUnprepareHeader(waveOut, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return 1;
    block->flags.fetch_and(~WaveBlockPrepared);
    return 0;
}

int platformWaveClose(WaveDevice) {
    if (!deviceOpen) return 1;
    deviceOpen = false;
    // Whatever is still queued is handed back unplayed, so the device can close.
    waveOutReset(waveOut);
    for (int i = 0; i < HeaderCount; i++) {
        if (!blockOf[i]) continue;
        if (headers[i].dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(waveOut, &headers[i], sizeof(WAVEHDR));
        blockOf[i]->flags.fetch_and(~(WaveBlockQueued | WaveBlockPrepared));
        blockOf[i] = nullptr;
    }
    waveOutClose(waveOut);
    return 0;
}
