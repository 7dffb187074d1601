// chord_file.h -- the chords kept between runs, in a text file a person can read, edit and
// share: a line a chord, the key's name and then the frets of its six strings, thickest first.
//
//   # comments start with '#'
//   A   0 2 2 1 0 0   # E
//   F1  3 3 2 0 1 0   # C/G
#pragma once

#include <cstdint>

// The file --chords named, or none for the player's own file in the settings folder.
extern const char* ChordFileOption;

// Room for the text of a whole table: the heading and 256 lines.
inline constexpr uint32_t ChordTextCapacity = 16384;
// The most of a chord file that is read; a longer one is cut there, with a line saying so.
inline constexpr uint32_t ChordFileMostBytes = 1 << 20;

// Reads the kept chords into the chord table, at start-up. A missing file is an empty table; a
// line that cannot be understood is skipped with a line on stderr naming the file and the line.
// A file that cannot be written (read-only) is used for this run and not written, with a line
// saying so.
void loadChords();
// Writes the whole table over the kept file, safely (see platformReplaceFile). The first time
// that fails, a line on stderr says the chords will not be kept, and why.
void saveChords();
// Keeps the table as it is now beside the kept file (its name followed by ".previous"): the
// set a reset is about to clear.
void keepPreviousChords();

// The table as the file's text, zero-terminated; its length.
uint32_t formatChords(char text[ChordTextCapacity]);
// Reads the text of a chord file into the table, over what is there; each line skipped is
// reported on stderr as "Fretstrummer: FILE:LINE: why". Returns the chords read.
int parseChords(const char* text, uint32_t size, const char* file);

// A virtual-key code's name in the file ("A", "7", "F1", "Space", "Key200"), and back: the
// code of a name (any case), or -1 when it names no key.
void keyName(uint32_t code, char name[16]);
int keyOfChordName(const char* name, int length);
