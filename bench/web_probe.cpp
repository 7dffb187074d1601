// web_probe.cpp -- the web page in one browser engine, measured through the page's own probe:
// the time from a press on a string to the first sound of it, in two parts (to the audio
// callback that carries it; from there to the ear, as the engine reports its buffers), over
// PLUCKS plucks from silence; then SECONDS of strumming, what the page played written raw into
// FILE for sound_gaps.py. The page plays into a PulseAudio null sink of the probe's own; each
// pluck is also timed by this machine's clock, from the press sent to the browser to its first
// sample at the sink (recorded from the sink's monitor), which no engine's account can leave out.
// usage: web_probe chromium|firefox|webkit WEB_BUILD QUERY PLUCKS SECONDS FILE
// Prints "pluck N: A ms to the callback, B ms on, C ms to the sink" lines, and "cannot run: ..."
// when the engine shows the page's refusal instead of the instrument.
#include "audio/audio_output.h"
#include "processes.h"
#include "webdriver.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::unique_ptr<WebDriver> page;

std::string evaluate(const std::string& expression) {
    return page->execute("return " + expression + ";");
}

std::string bytesOfHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

double millisecondsNow() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// What reached the sink, and when: each read from the monitor stamped with the time it came.
// The monitor is asked for 5 ms of latency, so a sample arrives within a few of being played.
// It records during the plucks only: its wake-ups would otherwise weigh on the strumming.
struct Sink {
    pid_t recorder = 0;
    int monitor = -1;
    std::thread reader;
    std::mutex lock;
    std::vector<int16_t> samples;
    std::vector<std::pair<size_t, double>> arrivals; // samples so far, and when they came
} sink;

void readSink() {
    char bytes[4096];
    std::string pending;
    for (ssize_t count; (count = read(sink.monitor, bytes, sizeof bytes)) > 0;) {
        double now = millisecondsNow();
        pending.append(bytes, static_cast<size_t>(count));
        std::lock_guard<std::mutex> hold(sink.lock);
        for (size_t i = 0; i + 1 < pending.size(); i += 2)
            sink.samples.push_back(static_cast<int16_t>(static_cast<uint8_t>(pending[i]) |
                                                        static_cast<uint8_t>(pending[i + 1]) << 8));
        pending.erase(0, pending.size() & ~size_t{1});
        sink.arrivals.emplace_back(sink.samples.size(), now);
    }
}

void startSink() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return;
    sink.recorder =
        spawn({"parec", "-d", "out.monitor", "--raw", "--latency-msec=5", "--format=s16le",
               "--channels=1", "--rate=" + std::to_string(OutputRate)},
              [&] { dup2(ends[1], 1); });
    close(ends[1]);
    sink.monitor = ends[0];
    sink.reader = std::thread(readSink);
}

void stopSink() {
    if (sink.recorder > 0) kill(sink.recorder, SIGTERM), waitpid(sink.recorder, nullptr, 0);
    sink.recorder = 0;
    if (sink.reader.joinable()) sink.reader.join();
    if (sink.monitor >= 0) close(sink.monitor);
    sink.monitor = -1;
}

// Milliseconds from `since` to the first sound at the sink after it; -1 when none came. Each
// pluck starts from silence: its first sample louder than 64 (-54 dB) counts as its onset.
double sinkSoundAfter(double since) {
    std::lock_guard<std::mutex> hold(sink.lock);
    size_t from = 0;
    for (auto [end, at] : sink.arrivals)
        if (at < since) from = end;
    for (size_t i = from; i < sink.samples.size(); i++) {
        if (std::abs(sink.samples[i]) <= 64) continue;
        for (auto [end, at] : sink.arrivals)
            if (end > i) return at - 1000.0 * static_cast<double>(end - 1 - i) / OutputRate - since;
    }
    return -1;
}

