// The Media folder beside the executable, and whole-file loading.
#include "assets/media.h"
#include "platform/scripted/scripted.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

static std::string mediaDirFor(const std::string& executable) {
    scriptedSetExecutablePath(executable.c_str());
    buildMediaDir();
    std::string result = MediaDir;
    scriptedSetExecutablePath(nullptr);
    buildMediaDir();
    return result;
}

TEST(MediaDir, IsTheExecutablesFolderUpToItsLastSeparatorThenMediaOrNothing) {
    EXPECT_EQ(mediaDirFor("/usr/lib/fretstrummer/fretstrummer"), "/usr/lib/fretstrummer/Media/");
    EXPECT_EQ(mediaDirFor("/home/u/fretstrummer/fretstrummer/fretstrummer"),
              "/home/u/fretstrummer/fretstrummer/Media/");
    EXPECT_EQ(mediaDirFor("/opt/a b/Fretstrummer.exe"), "/opt/a b/Media/");
    EXPECT_EQ(mediaDirFor("/fretstrummer"), "/Media/");

    // Far past 255 characters: nothing is cut.
    std::string deep = "/" + std::string(250, 'a') + "/" + std::string(250, 'b') + "/" +
                       std::string(3500, 'c').replace(255, 1, "/").replace(3000, 1, "/");
    EXPECT_EQ(mediaDirFor(deep + "/fretstrummer"), deep + "/Media/");

    // Without an executable's path it stays empty, and then nothing loads.
    EXPECT_EQ(mediaDirFor(""), "");
    EXPECT_EQ(mediaDirFor("no-separator"), ""); // and then no executable path is set
    unsigned char* data = reinterpret_cast<unsigned char*>(1);
    uint32_t size = 7;
    EXPECT_EQ(loadMediaFile("1.wav", &data, &size), 0);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_STREQ(MediaFailure, "the media folder is unknown");
    // A path too long to hold is not an unknown one.
    EXPECT_EQ(mediaDirFor("/" + std::string(MediaDirCapacity, 'x') + "/fretstrummer"), "");
    scriptedSetExecutablePath(("/" + std::string(MediaDirCapacity, 'x') + "/fretstrummer").c_str());
    buildMediaDir();
    EXPECT_EQ(loadMediaFile("1.wav", &data, &size), 0);
    EXPECT_STREQ(MediaFailure, "the program's path is too long");
    scriptedSetExecutablePath(nullptr);
    buildMediaDir();
}

struct Load {
    int result;
    unsigned char* data;
    uint32_t size;
    std::string failure;
};

static Load load(const char* name, uint32_t most = UINT32_MAX) {
    Load l{-1, reinterpret_cast<unsigned char*>(1), 12345, ""};
    l.result = loadMediaFile(name, &l.data, &l.size, most);
    l.failure = MediaFailure;
    return l;
}

TEST(LoadMediaFile, FailsWithoutDataAndSaysWhy) {
    MediaFolder folder;
    folder.write("empty.bin", {});
    folder.write("locked.wav", {1, 2});
    fs::permissions(folder.media / "locked.wav", fs::perms::none);
    fs::create_directory(folder.media / "folder.wav");
    ASSERT_EQ(mkfifo((folder.media / "fifo.wav").c_str(), 0600), 0);
    fs::create_symlink("missing.wav", folder.media / "nowhere.wav");
    struct {
        const char* name;
        std::string says;
    } cases[] = {
        {"missing.wav", "No such file or directory"},
        {"empty.bin", "the file is empty"},
        {"folder.wav", "not a regular file"},
        {"fifo.wav", "not a regular file"},    // and no wait for a writer
        {"nowhere.wav", "not a regular file"}, // a link that leads nowhere
        // Root reads whatever the permissions say.
        {"locked.wav", geteuid() == 0 ? "" : "Permission denied"},
    };
    for (const auto& c : cases) {
        Load l = load(c.name);
        if (c.says.empty()) {
            std::free(l.data);
            continue;
        }
        EXPECT_EQ(l.result, 0) << c.name;
        EXPECT_EQ(l.data, nullptr) << c.name;
        EXPECT_EQ(l.size, 0u) << c.name;
        EXPECT_EQ(l.failure, c.says) << c.name;
    }
}

