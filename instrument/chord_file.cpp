// chord_file.cpp -- the kept chords: their text, reading it leniently, writing it safely.
#include "instrument/chord_file.h"

#include "assets/media.h"
#include "assets/open_notes.h"
#include "instrument/chord_names.h"
#include "instrument/chords.h"
#include "platform/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <system_error>

const char* ChordFileOption;

namespace {

// The keys with names of their own; letters, digits, F1 to F24 and Num0 to Num9 are named by
// rule, and any other code as "Key" and its number.
const struct {
    uint32_t code;
    const char* name;
} NamedKeys[] = {
    {VkBackspace, "Backspace"},
    {VkTab, "Tab"},
    {VkEnter, "Enter"},
    {VkShift, "Shift"},
    {VkControl, "Control"},
    {VkAlt, "Alt"},
    {VkPause, "Pause"},
    {VkCapsLock, "CapsLock"},
    {VkEscape, "Escape"},
    {VkSpace, "Space"},
    {VkPageUp, "PageUp"},
    {VkPageDown, "PageDown"},
    {VkEnd, "End"},
    {VkHome, "Home"},
    {VkLeft, "Left"},
    {VkUp, "Up"},
    {VkRight, "Right"},
    {VkDown, "Down"},
    {VkPrintScreen, "PrintScreen"},
    {VkInsert, "Insert"},
    {VkDelete, "Delete"},
    {VkLeftWindows, "LeftWindows"},
    {VkRightWindows, "RightWindows"},
    {VkMenu, "Menu"},
    {VkMultiply, "NumMultiply"},
    {VkAdd, "NumAdd"},
    {VkSubtract, "NumSubtract"},
    {VkDecimal, "NumDecimal"},
    {VkDivide, "NumDivide"},
    {VkNumLock, "NumLock"},
    {VkScrollLock, "ScrollLock"},
    {VkSemicolon, "Semicolon"},
    {VkEquals, "Equals"},
    {VkComma, "Comma"},
    {VkMinus, "Minus"},
    {VkPeriod, "Period"},
    {VkSlash, "Slash"},
    {VkGrave, "Grave"},
    {VkLeftBracket, "LeftBracket"},
    {VkBackslash, "Backslash"},
    {VkRightBracket, "RightBracket"},
    {VkQuote, "Quote"},
    {VkIsoBackslash, "IsoBackslash"},
};

bool sameName(const char* a, int length, const char* b) {
    for (int i = 0; i < length; i++) {
        char x = a[i], y = b[i];
        if (y == '\0') return false;
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return b[length] == '\0';
}

// A number of 1 to 3 digits, or -1.
int number(const char* text, int length) {
    if (length < 1 || length > 3) return -1;
    int value = 0;
    for (int i = 0; i < length; i++) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + text[i] - '0';
    }
    return value;
}

bool space(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Why a line cannot be read, or none: the chord it holds goes into *key and frets.
const char* readLine(const char* line, int length, int* key, uint8_t frets[6]) {
    for (int i = 0; i < length; i++) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        if ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7F) return "not text";
    }
    int at = 0, start = 0;
    auto word = [&] {
        while (at < length && space(line[at])) at++;
        start = at;
        while (at < length && !space(line[at]) && line[at] != '#') at++;
        return at - start;
    };
    int keyLength = word();
    *key = keyOfChordName(line + start, keyLength);
    if (*key < 0) return "no key of that name";
    int count = 0;
    for (int size; (size = word()) > 0;) {
        for (int i = 0; i < size; i++) {
            char c = line[start + i];
            if (c < '0' || c > '9') return "a fret is not a number";
            if (c > '7' || (size > 1 && size != 6)) return "a fret outside 0 to 7";
            if (count == 6) return "more than six frets";
            frets[count++] = static_cast<uint8_t>(c - '0');
        }
    }
    if (count < 6) return "fewer than six frets";
    return nullptr;
}

// The kept file's path, settled at start-up; empty when there is none.
char chordPath[MediaPathCapacity];
bool readOnly;      // --chords named a file that cannot be written: used, never written
bool failureToldOf; // the line saying the chords will not be kept has been printed

void cannotKeep(const char* why) {
    if (failureToldOf) return;
    failureToldOf = true;
    std::fprintf(stderr, "Fretstrummer: the chords will not be kept%s%s: %s\n",
                 chordPath[0] ? " in " : "", chordPath, why);
}

bool writeTable(const char* path) {
    static char text[ChordTextCapacity];
    uint32_t length = formatChords(text);
    if (platformReplaceFile(path, text, length) == 0) return true;
    cannotKeep(platformFailureReason());
    return false;
}

} // namespace

void keyName(uint32_t code, char name[16]) {
    code &= 0xFF;
    if ((code >= VkA && code < VkA + 26) || (code >= Vk0 && code < Vk0 + 10)) {
        name[0] = static_cast<char>(code);
        name[1] = '\0';
        return;
    }
    if (code >= VkF1 && code <= VkF24) {
        std::snprintf(name, 16, "F%u", code - VkF1 + 1);
        return;
    }
    if (code >= VkNumpad0 && code < VkNumpad0 + 10) {
        std::snprintf(name, 16, "Num%u", code - VkNumpad0);
        return;
    }
    for (const auto& key : NamedKeys)
        if (key.code == code) {
            std::snprintf(name, 16, "%s", key.name);
            return;
        }
    std::snprintf(name, 16, "Key%u", code);
}

