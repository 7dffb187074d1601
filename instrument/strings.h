// strings.h -- the six strings: their columns, their notes, and plucking them with the stylus.
#pragma once

#include "assets/sample_bank.h"
#include "audio/voice_pool.h"
#include "display/sprites.h"

#include <cstdint>

struct StringState {
    Sprite* sprite;                          // the string's picture
    int32_t index;                           // 0 (rightmost, thickest) to 5
    int32_t left, top, right, width, height; // its column on the screen
    uint8_t struck;                          // plucked in the current stroke
    Sample* fretSamples[FretCount];          // its notes at frets 0 to 7
    int32_t fret;                            // the fret applied now, set by the chord keys
    Voice* voice;                            // the voice it started last, or none
};

extern StringState Strings[StringCount];

// Sets up the six columns, pictures and notes; stroke flags, frets and voices stay as they are.
void initStrings();

// Handles one stylus point (press or move) of the 240 x 320 screen. Returns 0 when the point is
// in the exit square, 1 otherwise.
int stylusPoint(uint32_t x, uint32_t y);

// Plucks the string unless it was plucked in this stroke already: cuts its previous note and
// starts the note of its current fret. Clears the stroke flag of every other string.
void pluck(StringState* string);
