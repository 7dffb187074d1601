// splash.h -- the title and "Loading..." shown while the notes are built.
#pragma once

#include "platform/platform.h"

void showSplash(WindowHandle window);
