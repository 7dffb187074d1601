// The web page in Firefox and in WebKitGTK, through WebDriver: what the page shows and plays in
// the engines beside Chromium. FRETSTRUMMER_WEB names the web build's folder; without it, or
// without the engine, the tests are skipped.
#include "display/layout.h"
#include "e2e.h"
#include "test_util.h"
#include "webdriver.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <random>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct EngineTest : ::testing::TestWithParam<const char*> {
    fs::path work;
    pid_t server = 0, xvfb = 0, pulse = 0;
    std::string url;
    std::unique_ptr<WebDriver> page;

    void SetUp() override {
        const char* web = getenv("FRETSTRUMMER_WEB");
        if (!web) GTEST_SKIP() << "FRETSTRUMMER_WEB names no web build";
        bool firefox = std::string(GetParam()) == "firefox";
        if (std::system(firefox ? "command -v firefox-esr >/dev/null"
                                : "command -v WebKitWebDriver >/dev/null") != 0)
            GTEST_SKIP() << GetParam() << " is not installed";
        alarm(150);
        work = fs::temp_directory_path() /
               ("fretstrummer-engine-" + std::to_string(std::random_device{}()));
        fs::create_directories(work);
        server = startWebServer(web, &url);
        ASSERT_NE(server, 0) << "the web server did not start";
        // The browsers play into a null sink: the page's sound runs as on a machine with one.
        pulse = startPulseServer(work / "pulse");
        ASSERT_NE(pulse, 0) << "the PulseAudio server did not start";
        if (!firefox) {
            xvfb = startXvfb(work);
            ASSERT_NE(xvfb, 0) << "Xvfb did not start";
        }
        page = firefox ? startFirefox(work / "profile") : startWebKit(work / "profile");
        ASSERT_TRUE(page) << GetParam() << " did not start";
    }

    void TearDown() override {
        alarm(0);
        page.reset();
        for (pid_t child : {server, xvfb, pulse})
            if (child > 0) kill(child, SIGKILL), waitpid(child, nullptr, 0);
        if (!work.empty()) fs::remove_all(work);
    }

    std::string evaluate(const std::string& expression) {
        return page->execute("return " + expression + ";");
    }
    std::string note() { return evaluate("document.getElementById('note').textContent"); }

    // Opens the page (again) and waits for the play view.
    void open(const std::string& query = "") {
        page->navigate(url + query);
        ASSERT_TRUE(
            within(30s,
                   [&] {
                       return evaluate("!!(window.fretstrummerPage && fretstrummerPage.ready())") ==
                              "true";
                   }))
            << "the page never came up: " << page->failure << note();
        ASSERT_TRUE(page->readBox()) << "no canvas";
        evaluate("fretstrummerPage.record()");
        ASSERT_TRUE(frameWithin([&] { return screen(); }, playView())) << "no play view";
    }

    Frame screen() { return fromHex(evaluate("fretstrummerPage.frame(0, 0, 240, 320)")); }
    std::vector<int16_t> played() {
        return samplesOf(fromHex(evaluate("fretstrummerPage.played()")));
    }

    void key(const char* type, const char* value) {
        page->act(std::string(R"({"type":"key","id":"keys","actions":[{"type":")") + type +
                  R"(","value":")" + value + "\"}]}");
    }
    void click(int x, int y) { page->mouse(page->at(x, y) + "," + PressAction + "," + LiftAction); }
    // A slow stroke across the six strings, from (1, 160) to (239, 219).
    void strum() {
        std::string stroke = page->at(1, 160) + "," + PressAction;
        for (int x = 3; x < 240; x += 2) stroke.append(",").append(page->at(x, 160 + x / 4, 10));
        page->mouse(stroke + "," + LiftAction);
        std::this_thread::sleep_for(600ms);
    }
};

INSTANTIATE_TEST_SUITE_P(Engines, EngineTest, ::testing::Values("firefox", "webkit"),
                         [](const auto& info) { return std::string(info.param); });

TEST_P(EngineTest, ThePageShowsAndPlaysExactlyHoldsAChordGoesOnWithoutSoundAndWorksOffline) {
    open();
    // Where the engine gives the page no shared memory the program without threads plays.
    EXPECT_EQ(evaluate("document.querySelector('script[src=\"index-single.js\"]') ? 'single' : "
                       "'threads'"),
              evaluate("typeof SharedArrayBuffer") == "function" ? "threads" : "single");
    // The sound refused: the page says so, and the keys and the editor work on.
    evaluate("(window.Sound = window.AudioContext, window.AudioContext = function () { throw "
             "new Error('refused'); }, 1)");
    key("keyDown", "a");
    EXPECT_TRUE(within(5s, [&] {
        return note() == "The browser gave no sound; touch the instrument to try again.";
    })) << note();
    EXPECT_TRUE(frameWithin([&] { return screen(); }, editorView())) << "the editor";
    key("keyUp", "a");
    EXPECT_TRUE(frameWithin([&] { return screen(); }, playView())) << "the play view again";
    evaluate("(window.AudioContext = window.Sound, 1)");
    strum();
    expectStrum(played());
    // With shared memory the sound comes from a worklet, off the page's thread.
    EXPECT_EQ(evaluate("fretstrummerPage.audioNode()"),
              evaluate("typeof SharedArrayBuffer") == "function" ? "worklet" : "script");

    // A chord set with the editor, then held while the strings are strummed.
    const int frets[6] = {3, 2, 0, 0, 1, 7};
    key("keyDown", "b");
    for (int s = 0; s < 6; s++) {
        int x = stringLeft(s) + ColumnWidth / 2;
        if (frets[s] == 0) click(x, 20); // an open string: another fret first
        click(x, fretTop(frets[s]) + CellHeight / 2);
    }
    key("keyUp", "b");
    EXPECT_TRUE(frameWithin([&] { return screen(); }, playView())) << "the chord set";
    std::this_thread::sleep_for(1500ms); // the editor's taps die away
    evaluate("(fretstrummerPage.record(), 1)");
    key("keyDown", "b");
    strum();
    key("keyUp", "b");
    expectStrum(played(), frets);

    // Once loaded, the page comes up again with its server gone.
    // Firefox has now and then taken its worker's script more than ten seconds late.
    ASSERT_TRUE(within(30s, [&] { return evaluate(WorkerActive) == "true"; }))
        << "the service worker is not active: " << evaluate(WorkerStates)
        << (std::this_thread::sleep_for(500ms), evaluate(WorkerStates));
    kill(server, SIGKILL), waitpid(server, nullptr, 0), server = 0;
    evaluate("(window.loadedBefore = true)");
    page->navigate(url); // a reload here would be a forced one, past the service worker
    EXPECT_TRUE(within(30s,
                       [&] {
                           return evaluate(
                                      "!!(window.fretstrummerPage && fretstrummerPage.ready() && "
                                      "!window.loadedBefore)") == "true";
                       }))
        << "offline: " << page->failure;
    // The exit square ends the program, and the page says so.
    ASSERT_TRUE(frameWithin([&] { return screen(); }, playView())) << "offline: no play view";
    ASSERT_TRUE(page->readBox());
    click(2, 2);
    EXPECT_TRUE(within(10s, [&] { return evaluate("fretstrummerPage.exitCode") == "0"; }))
        << evaluate("fretstrummerPage.exitCode") << note();
}
