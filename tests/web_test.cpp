// The web page in headless Chromium, driven through the DevTools protocol over a pipe: pointer,
// touch and key input as the browser's own, what the page's audio node played, what its canvas
// shows. FRETSTRUMMER_WEB names the web build's folder; without it the tests are skipped.
#include "e2e.h"
#include "platform/shared/keypad.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

static std::vector<uint8_t> fromBase64(const std::string& text) {
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const char* at =
            std::strchr("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/", c);
        if (!at || !c) continue;
        bits = bits << 6 | static_cast<uint32_t>(at - "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnop"
                                                      "qrstuvwxyz0123456789+/");
        if ((count += 6) >= 8) bytes.push_back(static_cast<uint8_t>(bits >> (count -= 8)));
    }
    return bytes;
}

struct WebTest : ::testing::Test {
    pid_t server = 0, browser = 0;
    int toBrowser = -1, fromBrowser = -1, nextId = 1;
    std::string url, session, unread;
    fs::path profile;
    double left = 0, top = 0, cssPixel = 1; // where the canvas is, in CSS pixels

    void SetUp() override {
        const char* web = getenv("FRETSTRUMMER_WEB");
        if (!web) GTEST_SKIP() << "FRETSTRUMMER_WEB names no web build";
        profile = fs::temp_directory_path() /
                  ("fretstrummer-web-" + std::to_string(std::random_device{}()));
        int served[2];
        ASSERT_EQ(pipe(served), 0);
        server = fork();
        if (server == 0) {
            dup2(served[1], 1);
            execlp("python3", "python3", FRETSTRUMMER_SOURCE_DIR "/tools/serve_web.py", web, "0",
                   nullptr);
            _exit(127);
        }
        close(served[1]);
        char line[128] = {};
        ASSERT_GT(read(served[0], line, sizeof line - 1), 0) << "the server did not start";
        close(served[0]);
        url = std::string(line).substr(0, std::strcspn(line, "\n"));
        // Chromium reads its commands from fd 3 and answers on fd 4, each message ending in NUL.
        int commands[2], answers[2];
        ASSERT_EQ(pipe(commands), 0);
        ASSERT_EQ(pipe(answers), 0);
        browser = fork();
        if (browser == 0) {
            dup2(commands[0], 3), dup2(answers[1], 4);
            freopen("/dev/null", "w", stderr);
            std::string data = "--user-data-dir=" + profile.string();
            execlp("chromium", "chromium", "--headless=new", "--no-sandbox", "--no-first-run",
                   "--remote-debugging-pipe", data.c_str(), "about:blank", nullptr);
            _exit(127);
        }
        close(commands[0]), close(answers[1]);
        toBrowser = commands[1], fromBrowser = answers[0];
        std::string target =
            field(call("Target.createTarget", R"({"url":"about:blank"})"), "targetId");
        session = field(
            call("Target.attachToTarget", R"({"targetId":")" + target + R"(","flatten":true})"),
            "sessionId");
        ASSERT_FALSE(session.empty()) << "no page to drive";
    }

    void TearDown() override {
        for (pid_t child : {browser, server})
            if (child > 0) kill(child, SIGKILL), waitpid(child, nullptr, 0);
        if (toBrowser >= 0) close(toBrowser), close(fromBrowser);
        if (!profile.empty()) fs::remove_all(profile);
    }

    // Sends one command and returns its answer ("" when none comes within 10 s).
    std::string call(const std::string& method, const std::string& params = "{}") {
        std::string id = std::to_string(nextId++);
        std::string message = "{\"id\":" + id + ",\"method\":\"" + method +
                              "\",\"params\":" + params +
                              (session.empty() ? "" : ",\"sessionId\":\"" + session + "\"") + "}";
        if (write(toBrowser, message.c_str(), message.size() + 1) !=
            static_cast<ssize_t>(message.size() + 1))
            return "";
        for (;;) {
            size_t end;
            while ((end = unread.find('\0')) == std::string::npos) {
                pollfd ready{fromBrowser, POLLIN, 0};
                char buffer[65536];
                ssize_t got =
                    poll(&ready, 1, 10000) == 1 ? read(fromBrowser, buffer, sizeof buffer) : 0;
                if (got <= 0) return "";
                unread.append(buffer, static_cast<size_t>(got));
            }
            std::string answer = unread.substr(0, end);
            unread.erase(0, end + 1);
            if (answer.rfind("{\"id\":" + id + ",", 0) == 0) return answer;
        }
    }

