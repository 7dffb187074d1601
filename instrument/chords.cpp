// chords.cpp -- chord keys and the fret-grid editor.
#include "instrument/chords.h"

#include "assets/open_notes.h"
#include "display/layout.h"
#include "display/screen.h"
#include "instrument/chord_file.h"
#include "instrument/chord_names.h"
#include "instrument/strings.h"

#include <cstring>

ChordSlot ChordTable[ChordCount];
ChordSlot* ActiveChord;
ChordSlot* EditedChord;

void chordKeyDown(uint32_t k) {
    ChordSlot* slot = &ChordTable[k & 0xFF];
    if (slot->assigned) {
        for (int s = 0; s < 6; s++) Strings[s].fret = slot->frets[s];
        ActiveChord = slot;
    } else if (!EditedChord) {
        EditedChord = slot;
        redrawAll();
    }
}

void chordKeyUp(uint32_t k) {
    if (ActiveChord == &ChordTable[k & 0xFF]) {
        for (StringState& s : Strings) s.fret = 0;
        ActiveChord = nullptr;
    }
    if (EditedChord) {
        // A chord is set once its editor closes: then it is kept.
        bool set = EditedChord->assigned != 0;
        EditedChord = nullptr;
        redrawAll();
        if (set) saveChords();
    }
}

void editTap(uint32_t x, uint32_t y) {
    int s = stringAt(static_cast<int>(x));
    int f = fretAt(static_cast<int>(y));
    if (EditedChord->frets[s] == f) return;
    redrawCell(s, EditedChord->frets[s], CellEmpty);
    EditedChord->frets[s] = static_cast<uint8_t>(f);
    redrawCell(s, f, CellMarked);
    EditedChord->assigned = 1;
    showChordName(static_cast<uint32_t>(EditedChord - ChordTable));
}

void clearChords() {
    bool held[ChordCount], any = false;
    for (int k = 0; k < ChordCount; k++) any |= held[k] = ChordTable[k].assigned != 0;
    // The set a stray tap cleared can be had back from beside the kept file.
    if (any) keepPreviousChords();
    std::memset(ChordTable, 0, sizeof ChordTable);
    if (!any) return;
    saveChords();
    for (uint32_t k = 0; k < ChordCount; k++)
        if (held[k]) showChordName(k);
}

void showChordName(uint32_t k) {
    const ChordSlot& slot = ChordTable[k & 0xFF];
    char name[ChordNameCapacity] = "";
    if (slot.assigned && OpenNotes[0] >= 0) chordName(slot.frets, OpenNotes, name);
    platformShowChordName(k & 0xFF, name);
}
