// window.cpp -- the window, its pixels and its input on SDL2, in the program's own messages.
#include "platform/platform.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/shared/input.h"
#include "platform/shared/keypad.h"
#include "platform/shared/keys.h"
#include "platform/shared/port.h"

#include <SDL.h>

#include <algorithm>

namespace {

SDL_Window* sdlWindow;
SDL_Renderer* renderer;
SDL_Texture* texture;
int scale = 1;
uint8_t pixels[ScreenHeight * ScreenStride];

// The on-screen chord keys' texture and pixels, when they show.
SDL_Texture* padTexture;
uint8_t padPixels[ScreenHeight * ScreenStride];

// SDL's scancodes are the USB keyboard usages the key table is kept by.
static_assert(SDL_SCANCODE_A == 4 && SDL_SCANCODE_NONUSBACKSLASH == 100 &&
              SDL_SCANCODE_F13 == 104 && SDL_SCANCODE_RGUI == 231);

void present();

void showKeypad() {
    if (!padTexture) return;
    drawKeypad(padPixels);
    SDL_UpdateTexture(padTexture, nullptr, padPixels, keypadWidth() * 3);
    present();
}

// A finger, in screen pixels of the window, through the pad's pointer rules.
void translateFinger(const SDL_TouchFingerEvent& finger, uint32_t type) {
    int width = 0, height = 0;
    SDL_GetWindowSize(SDL_GetWindowFromID(finger.windowID), &width, &height);
    if (width == 0) SDL_GetWindowSize(sdlWindow, &width, &height);
    int x = floorDiv(static_cast<int>(finger.x * width), scale);
    int y = floorDiv(static_cast<int>(finger.y * height), scale);
    PointerEvent event = type == SDL_FINGERDOWN ? PointerDown
                         : type == SDL_FINGERUP ? PointerUp
                                                : PointerMove;
    if (touchEvent(event, finger.fingerId, x, y)) showKeypad();
}

void translate(const SDL_Event& e) {
    switch (e.type) {
    case SDL_QUIT:
        queueMessage(MsgQuit, 0, 0);
        break;
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            queueMessage(MsgClose, 0, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            queueMessage(MsgActivate, 1, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (loseFocus()) showKeypad();
            queueMessage(MsgActivate, 0, 0);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            queueMessage(MsgPaint, 0, 0);
            break;
        default:
            break;
        }
        break;
    case SDL_AUDIODEVICEREMOVED:
        if (!e.adevice.iscapture) sdlAudioDeviceRemoved(e.adevice.which);
        break;
    case SDL_USEREVENT:
        sdlRetryAudioDevice();
        break;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP:
        translateFinger(e.tfinger, e.type);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT || e.button.which == SDL_TOUCH_MOUSEID) break;
        if (mouseEvent(e.type == SDL_MOUSEBUTTONDOWN ? PointerDown : PointerUp,
                       floorDiv(e.button.x, scale), floorDiv(e.button.y, scale), true))
            showKeypad();
        break;
    case SDL_MOUSEMOTION:
        if (e.motion.which == SDL_TOUCH_MOUSEID) break;
        if (mouseEvent(PointerMove, floorDiv(e.motion.x, scale), floorDiv(e.motion.y, scale),
                       (e.motion.state & SDL_BUTTON_LMASK) != 0))
            showKeypad();
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        // Every key by its place: a printable one holds a chord whatever the layout prints on it
        // (the French A is the US Q).
        if (uint32_t code = keyOfUsage(e.key.keysym.scancode))
            queueKey(e.type == SDL_KEYDOWN, (e.key.keysym.mod & KMOD_ALT) != 0, code);
        break;
    default:
        break;
    }
}

void present() {
    if (!renderer) return;
    SDL_RenderClear(renderer);
    if (keypadShown()) {
        SDL_Rect screen{0, 0, ScreenWidth * scale, ScreenHeight * scale};
        SDL_Rect pad{keypadLeft() * scale, keypadTop() * scale, keypadWidth() * scale,
                     keypadHeight() * scale};
        SDL_RenderCopy(renderer, texture, nullptr, &screen);
        if (padTexture) SDL_RenderCopy(renderer, padTexture, nullptr, &pad);
    } else {
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    }
    SDL_RenderPresent(renderer);
}

} // namespace

