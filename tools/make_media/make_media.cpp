// make_media.cpp -- writes the eleven pictures of the default Media folder and the icons, and
// on request six synthesised plucked steel-string notes (the default notes are recordings, in
// media/). Everything is computed, nothing is read, so every build writes the same bytes.
//
// usage: make_media [--synth-notes] MEDIA_FOLDER [ICON_FOLDER]
#include "audio/audio_output.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int Rate = OutputRate;
constexpr double Pi = 3.14159265358979323846;

// ---------------------------------------------------------------------------------------------
// Files

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// A canonical 44-byte-header WAV: PCM, mono, 16-bit, at the program's rate.
std::vector<uint8_t> wavFile(const std::vector<int16_t>& samples) {
    uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
    // Started with its first bytes: GCC 12 at -O3 misjudges an insert into an empty vector as
    // an overflow.
    std::vector<uint8_t> out{'R', 'I', 'F', 'F'};
    put32(out, 36 + dataSize);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, Rate);
    put32(out, Rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, dataSize);
    for (int16_t s : samples) put16(out, static_cast<uint16_t>(s));
    return out;
}

struct Rgb {
    double r, g, b;
};

struct Picture {
    int width, height;
    std::vector<Rgb> pixels; // top row first

    Picture(int w, int h, Rgb fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    Rgb& at(int x, int y) { return pixels[size_t(y) * width + x]; }
};

uint8_t channel(double v) {
    long rounded = std::lround(v);
    return static_cast<uint8_t>(rounded < 0 ? 0 : rounded > 255 ? 255 : rounded);
}

// 24-bit bottom-up BMP with the 14-byte file header and the 40-byte info header, nothing else.
std::vector<uint8_t> bmpFile(const Picture& picture) {
    uint32_t row = (3 * picture.width + 3) / 4 * 4;
    uint32_t imageSize = row * picture.height;
    std::vector<uint8_t> out{'B', 'M'}; // not an insert into an empty vector, as in wavFile
    put32(out, 54 + imageSize);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, picture.width);
    put32(out, picture.height);
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, imageSize);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = picture.height - 1; y >= 0; y--) {
        for (int x = 0; x < picture.width; x++) {
            const Rgb& p = picture.pixels[size_t(y) * picture.width + x];
            out.insert(out.end(), {channel(p.b), channel(p.g), channel(p.r)});
        }
        for (uint32_t pad = 3 * picture.width; pad < row; pad++) out.push_back(0);
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Sound

// xorshift32: the same noise on every machine.
struct Noise {
    uint32_t state;
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }
};

