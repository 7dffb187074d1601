// chord_names.cpp -- chords named from their notes by a table of interval sets.
#include "instrument/chord_names.h"

#include <cstdio>
#include <initializer_list>

namespace {

// The pitch classes, C first, spelled as guitar charts usually spell them.
constexpr const char* PitchNames[12] = {"C",  "C#", "D",  "Eb", "E",  "F",
                                        "F#", "G",  "Ab", "A",  "Bb", "B"};
// Semitones above C of the letters A to G.
constexpr int LetterSemitones[7] = {9, 11, 0, 2, 4, 5, 7};

constexpr uint16_t bits(std::initializer_list<int> semitones) {
    uint16_t set = 0;
    for (int s : semitones) set = static_cast<uint16_t>(set | 1u << s);
    return set;
}

// A quality: the set of intervals above the root (bit n: n semitones) that a chord must sound,
// no more and no fewer. Looked for in this order for each root, the commonest first; the fifth
// may be left out of the seventh chords, as guitar voicings often do.
struct Quality {
    uint16_t intervals;
    const char* suffix;
};
constexpr Quality Qualities[] = {
    {bits({0, 4, 7}), ""},
    {bits({0, 3, 7}), "m"},
    {bits({0, 4, 7, 10}), "7"},
    {bits({0, 3, 7, 10}), "m7"},
    {bits({0, 4, 7, 11}), "maj7"},
    {bits({0, 4, 7, 9}), "6"},
    {bits({0, 3, 7, 9}), "m6"},
    {bits({0, 5, 7}), "sus4"},
    {bits({0, 2, 7}), "sus2"},
    {bits({0, 5, 7, 10}), "7sus4"},
    {bits({0, 2, 4, 7, 10}), "9"},
    {bits({0, 2, 3, 7, 10}), "m9"},
    {bits({0, 2, 4, 7, 11}), "maj9"},
    {bits({0, 2, 4, 7}), "add9"},
    {bits({0, 2, 3, 7}), "madd9"},
    {bits({0, 2, 4, 7, 9}), "6add9"},
    {bits({0, 3, 5, 7, 10}), "m11"},
    {bits({0, 2, 3, 5, 7, 10}), "m11"},
    {bits({0, 3, 6}), "dim"},
    {bits({0, 3, 6, 9}), "dim7"},
    {bits({0, 3, 6, 10}), "m7b5"},
    {bits({0, 4, 8}), "aug"},
    {bits({0, 4, 8, 10}), "7#5"},
    {bits({0, 3, 7, 11}), "mmaj7"},
    {bits({0, 1, 4, 7, 10}), "7b9"},
    {bits({0, 3, 4, 7, 10}), "7#9"},
    {bits({0, 4, 10}), "7"},
    {bits({0, 3, 10}), "m7"},
    {bits({0, 4, 11}), "maj7"},
    {bits({0, 2, 4, 10}), "9"},
    {bits({0, 7}), "5"},
};

// The set rotated so that `root` is bit 0.
uint16_t above(uint16_t pitchClasses, int root) {
    uint32_t doubled = pitchClasses | static_cast<uint32_t>(pitchClasses) << 12;
    return static_cast<uint16_t>(doubled >> root & 0xFFF);
}

} // namespace

int noteNumber(const char* text, int* length) {
    *length = 0;
    char letter = text[0];
    if (letter < 'A' || letter > 'G') return -1;
    int semitone = LetterSemitones[letter - 'A'], at = 1;
    if (text[at] == '#')
        semitone++, at++;
    else if (text[at] == 'b')
        semitone--, at++;
    if (text[at] < '0' || text[at] > '9') return -1;
    int octave = text[at++] - '0';
    *length = at;
    return (octave + 1) * 12 + semitone; // C4, middle C, is 60; B#3 is C4 and Cb4 is B3
}

void chordName(const uint8_t frets[6], const int openNotes[6], char name[ChordNameCapacity]) {
    int notes[6];
    uint16_t pitchClasses = 0;
    for (int s = 0; s < 6; s++) {
        notes[s] = openNotes[s] + frets[s];
        pitchClasses = static_cast<uint16_t>(pitchClasses | 1u << (notes[s] % 12));
    }
    // The strings from the lowest note up (stable: equal notes keep their order).
    int order[6] = {0, 1, 2, 3, 4, 5};
    for (int i = 1; i < 6; i++)
        for (int j = i; j > 0 && notes[order[j]] < notes[order[j - 1]]; j--) {
            int t = order[j];
            order[j] = order[j - 1];
            order[j - 1] = t;
        }
    int bass = notes[order[0]] % 12;
    for (int i = 0; i < 6; i++) {
        int root = notes[order[i]] % 12;
        uint16_t intervals = above(pitchClasses, root);
        for (const Quality& quality : Qualities) {
            if (quality.intervals != intervals) continue;
            if (root == bass)
                std::snprintf(name, ChordNameCapacity, "%s%s", PitchNames[root], quality.suffix);
            else
                std::snprintf(name, ChordNameCapacity, "%s%s/%s", PitchNames[root], quality.suffix,
                              PitchNames[bass]);
            return;
        }
    }
    for (int s = 0; s < 6; s++) name[s] = static_cast<char>('0' + frets[s] % 10);
    name[6] = '\0';
}
