// platform.h -- the operating system's roles, in the program's own words.
// platform/sdl supplies them for the real program, platform/scripted for the tests; the choice
// is made at link time.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

// ---- The process

// Ends the process at once with this exit code: nothing after it runs.
[[noreturn]] void platformExitProcess(int code);

// Why the platform refused the call it last refused, in a few words for the line that reports
// it; "" when it cannot tell.
const char* platformFailureReason();

// The one-argument platform switch: on at start-up, off at shutdown. It keeps the screen from
// blanking while the instrument is up.
void platformSwitch(int on);

// ---- The executable

// The executable's own full path, zero-terminated, into path (capacity bytes, terminator
// included). Returns its length, or 0 when the platform cannot tell or the path does not fit:
// a path is never cut short.
int platformExecutablePath(char* path, int capacity);

// ---- Files

// Opens the file at path (UTF-8) for reading bytes; none when it cannot be opened, with errno
// saying why.
std::FILE* platformOpenFile(const char* path);

// ---- Wave output

// The published PCM format record.
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

// ---- Threads

// Starts body on a thread of its own that nobody joins. 1 when it runs, 0 when refused.
int platformStartThread(void (*body)());
// Raises the calling thread to the highest priority the platform grants; a refusal changes
// nothing else.
void platformRaiseThreadPriority();

// ---- Windows and messages

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

// The ten-field window-class record.
struct WindowClass {
    uint32_t style;
    WindowProcedure windowProc;
    int32_t classExtra;
    int32_t windowExtra;
    InstanceHandle instance;
    uint32_t icon;
    uint32_t cursor;
    uint32_t background; // a stock object number; 4 is black
    const char* menuName;
    const char* className;
};

// Registers the class; its low 16 bits are 0 when refused.
uint32_t platformRegisterClass(const WindowClass* windowClass);
// Creates a window of a registered class, not yet shown; 0 when refused.
WindowHandle platformCreateWindow(uint32_t exStyle, const char* className, const char* title,
                                  uint32_t style, int x, int y, int width, int height,
                                  WindowHandle parent, uint32_t menu, InstanceHandle instance,
                                  void* param);
void platformSetWindowLong(WindowHandle window, int index, uint32_t value);
// insertAfter -1 is top-most; flags 1 keep the size, 2 keep the position, 64 show.
void platformSetWindowPos(WindowHandle window, int insertAfter, int x, int y, int width, int height,
                          uint32_t flags);
void platformSetForegroundWindow(WindowHandle window);
void platformUpdateWindow(WindowHandle window);

// Waits for the next message; 0 when it is the quit message.
int platformGetMessage(Message* message);
// Takes the next waiting message if there is one (remove 1); 0 when there is none.
int platformPeekMessage(Message* message, uint32_t remove);
void platformTranslateMessage(const Message* message);
// Hands the message to its window's procedure and returns what that returns.
int32_t platformDispatchMessage(const Message* message);
int32_t platformDefWindowProc(WindowHandle window, uint32_t message, uint32_t wParam,
                              uint32_t lParam);

// The shell's full-screen call, where the platform has one (none on a Linux desktop).
using ShellFullScreen = int (*)(WindowHandle window, uint32_t flags);
ShellFullScreen platformLoadShellFullScreen();

// ---- The window's pixels

inline constexpr int ScreenWidth = 240;
inline constexpr int ScreenHeight = 320;
inline constexpr int ScreenStride = ScreenWidth * 3;

// The window's 240 x 320 pixels, blue, green, red, top row first, 720 bytes a row; none when
// the window has no surface. What is written there reaches the screen at platformShowPixels.
uint8_t* platformWindowPixels(WindowHandle window);
// Puts the rectangle of the window's pixels on the screen.
void platformShowPixels(WindowHandle window, int x, int y, int width, int height);

// ---- Text

inline constexpr uint32_t TextCenter = 1;         // centred horizontally
inline constexpr uint32_t TextVerticalCenter = 4; // and vertically

// Draws text in the default font of a new drawing context, dark, over a 240 x 320 picture laid
// out as the window's pixels: at the top of the picture, or placed by format.
void platformDrawText(uint8_t* pixels, const char* text, uint32_t format);
