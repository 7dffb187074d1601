// Start-up's heaviest step: loading the six default notes and deriving all 48.
#include "assets/media.h"
#include "assets/sample_bank.h"
#include "platform/scripted/scripted.h"

#include <benchmark/benchmark.h>

#include <string>

static void BM_buildSampleBank(benchmark::State& state) {
    std::string executable = std::string(FRETSTRUMMER_MEDIA_DIR) + "/../fretstrummer";
    scriptedSetExecutablePath(executable.c_str());
    buildMediaDir();
    for (auto _ : state) {
        if (!buildSampleBank()) {
            state.SkipWithError("the default Media folder is missing");
            break;
        }
        benchmark::DoNotOptimize(SampleBank[47].data);
        state.PauseTiming();
        releaseSampleBank();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_buildSampleBank)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
