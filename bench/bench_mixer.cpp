// The mixer against a bare SSE2 saturating add of the same buffers, and the scan of an idle pool.
#include "audio/audio_output.h"
#include "audio/voice_pool.h"

#include <benchmark/benchmark.h>
#include <emmintrin.h>

#include <vector>

static std::vector<std::vector<int16_t>> notes(int count) {
    std::vector<std::vector<int16_t>> result;
    for (int v = 0; v < count; v++) {
        result.emplace_back(OutputBlockSamples * 8);
        for (size_t i = 0; i < result.back().size(); i++) result.back()[i] = int16_t(i * 31 + v);
    }
    return result;
}

// Voices (6 or 64) into a block of so many samples: the program's 512, and the smaller blocks of
// a low-latency device.
static void BM_mixVoices(benchmark::State& state) {
    int count = static_cast<int>(state.range(0));
    uint32_t samples = static_cast<uint32_t>(state.range(1));
    for (Voice& voice : VoicePool) stopVoice(&voice);
    std::vector<std::vector<int16_t>> data = notes(count);
    for (int v = 0; v < count; v++) allocateVoice(data[v].data(), uint32_t(data[v].size() * 2));
    alignas(16) int16_t block[OutputBlockSamples] = {};
    for (auto _ : state) {
        mixVoices(block, samples * 2);
        benchmark::ClobberMemory();
        // Back to the start before the notes end; 64 stores against the mix's thousands.
        for (int v = 0; v < count; v++) VoicePool[v].position = 0;
    }
    for (Voice& voice : VoicePool) stopVoice(&voice);
}
BENCHMARK(BM_mixVoices)->ArgsProduct({{6, 64}, {64, 128, OutputBlockSamples}});

// What the 64-voice mix is measured against: nothing but the saturating adds.
static void BM_reference64(benchmark::State& state) {
    std::vector<std::vector<int16_t>> data = notes(64);
    alignas(16) int16_t block[OutputBlockSamples] = {};
    for (auto _ : state) {
        for (int v = 0; v < 64; v++) {
            const int16_t* source = data[v].data();
            for (uint32_t i = 0; i < OutputBlockSamples; i += 8) {
                __m128i* out = reinterpret_cast<__m128i*>(block + i);
                _mm_store_si128(
                    out,
                    _mm_adds_epi16(_mm_load_si128(out),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i))));
            }
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_reference64);

static void BM_idlePoolScan(benchmark::State& state) {
    for (Voice& voice : VoicePool) stopVoice(&voice);
    alignas(16) int16_t block[OutputBlockSamples] = {};
    for (auto _ : state) {
        mixVoices(block, OutputBlockBytes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_idlePoolScan);

BENCHMARK_MAIN();
