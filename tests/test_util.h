// test_util.h -- temporary media folders and byte builders for the tests.
#pragma once

#include "audio/audio_output.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A fresh folder holding a (pretend) executable and a Media folder beside it; MediaDir points
// at that Media folder for as long as it lives.
struct MediaFolder {
    std::filesystem::path root;
    std::filesystem::path media;

    explicit MediaFolder(const std::string& appFolder = "app");
    ~MediaFolder();
    void write(const std::string& name, const Bytes& bytes) const;
    // Copies the build's default Media files whose names end in `ending` ("" for all).
    void copyDefaults(const std::string& ending = "") const;
};

Bytes readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const Bytes& bytes);

// Bytes written as hexadecimal digits, two a byte.
Bytes fromHex(const std::string& text);

// Little-endian 16-bit samples, and back.
std::vector<int16_t> samplesOf(const Bytes& bytes);
Bytes pcm(std::initializer_list<int> samples);
Bytes pcm(const std::vector<int16_t>& samples);

// A RIFF/WAVE file: a fmt chunk with these fields, any chunks in `between`, then a data chunk.
Bytes riffWave(const Bytes& data, int format = 1, int channels = 1, int rate = OutputRate,
               int bits = 16, const Bytes& between = {});
void appendChunk(Bytes& out, const char id[4], const Bytes& body);
// The 54 bytes of headers of a 24-bit BMP (a negative height: top row first).
Bytes bmpHeaders(int width, int height);
void append32(Bytes& out, uint32_t v);

// Whether two pictures of `width` pixels a row (blue, green, red) are the same; on a mismatch,
// which pixel differs first, and both its colours.
::testing::AssertionResult sameFrame(const std::vector<uint8_t>& actual,
                                     const std::vector<uint8_t>& expected, int width = 240);
