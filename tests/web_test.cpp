// The web page in headless Chromium, driven through the DevTools protocol over a pipe: pointer,
// touch and key input as the browser's own, what the page's audio node played, what its canvas
// shows. FRETSTRUMMER_WEB names the web build's folder; without it the tests are skipped.
#include "display/layout.h"
#include "e2e.h"
#include "platform/shared/keypad.h"
#include "test_util.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct WebTest : ::testing::Test {
    pid_t server = 0, browser = 0;
    int toBrowser = -1, fromBrowser = -1, nextId = 1;
    std::ifstream answers; // fromBrowser's
    std::string url, pageId;
    fs::path profile;
    double left = 0, top = 0, cssPixel = 1; // where the canvas is, in CSS pixels

    void SetUp() override {
        const char* web = getenv("FRETSTRUMMER_WEB");
        if (!web) GTEST_SKIP() << "FRETSTRUMMER_WEB names no web build";
        for (int key = 0; key < KeypadKeys; key++) keypadSetName(keypadCode(key), "");
        alarm(120);
        profile = fs::temp_directory_path() /
                  ("fretstrummer-web-" + std::to_string(std::random_device{}()));
        server = startWebServer(web, &url);
        ASSERT_NE(server, 0) << "the web server did not start";
        // Chromium reads its commands from fd 3 and answers on fd 4, each message ending in NUL.
        int commands[2], replies[2];
        ASSERT_EQ(pipe(commands) | pipe(replies), 0);
        browser = spawn({"chromium", "--headless=new", "--no-sandbox", "--no-first-run",
                         "--remote-debugging-pipe", "--user-data-dir=" + profile.string()},
                        [&] { dup2(commands[0], 3), dup2(replies[1], 4); });
        close(commands[0]), close(replies[1]);
        toBrowser = commands[1], fromBrowser = replies[0];
        answers.open("/proc/self/fd/" + std::to_string(fromBrowser));
        std::string target =
            field(call("Target.createTarget", R"({"url":"about:blank"})"), "targetId");
        pageId = field(
            call("Target.attachToTarget", R"({"targetId":")" + target + R"(","flatten":true})"),
            "sessionId");
        ASSERT_FALSE(pageId.empty()) << "no page to drive";
    }

    void TearDown() override {
        alarm(0);
        for (pid_t child : {browser, server})
            if (child > 0) kill(child, SIGKILL), waitpid(child, nullptr, 0);
        if (toBrowser >= 0) close(toBrowser), close(fromBrowser);
        // The browser's helper processes outlive it for a moment, still writing its profile.
        std::error_code error;
        for (int tries = 0; !profile.empty() && tries < 50; tries++) {
            fs::remove_all(profile, error);
            if (!fs::exists(profile)) break;
            std::this_thread::sleep_for(50ms);
        }
    }

    // Sends one command and returns its answer ("" when the browser has gone).
    std::string call(const std::string& method, const std::string& params = "{}") {
        std::string id = std::to_string(nextId++);
        std::string message = "{\"id\":" + id + ",\"method\":\"" + method +
                              "\",\"params\":" + params +
                              (pageId.empty() ? "" : ",\"sessionId\":\"" + pageId + "\"") + "}";
        if (write(toBrowser, message.c_str(), message.size() + 1) <= 0) return "";
        // Chromium's events come in between; a browser that stops answering fails the test
        // through the alarm.
        for (std::string answer; std::getline(answers, answer, '\0');)
            if (answer.rfind("{\"id\":" + id + ",", 0) == 0) return answer;
        return "";
    }

    // A string field's value, or the text of a number or boolean.
    static std::string field(const std::string& json, const std::string& name) {
        size_t at = json.find("\"" + name + "\":");
        if (at == std::string::npos) return "";
        at += name.size() + 3;
        if (json[at] == '"') return json.substr(at + 1, json.find('"', at + 1) - at - 1);
        return json.substr(at, json.find_first_of(",}", at) - at);
    }

    // What the expression in the page gives (a string, number or boolean, as text). It quotes
    // with ' only.
    std::string evaluate(const std::string& expression) {
        return field(call("Runtime.evaluate",
                          R"({"returnByValue":true,"expression":")" + expression + "\"}"),
                     "value");
    }

    // Opens the page in a viewport of this size (CSS pixels; a phone's touch screen when
    // `phone`) and waits for the play view.
    void open(int width, int height, bool phone, const std::string& query = "") {
        std::string page = url + query;
        call("Emulation.setDeviceMetricsOverride",
             "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
                 ",\"deviceScaleFactor\":" + (phone ? "3" : "1") +
                 ",\"mobile\":" + (phone ? "true" : "false") + "}");
        if (phone)
            call("Emulation.setTouchEmulationEnabled", R"({"enabled":true,"maxTouchPoints":5})");
        ASSERT_TRUE(within(20s, [&] {
            if (evaluate("location.href") != page)
                call("Page.navigate", "{\"url\":\"" + page + "\"}");
            return evaluate("window.fretstrummerPage?.ready()") == "true";
        })) << "the page never came up";
        std::string box = evaluate("fretstrummerPage.box()");
        ASSERT_EQ(std::sscanf(box.c_str(), "%lf %lf %lf", &left, &top, &cssPixel), 3) << box;
        evaluate("fretstrummerPage.record()");
        ASSERT_TRUE(frameWithin([&] { return screen(); }, playView())) << "no play view";
    }

    // The canvas's pixels in "x, y, width, height" of it.
    Frame canvas(const std::string& area) {
        return fromHex(evaluate("fretstrummerPage.frame(" + area + ")"));
    }
    Frame screen() { return canvas("0, 0, 240, 320"); }

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
    void key(const char* type, const char* code) {
        call("Input.dispatchKeyEvent",
             std::string("{\"type\":\"") + type + "\",\"code\":\"" + code + "\"}");
    }

    // Runs `source` (quoting with ' only) in every page before the page's own scripts; the
    // answer names it for Page.removeScriptToEvaluateOnNewDocument.
    std::string beforeEachPage(const std::string& source) {
        call("Page.enable");
        return call("Page.addScriptToEvaluateOnNewDocument", R"({"source":")" + source + "\"}");
    }
    std::string note() { return evaluate("document.getElementById('note').textContent"); }

    std::vector<int16_t> played() {
        return samplesOf(fromHex(evaluate("fretstrummerPage.played()")));
    }
};

