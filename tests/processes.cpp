// processes.cpp -- the programs and servers the end-to-end tests and the bench's probes start.
#include "processes.h"

#include "audio/audio_output.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
        pclose(pipe);
    }
    return output;
}

pid_t spawn(const std::vector<std::string>& arguments, const std::function<void()>& inChild) {
    pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1), dup2(quiet, 2);
        if (inChild) inChild();
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

pid_t startXvfb(const std::filesystem::path& folder) {
    std::string display = (folder / "display").string(), log = (folder / "xvfb.log").string();
    // The caller's own child, so that it is waited for the moment it ends.
    pid_t xvfb = spawn(
        {"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"},
        [&] {
            int number = open(display.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int output = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(output, 1), dup2(output, 2), dup2(number, 3);
        });
    // Xvfb writes the number once it serves.
    std::string number;
    if (!within(10s, [&] {
            std::ifstream in(display);
            std::getline(in, number);
            return !in.fail() && !in.eof();
        })) {
        kill(xvfb, SIGKILL), waitpid(xvfb, nullptr, 0);
        return 0;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return xvfb;
}

pid_t startPulseServer(const std::filesystem::path& home) {
    std::filesystem::create_directories(home);
    std::string socket = (home / "native").string();
    for (const char* name : {"HOME", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH"})
        setenv(name, home.c_str(), 1);
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    // The program's own request to the server, not a test's.
    unsetenv("PULSE_LATENCY_MSEC");
    pid_t pulse = spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                         "--use-pid-file=no", "--log-target=file:" + (home / "log").string(), "-L",
                         "module-native-protocol-unix socket=" + socket + " auth-anonymous=1", "-L",
                         "module-null-sink sink_name=out rate=" + std::to_string(OutputRate) +
                             " channels=1 format=s16le"});
    if (within(10s, [] { return std::system("pactl info >/dev/null 2>&1") == 0; })) return pulse;
    kill(pulse, SIGKILL), waitpid(pulse, nullptr, 0);
    return 0;
}

bool within(std::chrono::milliseconds limit, const std::function<bool()>& ready) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

int connectToLoopback(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    close(fd);
    return -1;
}

pid_t startWebServer(const std::string& folder, std::string* url) {
    uint16_t port = static_cast<uint16_t>(20000 + std::random_device{}() % 20000);
    pid_t server = spawn(
        {"python3", FRETSTRUMMER_SOURCE_DIR "/tools/serve_web.py", folder, std::to_string(port)});
    *url = "http://127.0.0.1:" + std::to_string(port) + "/";
    bool serving = within(std::chrono::seconds(10), [&] {
        int probe = connectToLoopback(port);
        close(probe);
        return probe >= 0;
    });
    if (serving) return server;
    kill(server, SIGKILL), waitpid(server, nullptr, 0);
    return 0;
}
