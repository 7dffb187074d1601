// Drawing the two views and one editor cell from the default Media's pictures.
#include "app/startup.h"
#include "assets/media.h"
#include "display/screen.h"
#include "display/sprites.h"
#include "instrument/chords.h"
#include "instrument/strings.h"
#include "platform/scripted/scripted.h"

#include <benchmark/benchmark.h>

#include <string>

static void setUp() {
    static bool done = false;
    if (done) return;
    done = true;
    std::string executable = std::string(FRETSTRUMMER_MEDIA_DIR) + "/../fretstrummer";
    scriptedSetExecutablePath(executable.c_str());
    buildMediaDir();
    WindowClass windowClass{};
    platformRegisterClass(&windowClass);
    MainWindow = platformCreateWindow(0, "", "", 0, 0, 0, 240, 320, 0, 0, 0, nullptr);
    loadSprites();
    initStrings();
    createSurfaces(MainWindow);
}

static void BM_redrawAllPlay(benchmark::State& state) {
    setUp();
    EditedChord = nullptr;
    for (auto _ : state) redrawAll();
    scriptedReset(); // the record of shown rectangles grows with every call
}
BENCHMARK(BM_redrawAllPlay)->Unit(benchmark::kMicrosecond);

static void BM_redrawAllEditor(benchmark::State& state) {
    setUp();
    EditedChord = &ChordTable[uint8_t('A')];
    for (auto _ : state) redrawAll();
    EditedChord = nullptr;
}
BENCHMARK(BM_redrawAllEditor)->Unit(benchmark::kMicrosecond);

static void BM_redrawCell(benchmark::State& state) {
    setUp();
    for (auto _ : state) redrawCell(2, 5, CellMarked);
}
BENCHMARK(BM_redrawCell)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
