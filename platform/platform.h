// platform.h -- the operating system's roles, in the program's own words. The core (app,
// audio, assets, display, instrument) calls these and nothing else of the system; one platform
// folder supplies them all, chosen at link time:
//
//   platform/sdl       Linux, on SDL2          platform/win32     Windows, on the Win32 API
//   platform/web       browsers, Emscripten    platform/scripted  in memory, for the tests
//   platform/null      every role doing nothing or refusing: where a new port starts
//
// The windowing ports build on platform/shared, which supplies the message queue and the
// get/peek/dispatch roles, the pointer and key rules, the failure reason and the process's end;
// platform/README.md lists what a new port writes, in the order it would write it. Below, each
// group says which of its roles a port may leave doing nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

// ---- The process (every port)

// Ends the process at once with this exit code, its output flushed: nothing after it runs.
[[noreturn]] void platformExitProcess(int code);

// Why the platform refused the call it last refused, in a few words for the line that reports
// it; "" when it cannot tell.
const char* platformFailureReason();

// Keeps the screen from blanking while the instrument is up: on (1) at start-up, off (0) at
// shutdown. May do nothing where the system has no such switch.
void platformKeepScreenOn(int on);

// The executable's own full path, zero-terminated, into path (capacity bytes, terminator
// included). Returns its length; 0 when the platform cannot tell, -1 when the path does not
// fit: a path is never cut short. The Media folder is found beside it.
int platformExecutablePath(char* path, int capacity);

// Opens the file at path (UTF-8) for reading bytes; none when it cannot be opened, with errno
// saying why.
std::FILE* platformOpenFile(const char* path);

// ---- Kept settings (every port; one that can keep nothing refuses the path)

// The full path (UTF-8) of the file `name` in the player's settings folder for the program,
// the folder made when missing: $XDG_CONFIG_HOME/fretstrummer (~/.config/fretstrummer) on
// Linux, %APPDATA%\Fretstrummer on Windows, the page's own storage in a browser. 1 when it fits
// in capacity; 0 when there is no such folder, with platformFailureReason saying why.
int platformSettingsPath(const char* name, char* path, int capacity);

// Replaces the file at path (UTF-8) with `size` bytes: written to a new file in the same
// folder, flushed to the disk, then renamed over the old one, so that a crash, a kill or a full
// disk leaves the old file or the new one, whole, never a part. 0 when done; 1 when refused,
// with platformFailureReason saying why.
int platformReplaceFile(const char* path, const void* data, uint32_t size);

// ---- MIDI out (every port; one without MIDI refuses the open)

// Opens the MIDI output: a port named "Fretstrummer" that synths and sequencers connect to, or
// the system's MIDI device `device` names (none: its default). 0 when open; 1 when refused, with
// platformFailureReason saying why.
int platformMidiOpen(const char* device);
// Sends one MIDI message (three bytes) at once. Called from the main thread and the note-off
// thread, never both at a time, and never from the audio thread.
void platformMidiSend(const uint8_t* message, int length);
void platformMidiClose();

// ---- Wave output (every port; refusing the open leaves a program that says so and ends)

// The format of the sound the program plays: integer PCM, its channels, rate and sample size.
struct PcmFormat {
    uint16_t formatTag; // 1: integer PCM
    uint16_t channels;
    uint32_t samplesPerSecond;
    uint32_t averageBytesPerSecond;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
};

// The 32-byte header of a block of sound handed to the device (32 bytes with 4-byte pointers
// as well).
struct alignas(8) WaveBlock {
    uint8_t* buffer;
    uint32_t bufferLength;
    uint32_t bytesRecorded;
    uint32_t user;
    std::atomic<uint32_t> flags; // WaveBlockDone is the program's; the others the platform's
    uint32_t loops;
    uint32_t next;
};
static_assert(sizeof(WaveBlock) == 32);

inline constexpr uint32_t WaveBlockDone = 1;     // set by the device once it has played it
inline constexpr uint32_t WaveBlockPrepared = 2; // between prepare and unprepare
inline constexpr uint32_t WaveBlockQueued = 16;  // held by the device

using WaveDevice = uint32_t;

