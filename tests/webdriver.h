// webdriver.h -- the web page in a browser engine through WebDriver: Firefox through its own
// Marionette protocol, WebKitGTK and Chromium through WebDriver over HTTP (WebKitWebDriver,
// chromedriver). All speak WebDriver's commands; only the transport differs.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <sys/types.h>

struct WebDriver {
    pid_t browser = 0;
    std::filesystem::path profile; // the browser's own, removed at the end

    virtual ~WebDriver();
    // A WebDriver command by its Marionette name ("WebDriver:Navigate") with its parameters as
    // JSON; the answer's value as JSON, or "" with `failure` set.
    virtual std::string command(const std::string& name, const std::string& parameters) = 0;
    std::string failure;

    // Runs `body` (the body of a function: `return` gives its value) in the page.
    std::string execute(const std::string& body);
    void navigate(const std::string& url);
    // Input: WebDriver's actions, one pointer or key source a list.
    void act(const std::string& sources);

    // Where the page's canvas is, in CSS pixels, and the size of its pixels: read from the page
    // (false when it gives none).
    double left = 0, top = 0, cssPixel = 1;
    bool readBox();
    // A pointer move to canvas pixel (x, y) over `duration` ms, as an action; the mouse's
    // actions, performed.
    std::string at(int x, int y, int duration = 0) const;
    void mouse(const std::string& actions);
};
inline constexpr const char* PressAction = R"({"type":"pointerDown","button":0})";
inline constexpr const char* LiftAction = R"({"type":"pointerUp","button":0})";

// Starts the browser headless with a fresh profile in `folder` and connects to it; null when
// the browser or its driver is missing or does not answer.
std::unique_ptr<WebDriver> startFirefox(const std::filesystem::path& folder);
// WebKitGTK needs a display (DISPLAY names it).
std::unique_ptr<WebDriver> startWebKit(const std::filesystem::path& folder);
// Chromium through chromedriver (Debian's chromium-driver), headless.
std::unique_ptr<WebDriver> startChromium(const std::filesystem::path& folder);

// A JSON string's text, quoted and escaped.
std::string quoted(const std::string& text);
