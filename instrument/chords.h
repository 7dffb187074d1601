// chords.h -- a chord per key, applied while the key is held, and the chord editor.
#pragma once

#include <cstdint>

// One chord: a fret for each string, and whether it has been set.
struct ChordSlot {
    uint8_t frets[6];
    uint8_t assigned;
};

inline constexpr int ChordCount = 256;
// One slot per virtual-key code.
extern ChordSlot ChordTable[ChordCount];
// The chord applied to the strings now, or none.
extern ChordSlot* ActiveChord;
// The chord the editor shows, or none: set means the editor view is on the screen.
extern ChordSlot* EditedChord;

// Key k went down: applies its chord, or opens the editor for it when it has none.
void chordKeyDown(uint32_t k);
// Key k went up: takes its chord off the strings if it is the active one; closes the editor.
void chordKeyUp(uint32_t k);
// A stylus point (x < 240, y < 320) on the editor grid: sets that string's fret.
void editTap(uint32_t x, uint32_t y);
// Forgets every chord; what is applied or shown now stays. The set it forgot is kept beside
// the chord file.
void clearChords();
// Tells the platform the name of key k's chord, for an on-screen key showing it.
void showChordName(uint32_t k);