// RBJ band-pass with 0 dB peak: one body mode of the guitar.
struct Resonator {
    double b0, b2, a1, a2, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    Resonator(double frequency, double q) {
        double w = 2 * Pi * frequency / Rate;
        double alpha = std::sin(w) / (2 * q);
        double a0 = 1 + alpha;
        b0 = alpha / a0;
        b2 = -alpha / a0;
        a1 = -2 * std::cos(w) / a0;
        a2 = (1 - alpha) / a0;
    }
    double step(double x) {
        double y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

struct StringVoice {
    double frequency;
    double ringSeconds;  // time to fall by 60 dB
    double pickSoftness; // 0 bright, towards 1 duller
    double damping;      // 0.5 for the darkest loop filter, lower keeps the highs ringing
};

// Extended Karplus-Strong: a noise burst shaped by the pick (softness and position along the
// string) circulates in a delay line tuned with an all-pass; a loss per period sets the ring;
// a few body modes add the wooden resonance.
std::vector<int16_t> pluckedNote(const StringVoice& voice, int length, uint32_t seed) {
    double period = Rate / voice.frequency;
    // The loop filter delays by `damping` samples; the all-pass takes the fraction left.
    int delay = static_cast<int>(std::floor(period - voice.damping - 0.1));
    double fraction = period - voice.damping - delay;
    double allpass = (1 - fraction) / (1 + fraction);
    double loss = std::pow(10.0, -3.0 / (voice.ringSeconds * voice.frequency));

    // The string pulled aside at the pick, an eighth of the way from the bridge: a triangle
    // whose harmonics fall off as 1/k^2 and vanish where the pick point is a node. A little
    // noise, with the same nodes, gives the scrape of the plectrum.
    int pick = static_cast<int>(std::lround(delay * 0.13));
    std::vector<double> burst(delay);
    double mean = 0;
    for (int i = 0; i < delay; i++) {
        burst[i] = i < pick ? static_cast<double>(i) / pick
                            : static_cast<double>(delay - i) / (delay - pick);
        mean += burst[i] / delay;
    }
    std::vector<double> scrape(delay);
    Noise noise{seed};
    double soft = 0;
    for (double& e : scrape) {
        soft = (1 - voice.pickSoftness) * noise.next() + voice.pickSoftness * soft;
        e = soft;
    }
    for (int i = 0; i < delay; i++)
        burst[i] += -mean + 0.3 * (scrape[i] - (i >= pick ? scrape[i - pick] : 0.0));

    Resonator body[] = {{98, 14}, {204, 18}, {395, 12}, {560, 9}};
    const double bodyGain[] = {0.55, 0.35, 0.18, 0.1};

    std::vector<double> line(delay, 0.0);
    std::vector<double> out(length);
    double previous = 0, apIn = 0, apOut = 0;
    double dcIn = 0, dcOut = 0;
    for (int n = 0; n < length; n++) {
        int slot = n % delay;
        double delayed = line[slot];
        double averaged = loss * ((1 - voice.damping) * delayed + voice.damping * previous);
        previous = delayed;
        double tuned = allpass * averaged + apIn - allpass * apOut;
        apIn = averaged;
        apOut = tuned;
        double string = tuned + (n < delay ? burst[n] : 0.0);
        line[slot] = string;

        double sound = string;
        for (int m = 0; m < 4; m++) sound += bodyGain[m] * body[m].step(string);
        // A gentle high-pass keeps the note free of DC.
        double blocked = sound - dcIn + 0.995 * dcOut;
        dcIn = sound;
        dcOut = blocked;
        out[n] = blocked;
    }

    // A half-millisecond onset softens the click of the burst; the last 50 ms close to silence.
    int onset = Rate / 2000, tail = Rate / 20;
    for (int n = 0; n < onset; n++) out[n] *= static_cast<double>(n + 1) / (onset + 1);
    for (int n = 0; n < tail; n++) out[length - 1 - n] *= static_cast<double>(n) / tail;

    double peak = 0;
    for (double v : out) peak = std::max(peak, std::fabs(v));
    // Peaks at -10 dBFS: the six notes of a strum ring together and still add up without
    // clipping.
    double scale = 0.316 * 32767 / peak;
    std::vector<int16_t> samples(length);
    for (int n = 0; n < length; n++) samples[n] = static_cast<int16_t>(std::lround(out[n] * scale));
    return samples;
}

// ---------------------------------------------------------------------------------------------
// Pictures

Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scaled(Rgb c, double k) {
    return {c.r * k, c.g * k, c.b * k};
}

// A repeatable hash in [0, 1) for texture.
double hash(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFF) / 65536.0;
}

// Fraction of the pixel (x, y) inside the circle, from 4 x 4 samples: smooth edges.
double circleCover(int x, int y, double cx, double cy, double radius) {
    int inside = 0;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) {
            double dx = x + (i + 0.5) / 4 - cx, dy = y + (j + 0.5) / 4 - cy;
            inside += dx * dx + dy * dy <= radius * radius;
        }
    return inside / 16.0;
}

// Wood along the neck: fine grain running down the picture, slightly wavy.
Rgb woodGrain(int x, int y, Rgb light, Rgb dark, double pitch) {
    double u = x + 1.6 * std::sin(y * 0.023 + x * 0.11) + 0.7 * std::sin(y * 0.071);
    double line = 0.5 + 0.5 * std::sin(2 * Pi * u / pitch);
    double broad = 0.5 + 0.5 * std::sin(2 * Pi * u / (pitch * 7.3) + 1.3);
    double t = 0.55 * line * line * line + 0.3 * broad + 0.15 * hash(x, y);
    return mix(light, dark, t);
}

