// midi_out.h -- every pluck sent out as MIDI beside the program's own sound: a channel per
// string (string 0 on channel 1), a note-on as the string is plucked, its note-off when the
// string's next pluck cuts it or its sample has played out.
#pragma once

#include <cstdint>

// What the command line asked for: no MIDI, MIDI beside the sound, or MIDI alone (the mixer
// runs on, but the device plays silence).
enum class MidiChoice { Off, Beside, Only };
extern MidiChoice MidiWanted;
// The system's MIDI device to send to (--midi=NAME), or none for the default.
extern const char* MidiDevice;

inline constexpr uint8_t MidiVelocity = 100;

// Opens the output when MIDI was asked for and the strings' notes are known (the Media folder's
// Notes.txt), and starts the thread that sends the note-offs of notes that play out. Any failure
// is a line on stderr, and the instrument plays on without MIDI.
void openMidi();
// Ends every sounding note, stops the thread and closes the output.
void closeMidi();
// String `string` was plucked at fret `fret`: a note `samples` long (at OutputRate) begins.
void midiPluck(int string, int fret, uint32_t samples);
// Whether the device is to play silence (--midi-only).
bool midiOnly();
