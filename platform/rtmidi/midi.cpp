// midi.cpp -- MIDI out on Linux through RtMidi: a port named "Fretstrummer" on the JACK server
// when one runs (JACK_DEFAULT_SERVER names which), on the ALSA sequencer otherwise, which
// desktops and PipeWire bridge to their synths.
#include "platform/platform.h"
#include "platform/shared/port.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <rtmidi/rtmidi_c.h>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

RtMidiOutPtr output;
char reason[512];
// On JACK, RtMidi hands each message to the server's next cycle: the port stays open a while
// after the last message (the note-offs of the notes still sounding), which would be lost with
// it otherwise. Ten cycles, for a loaded machine whose cycles come late, and a tenth of a second
// at least.
int jackCycleMicroseconds;

void quietJack(const char*) {}
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

// Whether a JACK server answers, asked without starting one and without JACK's own complaints.
bool jackRuns() {
    jack_set_error_function(quietJack);
    jack_set_info_function(quietJack);
    jack_status_t status;
    jack_client_t* probe = jack_client_open("Fretstrummer probe", JackNoStartServer, &status);
    if (!probe) return false;
    jack_nframes_t rate = jack_get_sample_rate(probe);
    jackCycleMicroseconds =
        rate ? static_cast<int>(1000000ull * jack_get_buffer_size(probe) / rate) : 0;
    jack_client_close(probe);
    return true;
}

} // namespace

int platformMidiOpen(const char* device) {
    if (device)
        return refuse("a MIDI device by name is for Windows: here other programs connect "
                      "to the port");
    snd_lib_error_set_handler(quietAlsa); // the sequencer's absence is said once, below
    RtMidiApi api = jackRuns() ? RTMIDI_API_UNIX_JACK : RTMIDI_API_LINUX_ALSA;
    output = rtmidi_out_create(api, "Fretstrummer");
    if (output && output->ok) rtmidi_open_virtual_port(output, "Fretstrummer");
    if (output && output->ok) return 0;
    std::snprintf(reason, sizeof reason, "%s",
                  api == RTMIDI_API_UNIX_JACK ? "the JACK server refused a MIDI port"
                                              : "no JACK server runs and the ALSA sequencer cannot "
                                                "be opened");
    if (output) rtmidi_out_free(output);
    output = nullptr;
    return refuse(reason), 1;
}

void platformMidiSend(const uint8_t* message, int length) {
    if (output) rtmidi_out_send_message(output, message, length);
}

void platformMidiClose() {
    if (!output) return;
    if (rtmidi_out_get_current_api(output) == RTMIDI_API_UNIX_JACK)
        usleep(static_cast<useconds_t>(std::clamp(10 * jackCycleMicroseconds, 100000, 250000)));
    rtmidi_close_port(output);
    rtmidi_out_free(output);
    output = nullptr;
}
