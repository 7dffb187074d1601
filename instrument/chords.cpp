// chords.cpp -- chord keys and the fret-grid editor.
#include "instrument/chords.h"

#include "display/layout.h"
#include "display/screen.h"
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
        EditedChord = nullptr;
        redrawAll();
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
}

void clearChords() {
    std::memset(ChordTable, 0, sizeof ChordTable);
}