// Asks a device that pulls its sound a buffer at a time (beside the queued blocks) to take at
// most `bytes` at once, and returns what it will take: the program queues enough blocks to
// cover it. Called before platformWaveOpen by the low-latency mode only. A device that plays
// the queued blocks themselves returns 0.
uint32_t platformWaveDeviceBuffer(uint32_t bytes);
// Opens the default output for format. 0 means open, with *device written.
int platformWaveOpen(WaveDevice* device, const PcmFormat* format);
// Readies a block for the device (size: the header's, 32). 0 means prepared.
int platformWavePrepare(WaveDevice device, WaveBlock* block, uint32_t size);
// Queues a prepared block. Queued blocks play in order, straight after one another; each one's
// WaveBlockDone is set once the device has played its last byte, or, with nothing queued
// behind it, once the device has taken it.
int platformWaveQueue(WaveDevice device, WaveBlock* block, uint32_t size);
// Returns once the block's WaveBlockDone is set or `milliseconds` have passed, whichever comes
// first: the device wakes a waiter as soon as it hands a block back.
void platformWaveWait(WaveDevice device, const WaveBlock* block, uint32_t milliseconds);
// Undoes prepare; refused for a block the device still holds.
int platformWaveUnprepare(WaveDevice device, WaveBlock* block, uint32_t size);
// Closes the device. Once it returns, the device reads no block any more.
int platformWaveClose(WaveDevice device);
// Where the program may start no thread, the device itself drives the feeder: it calls `feed`
// each time it has handed blocks back (and the feeder queues them again, in its own order), on
// the program's own thread between its messages, never while the program runs. 1 when the
// device does so; 0 where the program starts a feeder thread instead (every port with threads).
int platformWaveDriveFeeder(WaveDevice device, void (*feed)());

// ---- Threads (every port that plays sound)

// Starts body on a thread of its own. 1 when it runs, 0 when refused. The process's end waits
// for every thread started, within a bound, so that none is still leaving as it ends.
int platformStartThread(void (*body)());
// Raises the calling thread to the highest priority the platform grants; a refusal changes
// nothing else. May do nothing where all threads run at one priority.
void platformRaiseThreadPriority();

// ---- Windows and messages (every port; platform/shared supplies get, peek and dispatch)

using WindowHandle = uint32_t;   // 0: none
using InstanceHandle = uint32_t; // what the entry operation is given

// The program's message numbers; a platform translates its own events into these.
enum : uint32_t {
    MsgDestroy = 2,
    MsgActivate = 6,
    MsgPaint = 15,
    MsgClose = 16,
    MsgQuit = 18,
    MsgContextMenu = 123,
    MsgKeyDown = 256,
    MsgKeyUp = 257,
    MsgChar = 258,
    MsgDeadChar = 259,
    MsgSysKeyDown = 260,
    MsgSysKeyUp = 261,
    MsgSysChar = 262,
    MsgSysCommand = 274,
    MsgStylusMove = 512,
    MsgStylusDown = 513,
    MsgStylusUp = 514,
    MsgImeChar = 646,
    MsgImeKeyDown = 656,
    MsgImeKeyUp = 657,
    MsgHotKey = 786,
};

// The virtual-key codes of the keys a platform reports, the program's own numbers for them: a
// printable key by its place on a US keyboard, whatever the layout prints on it (Vk0 + n the
// digit n, VkA + n the nth letter), the others by what they do.
enum : uint32_t {
    VkBackspace = 8,
    VkTab = 9,
    VkEnter = 13,
    VkShift = 16,
    VkControl = 17,
    VkAlt = 18,
    VkPause = 19,
    VkCapsLock = 20,
    VkEscape = 27,
    VkSpace = 32,
    VkPageUp = 33,
    VkPageDown = 34,
    VkEnd = 35,
    VkHome = 36,
    VkLeft = 37,
    VkUp = 38,
    VkRight = 39,
    VkDown = 40,
    VkPrintScreen = 44,
    VkInsert = 45,
    VkDelete = 46,
    Vk0 = '0',
    VkA = 'A',
    VkLeftWindows = 91,
    VkRightWindows = 92,
    VkMenu = 93,
    VkNumpad0 = 96,
    VkMultiply = 106,
    VkAdd = 107,
    VkSubtract = 109,
    VkDecimal = 110,
    VkDivide = 111,
    VkF1 = 112, // to VkF24 = 135
    VkF4 = VkF1 + 3,
    VkF16 = VkF1 + 15,
    VkF24 = VkF1 + 23,
    VkNumLock = 144,
    VkScrollLock = 145,
    VkSemicolon = 186,
    VkEquals = 187,
    VkComma = 188,
    VkMinus = 189,
    VkPeriod = 190,
    VkSlash = 191,
    VkGrave = 192,
    VkLeftBracket = 219,
    VkBackslash = 220,
    VkRightBracket = 221,
    VkQuote = 222,
    VkIsoBackslash = 226, // the ISO key between the left Shift and Z
};

