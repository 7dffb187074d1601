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
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

// Milliseconds since the epoch: the clock bench/sink_onsets.py stamps its onsets by.
double millisecondsNow() {
    using namespace std::chrono;
    return duration<double, std::milli>(system_clock::now().time_since_epoch()).count();
}

// The sink's monitor, recorded by parec into bench/sink_onsets.py, which prints when each sound
// after silence came ("onset T"). The monitor is asked for 5 ms of latency, so a sample arrives
// within a few of being played. It records during the plucks only: its wake-ups would otherwise
// weigh on the strumming.
struct Sink {
    pid_t recorder = 0, finder = 0;
    int onsets = -1;
    std::string printed;
} sink;

void startSink() {
    int sound[2], found[2];
    if (pipe2(sound, O_CLOEXEC) != 0) return;
    if (pipe2(found, O_CLOEXEC) != 0) return close(sound[0]), close(sound[1]), void();
    sink.finder = spawn({"python3", FRETSTRUMMER_SOURCE_DIR "/bench/sink_onsets.py"},
                        [&] { dup2(sound[0], 0), dup2(found[1], 1); });
    sink.recorder =
        spawn({"parec", "-d", "out.monitor", "--raw", "--latency-msec=5", "--format=s16le",
               "--channels=1", "--rate=" + std::to_string(OutputRate)},
              [&] { dup2(sound[1], 1); });
    for (int end : {sound[0], sound[1], found[1]}) close(end);
    fcntl(found[0], F_SETFL, O_NONBLOCK);
    sink.onsets = found[0];
}

void stopSink() {
    // The finder ends as the recording does.
    for (pid_t* child : {&sink.recorder, &sink.finder})
        if (*child > 0) kill(*child, SIGTERM), waitpid(*child, nullptr, 0), *child = 0;
    if (sink.onsets >= 0) close(sink.onsets);
    sink.onsets = -1;
}

// Milliseconds from `since` to the first onset at the sink after it; -1 while none came.
double sinkSoundAfter(double since) {
    char bytes[256];
    for (ssize_t count; sink.onsets >= 0 && (count = read(sink.onsets, bytes, sizeof bytes)) > 0;)
        sink.printed.append(bytes, static_cast<size_t>(count));
    double at = 0;
    for (size_t line = 0, end; (end = sink.printed.find('\n', line)) != std::string::npos;
         line = end + 1)
        if (std::sscanf(sink.printed.c_str() + line, "onset %lf", &at) == 1 && at >= since)
            return at - since;
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
    std::printf("%s\n", evaluate("fretstrummerPage.probeLatency()").c_str());
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
