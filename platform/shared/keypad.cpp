// keypad.cpp -- the on-screen chord keys, their look, and which pointer does what.
#include "platform/shared/keypad.h"

#include "platform/platform.h"
#include "platform/shared/input.h"

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

// The digits on the keys, 5 x 7 pixels each (a row a string, '#' for ink), drawn three times
// their size: the same pixels on every platform, whatever its fonts.
constexpr char Digits[KeypadKeys][7][6] = {
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"####.", "....#", "....#", ".###.", "....#", "....#", "####."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
};
constexpr int DigitScale = 3;

// Whether (x, y) of a key's cell of w x h is ink of its digit, centred in the cell.
bool ink(int key, int x, int y, int w, int h) {
    int gx = x - (w - 5 * DigitScale) / 2, gy = y - (h - 7 * DigitScale) / 2;
    if (gx < 0 || gy < 0 || gx >= 5 * DigitScale || gy >= 7 * DigitScale) return false;
    return Digits[key][gy / DigitScale][gx / DigitScale] == '#';
}

void put(uint8_t* pixel, Colour c) {
    pixel[0] = c.b;
    pixel[1] = c.g;
    pixel[2] = c.r;
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
        bool down = pressedBy[key] > 0;
        int left = key % columns() * w, top = key / columns() * h;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                // A tile 3 pixels in from its cell, bevelled 2 pixels (sunk when pressed),
                // with a round inlay holding the label.
                Colour c = Gap;
                if (x >= 3 && y >= 3 && x < w - 3 && y < h - 3) {
                    bool lit = x < 5 || y < 5, shade = x >= w - 5 || y >= h - 5;
                    c = down ? FaceDown : Face;
                    if (lit || shade) c = lit != down ? Light : Dark;
                    int dx = 2 * x - (w - 1), dy = 2 * y - (h - 1);
                    if (dx * dx + dy * dy <= 34 * 34) c = down ? Amber : Ivory;
                    if (ink(key, x, y, w, h)) c = Dark;
                }
                put(pixels + ((top + y) * width + left + x) * 3, c);
            }
    }
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
