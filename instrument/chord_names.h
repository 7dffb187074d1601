// chord_names.h -- a chord's name from its six frets and the strings' open notes: the root and
// its quality ("Am7"), the bass after a slash when it is not the root ("D/F#").
#pragma once

#include <cstdint>

// Room for the longest name, its terminator included.
inline constexpr int ChordNameCapacity = 16;

// The MIDI note number of a note name at the start of text, a letter, an optional '#' or 'b'
// and an octave from 0 to 9 ("E2" is 40, "F#3" 54, "Bb1" 34); *length says how many characters
// it took. -1, with *length 0, when text does not start with one.
int noteNumber(const char* text, int* length);

// Writes the name of the chord the frets (0 to 7, thickest string first) make over strings whose
// open notes are these MIDI note numbers. A root and a quality are looked for from the lowest
// sounding note upwards; when none fits, the name is the six frets themselves ("012345").
void chordName(const uint8_t frets[6], const int openNotes[6], char name[ChordNameCapacity]);
