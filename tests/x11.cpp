// What the tests ask of the X server itself, kept apart: Xlib's macros clash with other headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <vector>

// A window may vanish while it is looked at (the program ended): the request fails, and the
// test goes on rather than Xlib ending it.
static int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

static Display* openDisplay() {
    XSetErrorHandler(ignoreErrors);
    return XOpenDisplay(nullptr);
}

// Asks a window to close the way a window manager does: WM_PROTOCOLS / WM_DELETE_WINDOW.
bool sendDeleteWindow(unsigned long window) {
    Display* display = openDisplay();
    if (!display) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return sent != 0;
}

// The part of the window at (left, top) of width x height screen pixels, blue green red, one
// pixel of every scale x scale square; empty when the server cannot give it.
std::vector<uint8_t> windowFrame(unsigned long window, int scale, int left, int top, int width,
                                 int height) {
    std::vector<uint8_t> frame;
    Display* display = openDisplay();
    if (!display) return frame;
    XImage* image = XGetImage(display, window, left * scale, top * scale, unsigned(width * scale),
                              unsigned(height * scale), AllPlanes, ZPixmap);
    if (image) {
        auto channel = [](unsigned long pixel, unsigned long mask) {
            return uint8_t((pixel & mask) >> __builtin_ctzl(mask));
        };
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                unsigned long pixel = XGetPixel(image, x * scale, y * scale);
                frame.push_back(channel(pixel, image->blue_mask));
                frame.push_back(channel(pixel, image->green_mask));
                frame.push_back(channel(pixel, image->red_mask));
            }
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return frame;
}
