// window.cpp -- the window, its pixels and its input on SDL2, in the program's own messages.
#include "platform/platform.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/shared/input.h"
#include "platform/shared/keypad.h"

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

// The virtual-key code of a printable key by where it sits: the US layout's letter, digit or
// punctuation at that place, so that every such key holds a chord whatever the layout prints
// on it (the French A is the US Q). 0 for the keys that are not printable.
uint32_t positionKey(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) return 'A' + (code - SDL_SCANCODE_A);
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) return '1' + (code - SDL_SCANCODE_1);
    switch (code) {
    case SDL_SCANCODE_0:
        return '0';
    case SDL_SCANCODE_MINUS:
        return 189;
    case SDL_SCANCODE_EQUALS:
        return 187;
    case SDL_SCANCODE_LEFTBRACKET:
        return 219;
    case SDL_SCANCODE_RIGHTBRACKET:
        return 221;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH: // the ISO key left of Enter sits where the US backslash does
        return 220;
    case SDL_SCANCODE_SEMICOLON:
        return 186;
    case SDL_SCANCODE_APOSTROPHE:
        return 222;
    case SDL_SCANCODE_GRAVE:
        return 192;
    case SDL_SCANCODE_COMMA:
        return 188;
    case SDL_SCANCODE_PERIOD:
        return 190;
    case SDL_SCANCODE_SLASH:
        return 191;
    case SDL_SCANCODE_NONUSBACKSLASH: // the ISO key between left Shift and Z
        return 226;
    default:
        return 0;
    }
}

// The handheld's virtual-key code of a key that is not printable, by what it does, or 0 for a
// key it has none for.
uint32_t virtualKey(SDL_Keycode key) {
    if (key >= SDLK_F1 && key <= SDLK_F12) return 112 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return 124 + (key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 97 + (key - SDLK_KP_1);
    switch (key) {
    case SDLK_BACKSPACE:
        return 8;
    case SDLK_TAB:
        return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return 13;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return 16;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return 17;
    case SDLK_LALT:
    case SDLK_RALT:
        return 18;
    case SDLK_PAUSE:
        return 19;
    case SDLK_CAPSLOCK:
        return 20;
    case SDLK_ESCAPE:
        return 27;
    case SDLK_SPACE:
        return 32;
    case SDLK_PAGEUP:
        return 33;
    case SDLK_PAGEDOWN:
        return 34;
    case SDLK_END:
        return 35;
    case SDLK_HOME:
        return 36;
    case SDLK_LEFT:
        return 37;
    case SDLK_UP:
        return 38;
    case SDLK_RIGHT:
        return 39;
    case SDLK_DOWN:
        return 40;
    case SDLK_PRINTSCREEN:
        return 44;
    case SDLK_INSERT:
        return 45;
    case SDLK_DELETE:
        return 46;
    case SDLK_LGUI:
        return 91;
    case SDLK_RGUI:
        return 92;
    case SDLK_APPLICATION:
        return 93;
    case SDLK_KP_0:
        return 96;
    case SDLK_KP_MULTIPLY:
        return 106;
    case SDLK_KP_PLUS:
        return 107;
    case SDLK_KP_MINUS:
        return 109;
    case SDLK_KP_PERIOD:
        return 110;
    case SDLK_KP_DIVIDE:
        return 111;
    case SDLK_NUMLOCKCLEAR:
        return 144;
    case SDLK_SCROLLLOCK:
        return 145;
    default:
        return 0;
    }
}

void present();

void showKeypad() {
    if (!padTexture) return;
    drawKeypad(padPixels);
    SDL_UpdateTexture(padTexture, nullptr, padPixels, keypadWidth() * 3);
    present();
}

// A finger, in screen pixels of the window, passed on to the pad's pointer rules.
void translateFinger(const SDL_TouchFingerEvent& finger, uint32_t type) {
    int width = 0, height = 0;
    SDL_GetWindowSize(SDL_GetWindowFromID(finger.windowID), &width, &height);
    if (width == 0) SDL_GetWindowSize(sdlWindow, &width, &height);
    int x = floorDiv(static_cast<int>(finger.x * width), scale);
    int y = floorDiv(static_cast<int>(finger.y * height), scale);
    int pointer = keypadTouchPointer(finger.fingerId, type == SDL_FINGERDOWN);
    if (pointer == 0) return;
    bool changed = type == SDL_FINGERDOWN ? keypadPointerDown(pointer, x, y)
                   : type == SDL_FINGERUP ? keypadPointerUp(pointer, x, y)
                                          : keypadPointerMove(pointer, x, y);
    if (type == SDL_FINGERUP) keypadTouchLifted(pointer);
    if (changed) showKeypad();
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
        if (keypadShown()) {
            int x = floorDiv(e.button.x, scale), y = floorDiv(e.button.y, scale);
            if (e.type == SDL_MOUSEBUTTONDOWN ? keypadPointerDown(0, x, y)
                                              : keypadPointerUp(0, x, y))
                showKeypad();
            break;
        }
        queueStylus(e.type == SDL_MOUSEBUTTONDOWN ? MsgStylusDown : MsgStylusUp,
                    floorDiv(e.button.x, scale), floorDiv(e.button.y, scale));
        break;
    case SDL_MOUSEMOTION:
        if (e.motion.which == SDL_TOUCH_MOUSEID) break;
        if (keypadShown()) {
            if (keypadPointerMove(0, floorDiv(e.motion.x, scale), floorDiv(e.motion.y, scale)))
                showKeypad();
            break;
        }
        // Moving with no button held is not a stylus event.
        if (e.motion.state & SDL_BUTTON_LMASK)
            queueStylusMove(floorDiv(e.motion.x, scale), floorDiv(e.motion.y, scale));
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
        if (e.type == SDL_KEYDOWN && alt && e.key.keysym.sym == SDLK_F4) {
            queueMessage(MsgClose, 0, 0);
            break;
        }
        uint32_t code = positionKey(e.key.keysym.scancode);
        if (!code) code = virtualKey(e.key.keysym.sym);
        if (!code) break;
        bool down = e.type == SDL_KEYDOWN;
        queueMessage(alt ? (down ? MsgSysKeyDown : MsgSysKeyUp) : (down ? MsgKeyDown : MsgKeyUp),
                     code, 0);
        break;
    }
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
    if (flags & 64) SDL_ShowWindow(sdlWindow);
}

void platformSetForegroundWindow(WindowHandle) {
    SDL_RaiseWindow(sdlWindow);
}

void platformUpdateWindow(WindowHandle) {
    present();
}

int platformGetMessage(Message* message) {
    while (!takeQueuedMessage(message)) {
        SDL_Event event;
        if (!SDL_WaitEvent(&event)) return 0;
        translate(event);
    }
    return message->message != MsgQuit;
}

int platformPeekMessage(Message* message, uint32_t) {
    SDL_Event event;
    while (!peekQueuedMessage(message) && SDL_PollEvent(&event)) translate(event);
    return takeQueuedMessage(message);
}

void platformTranslateMessage(const Message*) {}

int32_t platformDispatchMessage(const Message* m) {
    return dispatchToWindow(m);
}

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
