// The real program under Xvfb: strummed with xdotool, heard through SDL's disk audio driver.
#include "assets/media.h"
#include "assets/sample_bank.h"
#include "platform/scripted/scripted.h"
#include "program_harness.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

static const fs::path Program = FRETSTRUMMER_EXE;

bool sendDeleteWindow(unsigned long window); // x11_close.cpp

using Frame = std::vector<uint8_t>; // 240 x 320, blue green red, top row first

// What the scripted platform shows at the end of a run of the program over the default Media.
static Frame scriptedFrame(const std::function<void()>& script) {
    MediaFolder folder;
    folder.copyDefaults();
    return runProgram(script).record.pixels;
}

static uint32_t big32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

static std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
        pclose(pipe);
    }
    return output;
}

struct E2eTest : ::testing::Test {
    pid_t xvfb = 0, program = 0;
    int xvfbReady = -1;
    fs::path work;
    int scale = 1;
    std::string windowId;

    void SetUp() override {
        work = fs::temp_directory_path() /
               ("fretstrummer-e2e-" + std::to_string(std::random_device{}()));
        fs::create_directories(work);
        fs::permissions(work, fs::perms::owner_all);
        // A display number of its own: a number just given up by another server may not be
        // free again yet.
        std::mt19937 random(std::random_device{}());
        for (int attempt = 0; attempt < 10 && !xvfb; attempt++) {
            std::string display = ":" + std::to_string(200 + random() % 700);
            int ready[2];
            ASSERT_EQ(pipe(ready), 0);
            pid_t server = fork();
            if (server == 0) {
                close(ready[0]);
                int log = open((work / "xvfb.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
                dup2(log, 1);
                dup2(log, 2);
                std::string fd = std::to_string(ready[1]);
                execlp("Xvfb", "Xvfb", display.c_str(), "-displayfd", fd.c_str(), "-screen", "0",
                       "1280x1024x24", "-nolisten", "tcp", "-noreset", nullptr);
                _exit(127);
            }
            close(ready[1]);
            char answer[16] = {};
            bool up = read(ready[0], answer, sizeof answer - 1) > 0; // written once it serves
            if (up) {
                // The server may write to it again; a closed pipe would be fatal to it.
                xvfbReady = ready[0];
                xvfb = server;
                setenv("DISPLAY", display.c_str(), 1);
            } else {
                close(ready[0]);
                waitpid(server, nullptr, 0);
            }
        }
        ASSERT_GT(xvfb, 0) << "Xvfb did not start";
    }

    void TearDown() override {
        if (program > 0) {
            kill(program, SIGKILL);
            waitpid(program, nullptr, 0);
        }
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
        close(xvfbReady);
        fs::remove_all(work);
    }

    // Starts the program with SDL's disk audio driver recording into work/sound.raw.
    void start(const fs::path& executable = Program, const char* driver = "disk") {
        program = fork();
        if (program == 0) {
            setenv("SDL_AUDIODRIVER", driver, 1);
            // As on a desktop, where it is always set; without it the Wayland client complains.
            setenv("XDG_RUNTIME_DIR", work.c_str(), 1);
            setenv("SDL_DISKAUDIOFILE", (work / "sound.raw").c_str(), 1);
            int errors = open((work / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(errors, 2);
            execl(executable.c_str(), executable.c_str(), nullptr);
            _exit(127);
        }
    }

    void waitForWindow() {
        // xdotool gives up on the whole search when a window it lists vanishes meanwhile, as
        // the toolkit's short-lived helper windows do: ask again until the window is there.
        auto deadline = std::chrono::steady_clock::now() + 10s;
        do {
            windowId = run("xdotool search --onlyvisible --name '^Fretstrummer$' 2>/dev/null");
            windowId = windowId.substr(0, windowId.find('\n'));
            if (windowId.empty()) std::this_thread::sleep_for(20ms);
        } while (windowId.empty() && std::chrono::steady_clock::now() < deadline);
        ASSERT_FALSE(windowId.empty()) << "no window on " << getenv("DISPLAY") << "\n" << errors();
        std::string geometry = run("xdotool getwindowgeometry " + windowId);
        int width = 0, height = 0;
        size_t at = geometry.find("Geometry: ");
        ASSERT_NE(at, std::string::npos);
        std::sscanf(geometry.c_str() + at, "Geometry: %dx%d", &width, &height);
        scale = width / 240;
        ASSERT_GE(scale, 1);
        EXPECT_EQ(width, 240 * scale);
        EXPECT_EQ(height, 320 * scale);
    }

    // The window's picture as xwd reads it off the X server, one pixel of every scale x scale
    // square: the 240 x 320 frame the program drew.
    Frame capture() const {
        Bytes dump;
        {
            FILE* pipe = popen(("xwd -silent -id " + windowId).c_str(), "r");
            if (!pipe) return {};
            char buffer[65536];
            size_t got;
            while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
                dump.insert(dump.end(), buffer, buffer + got);
            pclose(pipe);
        }
        if (dump.size() < 100) return {};
        uint32_t header = big32(dump, 0), bitsPerPixel = big32(dump, 44),
                 bytesPerLine = big32(dump, 48);
        uint32_t msbFirst = big32(dump, 28), colours = big32(dump, 76);
        uint32_t red = big32(dump, 56), green = big32(dump, 60), blue = big32(dump, 64);
        size_t pixels = header + 12 * size_t(colours);
        if (bitsPerPixel != 32) return {};
        auto shift = [](uint32_t mask) {
            int s = 0;
            while (mask && !(mask & 1)) mask >>= 1, s++;
            return s;
        };
        Frame frame(230400);
        for (int y = 0; y < 320; y++)
            for (int x = 0; x < 240; x++) {
                size_t at = pixels + size_t(y * scale) * bytesPerLine + size_t(x * scale) * 4;
                if (at + 4 > dump.size()) return {};
                uint32_t v = msbFirst
                                 ? big32(dump, at)
                                 : uint32_t(dump[at]) | uint32_t(dump[at + 1]) << 8 |
                                       uint32_t(dump[at + 2]) << 16 | uint32_t(dump[at + 3]) << 24;
                uint8_t* p = &frame[size_t(720 * y + 3 * x)];
                p[0] = uint8_t((v & blue) >> shift(blue));
                p[1] = uint8_t((v & green) >> shift(green));
                p[2] = uint8_t((v & red) >> shift(red));
            }
        return frame;
    }

    // Waits (10 s at the most) until the window shows this frame.
    bool waitForFrame(const Frame& expected) const {
        auto deadline = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (capture() == expected) return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    // Input reaches the instrument once start-up is over, which the first frame tells.
    void waitForStartUp() {
        waitForWindow();
        static const Frame play = scriptedFrame([] {});
        ASSERT_TRUE(waitForFrame(play)) << "the play view never showed";
    }

    // Where a point of the 240 x 320 screen is on the display: the middle of its square.
    std::string screen(int x, int y) const {
        return std::to_string(x * scale + scale / 2) + " " + std::to_string(y * scale + scale / 2);
    }

    // Waits for the program to end; its exit status, or -1000 if it did not end in time.
    int exitStatus(std::chrono::seconds limit = 10s) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            if (waitpid(program, &status, WNOHANG) == program) {
                program = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - status;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1000;
    }

    std::vector<int16_t> recording() const {
        Bytes bytes = readBytes(work / "sound.raw");
        std::vector<int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }

    std::string errors() const {
        std::ifstream in(work / "stderr");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

// The recording holds the six open strings struck from string 5 to string 0, each note whole
// from its onset, mixed as the voices mix, and nothing else.
static void expectStrum(const std::vector<int16_t>& heard, const int frets[6] = nullptr) {
    scriptedSetExecutablePath(Program.c_str());
    buildMediaDir();
    ASSERT_EQ(buildSampleBank(), 1);
    std::vector<int16_t> expected(heard.size(), 0);
    size_t from = 0, previous = 0;
    for (int string = 5; string >= 0; string--) {
        const Sample& note = SampleBank[string * FretCount + (frets ? frets[string] : 0)];
        size_t lead = 0;
        while (lead < note.length / 2 && note.data[lead] == 0) lead++;
        size_t first = from;
        while (first < heard.size() && heard[first] == expected[first]) first++;
        ASSERT_LT(first, heard.size()) << "string " << string << " was not heard";
        ASSERT_GE(first, lead);
        size_t onset = first - lead;
        // Notes start on block boundaries: whole blocks apart.
        if (string < 5) {
            EXPECT_EQ((onset - previous) % 512, 0u) << "string " << string;
        }
        for (size_t k = 0; k < note.length / 2 && onset + k < heard.size(); k++) {
            int sum = expected[onset + k] + note.data[k];
            expected[onset + k] = int16_t(std::clamp(sum, -32768, 32767));
        }
        from = previous = onset;
    }
    size_t mismatch = 0;
    while (mismatch < heard.size() && heard[mismatch] == expected[mismatch]) mismatch++;
    EXPECT_EQ(mismatch, heard.size()) << "the recording departs from the six notes here";
    releaseSampleBank();
}

TEST_F(E2eTest, ASlowDragSoundsAllSixStringsThenTheExitSquareEndsIt) {
    start();
    waitForStartUp();
    std::string drag = "xdotool mousemove " + screen(1, 160) + " mousedown 1";
    for (int x = 1; x < 240; x += 2) drag += " mousemove " + screen(x, 160 + x / 4) + " sleep 0.01";
    run(drag + " mouseup 1 sleep 0.6 mousemove " + screen(2, 2) + " click 1");
    EXPECT_EQ(exitStatus(), 0);
    expectStrum(recording());
}

TEST_F(E2eTest, AFastDragJumpingTwoColumnsAtATimeSoundsAllSix) {
    start();
    waitForStartUp();
    std::string drag = "xdotool mousemove " + screen(10, 100) + " mousedown 1";
    for (int x : {90, 170, 235}) drag += " sleep 0.05 mousemove " + screen(x, 100);
    run(drag + " mouseup 1 sleep 0.6 mousemove " + screen(2, 2) + " click 1");
    EXPECT_EQ(exitStatus(), 0);
    expectStrum(recording());
}

TEST_F(E2eTest, TheScreenShowsWhatTheScriptedPlatformDraws) {
    Frame play = scriptedFrame([] {});
    Frame editor = scriptedFrame([] {
        scriptedPostPause();
        scriptedPost(MsgKeyDown, 'A', 0);
    });
    ASSERT_NE(play, editor);
    start();
    waitForStartUp();
    EXPECT_TRUE(capture() == play) << "the play view";
    run("xdotool keydown a");
    EXPECT_TRUE(waitForFrame(editor)) << "the editor";
    run("xdotool keyup a");
    EXPECT_TRUE(waitForFrame(play)) << "the play view again";
    run("xdotool mousemove " + screen(1, 1) + " click 1");
    EXPECT_EQ(exitStatus(), 0);
}

TEST_F(E2eTest, AChordSetWithKeysAndClicksSoundsItsFrets) {
    start();
    waitForStartUp();
    const int frets[6] = {3, 2, 0, 0, 1, 7}; // string 2 and 3 open: chosen by another fret first
    std::string edit = "xdotool keydown a sleep 0.3";
    for (int s = 0; s < 6; s++) {
        int x = (5 - s) * 40 + 20;
        if (frets[s] == 0) edit += " mousemove " + screen(x, 20) + " click 1 sleep 0.05";
        edit += " mousemove " + screen(x, (7 - frets[s]) * 40 + 20) + " click 1 sleep 0.05";
    }
    run(edit + " keyup a sleep 0.3 keydown a sleep 0.3");
    std::string drag = "xdotool mousemove " + screen(1, 160) + " mousedown 1";
    for (int x = 1; x < 240; x += 2) drag += " mousemove " + screen(x, 160) + " sleep 0.01";
    run(drag + " mouseup 1 keyup a sleep 0.6 mousemove " + screen(2, 2) + " click 1");
    EXPECT_EQ(exitStatus(), 0);
    expectStrum(recording(), frets);
}

TEST_F(E2eTest, TheWindowsCloseRequestEndsItWithZero) {
    start();
    waitForWindow();
    ASSERT_TRUE(sendDeleteWindow(std::stoul(windowId)));
    EXPECT_EQ(exitStatus(), 0);
}

TEST_F(E2eTest, StartUpFailuresGiveTheirExitStatusAndLine) {
    start(Program, "no-such-audio-driver");
    EXPECT_EQ(exitStatus(), 253);
    EXPECT_EQ(errors(), "Fretstrummer: cannot open the audio output\n");

    fs::path app = work / "app";
    fs::create_directories(app);
    fs::copy(Program, app / "fretstrummer");
    fs::copy(Program.parent_path() / "Media", app / "Media");
    fs::remove(app / "Media" / "4.wav");
    start(app / "fretstrummer", "dummy");
    EXPECT_EQ(exitStatus(), 252);
    EXPECT_EQ(errors(), "Fretstrummer: cannot load " + (app / "Media" / "4.wav").string() + "\n");
}
