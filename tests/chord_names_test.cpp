// Chord names: a chart of common guitar shapes, worked out by hand from the notes each sounds.
#include "instrument/chord_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Standard tuning, E2 A2 D3 G3 B3 E4, and a few others.
constexpr int Standard[6] = {40, 45, 50, 55, 59, 64};
constexpr int DropD[6] = {38, 45, 50, 55, 59, 64};
constexpr int OpenG[6] = {38, 43, 50, 55, 59, 62};
constexpr int Dadgad[6] = {38, 45, 50, 55, 57, 62};
constexpr int OpenD[6] = {38, 45, 50, 54, 57, 62};

// Frets as a guitarist writes them, thickest string first: "022100".
std::string nameOf(const char* shape, const int* tuning = Standard) {
    uint8_t frets[6];
    for (int s = 0; s < 6; s++) frets[s] = static_cast<uint8_t>(shape[s] - '0');
    char name[ChordNameCapacity];
    chordName(frets, tuning, name);
    return name;
}

} // namespace

TEST(ChordNames, NoteNamesAreMidiNotes) {
    int length;
    EXPECT_EQ(noteNumber("E2", &length), 40);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(noteNumber("F#3 rest", &length), 54);
    EXPECT_EQ(length, 3);
    EXPECT_EQ(noteNumber("Bb1", &length), 34);
    EXPECT_EQ(noteNumber("C4", &length), 60);
    EXPECT_EQ(noteNumber("Cb4", &length), 59);
    for (const char* wrong : {"H2", "E", "e2", "#2", ""}) {
        EXPECT_EQ(noteNumber(wrong, &length), -1) << wrong;
        EXPECT_EQ(length, 0) << wrong;
    }
}

TEST(ChordNames, CommonShapesInStandardTuning) {
    // Every string sounds, so open shapes that mute a string carry their lowest string's note:
    // a C played 032010 has E in the bass.
    const struct {
        const char* shape;
        const char* name;
    } Chart[] = {
        // E shapes in the open position
        {"022100", "E"},
        {"022000", "Em"},
        {"020100", "E7"},
        {"022030", "Em7"},
        {"021100", "Emaj7"},
        {"022120", "E6"},
        {"022020", "Em6"},
        {"022200", "Esus4"},
        {"024400", "Esus2"},
        {"022400", "E5"},
        {"020102", "E9"},
        {"024100", "Eadd9"},
        {"020002", "Em9"},
        {"024000", "Emadd9"},
        {"012030", "Em7b5"},
        {"012020", "Edim7"},
        {"032110", "Eaug"},
        {"000000", "Em11"},
        // A, D and C shapes over the open low E, and with a fretted bass
        {"002220", "A/E"},
        {"002210", "Am/E"},
        {"002020", "A7/E"},
        {"002010", "Am7/E"},
        {"002120", "Amaj7/E"},
        {"002230", "Asus4/E"},
        {"002222", "A6/E"},
        {"200232", "D/F#"},
        {"000232", "Dadd9/E"},
        {"000231", "Dmadd9/E"},
        {"200212", "D7/F#"},
        {"100231", "Dm/F"},
        {"320003", "G"},
        {"320001", "G7"},
        {"332000", "Cmaj7/G"},
        {"332010", "C/G"},
        {"032010", "C/E"},
        {"032310", "C7/E"},
        // Barre chords
        {"133211", "F"},
        {"133111", "Fm"},
        {"131211", "F7"},
        {"131111", "Fm7"},
        {"133210", "Fmaj7"},
        {"577655", "A"},
        {"577555", "Am"},
        {"575655", "A7"},
        {"575555", "Am7"},
        {"224442", "B/F#"},
        {"224432", "Bm/F#"},
        {"224242", "B7/F#"},
        {"224232", "Bm7/F#"},
        {"335553", "C/G"},
        {"335543", "Cm/G"},
        {"355433", "G"},
        {"355333", "Gm"},
        {"353433", "G7"},
        {"353333", "Gm7"},
        {"354433", "Gmaj7"},
        {"355533", "Gsus4"},
        {"355430", "G6"},
        {"557775", "D/A"},
        {"466544", "Ab"},
        {"113331", "Bb/F"},
        {"244322", "F#"},
        // Six different notes make no chord of the table: the frets stand for it
        {"000001", "000001"},
    };
    for (const auto& chord : Chart) EXPECT_EQ(nameOf(chord.shape), chord.name) << chord.shape;
}

TEST(ChordNames, OtherTuningsNameTheirOwnNotes) {
    EXPECT_EQ(nameOf("000232", DropD), "D");
    EXPECT_EQ(nameOf("000000", DropD), "G6add9/D");
    EXPECT_EQ(nameOf("000000", OpenG), "G/D");
    EXPECT_EQ(nameOf("555555", OpenG), "C/G");
    EXPECT_EQ(nameOf("000000", Dadgad), "Dsus4");
    EXPECT_EQ(nameOf("000000", OpenD), "D");
    EXPECT_EQ(nameOf("222222", OpenD), "E");
}