    // A string field's value, or the text of a number or boolean.
    static std::string field(const std::string& json, const std::string& name) {
        size_t at = json.find("\"" + name + "\":");
        if (at == std::string::npos) return "";
        at += name.size() + 3;
        if (json[at] == '"') return json.substr(at + 1, json.find('"', at + 1) - at - 1);
        return json.substr(at, json.find_first_of(",}", at) - at);
    }

    // What the expression in the page gives (a string, number or boolean, as text).
    std::string evaluate(const std::string& expression) {
        std::string quoted;
        for (char c : expression) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
        return field(
            call("Runtime.evaluate", R"({"returnByValue":true,"expression":")" + quoted + "\"}"),
            "value");
    }

    bool ready() {
        return evaluate("typeof fretstrummerPage == 'object' && fretstrummerPage.ready()") ==
               "true";
    }

    // Opens the page in a viewport of this size (CSS pixels; a phone's touch screen when
    // `phone`) and waits for the play view.
    void open(int width, int height, bool phone, const std::string& query = "") {
        call("Emulation.setDeviceMetricsOverride",
             "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
                 ",\"deviceScaleFactor\":" + (phone ? "3" : "1") +
                 ",\"mobile\":" + (phone ? "true" : "false") + "}");
        if (phone)
            call("Emulation.setTouchEmulationEnabled", R"({"enabled":true,"maxTouchPoints":5})");
        call("Page.navigate", "{\"url\":\"" + url + query + "\"}");
        ASSERT_TRUE(within(20s, [&] { return ready(); })) << "the page never came up";
        std::string box = evaluate("(() => { const b = document.getElementById('screen')"
                                   ".getBoundingClientRect(); return b.left + ' ' + b.top + ' ' + "
                                   "b.width / document.getElementById('screen').width; })()");
        ASSERT_EQ(std::sscanf(box.c_str(), "%lf %lf %lf", &left, &top, &cssPixel), 3) << box;
        evaluate("fretstrummerPage.record()");
        ASSERT_TRUE(within(10s, [&] { return screen() == playView(); })) << "no play view";
    }

    // The canvas's pixels as blue green red, at (x, y, width, height) of it.
    Frame canvas(int x, int y, int width, int height) {
        std::vector<uint8_t> rgba = fromBase64(evaluate("fretstrummerPage.frame()"));
        int canvasWidth = std::stoi("0" + evaluate("document.getElementById('screen').width"));
        Frame bgr;
        for (int row = y; row < y + height; row++)
            for (int column = x; column < x + width; column++) {
                size_t at = (static_cast<size_t>(row) * canvasWidth + column) * 4;
                if (at + 2 >= rgba.size()) return {};
                bgr.insert(bgr.end(), {rgba[at + 2], rgba[at + 1], rgba[at]});
            }
        return bgr;
    }
    Frame screen() { return canvas(0, 0, 240, 320); }

    std::string point(int x, int y) const {
        return "\"x\":" + std::to_string(left + (x + 0.5) * cssPixel) +
               ",\"y\":" + std::to_string(top + (y + 0.5) * cssPixel);
    }
    void mouse(const char* type, int x, int y, int buttons) {
        call("Input.dispatchMouseEvent", std::string("{\"type\":\"") + type + "\"," + point(x, y) +
                                             ",\"button\":\"left\",\"clickCount\":1,\"buttons\":" +
                                             std::to_string(buttons) + "}");
    }
    // The fingers down after this event, (id, x, y) each: those missing have lifted.
    void touch(const char* type, std::initializer_list<std::array<int, 3>> fingers) {
        std::string points;
        for (const auto& f : fingers)
            points += std::string(points.empty() ? "" : ",") + "{\"id\":" + std::to_string(f[0]) +
                      "," + point(f[1], f[2]) + "}";
        call("Input.dispatchTouchEvent",
             std::string("{\"type\":\"") + type + "\",\"touchPoints\":[" + points + "]}");
    }
    void key(const char* type, const char* code, int virtualKey) {
        call("Input.dispatchKeyEvent",
             std::string("{\"type\":\"") + type + "\",\"code\":\"" + code +
                 "\",\"windowsVirtualKeyCode\":" + std::to_string(virtualKey) + "}");
    }

    std::vector<int16_t> played() {
        std::vector<uint8_t> bytes = fromBase64(evaluate("fretstrummerPage.played()"));
        std::vector<int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }
};