// A slow stroke across the six strings, from (1, 160) to (239, 219), by a mouse or a finger.
template <typename Move> static void slowStroke(Move move) {
    for (int x = 1; x < 240; x += 2) {
        move(x, 160 + x / 4);
        std::this_thread::sleep_for(10ms);
    }
}

// The slow stroke with the mouse, and the time for its last notes to be played.
static void mouseStrum(WebTest& page) {
    page.mouse("mousePressed", 1, 160, 1);
    slowStroke([&](int x, int y) { page.mouse("mouseMoved", x, y, 1); });
    page.mouse("mouseReleased", 239, 219, 0);
    std::this_thread::sleep_for(600ms);
}

TEST_F(WebTest, AMouseStrumSoundsTheSixStringsAKeyShowsTheEditorAndTheExitSquareEndsIt) {
    open(400, 500, false);
    key("rawKeyDown", "KeyA");
    EXPECT_TRUE(frameWithin([&] { return screen(); }, editorView())) << "the editor";
    key("keyUp", "KeyA");
    EXPECT_TRUE(frameWithin([&] { return screen(); }, playView())) << "the play view again";
    // The page losing the focus lets go of a held key: the editor closes without its key-up.
    key("rawKeyDown", "KeyB");
    EXPECT_TRUE(frameWithin([&] { return screen(); }, editorView())) << "the editor of B";
    evaluate("dispatchEvent(new Event('blur'))");
    EXPECT_TRUE(frameWithin([&] { return screen(); }, playView())) << "the focus lost";
    key("keyUp", "KeyB");
    mouseStrum(*this);
    expectStrum(played());
    mouse("mousePressed", 2, 2, 1);
    mouse("mouseReleased", 2, 2, 0);
    EXPECT_TRUE(within(10s, [&] { return evaluate("fretstrummerPage.exitCode") == "0"; }));
    // Once loaded, the page comes up again with its server gone.
    ASSERT_TRUE(within(10s, [&] { return evaluate(WorkerActive) == "true"; }));
    kill(server, SIGKILL), waitpid(server, nullptr, 0), server = 0;
    evaluate("window.loadedBefore = true");
    call("Page.reload");
    EXPECT_TRUE(within(20s, [&] {
        return evaluate("window.fretstrummerPage?.ready() && !window.loadedBefore") == "true";
    })) << "offline";
}

