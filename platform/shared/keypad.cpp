// keypad.cpp -- the on-screen chord keys, their look, and which pointer does what.
#include "platform/shared/keypad.h"

#include "platform/platform.h"
#include "platform/shared/input.h"

#include <cstdio>
#include <cstring>

namespace {

int option = -1; // --keypad (1), --no-keypad (0), or neither
bool shown, beside;
int pressedBy[KeypadKeys]; // how many pointers hold each key

// What each pointer is doing: nothing, being the stylus, holding a key, or being ignored until
// it lifts.
constexpr int Idle = -1, Stylus = -2, Ignored = -3;
int role[KeypadPointers] = {Idle, Idle, Idle, Idle, Idle, Idle, Idle, Idle, Idle, Idle, Idle};
int stylusPointer = -1;
// The system's id of each touch down, by pointer (pointer i + 1 is touches[i]).
int64_t touches[KeypadPointers - 1];
bool touchDown[KeypadPointers - 1];
// The mouse down as the stylus while the pad is hidden.
bool mouseStylus;

int keyWidth() {
    return 60;
}
int keyHeight() {
    return beside ? 80 : 60;
}
int columns() {
    return beside ? 2 : 4;
}

bool onInstrument(int x, int y) {
    return !shown || (x >= 0 && y >= 0 && x < ScreenWidth && y < ScreenHeight);
}

bool press(int key) {
    if (pressedBy[key]++ > 0) return false;
    queueMessage(MsgKeyDown, keypadCode(key), 0);
    return true;
}

bool release(int key) {
    if (pressedBy[key] == 0 || --pressedBy[key] > 0) return false;
    queueMessage(MsgKeyUp, keypadCode(key), 0);
    return true;
}

// The colours of the instrument's fingerboard: rosewood, its dark grain, and ivory inlays.
struct Colour {
    uint8_t b, g, r;
};
constexpr Colour Gap{16, 23, 40}, Face{30, 44, 74}, FaceDown{56, 84, 132}, Light{50, 72, 110},
    Dark{11, 16, 28}, Ivory{196, 226, 236}, Amber{120, 200, 250};

// The letters of the keys and of chord names, 5 x 7 pixels each (a row a string, '#' for ink):
// the same pixels on every platform, whatever its fonts.
struct Glyph {
    char c;
    char rows[7][6];
};
constexpr Glyph Glyphs[] = {
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"####.", "....#", "....#", ".###.", "....#", "....#", "####."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}},
    {'b', {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "####."}},
    {'d', {"....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"}},
    {'g', {".....", ".####", "#...#", "#...#", ".####", "....#", ".###."}},
    {'i', {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."}},
    {'j', {"...#.", ".....", "..##.", "...#.", "...#.", "#..#.", ".##.."}},
    {'m', {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#...#", "#...#"}},
    {'s', {".....", ".....", ".####", "#....", ".###.", "....#", "####."}},
    {'u', {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"}},
    {'#', {".#.#.", ".#.#.", "#####", ".#.#.", "#####", ".#.#.", ".#.#."}},
    {'/', {".....", "....#", "...#.", "..#..", ".#...", "#....", "....."}},
};
constexpr int DigitScale = 3;

const Glyph* glyphOf(char c) {
    for (const Glyph& glyph : Glyphs)
        if (glyph.c == c) return &glyph;
    return nullptr;
}

// Whether (x, y) is ink of `text` drawn `scale` times its size from (left, top), a pixel of
// space between letters; a character without a glyph is a space.
bool inkOf(const char* text, int scale, int left, int top, int x, int y) {
    int gx = x - left, gy = y - top, advance = 6 * scale;
    if (gx < 0 || gy < 0 || gy >= 7 * scale) return false;
    int index = gx / advance, column = gx % advance / scale;
    for (int i = 0; i < index; i++)
        if (!text[i]) return false;
    const Glyph* glyph = text[index] ? glyphOf(text[index]) : nullptr;
    return glyph && column < 5 && glyph->rows[gy / scale][column] == '#';
}

int textWidth(int length, int scale) {
    return length > 0 ? (6 * length - 1) * scale : 0;
}

// The chord names the keys show; "" for a key that holds no chord, which shows its digit.
char names[KeypadKeys][24];

constexpr int NamePlateInset = 6; // the plate's margin left and right

void put(uint8_t* pixel, Colour c) {
    pixel[0] = c.b;
    pixel[1] = c.g;
    pixel[2] = c.r;
}

// Where a key's name goes.
struct NameLayout {
    char text[24];
    int scale, left, top, plateTop, plateBottom;
};

NameLayout layOutName(int key, int w, int h) {
    NameLayout layout{};
    std::memcpy(layout.text, names[key], sizeof layout.text);
    int length = static_cast<int>(std::strlen(layout.text)), room = w - 2 * NamePlateInset - 2;
    // Twice the letters' size where that fits on the plate, else their own size; a name too
    // long even so loses its bass.
    layout.scale = textWidth(length, 2) <= room ? 2 : 1;
    char* slash = std::strchr(layout.text, '/');
    if (textWidth(length, layout.scale) > room && slash) {
        *slash = '\0';
        length = static_cast<int>(slash - layout.text);
    }
    layout.left = (w - textWidth(length, layout.scale)) / 2;
    layout.plateTop = h / 2 - 7;
    layout.plateBottom = h / 2 + 13;
    layout.top = (layout.plateTop + layout.plateBottom - 7 * layout.scale) / 2;
    return layout;
}

} // namespace

void keypadChoose(bool shown) {
    option = shown ? 1 : 0;
}

void keypadLayOut(bool touchScreen, bool landscape) {
    keypadShow(option == 1 || (option == -1 && touchScreen), landscape);
}

void keypadShow(bool show, bool side) {
    shown = show;
    beside = side;
}

bool keypadShown() {
    return shown;
}

int keypadWidth() {
    return shown ? (beside ? 2 * keyWidth() : ScreenWidth) : 0;
}

int keypadHeight() {
    return shown ? (beside ? ScreenHeight : 2 * keyHeight()) : 0;
}

int keypadLeft() {
    return beside ? ScreenWidth : 0;
}

int keypadTop() {
    return beside ? 0 : ScreenHeight;
}

int keypadWindowWidth() {
    return shown ? keypadLeft() + keypadWidth() : ScreenWidth;
}

int keypadWindowHeight() {
    return shown ? keypadTop() + keypadHeight() : ScreenHeight;
}

int keypadKeyAt(int x, int y) {
    x -= keypadLeft();
    y -= keypadTop();
    if (!shown || x < 0 || y < 0 || x >= keypadWidth() || y >= keypadHeight()) return -1;
    return y / keyHeight() * columns() + x / keyWidth();
}

uint32_t keypadCode(int key) {
    return Vk0 + 1 + static_cast<uint32_t>(key);
}

void drawKeypad(uint8_t* pixels) {
    int width = keypadWidth(), w = keyWidth(), h = keyHeight();
    for (int key = 0; key < KeypadKeys; key++) {
        bool down = pressedBy[key] > 0, named = names[key][0] != '\0';
        int left = key % columns() * w, top = key / columns() * h;
        char digit[2] = {static_cast<char>('1' + key), '\0'};
        NameLayout name = named ? layOutName(key, w, h) : NameLayout{};
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                // A tile 3 pixels in from its cell, bevelled 2 pixels (sunk when pressed),
                // with a round inlay holding its digit; a key holding a chord has a plate with
                // the chord's name instead, and its digit small in the corner.
                Colour c = Gap;
                if (x >= 3 && y >= 3 && x < w - 3 && y < h - 3) {
                    bool lit = x < 5 || y < 5, shade = x >= w - 5 || y >= h - 5;
                    c = down ? FaceDown : Face;
                    if (lit || shade) c = lit != down ? Light : Dark;
                    if (!named) {
                        int dx = 2 * x - (w - 1), dy = 2 * y - (h - 1);
                        if (dx * dx + dy * dy <= 34 * 34) c = down ? Amber : Ivory;
                        if (inkOf(digit, DigitScale, (w - 5 * DigitScale) / 2,
                                  (h - 7 * DigitScale) / 2, x, y))
                            c = Dark;
                    } else {
                        if (x >= NamePlateInset && x < w - NamePlateInset && y >= name.plateTop &&
                            y < name.plateBottom)
                            c = down ? Amber : Ivory;
                        if (inkOf(name.text, name.scale, name.left, name.top, x, y)) c = Dark;
                        if (inkOf(digit, 1, 8, 8, x, y)) c = Ivory;
                    }
                }
                put(pixels + ((top + y) * width + left + x) * 3, c);
            }
    }
}

bool keypadSetName(uint32_t code, const char* name) {
    for (int key = 0; key < KeypadKeys; key++) {
        if (keypadCode(key) != code) continue;
        if (std::strncmp(names[key], name, sizeof names[key] - 1) == 0) return false;
        std::strncpy(names[key], name, sizeof names[key] - 1);
        return true;
    }
    return false;
}

bool keypadPointerDown(int pointer, int x, int y) {
    if (pointer < 0 || pointer >= KeypadPointers || role[pointer] != Idle) return false;
    if (onInstrument(x, y)) {
        if (stylusPointer >= 0) {
            role[pointer] = Ignored; // the stylus is down already
            return false;
        }
        role[pointer] = Stylus;
        stylusPointer = pointer;
        queueStylus(MsgStylusDown, x, y);
        return false;
    }
    int key = keypadKeyAt(x, y);
    role[pointer] = key >= 0 ? key : Ignored;
    return key >= 0 && press(key);
}

bool keypadPointerMove(int pointer, int x, int y) {
    if (pointer < 0 || pointer >= KeypadPointers) return false;
    int was = role[pointer];
    if (was == Stylus) queueStylusMove(x, y);
    if (was < 0 || keypadKeyAt(x, y) == was) return false;
    // Slid off its key: the key is lifted, and the pointer does nothing more until it lifts.
    role[pointer] = Ignored;
    return release(was);
}

bool keypadPointerUp(int pointer, int x, int y) {
    if (pointer < 0 || pointer >= KeypadPointers) return false;
    int was = role[pointer];
    role[pointer] = Idle;
    if (was == Stylus) {
        stylusPointer = -1;
        queueStylus(MsgStylusUp, x, y);
    }
    return was >= 0 && release(was);
}

// The pointer slot of a touch or a pen the system knows by `id`: the slot it took when it
// landed (landing), or 0 when it is not down or all slots are taken.
static int touchPointer(int64_t id, bool landing) {
    for (int i = 0; i < KeypadPointers - 1; i++)
        if (touchDown[i] && touches[i] == id) return i + 1;
    if (!landing) return 0;
    for (int i = 0; i < KeypadPointers - 1; i++)
        if (!touchDown[i]) {
            touchDown[i] = true;
            touches[i] = id;
            return i + 1;
        }
    return 0;
}

static bool pointerEvent(PointerEvent event, int pointer, int x, int y) {
    switch (event) {
    case PointerDown:
        return keypadPointerDown(pointer, x, y);
    case PointerMove:
        return keypadPointerMove(pointer, x, y);
    case PointerUp:
        return keypadPointerUp(pointer, x, y);
    }
    return false;
}

bool mouseEvent(PointerEvent event, int x, int y, bool held) {
    if (event == PointerMove && !held) return false;
    if (keypadShown()) return pointerEvent(event, 0, x, y);
    if (event == PointerMove)
        queueStylusMove(x, y);
    else
        queueStylus(event == PointerDown ? MsgStylusDown : MsgStylusUp, x, y);
    if (event != PointerMove) mouseStylus = event == PointerDown;
    return false;
}

bool touchEvent(PointerEvent event, int64_t id, int x, int y) {
    int pointer = touchPointer(id, event == PointerDown);
    if (pointer == 0) return false;
    bool changed = pointerEvent(event, pointer, x, y);
    if (event == PointerUp) touchDown[pointer - 1] = false;
    return changed;
}

bool loseFocus() {
    releaseHeldKeys();
    if (mouseStylus) queueStylusLift();
    mouseStylus = false;
    bool changed = false;
    for (int pointer = 0; pointer < KeypadPointers; pointer++) {
        int was = role[pointer];
        role[pointer] = Idle;
        if (was == Stylus) queueStylusLift();
        if (was >= 0) changed |= release(was);
    }
    stylusPointer = -1;
    for (bool& down : touchDown) down = false;
    return changed;
}
