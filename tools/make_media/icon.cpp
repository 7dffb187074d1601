// icon.cpp -- the program's icon for the desktop: six strings over a sound hole, as PNGs of
// every size the hicolor theme asks for and as an SVG, all from the same shapes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The icon's shapes, in the 256 x 256 units of the SVG.
constexpr double Square = 8, Side = 240, Corner = 44;
constexpr double HoleX = 128, HoleY = 150, Hole = 54, Ring = 62, RingWidth = 7;
constexpr double BridgeTop = 40, BridgeHeight = 22, BridgeLeft = 36, BridgeWidth = 184;
constexpr double StringX[6] = {198, 170, 142, 114, 86, 58}; // thickest first, as on the screen
constexpr double StringWidth[6] = {13, 11.5, 10, 9, 8, 7};

struct Rgba {
    double r, g, b, a;
};

bool inRoundedSquare(double x, double y) {
    double cx = std::fmin(std::fmax(x, Square + Corner), Square + Side - Corner);
    double cy = std::fmin(std::fmax(y, Square + Corner), Square + Side - Corner);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= Corner * Corner;
}

// The colour at a point of the 256-unit icon.
Rgba colourAt(double x, double y) {
    if (!inRoundedSquare(x, y)) return {0, 0, 0, 0};
    double d = std::hypot(x - HoleX, y - HoleY) / 150;
    double burst = std::fmin(1, std::fmax(0, (d - 0.3) / 0.7));
    Rgba c{232 - 110 * burst, 190 - 130 * burst, 128 - 104 * burst, 1};
    double r = std::hypot(x - HoleX, y - HoleY);
    if (std::fabs(r - Ring) <= RingWidth / 2) c = {236, 226, 196, 1};
    if (r <= Hole) c = {30, 20, 14, 1};
    if (x >= BridgeLeft && x <= BridgeLeft + BridgeWidth && y >= BridgeTop &&
        y <= BridgeTop + BridgeHeight)
        c = {64, 38, 26, 1};
    for (int s = 0; s < 6; s++)
        if (std::fabs(x - StringX[s]) <= StringWidth[s] / 2 && y >= BridgeTop + 6)
            c = s < 4 ? Rgba{238, 206, 150, 1} : Rgba{246, 246, 250, 1};
    return c;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; i++) {
        crc ^= data[i];
        for (int k = 0; k < 8; k++) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

void chunk(std::vector<uint8_t>& png, const char type[4], const std::vector<uint8_t>& body) {
    put32(png, static_cast<uint32_t>(body.size()));
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), body.begin(), body.end());
    put32(png, crc32(png.data() + start, png.size() - start));
}

// An RGBA PNG; its zlib stream uses stored blocks, which every reader takes.
std::vector<uint8_t> pngFile(int size, const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < size; y++) {
        raw.push_back(0); // no filter
        raw.insert(raw.end(), rgba.begin() + 4L * size * y, rgba.begin() + 4L * size * (y + 1));
    }
    std::vector<uint8_t> zlib{0x78, 0x01};
    for (size_t at = 0; at < raw.size(); at += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + n == raw.size() ? 1 : 0);
        zlib.insert(zlib.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                                 static_cast<uint8_t>(~n), static_cast<uint8_t>(~n >> 8)});
        zlib.insert(zlib.end(), raw.begin() + static_cast<long>(at),
                    raw.begin() + static_cast<long>(at + n));
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
    put32(zlib, b << 16 | a);
    std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header;
    put32(header, static_cast<uint32_t>(size));
    put32(header, static_cast<uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", zlib);
    chunk(png, "IEND", {});
    return png;
}