TEST(LoadMediaFile, ReadsEveryByteOrTheFirstOnesAskedForIntoAFreshBlockPerLoad) {
    // From a folder deeper than 255 characters.
    MediaFolder folder(std::string(200, 'x') + "/" + std::string(200, 'y') + "/fretstrummer");
    ASSERT_GT(std::string(MediaDir).size(), 400u);
    folder.write("one.bin", {0xA5});
    Bytes big(300000);
    for (size_t i = 0; i < big.size(); i++) big[i] = uint8_t(i * 7 + i / 251);
    folder.write("big.bin", big);

    Load one = load("one.bin", 10);
    ASSERT_EQ(one.result, 1);
    ASSERT_EQ(one.size, 1u);
    EXPECT_EQ(one.data[0], 0xA5);

    Load first = load("big.bin"), second = load("big.bin"), part = load("big.bin", 1001);
    ASSERT_EQ(first.result, 1);
    ASSERT_EQ(second.result, 1);
    ASSERT_EQ(part.result, 1);
    ASSERT_EQ(first.size, big.size());
    EXPECT_NE(first.data, second.data);
    EXPECT_EQ(Bytes(first.data, first.data + first.size), big);
    EXPECT_EQ(Bytes(second.data, second.data + second.size), big);
    EXPECT_EQ(Bytes(part.data, part.data + part.size), Bytes(big.begin(), big.begin() + 1001));
    for (const Load& l : {one, first, second, part}) std::free(l.data);
}

TEST(LoadMediaFile, AFileEndingBeforeItsMeasuredSizeIsAFailedLoadWithNoStaleBytes) {
    // Kernel attribute files measure a whole page but hold a few bytes: a real short read.
    const fs::path attribute = "/sys/devices/system/cpu/online";
    if (!fs::exists(attribute) || fs::file_size(attribute) == 0)
        GTEST_SKIP() << "no size-reporting sysfs attribute here";
    MediaFolder folder;
    fs::create_symlink(attribute, folder.media / "short.wav");
    Load l = load("short.wav");
    EXPECT_EQ(l.result, 0);
    ASSERT_EQ(l.size, fs::file_size(attribute));
    ASSERT_NE(l.data, nullptr);
    Bytes content = readBytes(attribute);
    ASSERT_LT(content.size(), l.size);
    EXPECT_EQ(Bytes(l.data, l.data + content.size()), content);
    EXPECT_EQ(Bytes(l.data + content.size(), l.data + l.size), Bytes(l.size - content.size(), 0));
    EXPECT_EQ(l.failure, "the file ended after " + std::to_string(content.size()) + " of its " +
                             std::to_string(l.size) + " bytes");
    std::free(l.data);
}

TEST(MediaFile, ReadsPiecesOfAFileOfAnySize) {
    MediaFolder folder;
    // Sparse: no disk space is used. Its size does not fit 32 bits.
    folder.write("huge.wav", {1, 2, 3});
    uintmax_t size = (uintmax_t(1) << 32) + 2;
    fs::resize_file(folder.media / "huge.wav", size);
    {
        std::fstream tail(folder.media / "huge.wav",
                          std::ios::in | std::ios::out | std::ios::binary);
        tail.seekp(std::streamoff(size - 2));
        tail.write("\x7e\x7f", 2);
    }
    MediaFile file;
    ASSERT_EQ(openMediaFile("huge.wav", &file), 1);
    EXPECT_EQ(file.size, size);
    unsigned char piece[4] = {};
    EXPECT_EQ(readMediaFile(&file, size - 3, piece, 4), 3u); // the file ends there
    EXPECT_EQ(Bytes(piece, piece + 3), (Bytes{0, 0x7e, 0x7f}));
    EXPECT_EQ(readMediaFile(&file, 1, piece, 2), 2u);
    EXPECT_EQ(Bytes(piece, piece + 2), (Bytes{2, 3}));
    EXPECT_EQ(readMediaFile(&file, size, piece, 1), 0u);
    closeMediaFile(&file);

    Load l = load("huge.wav", 3);
    ASSERT_EQ(l.result, 1);
    EXPECT_EQ(Bytes(l.data, l.data + l.size), (Bytes{1, 2, 3}));
    std::free(l.data);
}
