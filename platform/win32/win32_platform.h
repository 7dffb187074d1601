// win32_platform.h -- what the Win32 platform's files share.
#pragma once

// Keeps why a role was refused, for platformFailureReason: `why`, or the system's text for
// GetLastError() when why is none. Returns 0, the refusal's usual result.
int win32Refuse(const char* why = nullptr);

// Text of the program's own (UTF-8) as UTF-16 into wide (capacity units); false when it does
// not fit.
bool win32Wide(const char* text, wchar_t* wide, int capacity);
