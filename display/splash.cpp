// splash.cpp -- the loading screen.
#include "display/splash.h"

void showSplash(WindowHandle) {}
