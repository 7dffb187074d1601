// options.cpp -- the command line: a table of the options, the usage made from it.
#include "platform/shared/options.h"

#include "audio/audio_output.h"
#include "audio/midi_out.h"
#include "instrument/chord_file.h"
#include "platform/shared/keypad.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

enum Option { LowLatency, Chords, Midi, MidiOnly, Keypad, NoKeypad, Help, Version };

const struct {
    Option option;
    const char* name;
    const char* what;
} Options[] = {
    {LowLatency, "--low-latency", "sound within about 5 ms of a pluck, for more wakeups and CPU"},
    {Chords, "--chords FILE", "keep the chords in FILE, not in the settings folder"},
    {Midi, "--midi", "send every pluck as MIDI too (--midi=NAME: to that MIDI device)"},
    {MidiOnly, "--midi-only", "send every pluck as MIDI, and make no sound of its own"},
    {Keypad, "--keypad", "show the eight on-screen chord keys beside the strings"},
    {NoKeypad, "--no-keypad", "hide them, even on a touch screen"},
    {Help, "--help", "print this help and exit"},
    {Version, "--version", "print the version and exit"},
};

void usage(std::FILE* to) {
    std::fprintf(to, "Usage: fretstrummer [OPTION]...\n"
                     "A touch-screen guitar: drag across the strings to pluck them, hold a key for "
                     "a chord.\n\n");
    for (const auto& option : Options) std::fprintf(to, "  %-16s%s\n", option.name, option.what);
}

} // namespace

int takeCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        const auto* known = std::begin(Options);
        // An option's name is its first word; one with more words takes an argument.
        auto named = [&](const char* name) {
            size_t length = std::strcspn(name, " ");
            return std::strncmp(argv[i], name, length) == 0 && argv[i][length] == '\0';
        };
        if (std::strncmp(argv[i], "--midi=", 7) == 0 && argv[i][7]) {
            MidiWanted = MidiChoice::Beside;
            MidiDevice = argv[i] + 7;
            continue;
        }
        while (known != std::end(Options) && !named(known->name)) known++;
        if (known == std::end(Options)) {
            std::fprintf(stderr, "Fretstrummer: unknown option '%s'\n", argv[i]);
            usage(stderr);
            return 2;
        }
        if (std::strchr(known->name, ' ') && i + 1 == argc) {
            std::fprintf(stderr, "Fretstrummer: option '%s' needs an argument\n", argv[i]);
            usage(stderr);
            return 2;
        }
        switch (known->option) {
        case Chords:
            ChordFileOption = argv[++i];
            break;
        case Midi:
        case MidiOnly:
            MidiWanted = known->option == Midi ? MidiChoice::Beside : MidiChoice::Only;
            break;
        case LowLatency:
            PlayLayout = LowLatencyLayout;
            break;
        case Keypad:
        case NoKeypad:
            keypadChoose(known->option == Keypad);
            break;
        case Help:
            usage(stdout);
            return 0;
        case Version:
            std::printf("Fretstrummer %s\n", FRETSTRUMMER_VERSION);
            return 0;
        }
    }
    return -1;
}
