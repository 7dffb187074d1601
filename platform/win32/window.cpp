// window.cpp -- the window, its pixels and its input on Win32. The message numbers and the
// virtual-key codes are the program's own; pointers are scaled back to the 240 x 320 screen
// (and the chord keys beside it), and a fast drag is filled in column by column. On a desktop the
// window is the picture scaled by the largest whole factor that fits the work area; on a tablet (or
// a convertible folded into one) it covers the screen with the picture scaled and centred on black.
#include "platform/platform.h"
#include "platform/shared/input.h"
#include "platform/shared/keypad.h"
#include "platform/shared/keys.h"
#include "platform/shared/port.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <algorithm>

namespace {

HWND hwnd;
int scale = 1;

// The window's place and size, and where the picture stands in it.
RECT frame;
int originX, originY;

// The window's pixels: a top-down 24-bit DIB section, blue green red, 720 bytes a row.
HDC pixelsDC;
uint8_t* pixels;

// The on-screen chord keys' pixels, like the screen's, when they show.
HDC padDC;
HBITMAP padBitmap;
uint8_t* padPixels;

// Touch and pen input (Windows 8 and later), where the headers predate it.
#ifndef WM_POINTERUPDATE
#define WM_POINTERUPDATE 0x0245
#define WM_POINTERDOWN 0x0246
#define WM_POINTERUP 0x0247
#endif
constexpr unsigned PointerInContact = 0x0004; // the pointer message's flag

// A 24-bit top-down DIB section of width x height in a memory DC of its own; its bits, or none.
uint8_t* dibSection(int width, int height, HDC* dc, HBITMAP* made = nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    *dc = CreateCompatibleDC(nullptr);
    if (made) *made = bitmap;
    if (bitmap && *dc && SelectObject(*dc, bitmap)) return static_cast<uint8_t*>(bits);
    return nullptr;
}

// The system message being handled, for the default handling.
MSG current;

void present(HDC dc, int x, int y, int width, int height) {
    StretchBlt(dc, originX + x * scale, originY + y * scale, width * scale, height * scale,
               pixelsDC, x, y, width, height, SRCCOPY);
}

void presentPad(HDC dc) {
    if (padPixels)
        StretchBlt(dc, originX + keypadLeft() * scale, originY + keypadTop() * scale,
                   keypadWidth() * scale, keypadHeight() * scale, padDC, 0, 0, keypadWidth(),
                   keypadHeight(), SRCCOPY);
}

// The pad's pixels for the pad as it is laid out now, drawn; none when it is hidden.
void makePad() {
    if (padDC) DeleteDC(padDC), padDC = nullptr;
    if (padBitmap) DeleteObject(padBitmap), padBitmap = nullptr;
    padPixels =
        keypadShown() ? dibSection(keypadWidth(), keypadHeight(), &padDC, &padBitmap) : nullptr;
    if (padPixels) drawKeypad(padPixels);
}

// Draws the pad as its keys are now and puts it on the window.
void showKeypad() {
    if (!padPixels) return;
    drawKeypad(padPixels);
    GdiFlush();
    HDC dc = GetDC(hwnd);
    presentPad(dc);
    ReleaseDC(hwnd, dc);
}

// Puts the whole picture in the part of the window that needs painting, black around it.
void paint() {
    PAINTSTRUCT area;
    HDC dc = BeginPaint(hwnd, &area);
    ExcludeClipRect(dc, originX, originY, originX + ScreenWidth * scale,
                    originY + ScreenHeight * scale);
    if (padPixels)
        ExcludeClipRect(dc, originX + keypadLeft() * scale, originY + keypadTop() * scale,
                        originX + (keypadLeft() + keypadWidth()) * scale,
                        originY + (keypadTop() + keypadHeight()) * scale);
    RECT all{0, 0, frame.right - frame.left, frame.bottom - frame.top};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectClipRgn(dc, nullptr);
    if (pixels) present(dc, 0, 0, ScreenWidth, ScreenHeight);
    presentPad(dc);
    EndPaint(hwnd, &area);
}

// A touch screen built in.
bool touchScreen() {
    return (GetSystemMetrics(SM_DIGITIZER) & NID_INTEGRATED_TOUCH) != 0;
}

// A tablet, or a convertible in its tablet posture: a touch screen built in and no keyboard
// in use.
bool tabletMode() {
    return GetSystemMetrics(SM_CONVERTIBLESLATEMODE) == 0 && touchScreen();
}

// Sets the window's frame and the picture's scale and place for the screen as it is now: the
// whole primary monitor on a tablet, else a width x height picture at (x, y), scaled to fit
// the work area; with the pad below it or, on a landscape screen, beside it.
void layout(int x, int y, int width, int height) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    bool tablet = tabletMode() &&
                  GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT area;
    if (tablet)
        area = monitor.rcMonitor;
    else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        area = RECT{0, 0, width, height};
    keypadLayOut(touchScreen(), area.right - area.left > area.bottom - area.top);
    if (keypadShown()) {
        width = keypadWindowWidth();
        height = keypadWindowHeight();
    }
    scale =
        std::max(1L, std::min((area.right - area.left) / width, (area.bottom - area.top) / height));
    if (tablet) {
        frame = area;
        originX = static_cast<int>(area.right - area.left - width * scale) / 2;
        originY = static_cast<int>(area.bottom - area.top - height * scale) / 2;
    } else {
        frame = RECT{x, y, x + width * scale, y + height * scale};
        originX = originY = 0;
    }
}

