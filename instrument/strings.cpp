// strings.cpp -- turns stylus points into plucked notes, one per string per stroke.
#include "instrument/strings.h"

#include "audio/midi_out.h"
#include "display/layout.h"
#include "instrument/chords.h"

StringState Strings[StringCount];

void initStrings() {
    for (int i = 0; i < StringCount; i++) {
        StringState& s = Strings[i];
        s.sprite = StringSprite[i];
        s.index = i;
        s.left = stringLeft(i);
        s.top = 0;
        s.right = s.left + ColumnWidth;
        s.width = ColumnWidth;
        s.height = ScreenHeight;
        for (int f = 0; f < FretCount; f++) s.fretSamples[f] = &SampleBank[i * FretCount + f];
    }
}

void pluck(StringState* string) {
    if (!string->struck) {
        const Sample* note = string->fretSamples[string->fret];
        // The cut and the new allocation are one step for the feeder: it never mixes a voice
        // between the two.
        lockVoices();
        if (string->voice && string->voice->ownerString == string->index) stopVoice(string->voice);
        Voice* voice = allocateVoice(note->data, note->length);
        if (voice) voice->ownerString = string->index;
        unlockVoices();
        if (voice) {
            string->voice = voice;
            string->struck = 1;
            midiPluck(string->index, string->fret, note->length / 2);
        }
    }
    for (StringState& other : Strings)
        if (&other != string) other.struck = 0;
}

int stylusPoint(uint32_t x, uint32_t y) {
    if (x >= ScreenWidth || y >= ScreenHeight) return 1;
    int px = static_cast<int>(x), py = static_cast<int>(y);
    if (EditedChord) {
        editTap(x, y);
        return 1;
    }
    if (inExitSquare(px, py)) return 0;
    if (inResetStrip(px, py)) {
        clearChords();
        return 1;
    }
    pluck(&Strings[stringAt(px)]);
    return 1;
}
