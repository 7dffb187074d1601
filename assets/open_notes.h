// open_notes.h -- the note each string sounds open, named in the Media folder's Notes.txt.
#pragma once

// The six strings' open notes as MIDI note numbers (E2 is 40), thickest string first; -1 each
// while they are not known (no Notes.txt, or one that does not name six notes): chords then
// go without names.
extern int OpenNotes[6];

// Reads Notes.txt from the Media folder: six note names ("E2 A2 D3 G3 B3 E4"), '#' starting a
// comment. A missing file is silently no names; one that cannot be understood gets a line.
void loadOpenNotes();
