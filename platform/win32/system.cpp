// system.cpp -- process-level roles on Win32: exit, the display kept awake, where the
// executable lives, threads, and why a call was refused.
#include "platform/platform.h"
#include "platform/shared/port.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

// Every thread started, until the process ends: its end waits for them.
static constexpr int ThreadSlots = 8;
static HANDLE threads[ThreadSlots];
static int threadCount;

int win32Refuse(const char* why) {
    if (why) return refuse(why);
    DWORD error = GetLastError();
    wchar_t text[256];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, 256, nullptr);
    while (length > 0 &&
           (text[length - 1] == L'\n' || text[length - 1] == L'\r' || text[length - 1] == L'.'))
        text[--length] = L'\0';
    char reason[256];
    if (length == 0 ||
        !WideCharToMultiByte(CP_UTF8, 0, text, -1, reason, sizeof reason, nullptr, nullptr))
        std::snprintf(reason, sizeof reason, "error %lu", error);
    return refuse(reason);
}

void portEndProcess(int code) {
    // The feeder and the device's close have finished their work by now (closeAudio waited for
    // both, within its bounds): the process ends once they have returned, or 20 ms on, when one
    // is stuck in the device.
    if (threadCount > 0) WaitForMultipleObjects(static_cast<DWORD>(threadCount), threads, TRUE, 20);
    ExitProcess(static_cast<UINT>(code));
}

void platformKeepScreenOn(int on) {
    SetThreadExecutionState(on ? ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED
                               : ES_CONTINUOUS);
}

int platformExecutablePath(char* path, int capacity) {
    if (capacity < 2) return 0;
    path[0] = '\0';
    // The longest path Windows hands out, 32767 UTF-16 units; GetModuleFileNameW cuts a longer
    // one silently, so a result that fills the buffer counts as not fitting.
    static wchar_t wide[32768];
    DWORD length = GetModuleFileNameW(nullptr, wide, 32768);
    if (length == 0) return 0;
    if (length >= 32768) return -1;
    // The program's own separator is '/': Windows takes it as well as '\'.
    for (DWORD i = 0; i < length; i++)
        if (wide[i] == L'\\') wide[i] = L'/';
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, path, capacity, nullptr, nullptr);
    if (bytes <= 0) {
        path[0] = '\0';
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? -1 : 0;
    }
    return bytes - 1;
}

std::FILE* platformOpenFile(const char* path) {
    // Through the path's UTF-16 form: the narrow functions take the system's code page.
    static wchar_t wide[32768];
    if (!win32Wide(path, wide, 32768)) {
        errno = ENAMETOOLONG;
        return nullptr;
    }
    return _wfopen(wide, L"rb");
}

static DWORD WINAPI runThread(void* body) {
    reinterpret_cast<void (*)()>(body)();
    return 0;
}

int platformStartThread(void (*body)()) {
    // A slot whose thread has ended is free again.
    for (int i = 0; i < threadCount;)
        if (WaitForSingleObject(threads[i], 0) == WAIT_OBJECT_0) {
            CloseHandle(threads[i]);
            threads[i] = threads[--threadCount];
        } else {
            i++;
        }
    if (threadCount == ThreadSlots) return win32Refuse("too many threads");
    HANDLE thread = CreateThread(nullptr, 0, runThread, reinterpret_cast<void*>(body), 0, nullptr);
    if (!thread) return win32Refuse();
    threads[threadCount++] = thread;
    return 1;
}

void platformRaiseThreadPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
}

// The settings folder: the roaming application data folder's Fretstrummer, made when missing.
int platformSettingsPath(const char* name, char* path, int capacity) {
    PWSTR roaming = nullptr;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &roaming) != S_OK) {
        CoTaskMemFree(roaming);
        return refuse("no settings folder: Windows names no application data folder");
    }
    static wchar_t folder[32768];
    int length = _snwprintf(folder, 32768, L"%ls\\Fretstrummer", roaming);
    CoTaskMemFree(roaming);
    if (length < 0) return refuse("the settings folder's path is too long");
    if (!CreateDirectoryW(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return win32Refuse();
    DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return refuse("the settings folder is a file");
    int bytes = WideCharToMultiByte(CP_UTF8, 0, folder, -1, path, capacity, nullptr, nullptr);
    if (bytes <= 0 || bytes + 1 + static_cast<int>(std::strlen(name)) > capacity)
        return refuse("the settings folder's path is too long");
    std::snprintf(path + bytes - 1, static_cast<size_t>(capacity - bytes + 1), "\\%s", name);
    return 1;
}

int platformReplaceFile(const char* path, const void* data, uint32_t size) {
    static wchar_t wide[32768], temporary[32768];
    if (!win32Wide(path, wide, 32768 - 16)) return refuse("the path is too long"), 1;
    _snwprintf(temporary, 32768, L"%ls.%lu.new", wide, GetCurrentProcessId());
    // Written whole and flushed under a name of its own in the same folder, then moved over
    // the old file in one step that reaches the disk before it returns.
    HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return win32Refuse(), 1;
    DWORD written = 0;
    bool done =
        WriteFile(file, data, size, &written, nullptr) && written == size && FlushFileBuffers(file);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (done && !MoveFileExW(temporary, wide, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        done = false;
        error = GetLastError();
    }
    if (!done) {
        DeleteFileW(temporary);
        SetLastError(error);
        return win32Refuse(), 1;
    }
    return 0;
}
