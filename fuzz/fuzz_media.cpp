// fuzz_media.cpp -- libFuzzer targets for what the program reads from its Media folder: each
// input becomes all six sample files (FUZZ_SAMPLES) or all eleven bitmaps (FUZZ_BITMAPS).
#include "assets/media.h"
#include "assets/sample_bank.h"
#include "display/sprites.h"
#include "platform/scripted/scripted.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

static const char* const Names[] = {
#ifdef FUZZ_SAMPLES
    "1.wav", "2.wav", "3.wav", "4.wav", "5.wav", "6.wav",
#else
    "String1.bmp", "String2.bmp",    "String3.bmp",     "String4.bmp",
    "String5.bmp", "String6.bmp",    "Background.bmp",  "Lad.bmp",
    "LadSpot.bmp", "ExitButton.bmp", "ResetButton.bmp",
#endif
};

// A Media folder of the run's own in memory-backed storage; every name links to one input.
static fs::path root, input;

static void tearDown() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

static void setUp() {
    root = fs::path(fs::exists("/dev/shm") ? "/dev/shm" : fs::temp_directory_path()) /
           ("fretstrummer-fuzz-" + std::to_string(getpid()));
    fs::create_directories(root / "Media");
    std::atexit(tearDown);
    input = root / "input";
    std::ofstream(input).put('\0');
    for (const char* name : Names) fs::create_symlink(input, root / "Media" / name);
    static std::string executable = (root / "fretstrummer").string();
    scriptedSetExecutablePath(executable.c_str());
    buildMediaDir();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (setUp(), true);
    (void)ready;
    std::ofstream(input, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
#ifdef FUZZ_SAMPLES
    buildSampleBank();
    releaseSampleBank();
#else
    loadSprites();
#endif
    return 0;
}
