// jack_midi.cpp -- a JACK server of the test's own and a MIDI recording client.
#include "jack_midi.h"

#include "e2e.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <sys/wait.h>

using namespace std::chrono_literals;

namespace {

jack_client_t* client;
jack_port_t* input;
std::mutex recordLock;
std::vector<std::string> recorded;
std::string source;

int process(jack_nframes_t frames, void*) {
    void* buffer = jack_port_get_buffer(input, frames);
    uint32_t count = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < count; i++) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0) continue;
        std::string text;
        for (size_t b = 0; b < event.size; b++) {
            char hex[4];
            std::snprintf(hex, sizeof hex, b ? " %02x" : "%02x", event.buffer[b]);
            text += hex;
        }
        std::lock_guard<std::mutex> held(recordLock);
        recorded.push_back(text);
    }
    return 0;
}

} // namespace

bool JackMidiRecorder::start(const std::string& from) {
    name = "fretstrummer-test-" + std::to_string(std::random_device{}());
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    // Synchronous: each cycle waits for every client, so a client that is late in a busy cycle
    // (a sanitizer build beside other tests) has its events passed on, not dropped.
    server = spawn({"jackd", "--no-realtime", "--sync", "-n", name, "-d", "dummy", "-r", "48000",
                    "-p", "256"});
    source = from;
    recorded.clear();
    bool up = within(10s, [] {
        jack_status_t status;
        client = jack_client_open("recorder", JackNoStartServer, &status);
        return client != nullptr;
    });
    if (!up) return false;
    input = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client, process, nullptr);
    return input && jack_activate(client) == 0;
}

bool JackMidiRecorder::connect() {
    return within(10s, [] {
        int result = jack_connect(client, source.c_str(), jack_port_name(input));
        return result == 0 || result == EEXIST;
    });
}

std::vector<std::string> JackMidiRecorder::messages() {
    std::lock_guard<std::mutex> held(recordLock);
    return recorded;
}

JackMidiRecorder::~JackMidiRecorder() {
    if (client) jack_client_close(client), client = nullptr;
    if (server > 0) kill(server, SIGTERM), waitpid(server, nullptr, 0);
    unsetenv("JACK_DEFAULT_SERVER");
}