TEST_F(WebTest, OnAPhoneOneFingerHoldsAPadKeyWhileAnotherSetsItsChordThenStrumsIt) {
    open(360, 740, true);
    // Portrait: the pad stands below the strings, its key 1 at the left of its top row.
    keypadShow(true, false);
    Frame pad(240 * 120 * 3);
    drawKeypad(pad.data());
    EXPECT_TRUE(sameFrame(canvas("0, 320, 240, 120"), pad)) << "the pad";
    const int frets[6] = {3, 2, 0, 0, 1, 7}; // strings 2 and 3 open: another fret first
    touch("touchStart", {{1, 30, 350}});
    EXPECT_TRUE(frameWithin([&] { return screen(); }, editorView())) << "the editor";
    for (int s = 0; s < 6; s++) {
        int x = stringLeft(s) + ColumnWidth / 2;
        for (int y : {frets[s] == 0 ? 20 : -1, fretTop(frets[s]) + CellHeight / 2}) {
            if (y < 0) continue;
            touch("touchStart", {{1, 30, 350}, {2, x, y}});
            touch("touchMove", {{1, 30, 350}}); // the second finger lifts
            std::this_thread::sleep_for(50ms);
        }
    }
    touch("touchEnd", {});
    EXPECT_TRUE(frameWithin([&] { return screen(); }, playView())) << "the play view again";
    // Key 1 held by one finger while another strums.
    auto strumHoldingKey1 = [&] {
        touch("touchStart", {{1, 30, 350}});
        std::this_thread::sleep_for(300ms);
        touch("touchStart", {{1, 30, 350}, {2, 1, 160}});
        slowStroke([&](int x, int y) { touch("touchMove", {{1, 30, 350}, {2, x, y}}); });
        touch("touchMove", {{1, 30, 350}});
        std::this_thread::sleep_for(600ms);
        touch("touchEnd", {});
        expectStrum(played(), frets);
    };
    strumHoldingKey1();

    // The key shows its chord's name (six frets that make no chord of the table), and the
    // chord is there again when the page comes again.
    keypadSetName(Vk0 + 1, "320017");
    drawKeypad(pad.data());
    EXPECT_TRUE(frameWithin([&] { return canvas("0, 320, 240, 120"); }, pad)) << "the named key";
    evaluate("window.loadedBefore = true");
    call("Page.reload");
    ASSERT_TRUE(within(20s, [&] {
        return evaluate("window.fretstrummerPage?.ready() && !window.loadedBefore") == "true";
    })) << "the page did not come again";
    EXPECT_TRUE(frameWithin([&] { return canvas("0, 320, 240, 120"); }, pad)) << "after a reload";
    // The browser lets the new page sound once a touch has ended: a tap on the key first.
    touch("touchStart", {{1, 30, 350}});
    touch("touchEnd", {});
    std::this_thread::sleep_for(300ms);
    evaluate("fretstrummerPage.record()");
    strumHoldingKey1();

    // Turned to landscape, the pad stands beside the strings and its keys answer there.
    call("Emulation.setDeviceMetricsOverride",
         R"({"width":740,"height":360,"deviceScaleFactor":3,"mobile":true})");
    keypadShow(true, true);
    Frame side(keypadWidth() * keypadHeight() * 3);
    drawKeypad(side.data());
    std::string beside = "240, 0, " + std::to_string(keypadWidth()) + ", 320";
    ASSERT_TRUE(frameWithin([&] { return canvas(beside); }, side)) << "the pad beside";
    EXPECT_TRUE(frameWithin([&] { return screen(); }, playView())) << "the strings";
    std::string box = evaluate("fretstrummerPage.box()");
    ASSERT_EQ(std::sscanf(box.c_str(), "%lf %lf %lf", &left, &top, &cssPixel), 3) << box;
    auto key2 = [] {
        for (int y = 0; y < 320; y++)
            for (int x = 240; x < keypadWindowWidth(); x++)
                if (keypadKeyAt(x, y) >= 0 && keypadCode(keypadKeyAt(x, y)) == Vk0 + 2)
                    return std::array<int, 2>{x + 4, y + 4};
        return std::array<int, 2>{-1, -1};
    }();
    ASSERT_GE(key2[0], 0) << "no key 2 beside the strings";
    touch("touchStart", {{3, key2[0], key2[1]}});
    EXPECT_TRUE(frameWithin([&] { return screen(); }, editorView())) << "key 2, beside";
    touch("touchEnd", {});
    EXPECT_TRUE(frameWithin([&] { return screen(); }, playView())) << "key 2 lifted";
}