// A slow stroke across the six strings, from (1, 160) to (239, 219), by a mouse or a finger.
template <typename Move> static void slowStroke(Move move) {
    for (int x = 1; x < 240; x += 2) {
        move(x, 160 + x / 4);
        std::this_thread::sleep_for(10ms);
    }
}

TEST_F(WebTest, AMouseStrumSoundsTheSixStringsAKeyShowsTheEditorAndTheExitSquareEndsIt) {
    open(400, 500, false);
    key("rawKeyDown", "KeyA", 65);
    EXPECT_TRUE(within(10s, [&] { return screen() == editorView(); })) << "the editor";
    key("keyUp", "KeyA", 65);
    EXPECT_TRUE(within(10s, [&] { return screen() == playView(); })) << "the play view again";
    mouse("mousePressed", 1, 160, 1);
    slowStroke([&](int x, int y) { mouse("mouseMoved", x, y, 1); });
    mouse("mouseReleased", 239, 219, 0);
    std::this_thread::sleep_for(600ms);
    expectStrum(played());
    mouse("mousePressed", 2, 2, 1);
    mouse("mouseReleased", 2, 2, 0);
    EXPECT_TRUE(within(10s, [&] { return evaluate("fretstrummerPage.exitCode") == "0"; }));
    // Once loaded, the page comes up again with its server gone.
    ASSERT_TRUE(
        within(10s, [&] { return evaluate("!!navigator.serviceWorker.controller") == "true"; }));
    kill(server, SIGKILL), waitpid(server, nullptr, 0), server = 0;
    evaluate("window.loadedBefore = true");
    call("Page.reload");
    EXPECT_TRUE(within(20s, [&] { return ready() && evaluate("!window.loadedBefore") == "true"; }))
        << "offline";
}

TEST_F(WebTest, OnAPhoneOneFingerHoldsAPadKeyWhileAnotherSetsItsChordThenStrumsIt) {
    open(360, 740, true);
    // Portrait: the pad stands below the strings, its key 1 at the left of its top row.
    keypadShow(true, false);
    Frame pad(240 * 120 * 3);
    drawKeypad(pad.data());
    EXPECT_TRUE(canvas(0, 320, 240, 120) == pad) << "the pad";
    const int frets[6] = {3, 2, 0, 0, 1, 7}; // strings 2 and 3 open: another fret first
    touch("touchStart", {{1, 30, 350}});
    EXPECT_TRUE(within(10s, [&] { return screen() == editorView(); })) << "the editor";
    for (int s = 0; s < 6; s++) {
        int x = (5 - s) * 40 + 20;
        for (int y : {frets[s] == 0 ? 20 : -1, (7 - frets[s]) * 40 + 20}) {
            if (y < 0) continue;
            touch("touchStart", {{1, 30, 350}, {2, x, y}});
            touch("touchMove", {{1, 30, 350}}); // the second finger lifts
            std::this_thread::sleep_for(50ms);
        }
    }
    touch("touchEnd", {});
    EXPECT_TRUE(within(10s, [&] { return screen() == playView(); })) << "the play view again";
    touch("touchStart", {{1, 30, 350}});
    std::this_thread::sleep_for(300ms);
    touch("touchStart", {{1, 30, 350}, {2, 1, 160}});
    slowStroke([&](int x, int y) { touch("touchMove", {{1, 30, 350}, {2, x, y}}); });
    touch("touchMove", {{1, 30, 350}});
    std::this_thread::sleep_for(600ms);
    touch("touchEnd", {});
    expectStrum(played(), frets);
}
