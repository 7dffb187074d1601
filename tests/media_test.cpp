// The Media folder beside the executable, and whole-file loading.
#include "assets/media.h"
#include "platform/scripted/scripted.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace fs = std::filesystem;

static std::string mediaDirFor(const std::string& executable) {
    scriptedSetExecutablePath(executable.c_str());
    buildMediaDir();
    std::string result = MediaDir;
    scriptedSetExecutablePath(nullptr);
    buildMediaDir();
    return result;
}

TEST(MediaDir, IsTheExecutablesFolderUpToItsLastSeparatorThenMedia) {
    EXPECT_EQ(mediaDirFor("/usr/lib/fretstrummer/fretstrummer"), "/usr/lib/fretstrummer/Media/");
    EXPECT_EQ(mediaDirFor("/home/u/fretstrummer/fretstrummer/fretstrummer"),
              "/home/u/fretstrummer/fretstrummer/Media/");
    EXPECT_EQ(mediaDirFor("/opt/a b/Fretstrummer.exe"), "/opt/a b/Media/");
    EXPECT_EQ(mediaDirFor("/fretstrummer"), "/Media/");

    // Far past 255 characters: nothing is cut.
    std::string deep = "/" + std::string(250, 'a') + "/" + std::string(250, 'b') + "/" +
                       std::string(3500, 'c').replace(255, 1, "/").replace(3000, 1, "/");
    EXPECT_EQ(mediaDirFor(deep + "/fretstrummer"), deep + "/Media/");
}

TEST(MediaDir, StaysEmptyWithoutAnExecutablePathAndThenNothingLoads) {
    EXPECT_EQ(mediaDirFor(""), "");
    EXPECT_EQ(mediaDirFor("no-separator"), "");
    scriptedSetExecutablePath(nullptr);
    buildMediaDir();
    unsigned char* data = reinterpret_cast<unsigned char*>(1);
    uint32_t size = 7;
    EXPECT_EQ(loadMediaFile("1.wav", &data, &size), 0);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
}

struct Load {
    int result;
    unsigned char* data;
    uint32_t size;
};

static Load load(const char* name) {
    Load l{-1, reinterpret_cast<unsigned char*>(1), 12345};
    l.result = loadMediaFile(name, &l.data, &l.size);
    return l;
}

TEST(LoadMediaFile, FailsWithoutDataForMissingEmptyAndNonRegularFiles) {
    MediaFolder folder;
    folder.write("empty.bin", {});
    fs::create_directory(folder.media / "folder.wav");
    for (const char* name : {"missing.wav", "empty.bin", "folder.wav"}) {
        Load l = load(name);
        EXPECT_EQ(l.result, 0) << name;
        EXPECT_EQ(l.data, nullptr) << name;
        EXPECT_EQ(l.size, 0u) << name;
    }
}

TEST(LoadMediaFile, ReadsEveryByteIntoAFreshBlockPerLoad) {
    MediaFolder folder;
    folder.write("one.bin", {0xA5});
    Bytes big(300000);
    for (size_t i = 0; i < big.size(); i++) big[i] = uint8_t(i * 7 + i / 251);
    folder.write("big.bin", big);

    Load one = load("one.bin");
    ASSERT_EQ(one.result, 1);
    ASSERT_EQ(one.size, 1u);
    EXPECT_EQ(one.data[0], 0xA5);

    Load first = load("big.bin"), second = load("big.bin");
    ASSERT_EQ(first.result, 1);
    ASSERT_EQ(second.result, 1);
    ASSERT_EQ(first.size, big.size());
    EXPECT_NE(first.data, second.data);
    EXPECT_EQ(Bytes(first.data, first.data + first.size), big);
    EXPECT_EQ(Bytes(second.data, second.data + second.size), big);
    std::free(one.data);
    std::free(first.data);
    std::free(second.data);
}

TEST(LoadMediaFile, WorksFromAFolderDeeperThan255Characters) {
    MediaFolder folder(std::string(200, 'x') + "/" + std::string(200, 'y') + "/fretstrummer");
    ASSERT_GT(std::string(MediaDir).size(), 400u);
    folder.write("deep.bin", {1, 2, 3});
    Load l = load("deep.bin");
    ASSERT_EQ(l.result, 1);
    EXPECT_EQ(Bytes(l.data, l.data + l.size), (Bytes{1, 2, 3}));
    std::free(l.data);
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
    std::free(l.data);
}

TEST(LoadMediaFile, RefusesFilesWhoseSizeDoesNotFit32Bits) {
    MediaFolder folder;
    // Sparse: no disk space is used. Taken mod 2^32 these would read as empty and as 2 bytes.
    for (uintmax_t size : {uintmax_t(1) << 32, (uintmax_t(1) << 32) + 2}) {
        folder.write("huge.wav", {});
        fs::resize_file(folder.media / "huge.wav", size);
        Load l = load("huge.wav");
        EXPECT_EQ(l.result, 0) << size;
        EXPECT_EQ(l.data, nullptr) << size;
        EXPECT_EQ(l.size, 0u) << size;
    }
}
