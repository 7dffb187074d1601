// midi.cpp -- MIDI out on Win32: the system's default MIDI output (the MIDI mapper), or the
// device --midi=NAME names.
#include "platform/platform.h"
#include "platform/shared/port.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <mmsystem.h>

#include <cstdio>

static HMIDIOUT output;

int platformMidiOpen(const char* device) {
    UINT count = midiOutGetNumDevs();
    if (count == 0) return refuse("Windows has no MIDI output device"), 1;
    UINT id = MIDI_MAPPER;
    if (device) {
        static wchar_t wanted[256];
        if (!win32Wide(device, wanted, 256)) return refuse("no MIDI output device of that name"), 1;
        id = count;
        for (UINT i = 0; i < count && id == count; i++) {
            MIDIOUTCAPSW caps{};
            if (midiOutGetDevCapsW(i, &caps, sizeof caps) == MMSYSERR_NOERROR &&
                lstrcmpiW(caps.szPname, wanted) == 0)
                id = i;
        }
        if (id == count) return refuse("no MIDI output device of that name"), 1;
    }
    MMRESULT result = midiOutOpen(&output, id, 0, 0, CALLBACK_NULL);
    if (result != MMSYSERR_NOERROR) {
        static char text[MAXERRORLENGTH];
        if (midiOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR)
            std::snprintf(text, sizeof text, "the MIDI output refused to open (%u)", result);
        output = nullptr;
        return refuse(text), 1;
    }
    return 0;
}

void platformMidiSend(const uint8_t* message, int length) {
    if (!output || length != 3) return;
    midiOutShortMsg(output, static_cast<DWORD>(message[0] | message[1] << 8 | message[2] << 16));
}

void platformMidiClose() {
    if (!output) return;
    midiOutClose(output);
    output = nullptr;
}
