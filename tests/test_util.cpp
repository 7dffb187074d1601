#include "test_util.h"

#include "assets/media.h"
#include "platform/scripted/scripted.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

MediaFolder::MediaFolder(const std::string& appFolder) {
    std::random_device seed;
    root = std::filesystem::temp_directory_path() /
           ("fretstrummer-test-" + std::to_string(seed()) + "-" + std::to_string(seed()));
    std::filesystem::path app = root / appFolder;
    media = app / "Media";
    std::filesystem::create_directories(media);
    scriptedSetExecutablePath((app / "fretstrummer").c_str());
    buildMediaDir();
}

MediaFolder::~MediaFolder() {
    scriptedSetExecutablePath(nullptr);
    buildMediaDir();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

void MediaFolder::write(const std::string& name, const Bytes& bytes) const {
    writeBytes(media / name, bytes);
}

void MediaFolder::copyDefaults(const std::string& ending) const {
    for (const auto& entry : std::filesystem::directory_iterator(FRETSTRUMMER_MEDIA_DIR)) {
        std::string name = entry.path().filename().string();
        if (name.size() >= ending.size() &&
            name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
            std::filesystem::copy_file(entry.path(), media / name,
                                       std::filesystem::copy_options::overwrite_existing);
    }
}

Bytes readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<int16_t> samplesOf(const Bytes& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes pcm(std::initializer_list<int> samples) {
    return pcm(std::vector<int16_t>(samples.begin(), samples.end()));
}

Bytes pcm(const std::vector<int16_t>& samples) {
    Bytes out;
    for (int16_t s : samples) {
        out.push_back(uint8_t(s & 0xFF));
        out.push_back(uint8_t((s >> 8) & 0xFF));
    }
    return out;
}

void append32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; i++) out.push_back(uint8_t(v >> (8 * i)));
}

void appendChunk(Bytes& out, const char id[4], const Bytes& body) {
    out.insert(out.end(), id, id + 4);
    append32(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
}

Bytes bmpHeaders(int width, int height) {
    uint32_t image = uint32_t((3 * width + 3) / 4 * 4 * std::abs(height));
    Bytes out{'B', 'M'};
    for (uint32_t v : {54 + image, 0u, 54u, 40u, uint32_t(width), uint32_t(height), 0x180001u, 0u,
                       image, 0u, 0u, 0u, 0u})
        append32(out, v);
    return out;
}

Bytes riffWave(const Bytes& data, int format, int channels, int rate, int bits,
               const Bytes& between) {
    Bytes fmt;
    append32(fmt, uint32_t(format | channels << 16));
    append32(fmt, uint32_t(rate));
    append32(fmt, uint32_t(rate * channels * bits / 8));
    append32(fmt, uint32_t(channels * bits / 8 | bits << 16));
    Bytes body{'W', 'A', 'V', 'E'};
    appendChunk(body, "fmt ", fmt);
    body.insert(body.end(), between.begin(), between.end());
    appendChunk(body, "data", data);
    Bytes out{'R', 'I', 'F', 'F'};
    append32(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

::testing::AssertionResult sameFrame(const std::vector<uint8_t>& actual,
                                     const std::vector<uint8_t>& expected, int width) {
    if (actual == expected) return ::testing::AssertionSuccess();
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << actual.size() / 3 << " pixels where " << expected.size() / 3 << " were wanted";
    size_t at = 0;
    while (actual[at] == expected[at]) at++;
    at -= at % 3;
    auto colour = [](const std::vector<uint8_t>& frame, size_t i) {
        char text[16];
        std::snprintf(text, sizeof text, "%02x%02x%02x", frame[i + 2], frame[i + 1], frame[i]);
        return std::string(text);
    };
    size_t pixel = at / 3;
    return ::testing::AssertionFailure()
           << "pixel (" << pixel % size_t(width) << ", " << pixel / size_t(width) << ") is #"
           << colour(actual, at) << ", not #" << colour(expected, at);
}

Bytes fromHex(const std::string& text) {
    Bytes bytes;
    for (size_t at = 0; at + 1 < text.size(); at += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(at, 2), nullptr, 16)));
    return bytes;
}