// A touch or a pen, several at a time, through the pad's pointer rules. The mouse does not
// send these, so nothing comes twice.
void translatePointer(const MSG& msg) {
    unsigned flags = HIWORD(msg.wParam);
    if (msg.message == WM_POINTERUPDATE && !(flags & PointerInContact)) return; // hovering
    POINT at{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    ScreenToClient(hwnd, &at);
    PointerEvent event = msg.message == WM_POINTERDOWN ? PointerDown
                         : msg.message == WM_POINTERUP ? PointerUp
                                                       : PointerMove;
    if (touchEvent(event, LOWORD(msg.wParam), floorDiv(at.x - originX, scale),
                   floorDiv(at.y - originY, scale)))
        showKeypad();
}

// The program's messages for one system message; none for a move without the button held.
void translate(const MSG& msg) {
    uint32_t wParam = static_cast<uint32_t>(msg.wParam);
    uint32_t lParam = static_cast<uint32_t>(msg.lParam);
    switch (msg.message) {
    case WM_NULL:
        return; // a wake-up: what it woke the loop for is queued already
    case WM_POINTERDOWN:
    case WM_POINTERUPDATE:
    case WM_POINTERUP:
        return translatePointer(msg);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE: {
        // The button held down is captured, so its lifting comes here wherever it happens.
        if (msg.message == WM_LBUTTONDOWN) SetCapture(hwnd);
        if (msg.message == WM_LBUTTONUP) ReleaseCapture();
        PointerEvent event = msg.message == WM_LBUTTONDOWN ? PointerDown
                             : msg.message == WM_LBUTTONUP ? PointerUp
                                                           : PointerMove;
        if (mouseEvent(event, floorDiv(static_cast<short>(LOWORD(msg.lParam)) - originX, scale),
                       floorDiv(static_cast<short>(HIWORD(msg.lParam)) - originY, scale),
                       event != PointerMove || (msg.wParam & MK_LBUTTON)))
            showKeypad();
        return;
    }
    case WM_SYSCOMMAND:
        // The system's own close (the task bar's, the window manager's under Wine): the
        // program passes system commands by, so it gets the close the default handling makes.
        if ((wParam & 0xFFF0) == SC_CLOSE) return queueMessage(MsgClose, 0, 0);
        return queueMessage(msg.message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
        // A printable key by its place (the US key at its scan code), so that every such key
        // holds a chord whatever the layout prints on it; the others, and the keypad's extended
        // keys, keep the code the system gives.
        unsigned scan = (lParam >> 16) & 0xFF;
        uint32_t code = (lParam & (1u << 24)) ? 0 : keyOfScan(scan);
        return queueKey(msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN,
                        msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSKEYUP,
                        code ? code : wParam, lParam);
    }
    default:
        queueMessage(msg.message, wParam, lParam);
    }
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // Sent by the system (the task bar, Alt+F4): the event loop decides, so it is posted.
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_KILLFOCUS:
        // Keys let go of in another window never come here: everything held is let go of now.
        // The system sends this from inside GetMessageW, which returns only for a posted
        // message: one is posted so that the event loop takes the key-ups at once.
        ReleaseCapture();
        if (loseFocus()) showKeypad();
        PostMessageW(window, WM_NULL, 0, 0);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_SETTINGCHANGE:
        // Folded into a tablet or back: the window takes the screen, or gives it back.
        if (lParam && lstrcmpW(reinterpret_cast<LPCWSTR>(lParam), L"ConvertibleSlateMode") == 0) {
            layout(0, 0, ScreenWidth, ScreenHeight);
            if (pixels) makePad();
            SetWindowPos(window, nullptr, frame.left, frame.top, frame.right - frame.left,
                         frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(window, nullptr, FALSE);
        }
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

bool win32Wide(const char* text, wchar_t* wide, int capacity) {
    return MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, capacity) > 0;
}

uint32_t platformRegisterClass(const WindowClass* windowClass) {
    wchar_t name[64];
    if (!win32Wide(windowClass->className, name, 64))
        return win32Refuse("the class name is too long");
    WNDCLASSW native{};
    native.lpfnWndProc = windowProcedure;
    native.hInstance = GetModuleHandleW(nullptr);
    native.hIcon = LoadIconW(native.hInstance, MAKEINTRESOURCEW(1));
    native.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    native.hbrBackground = static_cast<HBRUSH>(GetStockObject(windowClass->background));
    native.lpszClassName = name;
    ATOM atom = RegisterClassW(&native);
    if (!atom) return win32Refuse();
    keepWindowClass(windowClass);
    return atom;
}

WindowHandle platformCreateWindow(uint32_t exStyle, const char* className, const char* title,
                                  uint32_t style, int x, int y, int width, int height, WindowHandle,
                                  uint32_t, InstanceHandle, void*) {
    wchar_t wideClass[64], wideTitle[64];
    if (!win32Wide(className, wideClass, 64) || !win32Wide(title, wideTitle, 64))
        return win32Refuse("the title is too long");
    layout(x, y, width, height);
    hwnd = CreateWindowExW(exStyle, wideClass, wideTitle, style, frame.left, frame.top,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return win32Refuse();
    pixels = dibSection(ScreenWidth, ScreenHeight, &pixelsDC);
    if (!pixels) win32Refuse(); // the window stands, but has no pixels to draw into
    if (pixels) makePad();
    return TheWindow;
}

void platformSetWindowLong(WindowHandle, int index, uint32_t value) {
    SetWindowLongW(hwnd, index, static_cast<LONG>(value));
}

void platformSetWindowPos(WindowHandle, int insertAfter, int x, int y, int width, int height,
                          uint32_t flags) {
    layout(x, y, width, height);
    SetWindowPos(hwnd, insertAfter == -1 ? HWND_TOPMOST : nullptr, frame.left, frame.top,
                 frame.right - frame.left, frame.bottom - frame.top, flags);
}

void platformSetForegroundWindow(WindowHandle) {
    SetForegroundWindow(hwnd);
}

void platformUpdateWindow(WindowHandle) {
    UpdateWindow(hwnd);
}

bool portWaitForEvent() {
    BOOL got = GetMessageW(&current, nullptr, 0, 0);
    if (got == 0 || got == -1) return false;
    translate(current);
    return true;
}

bool portTakeEvent() {
    if (!PeekMessageW(&current, nullptr, 0, 0, PM_REMOVE)) return false;
    if (current.message == WM_QUIT)
        queueMessage(MsgQuit, 0, 0);
    else
        translate(current);
    return true;
}

void platformTranslateMessage(const Message* message) {
    if (message->message == current.message) TranslateMessage(&current);
}

int32_t platformDefWindowProc(WindowHandle, uint32_t message, uint32_t wParam, uint32_t lParam) {
    switch (message) {
    case MsgPaint:
        // A paint the queue delivered: what the window procedure does for one the system sends.
        paint();
        return 0;
    case MsgClose:
    case MsgDestroy:
    case MsgStylusDown:
    case MsgStylusMove:
    case MsgStylusUp:
        return 0; // the event loop has acted on them
    default:
        // The system's own handling, with the message's full parameters where it has them.
        if (message == current.message)
            return static_cast<int32_t>(
                DefWindowProcW(hwnd, current.message, current.wParam, current.lParam));
        return static_cast<int32_t>(DefWindowProcW(hwnd, message, wParam, lParam));
    }
}

ShellFullScreen platformLoadShellFullScreen() {
    // Desktop Windows has no shell full-screen call.
    return nullptr;
}

uint8_t* platformWindowPixels(WindowHandle) {
    return pixels;
}

void platformShowPixels(WindowHandle, int x, int y, int width, int height) {
    if (!pixels) return;
    GdiFlush();
    HDC dc = GetDC(hwnd);
    present(dc, x, y, width, height);
    ReleaseDC(hwnd, dc);
}

void platformShowChordName(uint32_t code, const char* name) {
    if (keypadSetName(code, name)) showKeypad();
}
