// midi_out.cpp -- plucks as MIDI: note-ons and cuts sent as they happen, on the main thread; a
// thread of its own sends the note-offs of notes that play out.
#include "audio/midi_out.h"

#include "assets/open_notes.h"
#include "audio/audio_output.h"
#include "platform/platform.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

MidiChoice MidiWanted = MidiChoice::Off;
const char* MidiDevice;

namespace {

using Clock = std::chrono::steady_clock;

// The note sounding on each string's channel, and when its sample ends. The main thread and
// the note-off thread take the lock; the audio thread never does.
struct Sounding {
    bool on;
    uint8_t note;
    Clock::time_point ends;
};
Sounding sounding[6];
std::mutex lock;
std::condition_variable changed;
bool midiOpen, stopping;
std::atomic<uint8_t> finished;

void send(uint8_t status, uint8_t note, uint8_t velocity) {
    const uint8_t message[3] = {status, note, velocity};
    platformMidiSend(message, 3);
}

void noteOff(int string) {
    send(static_cast<uint8_t>(0x80 | string), sounding[string].note, 0);
    sounding[string].on = false;
}

// Sends each note-off as its note's sample ends; waits for the next end, or for a pluck.
void sendNoteOffs() {
    std::unique_lock<std::mutex> held(lock);
    while (!stopping) {
        Clock::time_point next = Clock::time_point::max();
        Clock::time_point now = Clock::now();
        for (int s = 0; s < 6; s++) {
            if (!sounding[s].on) continue;
            if (sounding[s].ends <= now)
                noteOff(s);
            else if (sounding[s].ends < next)
                next = sounding[s].ends;
        }
        if (next == Clock::time_point::max())
            changed.wait(held);
        else
            changed.wait_until(held, next);
    }
    finished.store(1);
}

} // namespace

void openMidi() {
    if (MidiWanted == MidiChoice::Off) return;
    if (OpenNotes[0] < 0) {
        std::fprintf(stderr, "Fretstrummer: no MIDI: the Media folder's Notes.txt does not name "
                             "the strings' notes\n");
        return;
    }
    if (platformMidiOpen(MidiDevice) != 0) {
        std::fprintf(stderr, "Fretstrummer: no MIDI: %s\n", platformFailureReason());
        return;
    }
    stopping = false;
    finished.store(0);
    for (Sounding& note : sounding) note.on = false;
    if (!platformStartThread(sendNoteOffs)) {
        std::fprintf(stderr, "Fretstrummer: no MIDI: %s\n", platformFailureReason());
        platformMidiClose();
        return;
    }
    std::lock_guard<std::mutex> held(lock);
    midiOpen = true;
}

void closeMidi() {
    {
        std::lock_guard<std::mutex> held(lock);
        if (!midiOpen) return;
        for (int s = 0; s < 6; s++)
            if (sounding[s].on) noteOff(s);
        midiOpen = false;
        stopping = true;
    }
    changed.notify_all();
    // The thread only returns from here on; the process may end before it has.
    for (int wait = 0; wait < 100 && !finished.load(); wait++)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    platformMidiClose();
}

void midiPluck(int string, int fret, uint32_t samples) {
    if (string < 0 || string >= 6) return;
    {
        std::lock_guard<std::mutex> held(lock);
        if (!midiOpen) return;
        if (sounding[string].on) noteOff(string);
        int note = OpenNotes[string] + fret;
        if (note < 0 || note > 127) return;
        sounding[string] = {true, static_cast<uint8_t>(note),
                            Clock::now() +
                                std::chrono::microseconds(1000000ull * samples / OutputRate)};
        send(static_cast<uint8_t>(0x90 | string), sounding[string].note, MidiVelocity);
    }
    changed.notify_all();
}

bool midiOnly() {
    return MidiWanted == MidiChoice::Only;
}