// What the worklet sends on at `rate` for the program's samples it took: each output sample
// on the Catmull-Rom cubic through the four taken around it, rounded as JavaScript rounds.
static std::vector<int16_t> converted(const std::vector<int16_t>& taken, double rate) {
    std::vector<int16_t> sent;
    double step = OutputRate / rate, phase = 1, a = 0, b = 0, c = 0, d = 0;
    for (size_t next = 0;; phase += step) {
        for (; phase >= 1; phase -= 1, next++) {
            if (next == taken.size()) return sent;
            a = b, b = c, c = d, d = taken[next];
        }
        double t = phase;
        double value =
            b + 0.5 * t * (c - a + t * (2 * a - 5 * b + 4 * c - d + t * (3 * (b - c) + d - a)));
        double rounded = std::floor(value);
        if (value - rounded >= 0.5) rounded += 1;
        sent.push_back(static_cast<int16_t>(std::clamp(rounded, -32768.0, 32767.0)));
    }
}

TEST_F(WebTest, InTheLowLatencyModeAStrumIsHeardOnTheSmallerBlocks) {
    open(400, 500, false, "?low-latency");
    // The strum starts the sound: its first notes wait for the node, never cut.
    mouseStrum(*this);
    // What the node took and what it sent on, as far as the page has both at one moment.
    std::string both = evaluate("fretstrummerPage.played() + ' ' + fretstrummerPage.sent()");
    std::vector<int16_t> taken = samplesOf(fromHex(both.substr(0, both.find(' '))));
    std::vector<int16_t> sent = samplesOf(fromHex(both.substr(both.find(' ') + 1)));
    expectStrum(taken, nullptr, LowLatencyLayout.blockSamples);
    // Off the page's thread: the worklet's node, reading the program's memory.
    EXPECT_EQ(evaluate("fretstrummerPage.audioNode()"), "worklet");
    // At the engine's own rate (the test's sound server's, 44100 Hz): the strum sent on is the
    // conversion of the program's, sample for sample, in whole quanta.
    int rate = 0;
    std::string engine = evaluate("fretstrummerPage.probeLatency()");
    ASSERT_EQ(std::sscanf(engine.c_str(), "the engine's sound: %d Hz", &rate), 1) << engine;
    EXPECT_NE(rate, static_cast<int>(OutputRate)) << engine;
    ASSERT_EQ(sent.size() % 128, 0u);
    std::vector<int16_t> expected = converted(taken, rate);
    ASSERT_GE(expected.size(), sent.size());
    ASSERT_LE(expected.size(), sent.size() + 2);
    size_t at = std::mismatch(sent.begin(), sent.end(), expected.begin()).first - sent.begin();
    EXPECT_EQ(at, sent.size()) << "sample " << at << " of " << sent.size() << " is "
                               << (at < sent.size() ? sent[at] : 0) << ", not "
                               << (at < sent.size() ? expected[at] : 0);
}

