// keys.h -- the one table of the keys a platform reports: each key's virtual-key code beside the
// names the systems give that key, so that every platform turns the same key into the same code.
#pragma once

#include <cstdint>

struct KeyPlace {
    uint32_t code;    // the program's virtual-key code
    uint8_t usage;    // the USB HID keyboard usage: SDL's scancode
    uint8_t scan;     // the PC scan code (set 1) of a printable key; 0 for the others
    const char* name; // the browser's KeyboardEvent.code
};

extern const KeyPlace KeyPlaces[];
extern const int KeyPlaceCount;

// The code of a key by its USB usage (every key the table has), by its PC scan code (a
// printable key, which holds its place's code whatever the layout prints on it), or by the
// browser's name for it; 0 for a key the table does not have.
uint32_t keyOfUsage(unsigned usage);
uint32_t keyOfScan(unsigned scan);
uint32_t keyOfName(const char* name);
