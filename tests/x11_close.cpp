// Asks a window to close the way a window manager does: WM_PROTOCOLS / WM_DELETE_WINDOW.
#include <X11/Xlib.h>

bool sendDeleteWindow(unsigned long window) {
    Display* display = XOpenDisplay(nullptr);
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