int keyOfChordName(const char* name, int length) {
    if (length == 1) {
        char c = name[0];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
        return -1;
    }
    for (const auto& key : NamedKeys)
        if (sameName(name, length, key.name)) return static_cast<int>(key.code);
    auto numbered = [&](const char* prefix, int least, int most) {
        int prefixLength = static_cast<int>(std::strlen(prefix));
        if (length <= prefixLength || !sameName(name, prefixLength, prefix)) return -1;
        int n = number(name + prefixLength, length - prefixLength);
        return n >= least && n <= most ? n : -1;
    };
    if (int n = numbered("F", 1, 24); n >= 0) return static_cast<int>(VkF1) + n - 1;
    if (int n = numbered("Num", 0, 9); n >= 0) return static_cast<int>(VkNumpad0) + n;
    if (int n = numbered("Key", 0, 255); n >= 0) return n;
    return -1;
}

uint32_t formatChords(char text[ChordTextCapacity]) {
    int length = std::snprintf(
        text, ChordTextCapacity,
        "# Fretstrummer's chords: a key, then the frets of its six strings from the thickest to\n"
        "# the thinnest (0 the open string, 1 to 7 a fret). Lines starting with # are comments.\n");
    for (uint32_t code = 0; code < ChordCount; code++) {
        const ChordSlot& slot = ChordTable[code];
        if (!slot.assigned) continue;
        char key[16], chord[ChordNameCapacity] = "";
        keyName(code, key);
        if (OpenNotes[0] >= 0) chordName(slot.frets, OpenNotes, chord);
        const uint8_t* f = slot.frets;
        length += std::snprintf(text + length, ChordTextCapacity - length,
                                "%-12s %u %u %u %u %u %u%s%s\n", key, f[0], f[1], f[2], f[3], f[4],
                                f[5], chord[0] ? "   # " : "", chord);
    }
    return static_cast<uint32_t>(length);
}

int parseChords(const char* text, uint32_t size, const char* file) {
    int read = 0, lineNumber = 0;
    for (uint32_t at = 0; at < size;) {
        uint32_t end = at;
        while (end < size && text[end] != '\n') end++;
        const char* line = text + at;
        int length = static_cast<int>(end - at);
        at = end + 1;
        lineNumber++;
        int first = 0;
        while (first < length && space(line[first])) first++;
        if (first == length || line[first] == '#') continue;
        int key;
        uint8_t frets[6];
        if (const char* why = readLine(line, length, &key, frets)) {
            std::fprintf(stderr, "Fretstrummer: %s:%d: skipped: %s\n", file, lineNumber, why);
            continue;
        }
        ChordSlot& slot = ChordTable[key];
        std::memcpy(slot.frets, frets, 6);
        slot.assigned = 1;
        read++;
    }
    return read;
}

void loadChords() {
    chordPath[0] = '\0';
    readOnly = false;
    failureToldOf = false;
    if (ChordFileOption) {
        std::snprintf(chordPath, sizeof chordPath, "%s", ChordFileOption);
    } else if (!platformSettingsPath("chords.txt", chordPath, sizeof chordPath)) {
        chordPath[0] = '\0';
        cannotKeep(platformFailureReason());
        return;
    }
    std::FILE* file = platformOpenFile(chordPath);
    if (!file) {
        if (errno != ENOENT) cannotKeep(std::strerror(errno));
        return;
    }
    static char text[ChordFileMostBytes];
    size_t size = std::fread(text, 1, sizeof text, file);
    bool longer = size == sizeof text && std::fgetc(file) != EOF;
    bool failed = std::ferror(file) != 0;
    int error = errno;
    std::fclose(file);
    if (failed) {
        std::fprintf(stderr, "Fretstrummer: %s: cannot be read: %s\n", chordPath,
                     std::strerror(error));
        cannotKeep("it cannot be read");
        return;
    }
    if (longer)
        std::fprintf(stderr, "Fretstrummer: %s: longer than %u bytes: the rest is skipped\n",
                     chordPath, ChordFileMostBytes);
    parseChords(text, static_cast<uint32_t>(size), chordPath);
    for (uint32_t k = 0; k < ChordCount; k++)
        if (ChordTable[k].assigned) showChordName(k);
    // A file no one may write (chmod a-w) is the player's choice: played, left as it is.
    std::error_code ignored;
    auto permissions =
        std::filesystem::status(
            std::filesystem::path(std::u8string_view(reinterpret_cast<const char8_t*>(chordPath))),
            ignored)
            .permissions();
    using std::filesystem::perms;
    if (permissions != perms::unknown && (permissions & perms::all) != perms::none &&
        (permissions & (perms::owner_write | perms::group_write | perms::others_write)) ==
            perms::none) {
        readOnly = true;
        std::fprintf(stderr, "Fretstrummer: %s is read-only: its chords are played, not saved\n",
                     chordPath);
    }
}

void saveChords() {
    if (chordPath[0] && !readOnly) writeTable(chordPath);
}

void keepPreviousChords() {
    if (!chordPath[0] || readOnly) return;
    char previous[MediaPathCapacity + 16];
    std::snprintf(previous, sizeof previous, "%s.previous", chordPath);
    writeTable(previous);
}
