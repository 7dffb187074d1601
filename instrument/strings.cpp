// strings.cpp -- turns stylus points into plucked notes, one per string per stroke.
#include "instrument/strings.h"

#include "instrument/chords.h"

StringState Strings[StringCount];

void initStrings() {
    for (int i = 0; i < StringCount; i++) {
        StringState& s = Strings[i];
        s.sprite = StringSprite[i];
        s.index = i;
        s.left = 200 - 40 * i;
        s.top = 0;
        s.right = 240 - 40 * i;
        s.width = 40;
        s.height = 320;
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
        }
    }
    for (StringState& other : Strings)
        if (&other != string) other.struck = 0;
}

int stylusPoint(uint32_t x, uint32_t y) {
    if (x >= 240 || y >= 320) return 1;
    if (EditedChord) {
        editTap(x, y);
        return 1;
    }
    if (x <= 4 && y <= 4) return 0;
    if (x >= 50 && x <= 190 && y <= 4) {
        clearChords();
        return 1;
    }
    pluck(&Strings[5 - x / 40]);
    return 1;
}
