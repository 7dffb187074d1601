// The chord file: what start-up spends reading a full table (256 chords, each named, each shown
// on its key), and what writing one costs before it reaches the platform.
#include "assets/open_notes.h"
#include "instrument/chord_file.h"
#include "instrument/chord_names.h"
#include "instrument/chords.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

static void fullTable() {
    for (int s = 0; s < 6; s++) OpenNotes[s] = 40 + 5 * s - (s >= 4);
    for (uint32_t code = 0; code < ChordCount; code++) {
        for (int s = 0; s < 6; s++) ChordTable[code].frets[s] = uint8_t((code >> s) % 8);
        ChordTable[code].assigned = 1;
    }
}

static void BM_LoadChords256(benchmark::State& state) {
    fullTable();
    static char text[ChordTextCapacity];
    uint32_t length = formatChords(text);
    std::filesystem::path file = std::filesystem::temp_directory_path() / "bench-chords.txt";
    std::ofstream(file, std::ios::binary).write(text, length);
    ChordFileOption = file.c_str();
    for (auto _ : state) {
        std::memset(ChordTable, 0, sizeof ChordTable);
        loadChords();
    }
    ChordFileOption = nullptr;
    std::filesystem::remove(file);
    state.counters["bytes"] = length;
}
BENCHMARK(BM_LoadChords256)->Unit(benchmark::kMicrosecond);

static void BM_FormatChords256(benchmark::State& state) {
    fullTable();
    static char text[ChordTextCapacity];
    for (auto _ : state) benchmark::DoNotOptimize(formatChords(text));
}
BENCHMARK(BM_FormatChords256)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