const Rgb Rosewood{74, 44, 30}, RosewoodDark{40, 23, 16};
const Rgb Ivory{236, 226, 196};

// The top of a sunburst steel-string guitar: spruce, a bridge with its saddle and pins near the
// top edge, the rosette and sound hole where the strumming hand goes, the fingerboard's end.
Picture background() {
    const int W = 240, H = 320;
    const double holeX = 120, holeY = 180, holeR = 66;
    const double stringX[6] = {220, 180, 140, 100, 60, 20};
    Picture p(W, H, {0, 0, 0});
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            Rgb spruce = woodGrain(x, y, {232, 190, 128}, {196, 146, 88}, 5.1);
            // Sunburst: amber in the middle, through red-brown to near black at the edges.
            double dx = (x - holeX) / 150.0, dy = (y - holeY) / 205.0;
            double d = std::sqrt(dx * dx + dy * dy);
            double burst = std::clamp((d - 0.45) / 0.55, 0.0, 1.0);
            Rgb c = mix(spruce, scaled({120, 52, 22}, 0.9 + 0.2 * hash(y, x)), burst * 0.9);
            c = mix(c, {22, 12, 8}, std::pow(burst, 3.0));
            p.at(x, y) = c;
        }

    // Rosette rings and the sound hole.
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            double dx = x + 0.5 - holeX, dy = y + 0.5 - holeY;
            double r = std::sqrt(dx * dx + dy * dy);
            Rgb& c = p.at(x, y);
            if (r > holeR + 3 && r < holeR + 19) {
                double angle = std::atan2(dy, dx);
                if (r < holeR + 5 || r > holeR + 17)
                    c = {24, 16, 12};
                else if (r < holeR + 7 || r > holeR + 15)
                    c = Ivory;
                else {
                    // Mosaic band: alternating blocks round the hole.
                    int block = static_cast<int>(std::floor((angle + Pi) / (2 * Pi) * 72));
                    bool odd = (block + static_cast<int>(r - holeR)) % 2;
                    c = odd ? Rgb{146, 68, 34} : Rgb{50, 90, 60};
                }
            }
            double cover = circleCover(x, y, holeX, holeY, holeR);
            if (cover > 0) {
                // The inside of the body, lit a little from the upper rim.
                double depth = std::clamp((dy + holeR) / (2 * holeR), 0.0, 1.0);
                Rgb inside = mix({46, 30, 20}, {6, 4, 3}, std::sqrt(depth));
                c = mix(c, inside, cover);
            }
        }

    // Bridge: a rosewood bar with rounded wings, an ivory saddle and six pins.
    for (int y = 20; y < 56; y++)
        for (int x = 6; x < 234; x++) {
            double cover = x >= 20 && x <= 220 && y >= 24 && y < 52 ? 1.0 : 0.0;
            cover =
                std::max({cover, circleCover(x, y, 20, 38, 14), circleCover(x, y, 221, 38, 14)});
            if (cover <= 0) continue;
            Rgb wood = woodGrain(x, y, Rosewood, RosewoodDark, 3.7);
            double shade = y < 26 ? 1.25 : y > 49 ? 0.7 : 1.0;
            p.at(x, y) = mix(p.at(x, y), scaled(wood, shade), cover);
        }
    for (int y = 52; y < 55; y++)
        for (int x = 10; x < 230; x++) p.at(x, y) = scaled(p.at(x, y), 0.6 + 0.12 * (y - 52));
    for (int x = 14; x < 226; x++) {
        p.at(x, 30) = Ivory;
        p.at(x, 31) = scaled(Ivory, 0.9);
        p.at(x, 32) = scaled(Ivory, 0.72);
    }
    for (double sx : stringX)
        for (int y = 38; y < 50; y++)
            for (int x = static_cast<int>(sx) - 6; x < sx + 6; x++) {
                double pin = circleCover(x, y, sx + 0.5, 44, 4.2);
                double dot = circleCover(x, y, sx + 0.5, 44, 1.6);
                Rgb c = mix(p.at(x, y), {238, 232, 214}, pin);
                p.at(x, y) = mix(c, {170, 40, 30}, dot);
            }

    // The end of the fingerboard, with the last fret, and its shadow on the top.
    for (int y = 290; y < H; y++)
        for (int x = 0; x < W; x++) {
            if (y < 293) {
                p.at(x, y) = scaled(p.at(x, y), 0.55 + 0.15 * (y - 290));
                continue;
            }
            Rgb c = woodGrain(x, y, Rosewood, RosewoodDark, 3.7);
            if (y == 293) c = scaled(c, 1.3);
            if (y >= 303 && y < 306) {
                const Rgb fret[3] = {{236, 236, 240}, {176, 178, 184}, {96, 96, 104}};
                c = fret[y - 303];
            }
            if (y == 306) c = scaled(c, 0.55);
            p.at(x, y) = c;
        }

    // Binding along the top edge.
    for (int x = 0; x < W; x++) {
        p.at(x, 0) = {30, 20, 14};
        p.at(x, 1) = {30, 20, 14};
        p.at(x, 2) = Ivory;
        p.at(x, 3) = scaled(Ivory, 0.85);
        p.at(x, 4) = {30, 20, 14};
        p.at(x, 5) = mix(p.at(x, 5), {30, 20, 14}, 0.5);
    }
    return p;
}