int measure(const std::string& engine, const std::string& url, int plucks, int seconds,
            const fs::path& file) {
    page->navigate(url);
    if (!within(30s, [] {
            return evaluate("!!(window.fretstrummerPage && fretstrummerPage.ready()) || "
                            "!!document.getElementById('note').textContent") == "true";
        }))
        return std::printf("cannot run: the page never came up (%s)\n", page->failure.c_str()), 1;
    if (evaluate("!!(window.fretstrummerPage && fretstrummerPage.ready())") != "true") {
        std::printf("cannot run: %s\n",
                    evaluate("document.getElementById('note').textContent").c_str());
        return 1;
    }
    if (!page->readBox()) return std::printf("cannot run: the page shows no canvas\n"), 1;
    std::printf("%s: %s\n", engine.c_str(), evaluate("navigator.userAgent").c_str());
    // A first tap off the strings starts the sound.
    page->mouse(page->at(120, 40) + "," + PressAction + "," + LiftAction);
    std::this_thread::sleep_for(500ms);
    startSink();
    // String 5, the leftmost, fades out within 1.2 s: each pluck starts from silence.
    for (int n = 1; n <= plucks; n++) {
        evaluate("fretstrummerPage.probeArm()");
        if (!within(5s, [] {
                return std::atof(evaluate("fretstrummerPage.probeQuiet()").c_str()) > 300;
            }))
            return std::printf("the sound never fell silent\n"), 1;
        double pressed = millisecondsNow();
        page->mouse(page->at(20, 160) + "," + PressAction + "," + LiftAction);
        std::string heard;
        if (!within(5s,
                    [&] { return !(heard = evaluate("fretstrummerPage.probeHeard()")).empty(); }))
            return std::printf("pluck %d was never heard\n", n), 1;
        double toCallback = 0, onward = 0;
        std::sscanf(heard.c_str(), "%lf %lf", &toCallback, &onward);
        // The engine's own buffers may hold the sound a while after the callback.
        double toSink = -1;
        within(1s, [&] { return (toSink = sinkSoundAfter(pressed)) >= 0; });
        std::printf("pluck %d: %.2f ms to the callback, %.2f ms on, %.2f ms to the sink\n", n,
                    toCallback, onward, toSink);
        std::fflush(stdout);
    }
    stopSink();
    // Strums back and forth across the six strings, each stroke a third of a second.
    evaluate("fretstrummerPage.record()");
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (bool right = true; std::chrono::steady_clock::now() < end; right = !right) {
        std::string stroke = page->at(right ? 1 : 239, 160) + "," + PressAction;
        for (int step = 1; step <= 30; step++) {
            int x = right ? 1 + step * 8 - 2 : 239 - step * 8 + 2;
            stroke.append(",").append(page->at(x, 160 + step, 10));
        }
        page->mouse(stroke + "," + LiftAction);
    }
    std::this_thread::sleep_for(1s);
    std::ofstream(file, std::ios::binary) << bytesOfHex(evaluate("fretstrummerPage.played()"));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr,
                     "usage: %s chromium|firefox|webkit WEB_BUILD QUERY PLUCKS SECONDS FILE\n",
                     argv[0]);
        return 2;
    }
    std::string engine = argv[1];
    fs::path work = fs::temp_directory_path() /
                    ("fretstrummer-probe-" + std::to_string(std::random_device{}()));
    fs::create_directories(work);
    std::string url;
    pid_t server = startWebServer(argv[2], &url);
    pid_t pulse = startPulseServer(work / "pulse"), xvfb = 0;
    if (engine == "webkit") xvfb = startXvfb(work);
    page = engine == "firefox"  ? startFirefox(work / "profile")
           : engine == "webkit" ? startWebKit(work / "profile")
                                : startChromium(work / "profile");
    int status =
        !server ? (std::printf("cannot run: the web server did not start\n"), 1)
        : page  ? measure(engine, url + argv[3], std::atoi(argv[4]), std::atoi(argv[5]), argv[6])
                : (std::printf("cannot run: %s did not start\n", engine.c_str()), 1);
    stopSink(); // where the plucks ended early
    page.reset();
    for (pid_t child : {server, pulse, xvfb})
        if (child > 0) kill(child, SIGKILL), waitpid(child, nullptr, 0);
    fs::remove_all(work);
    return status;
}
