// jack_midi.h -- the end-to-end tests' own JACK server and MIDI recorder: what a synth
// connected to the program's MIDI port would receive.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A JACK server on the dummy backend under a name of its own (JACK_DEFAULT_SERVER is set to
// it, for this process and the programs it starts), and a client recording every MIDI message
// that reaches its input from the port `from`.
struct JackMidiRecorder {
    pid_t server = 0;
    std::string name;
    // Starts the server and the client; false when either does not come up.
    bool start(const std::string& from);
    // Connects `from` to the recorder once it exists (within 10 s); false if it never does.
    bool connect();
    // The messages so far, in hex, in the order they came: "95 40 64".
    std::vector<std::string> messages();
    ~JackMidiRecorder();
};