// One fret space of the chord editor: fingerboard wood, the fret wire above it, the string
// through its middle; the marked cell carries a finger dot on the string.
Picture fretCell(bool marked) {
    Picture p(40, 40, {0, 0, 0});
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 40; x++) {
            Rgb c = woodGrain(x, y, Rosewood, RosewoodDark, 3.7);
            if (y <= 2) {
                const Rgb fret[3] = {{236, 236, 240}, {176, 178, 184}, {96, 96, 104}};
                c = fret[y];
            } else if (y == 3) {
                c = scaled(c, 0.5);
            }
            if (x == 0 || x == 39) c = scaled(c, 0.8);
            p.at(x, y) = c;
        }
    for (int y = 3; y < 40; y++) {
        p.at(19, y) = {228, 228, 234};
        p.at(20, y) = {150, 152, 160};
        p.at(21, y) = scaled(p.at(21, y), 0.6);
    }
    if (!marked) return p;
    const double cx = 20, cy = 21.5, radius = 12.5;
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 40; x++) {
            double rim = circleCover(x, y, cx, cy, radius);
            double face = circleCover(x, y, cx, cy, radius - 1.2);
            if (rim <= 0) continue;
            // Lit from the upper left.
            double dx = (x + 0.5 - (cx - 4)) / radius, dy = (y + 0.5 - (cy - 4)) / radius;
            double light = std::clamp(1.0 - std::sqrt(dx * dx + dy * dy) * 0.6, 0.0, 1.0);
            Rgb body = mix({178, 36, 24}, {255, 150, 110}, light * light);
            Rgb c = mix(p.at(x, y), {70, 12, 8}, rim);
            p.at(x, y) = mix(c, body, face);
        }
    return p;
}

Picture exitButton() {
    Picture p(5, 5, {188, 28, 28});
    for (int i = 0; i < 5; i++) {
        p.at(i, i) = {255, 236, 236};
        p.at(4 - i, i) = {255, 236, 236};
    }
    return p;
}