// One message: for keys, wParam is the virtual-key code; for the stylus, lParam carries x in
// its low 16 bits and y in its high 16 bits.
struct Message {
    WindowHandle window;
    uint32_t message;
    uint32_t wParam;
    uint32_t lParam;
};

using WindowProcedure = int32_t (*)(WindowHandle window, uint32_t message, uint32_t wParam,
                                    uint32_t lParam);

// What the program registers its window class with: its procedure, and fields a desktop
// platform may ignore.
struct WindowClass {
    uint32_t style;
    WindowProcedure windowProc;
    int32_t classExtra;
    int32_t windowExtra;
    InstanceHandle instance;
    uint32_t icon;
    uint32_t cursor;
    uint32_t background; // a stock object number: StockBlackBrush
    const char* menuName;
    const char* className;
};

inline constexpr uint32_t StockBlackBrush = 4;

// Registers the class; its low 16 bits are 0 when refused. platform/shared's keepWindowClass
// keeps its procedure for dispatch.
uint32_t platformRegisterClass(const WindowClass* windowClass);
// Creates a window of a registered class, not yet shown; 0 when refused.
WindowHandle platformCreateWindow(uint32_t exStyle, const char* className, const char* title,
                                  uint32_t style, int x, int y, int width, int height,
                                  WindowHandle parent, uint32_t menu, InstanceHandle instance,
                                  void* param);
// Sets a field of the window's record (WindowStyleField: its style). May do nothing.
inline constexpr int WindowStyleField = -16;
void platformSetWindowLong(WindowHandle window, int index, uint32_t value);
// insertAfter WindowTopMost keeps it above all others; flags as below.
inline constexpr int WindowTopMost = -1;
inline constexpr uint32_t WindowKeepSize = 1, WindowKeepPlace = 2, WindowShow = 64;
void platformSetWindowPos(WindowHandle window, int insertAfter, int x, int y, int width, int height,
                          uint32_t flags);
// Brings the window to the front, where the system lets a program do that. May do nothing.
void platformSetForegroundWindow(WindowHandle window);
// Puts the window's whole picture on the screen now.
void platformUpdateWindow(WindowHandle window);

// Waits for the next message; 0 when it is the quit message.
int platformGetMessage(Message* message);
// Takes the next waiting message if there is one (remove 1); 0 when there is none.
int platformPeekMessage(Message* message, uint32_t remove);
// Makes the system's character messages from a key message. May do nothing: the program
// ignores them.
void platformTranslateMessage(const Message* message);
// Hands the message to its window's procedure and returns what that returns.
int32_t platformDispatchMessage(const Message* message);
// The system's own handling of a message the program passes by; a paint puts the whole picture
// on the screen again.
int32_t platformDefWindowProc(WindowHandle window, uint32_t message, uint32_t wParam,
                              uint32_t lParam);

// The shell's full-screen call, where the platform has one: none on a desktop or in a browser.
using ShellFullScreen = int (*)(WindowHandle window, uint32_t flags);
ShellFullScreen platformLoadShellFullScreen();
// Its flags: the task bar, the input panel's button and the start icon hidden, or shown.
inline constexpr uint32_t ShellHideAll = 2 | 8 | 32, ShellShowAll = 1 | 4 | 16;

// ---- The window's pixels (every port)

inline constexpr int ScreenWidth = 240;
inline constexpr int ScreenHeight = 320;
inline constexpr int ScreenStride = ScreenWidth * 3;

// The window's 240 x 320 pixels, blue, green, red, top row first, 720 bytes a row; none when
// the window has no surface. What is written there reaches the screen at platformShowPixels.
uint8_t* platformWindowPixels(WindowHandle window);
// Puts the rectangle of the window's pixels on the screen.
void platformShowPixels(WindowHandle window, int x, int y, int width, int height);

// The name of the chord key `code` holds now ("" for none), for an on-screen key that stands
// for it. A port without on-screen keys does nothing.
void platformShowChordName(uint32_t code, const char* name);

// ---- Text (every port; drawing nothing leaves the splash without words)

inline constexpr uint32_t TextCenter = 1;         // centred horizontally
inline constexpr uint32_t TextVerticalCenter = 4; // and vertically

// Draws text in the default font of a new drawing context, dark, over a 240 x 320 picture laid
// out as the window's pixels: at the top of the picture, or placed by format.
void platformDrawText(uint8_t* pixels, const char* text, uint32_t format);