uint32_t platformRegisterClass(const WindowClass* windowClass) {
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // The window's own framebuffer, not an OpenGL context behind it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Fingers come as finger events only, so that each reaches the program once and several
    // can be down at a time.
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    // Video only: a joystick or sensor subsystem would turn the blocking wait into a poll, and
    // audio is brought up by the wave output alone.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return sdlRefuse();
    sdlCatchQuitSignals();
    keepWindowClass(windowClass);
    return 1;
}

WindowHandle platformCreateWindow(uint32_t, const char*, const char* title, uint32_t, int x, int y,
                                  int width, int height, WindowHandle, uint32_t, InstanceHandle,
                                  void*) {
    // With no display server SDL falls back to a driver that shows nothing: the program would
    // run where nobody can see or play it. Only a driver asked for by name is taken.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!SDL_getenv("SDL_VIDEODRIVER") && driver &&
        (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
        return sdlRefuse("no display to show it on (DISPLAY and WAYLAND_DISPLAY name none "
                         "that answers)");
    }
    SDL_Rect usable{0, 0, width, height};
    bool known = SDL_GetDisplayUsableBounds(0, &usable) == 0;
    // The pad goes below the strings on a portrait display, beside them on a landscape one.
    keypadLayOut(SDL_GetNumTouchDevices() > 0, usable.w > usable.h);
    int fullWidth = keypadShown() ? keypadWindowWidth() : width;
    int fullHeight = keypadShown() ? keypadWindowHeight() : height;
    if (known) scale = std::max(1, std::min(usable.w / fullWidth, usable.h / fullHeight));
    sdlWindow =
        SDL_CreateWindow(title, x, y, fullWidth * scale, fullHeight * scale,
                         SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_HIDDEN);
    if (!sdlWindow) return sdlRefuse();
    // The software renderer: ready at once where an accelerated one first compiles its shaders
    // (hundreds of milliseconds without a GPU), exact in its nearest-neighbour scaling, and
    // cheap for a picture that changes only when the view does.
    renderer = SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) renderer = SDL_CreateRenderer(sdlWindow, -1, 0);
    if (renderer)
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_BGR24, SDL_TEXTUREACCESS_STREAMING,
                                    ScreenWidth, ScreenHeight);
    if (!texture) sdlRefuse(); // the window stands, but has no pixels to draw into
    if (texture && keypadShown()) {
        padTexture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_BGR24, SDL_TEXTUREACCESS_STREAMING,
                                       keypadWidth(), keypadHeight());
        if (padTexture) {
            drawKeypad(padPixels);
            SDL_UpdateTexture(padTexture, nullptr, padPixels, keypadWidth() * 3);
        }
    }
    return TheWindow;
}

void platformSetWindowLong(WindowHandle, int, uint32_t) {}

void platformSetWindowPos(WindowHandle, int, int, int, int, int, uint32_t flags) {
    if (flags & WindowShow) SDL_ShowWindow(sdlWindow);
}

void platformSetForegroundWindow(WindowHandle) {
    SDL_RaiseWindow(sdlWindow);
}

void platformUpdateWindow(WindowHandle) {
    present();
}

bool portWaitForEvent() {
    SDL_Event event;
    if (!SDL_WaitEvent(&event)) return false;
    translate(event);
    return true;
}

bool portTakeEvent() {
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return false;
    translate(event);
    return true;
}

void platformTranslateMessage(const Message*) {}

int32_t platformDefWindowProc(WindowHandle, uint32_t message, uint32_t, uint32_t) {
    if (message == MsgPaint) present();
    return 0;
}

ShellFullScreen platformLoadShellFullScreen() {
    return nullptr;
}

uint8_t* platformWindowPixels(WindowHandle) {
    return texture ? pixels : nullptr;
}

void platformShowPixels(WindowHandle, int x, int y, int width, int height) {
    if (!texture) return;
    SDL_Rect rect{x, y, width, height};
    SDL_UpdateTexture(texture, &rect, pixels + y * ScreenStride + x * 3, ScreenStride);
    present();
}

void platformShowChordName(uint32_t code, const char* name) {
    if (keypadSetName(code, name)) showKeypad();
}