Picture resetButton() {
    Picture p(141, 5, {0, 0, 0});
    const Rgb face{44, 116, 206}, light{156, 206, 255}, shadow{16, 44, 100};
    for (int x = 0; x < 141; x++) {
        p.at(x, 0) = light;
        for (int y = 1; y < 4; y++) p.at(x, y) = mix(face, light, 0.25 * (3 - y));
        p.at(x, 4) = shadow;
        // Grip marks in the middle say it can be touched.
        if (x >= 58 && x <= 82 && x % 4 == 2) p.at(x, 2) = light;
    }
    for (int y = 0; y < 5; y++) {
        p.at(0, y) = shadow;
        p.at(140, y) = shadow;
    }
    p.at(0, 0) = light;
    return p;
}

// A string seen from above: a rounded metal cylinder, bronze-wound for the four lowest.
Picture stringPicture(int string) {
    static const int widths[6] = {5, 4, 3, 2, 2, 1};
    int w = widths[string];
    bool wound = string < 4;
    Rgb metal = wound ? Rgb{214, 170, 104} : Rgb{226, 228, 234};
    Picture p(w, 320, metal);
    for (int x = 0; x < w; x++) {
        // Brightest a little left of the middle, darker at the edges.
        double across = w == 1 ? 0.0 : (x + 0.5) / w * 2 - 1;
        double shade = 1.08 - 0.55 * std::pow(std::fabs(across + 0.25), 1.6);
        for (int y = 0; y < 320; y++) {
            double k = shade;
            // Slanted windings catch the light every few rows.
            if (wound && (y + x) % (string < 2 ? 3 : 2) == 0) k *= 0.74;
            p.at(x, y) = scaled(metal, k);
        }
    }
    return p;
}

} // namespace

bool writeIcons(const std::string& folder); // icon.cpp

int main(int argc, char** argv) {
    bool synthNotes = argc > 1 && std::string(argv[1]) == "--synth-notes";
    argc -= synthNotes, argv += synthNotes;
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_media [--synth-notes] MEDIA_FOLDER [ICON_FOLDER]\n");
        return 2;
    }
    if (argc == 3 && !writeIcons(argv[2])) {
        std::fprintf(stderr, "make_media: cannot write the icons into %s\n", argv[2]);
        return 1;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '/') folder += '/';

    // E2 A2 D3 G3 B3 E4; the low strings ring longer, the wound ones sound a little darker.
    const StringVoice strings[6] = {
        {82.41, 7.0, 0.45, 0.5},   {110.00, 7.0, 0.40, 0.5}, {146.83, 6.5, 0.36, 0.45},
        {196.00, 6.5, 0.32, 0.35}, {246.94, 6.0, 0.22, 0.3}, {329.63, 6.0, 0.18, 0.25},
    };
    bool ok = true;
    for (int i = 0; synthNotes && i < 6; i++) {
        // 2.75 s: even shortened by seven frets (x 0.66741) the note outlasts the longest fade
        // (40000 samples), so every note the program derives fades right down to its end.
        std::vector<int16_t> note = pluckedNote(strings[i], Rate * 11 / 4, 0x9E3779B9u + 7919u * i);
        ok &= writeFile(folder + std::to_string(i + 1) + ".wav", wavFile(note));
    }
    for (int i = 0; i < 6; i++)
        ok &= writeFile(folder + "String" + std::to_string(i + 1) + ".bmp",
                        bmpFile(stringPicture(i)));
    // The note each of 1.wav to 6.wav sounds: chords are named from them.
    const std::string notes = "# The open notes of 1.wav to 6.wav, thickest string first.\n"
                              "E2 A2 D3 G3 B3 E4\n";
    ok &= writeFile(folder + "Notes.txt", std::vector<uint8_t>(notes.begin(), notes.end()));
    ok &= writeFile(folder + "Background.bmp", bmpFile(background()));
    ok &= writeFile(folder + "Lad.bmp", bmpFile(fretCell(false)));
    ok &= writeFile(folder + "LadSpot.bmp", bmpFile(fretCell(true)));
    ok &= writeFile(folder + "ExitButton.bmp", bmpFile(exitButton()));
    ok &= writeFile(folder + "ResetButton.bmp", bmpFile(resetButton()));
    if (!ok) {
        std::fprintf(stderr, "make_media: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
