// processes.h -- what the end-to-end tests and the bench's probes start beside the program: a
// program, an X server, a PulseAudio server, a web server, each of their own and ended by its
// process id.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// Runs a shell command and gives what it printed.
std::string run(const std::string& command);

// Polls `ready` every 20 ms for up to `limit`.
bool within(std::chrono::milliseconds limit, const std::function<bool()>& ready);

// Starts a program with its output thrown away, running `inChild` in the child first.
pid_t spawn(const std::vector<std::string>& arguments, const std::function<void()>& inChild = {});

// Starts an Xvfb of the caller's own (its display number written into `folder`, its log beside
// it) and points DISPLAY at it; its process id, or 0 when it does not serve within 10 s.
pid_t startXvfb(const std::filesystem::path& folder);

// Starts a PulseAudio server of the caller's own: its socket and state in `home` (also HOME), one
// null sink "out" at the program's rate and format; PULSE_SERVER names it. No system or user
// server is touched. Its process id, or 0 when it does not answer within 10 s.
pid_t startPulseServer(const std::filesystem::path& home);

// A socket connected to this port on 127.0.0.1, or -1 when nothing takes the connection.
int connectToLoopback(uint16_t port);

// Serves the web page built in `folder` (tools/serve_web.py) on 127.0.0.1, at a port of its own
// choosing, and gives its address in `url`; its process id, or 0 when it does not take a
// connection within 10 s.
pid_t startWebServer(const std::string& folder, std::string* url);
