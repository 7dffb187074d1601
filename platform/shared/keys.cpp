// keys.cpp -- the keys every platform knows, by their place on the keyboard.
#include "platform/shared/keys.h"

#include "platform/platform.h"

#include <cstring>
#include <iterator>

const KeyPlace KeyPlaces[] = {
    // The printable keys, by their place on a US keyboard: letters, digits and punctuation.
    // The ISO key left of Enter (usage 50) sits where the US backslash does.
    {VkA + 0, 4, 0x1E, "KeyA"},
    {VkA + 1, 5, 0x30, "KeyB"},
    {VkA + 2, 6, 0x2E, "KeyC"},
    {VkA + 3, 7, 0x20, "KeyD"},
    {VkA + 4, 8, 0x12, "KeyE"},
    {VkA + 5, 9, 0x21, "KeyF"},
    {VkA + 6, 10, 0x22, "KeyG"},
    {VkA + 7, 11, 0x23, "KeyH"},
    {VkA + 8, 12, 0x17, "KeyI"},
    {VkA + 9, 13, 0x24, "KeyJ"},
    {VkA + 10, 14, 0x25, "KeyK"},
    {VkA + 11, 15, 0x26, "KeyL"},
    {VkA + 12, 16, 0x32, "KeyM"},
    {VkA + 13, 17, 0x31, "KeyN"},
    {VkA + 14, 18, 0x18, "KeyO"},
    {VkA + 15, 19, 0x19, "KeyP"},
    {VkA + 16, 20, 0x10, "KeyQ"},
    {VkA + 17, 21, 0x13, "KeyR"},
    {VkA + 18, 22, 0x1F, "KeyS"},
    {VkA + 19, 23, 0x14, "KeyT"},
    {VkA + 20, 24, 0x16, "KeyU"},
    {VkA + 21, 25, 0x2F, "KeyV"},
    {VkA + 22, 26, 0x11, "KeyW"},
    {VkA + 23, 27, 0x2D, "KeyX"},
    {VkA + 24, 28, 0x15, "KeyY"},
    {VkA + 25, 29, 0x2C, "KeyZ"},
    {Vk0 + 1, 30, 0x02, "Digit1"},
    {Vk0 + 2, 31, 0x03, "Digit2"},
    {Vk0 + 3, 32, 0x04, "Digit3"},
    {Vk0 + 4, 33, 0x05, "Digit4"},
    {Vk0 + 5, 34, 0x06, "Digit5"},
    {Vk0 + 6, 35, 0x07, "Digit6"},
    {Vk0 + 7, 36, 0x08, "Digit7"},
    {Vk0 + 8, 37, 0x09, "Digit8"},
    {Vk0 + 9, 38, 0x0A, "Digit9"},
    {Vk0, 39, 0x0B, "Digit0"},
    {VkMinus, 45, 0x0C, "Minus"},
    {VkEquals, 46, 0x0D, "Equal"},
    {VkLeftBracket, 47, 0x1A, "BracketLeft"},
    {VkRightBracket, 48, 0x1B, "BracketRight"},
    {VkBackslash, 49, 0x2B, "Backslash"},
    {VkBackslash, 50, 0x2B, "Backslash"},
    {VkSemicolon, 51, 0x27, "Semicolon"},
    {VkQuote, 52, 0x28, "Quote"},
    {VkGrave, 53, 0x29, "Backquote"},
    {VkComma, 54, 0x33, "Comma"},
    {VkPeriod, 55, 0x34, "Period"},
    {VkSlash, 56, 0x35, "Slash"},
    {VkIsoBackslash, 100, 0x56, "IntlBackslash"},
    // The others, by what they do: their code is the same on every layout.
    {VkEnter, 40, 0, "Enter"},
    {VkEscape, 41, 0, "Escape"},
    {VkBackspace, 42, 0, "Backspace"},
    {VkTab, 43, 0, "Tab"},
    {VkSpace, 44, 0, "Space"},
    {VkCapsLock, 57, 0, "CapsLock"},
    {VkF1, 58, 0, "F1"},
    {VkF1 + 1, 59, 0, "F2"},
    {VkF1 + 2, 60, 0, "F3"},
    {VkF1 + 3, 61, 0, "F4"},
    {VkF1 + 4, 62, 0, "F5"},
    {VkF1 + 5, 63, 0, "F6"},
    {VkF1 + 6, 64, 0, "F7"},
    {VkF1 + 7, 65, 0, "F8"},
    {VkF1 + 8, 66, 0, "F9"},
    {VkF1 + 9, 67, 0, "F10"},
    {VkF1 + 10, 68, 0, "F11"},
    {VkF1 + 11, 69, 0, "F12"},
    {VkPrintScreen, 70, 0, "PrintScreen"},
    {VkScrollLock, 71, 0, "ScrollLock"},
    {VkPause, 72, 0, "Pause"},
    {VkInsert, 73, 0, "Insert"},
    {VkHome, 74, 0, "Home"},
    {VkPageUp, 75, 0, "PageUp"},
    {VkDelete, 76, 0, "Delete"},
    {VkEnd, 77, 0, "End"},
    {VkPageDown, 78, 0, "PageDown"},
    {VkRight, 79, 0, "ArrowRight"},
    {VkLeft, 80, 0, "ArrowLeft"},
    {VkDown, 81, 0, "ArrowDown"},
    {VkUp, 82, 0, "ArrowUp"},
    {VkNumLock, 83, 0, "NumLock"},
    {VkDivide, 84, 0, "NumpadDivide"},
    {VkMultiply, 85, 0, "NumpadMultiply"},
    {VkSubtract, 86, 0, "NumpadSubtract"},
    {VkAdd, 87, 0, "NumpadAdd"},
    {VkEnter, 88, 0, "NumpadEnter"},
    {VkNumpad0 + 1, 89, 0, "Numpad1"},
    {VkNumpad0 + 2, 90, 0, "Numpad2"},
    {VkNumpad0 + 3, 91, 0, "Numpad3"},
    {VkNumpad0 + 4, 92, 0, "Numpad4"},
    {VkNumpad0 + 5, 93, 0, "Numpad5"},
    {VkNumpad0 + 6, 94, 0, "Numpad6"},
    {VkNumpad0 + 7, 95, 0, "Numpad7"},
    {VkNumpad0 + 8, 96, 0, "Numpad8"},
    {VkNumpad0 + 9, 97, 0, "Numpad9"},
    {VkNumpad0, 98, 0, "Numpad0"},
    {VkDecimal, 99, 0, "NumpadDecimal"},
    {VkMenu, 101, 0, "ContextMenu"},
    {VkF1 + 12, 104, 0, "F13"},
    {VkF1 + 13, 105, 0, "F14"},
    {VkF1 + 14, 106, 0, "F15"},
    {VkF1 + 15, 107, 0, "F16"},
    {VkF1 + 16, 108, 0, "F17"},
    {VkF1 + 17, 109, 0, "F18"},
    {VkF1 + 18, 110, 0, "F19"},
    {VkF1 + 19, 111, 0, "F20"},
    {VkF1 + 20, 112, 0, "F21"},
    {VkF1 + 21, 113, 0, "F22"},
    {VkF1 + 22, 114, 0, "F23"},
    {VkF1 + 23, 115, 0, "F24"},
    {VkControl, 224, 0, "ControlLeft"},
    {VkShift, 225, 0, "ShiftLeft"},
    {VkAlt, 226, 0, "AltLeft"},
    {VkLeftWindows, 227, 0, "MetaLeft"},
    {VkControl, 228, 0, "ControlRight"},
    {VkShift, 229, 0, "ShiftRight"},
    {VkAlt, 230, 0, "AltRight"},
    {VkRightWindows, 231, 0, "MetaRight"},
};
const int KeyPlaceCount = static_cast<int>(std::size(KeyPlaces));

uint32_t keyOfUsage(unsigned usage) {
    for (const KeyPlace& key : KeyPlaces)
        if (key.usage == usage) return key.code;
    return 0;
}

uint32_t keyOfScan(unsigned scan) {
    for (const KeyPlace& key : KeyPlaces)
        if (key.scan != 0 && key.scan == scan) return key.code;
    return 0;
}

uint32_t keyOfName(const char* name) {
    for (const KeyPlace& key : KeyPlaces)
        if (std::strcmp(key.name, name) == 0) return key.code;
    return 0;
}
