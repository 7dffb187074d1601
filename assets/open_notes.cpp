// open_notes.cpp -- the strings' open notes, from the Media folder.
#include "assets/open_notes.h"

#include "assets/media.h"
#include "instrument/chord_names.h"

#include <cstdio>
#include <cstdlib>

int OpenNotes[6] = {-1, -1, -1, -1, -1, -1};

void loadOpenNotes() {
    for (int& note : OpenNotes) note = -1;
    unsigned char* data = nullptr;
    uint32_t size = 0;
    int whole = loadMediaFile("Notes.txt", &data, &size, 4096);
    if (!data) return; // no file: no names
    int notes[6], count = 0;
    bool understood = whole != 0;
    for (uint32_t at = 0; understood && at < size;) {
        char c = static_cast<char>(data[at]);
        if (c == '#') {
            while (at < size && data[at] != '\n') at++;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            at++;
        } else {
            char word[8] = {};
            int length = 0;
            while (at < size && length < 7 && data[at] > ' ' && data[at] != '#')
                word[length++] = static_cast<char>(data[at++]);
            int used, note = noteNumber(word, &used);
            understood = note >= 0 && used == length && count < 6;
            if (understood) notes[count++] = note;
        }
    }
    std::free(data);
    if (!understood || count != 6) {
        std::fprintf(stderr,
                     "Fretstrummer: %sNotes.txt does not name six notes (E2 A2 D3 G3 B3 "
                     "E4): chords go without names\n",
                     MediaDir);
        return;
    }
    for (int s = 0; s < 6; s++) OpenNotes[s] = notes[s];
}