TEST_F(WebTest, WithMidiWhereTheBrowserGivesNoneThePageSaysSoOnceAndPlaysOn) {
    // Headless, the browser has no MIDI output to give.
    open(400, 500, false, "?midi");
    EXPECT_TRUE(
        within(10s, [&] { return evaluate("document.getElementById('note').hidden") == "false"; }));
    EXPECT_NE(evaluate("document.getElementById('note').textContent").find("playing without it"),
              std::string::npos);
    mouseStrum(*this);
    expectStrum(played());
}

TEST_F(WebTest, WhatThePageCannotDoItSaysAndTheInstrumentPlaysOnWithoutSound) {
    // A browser without WebAssembly: words on the page, not a black screen.
    std::string script = field(beforeEachPage("delete window.WebAssembly"), "identifier");
    call("Page.navigate", "{\"url\":\"" + url + "\"}");
    EXPECT_TRUE(within(10s, [&] {
        return note() == "Fretstrummer cannot run in this browser: it has no WebAssembly.";
    })) << note();

    // A browser that refuses the sound (and a wake lock the page can watch): the strings and
    // keys work on, the page says why there is no sound, and the next touch tries again.
    call("Page.removeScriptToEvaluateOnNewDocument", R"({"identifier":")" + script + "\"}");
    beforeEachPage("window.Sound = AudioContext; window.AudioContext = function () { throw new "
                   "Error('refused'); }; window.locks = []; Object.defineProperty(navigator, "
                   "'wakeLock', { value: { request: () => { const lock = new EventTarget(); "
                   "lock.release = () => lock.dispatchEvent(new Event('release')); "
                   "locks.push(lock); return Promise.resolve(lock); } } });");
    call("Page.reload");
    open(400, 500, false);
    const char* refused = "The browser gave no sound; touch the instrument to try again.";
    key("rawKeyDown", "KeyA");
    EXPECT_TRUE(within(5s, [&] { return note() == refused; })) << note();
    EXPECT_TRUE(frameWithin([&] { return screen(); }, editorView())) << "input after the refusal";
    key("keyUp", "KeyA");
    EXPECT_TRUE(frameWithin([&] { return screen(); }, playView()));
    evaluate("AudioContext = Sound");
    mouseStrum(*this);
    expectStrum(played());
    EXPECT_EQ(evaluate("document.getElementById('note').hidden"), "true") << note();

    // Hidden, the sound stops; shown again it goes on, and the screen is kept on once more
    // (the browser let go of the lock meanwhile).
    EXPECT_EQ(evaluate("locks.length"), "1");
    auto show = [&](const char* state) {
        evaluate(std::string("Object.defineProperty(document, 'visibilityState', { value: '") +
                 state +
                 "', configurable: true }); document.dispatchEvent(new "
                 "Event('visibilitychange'))");
    };
    evaluate("locks[0].release()");
    show("hidden");
    EXPECT_TRUE(
        within(5s, [&] { return evaluate("fretstrummerPage.audioState()") == "suspended"; }));
    show("visible");
    EXPECT_TRUE(within(5s, [&] { return evaluate("fretstrummerPage.audioState()") == "running"; }));
    EXPECT_EQ(evaluate("locks.length"), "2");
}