// Each pixel averages 8 x 8 points of the shapes: smooth edges at every size.
std::vector<uint8_t> render(int size) {
    std::vector<uint8_t> rgba;
    const int n = 8;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < n; j++)
                for (int i = 0; i < n; i++) {
                    Rgba c = colourAt((x + (i + 0.5) / n) * 256 / size,
                                      (y + (j + 0.5) / n) * 256 / size);
                    r += c.r * c.a, g += c.g * c.a, b += c.b * c.a, a += c.a;
                }
            auto byte = [](double v) {
                return static_cast<uint8_t>(std::lround(std::fmin(255, v)));
            };
            rgba.insert(rgba.end(), {byte(a ? r / a : 0), byte(a ? g / a : 0), byte(a ? b / a : 0),
                                     byte(a * 255 / (n * n))});
        }
    return rgba;
}

std::string svgFile() {
    char text[4096];
    int used = std::snprintf(
        text, sizeof text,
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 "
        "256\">\n"
        " <defs><radialGradient id=\"top\" gradientUnits=\"userSpaceOnUse\" cx=\"%g\" cy=\"%g\" "
        "r=\"150\">"
        "<stop offset=\"0.3\" stop-color=\"#e8be80\"/><stop offset=\"1\" stop-color=\"#7a3c18\"/>"
        "</radialGradient></defs>\n"
        " <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" rx=\"%g\" fill=\"url(#top)\"/>\n"
        " <circle cx=\"%g\" cy=\"%g\" r=\"%g\" fill=\"none\" stroke=\"#ece2c4\" "
        "stroke-width=\"%g\"/>\n"
        " <circle cx=\"%g\" cy=\"%g\" r=\"%g\" fill=\"#1e140e\"/>\n"
        " <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"#40261a\"/>\n",
        HoleX, HoleY, Square, Square, Side, Side, Corner, HoleX, HoleY, Ring, RingWidth, HoleX,
        HoleY, Hole, BridgeLeft, BridgeTop, BridgeWidth, BridgeHeight);
    std::string svg(text, static_cast<size_t>(used));
    for (int s = 0; s < 6; s++) {
        // The strings run down to where the rounded corners leave them.
        std::snprintf(text, sizeof text,
                      " <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"%s\"/>\n",
                      StringX[s] - StringWidth[s] / 2, BridgeTop + 6, StringWidth[s],
                      Square + Side - (BridgeTop + 6), s < 4 ? "#eece96" : "#f6f6fa");
        svg += text;
    }
    return svg + "</svg>\n";
}

bool write(const std::string& path, const void* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

} // namespace

// Writes FOLDER/hicolor/NxN/apps/fretstrummer.png for every size,
// FOLDER/hicolor/scalable/apps/fretstrummer.svg, and FOLDER/fretstrummer.ico, which holds the
// same PNGs for Windows; the folders must exist.
bool writeIcons(const std::string& folder) {
    static const int sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    constexpr size_t count = sizeof sizes / sizeof sizes[0];
    bool ok = true;
    std::vector<uint8_t> ico{0, 0, 1, 0, count, 0}, images;
    for (int size : sizes) {
        std::vector<uint8_t> png = pngFile(size, render(size));
        std::string dir = folder + "/hicolor/" + std::to_string(size) + "x" + std::to_string(size);
        ok &= write(dir + "/apps/fretstrummer.png", png.data(), png.size());
        // The directory entry: width and height (0 for 256), no palette, 1 plane, 32 bits,
        // then the image's size and where it starts.
        uint8_t side = static_cast<uint8_t>(size & 0xFF);
        ico.insert(ico.end(), {side, side, 0, 0, 1, 0, 32, 0});
        uint32_t at = static_cast<uint32_t>(6 + 16 * count + images.size());
        for (uint32_t v : {static_cast<uint32_t>(png.size()), at})
            for (int k = 0; k < 4; k++) ico.push_back(static_cast<uint8_t>(v >> 8 * k));
        images.insert(images.end(), png.begin(), png.end());
    }
    ico.insert(ico.end(), images.begin(), images.end());
    ok &= write(folder + "/fretstrummer.ico", ico.data(), ico.size());
    std::string svg = svgFile();
    ok &= write(folder + "/hicolor/scalable/apps/fretstrummer.svg", svg.data(), svg.size());
    return ok;
}
