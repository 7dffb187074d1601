// system.cpp -- the scripted platform's record, its executable path and its threads.
#include "platform/platform.h"
#include "platform/scripted/scripted.h"
#include "platform/scripted/scripted_internal.h"

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <pthread.h>
#include <sstream>

std::mutex scriptedMutex;
static std::vector<std::string> calls;

static std::string executablePath;
static bool executablePathKnown = false;

static std::string settingsFolder;
static std::map<std::string, std::string> savedFiles;
static bool refuseReplace = false;
static std::vector<std::string> chordNames;
static std::vector<std::string> midiSent;
static bool midiOpen = false, refuseMidi = false;

static bool holdThreads = false, refuseThreads = false;
static int threadsStarted = 0;
static std::condition_variable threadGate;

void scriptedRecord(const std::string& call) {
    calls.push_back(call);
}

std::vector<std::string> scriptedCalls() {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    return calls;
}

void scriptedReset() {
    scriptedResetWave();
    scriptedResetWindow();
    std::lock_guard<std::mutex> guard(scriptedMutex);
    calls.clear();
    settingsFolder.clear();
    savedFiles.clear();
    refuseReplace = false;
    chordNames.clear();
    midiSent.clear();
    midiOpen = refuseMidi = false;
    holdThreads = refuseThreads = false;
    threadsStarted = 0;
    threadGate.notify_all();
}

void scriptedSetExecutablePath(const char* path) {
    executablePathKnown = path != nullptr;
    executablePath = path ? path : "";
}

const char* platformFailureReason() {
    return "refused by the test's script";
}

int platformExecutablePath(char* path, int capacity) {
    if (capacity < 1) return 0;
    path[0] = '\0';
    int length = static_cast<int>(executablePath.size());
    if (!executablePathKnown || length == 0) return 0;
    if (length >= capacity) return -1;
    std::memcpy(path, executablePath.c_str(), static_cast<size_t>(length) + 1);
    return length;
}

void scriptedHoldThreads(bool hold) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    holdThreads = hold;
    threadGate.notify_all();
}

void scriptedRefuseThreads(bool refuse) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    refuseThreads = refuse;
}

int scriptedThreadsStarted() {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    return threadsStarted;
}

static void* runThread(void* body) {
    {
        std::unique_lock<std::mutex> lock(scriptedMutex);
        threadGate.wait(lock, [] { return !holdThreads; });
    }
    reinterpret_cast<void (*)()>(body)();
    return nullptr;
}

int platformStartThread(void (*body)()) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("startThread");
    if (refuseThreads) return 0;
    pthread_t thread;
    if (pthread_create(&thread, nullptr, runThread, reinterpret_cast<void*>(body)) != 0) return 0;
    pthread_detach(thread);
    threadsStarted++;
    return 1;
}

void platformRaiseThreadPriority() {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("raiseThreadPriority");
}

void scriptedWriteRecord(const char* path, const uint8_t* pixels) {
    std::ofstream out(path, std::ios::binary);
    for (const std::string& call : scriptedCalls()) out << "call " << call << "\n";
    for (const ScriptedBlock& block : scriptedQueuedBlocks()) {
        out << "block " << block.which;
        for (int16_t sample : block.samples) out << " " << sample;
        out << "\n";
    }
    out << "pixels\n";
    out.write(reinterpret_cast<const char*>(pixels), ScreenHeight * ScreenStride);
}

bool scriptedReadRecord(const char* path, ScriptedRecord* record) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    *record = ScriptedRecord{};
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("call ", 0) == 0) {
            record->calls.push_back(line.substr(5));
        } else if (line.rfind("block ", 0) == 0) {
            std::istringstream fields(line.substr(6));
            ScriptedBlock block;
            fields >> block.which;
            int sample;
            while (fields >> sample) block.samples.push_back(static_cast<int16_t>(sample));
            record->blocks.push_back(block);
        } else if (line == "pixels") {
            record->pixels.resize(ScreenHeight * ScreenStride);
            in.read(reinterpret_cast<char*>(record->pixels.data()), ScreenHeight * ScreenStride);
            return in.gcount() == ScreenHeight * ScreenStride;
        }
    }
    return false;
}

// ---- Kept settings: in memory while the test names no folder, in its files otherwise.

void scriptedSetSettingsFolder(const char* folder) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    settingsFolder = folder ? folder : "";
}

void scriptedRefuseReplaceFile(bool refuse) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    refuseReplace = refuse;
}

std::string scriptedSavedFile(const std::string& path) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    auto found = savedFiles.find(path);
    return found == savedFiles.end() ? "" : found->second;
}

std::vector<std::string> scriptedChordNames() {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    return chordNames;
}

int platformSettingsPath(const char* name, char* path, int capacity) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    std::string full = (settingsFolder.empty() ? "scripted-settings" : settingsFolder) + "/" + name;
    if (static_cast<int>(full.size()) >= capacity) return 0;
    std::memcpy(path, full.c_str(), full.size() + 1);
    return 1;
}

int platformReplaceFile(const char* path, const void* data, uint32_t size) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    if (refuseReplace) return 1;
    std::string text(static_cast<const char*>(data), size);
    savedFiles[path] = text;
    if (std::string(path).rfind("scripted-settings/", 0) == 0) return 0;
    std::string temporary = std::string(path) + ".new";
    std::ofstream(temporary, std::ios::binary) << text;
    return std::rename(temporary.c_str(), path) == 0 ? 0 : 1;
}

void platformShowChordName(uint32_t code, const char* name) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    chordNames.push_back(std::to_string(code) + " " + name);
}

// ---- MIDI: what was sent, in hex, a message a string ("90 28 64").

void scriptedRefuseMidi(bool refuse) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    refuseMidi = refuse;
}

std::vector<std::string> scriptedMidi() {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    return midiSent;
}

int platformMidiOpen(const char* device) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord(std::string("midiOpen ") + (device ? device : "-"));
    if (refuseMidi) return 1;
    midiOpen = true;
    return 0;
}

void platformMidiSend(const uint8_t* message, int length) {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    std::string text;
    for (int i = 0; i < length; i++) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i ? " %02x" : "%02x", message[i]);
        text += hex;
    }
    if (midiOpen) midiSent.push_back(text);
}

void platformMidiClose() {
    std::lock_guard<std::mutex> guard(scriptedMutex);
    scriptedRecord("midiClose");
    midiOpen = false;
}
