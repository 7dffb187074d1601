// splash.cpp -- the title and "Loading..." while the notes are built: dark text drawn on white,
// copied to the window inverted, so light text on black.
#include "display/splash.h"

#include "display/surface.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>

// Text formats: centred horizontally; centred vertically too.
enum : uint32_t { FormatCenter = 1, FormatVerticalCenter = 4 };

// The system's default sans-serif face at the size of a plain default font.
static constexpr int FontPixels = 13;

static uint8_t splashPixels[ScreenHeight * ScreenStride];

// The file of fontconfig's default sans-serif font into path; false when there is none.
static bool defaultFontFile(char* path, size_t capacity) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    if (!pattern) return false;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    bool found = match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
                 std::strlen(reinterpret_cast<const char*>(file)) < capacity;
    if (found) std::strcpy(path, reinterpret_cast<const char*>(file));
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return found;
}

// Draws text in black into the rectangle (0, 0, 240, 320) of surface, placed by format.
static void drawText(Surface* surface, FT_Face face, const char* text, uint32_t format) {
    int width = 0;
    for (const char* c = text; *c; c++)
        if (FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_DEFAULT) == 0)
            width += static_cast<int>(face->glyph->advance.x >> 6);
    int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
    int lineHeight = static_cast<int>(face->size->metrics.height >> 6);
    int x = format & FormatCenter ? (surface->width - width) / 2 : 0;
    int y = format & FormatVerticalCenter ? (surface->height - lineHeight) / 2 : 0;
    int baseline = y + ascender;
    for (const char* c = text; *c; c++) {
        if (FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_RENDER) != 0) continue;
        const FT_Bitmap& glyph = face->glyph->bitmap;
        int left = x + face->glyph->bitmap_left, top = baseline - face->glyph->bitmap_top;
        for (unsigned row = 0; row < glyph.rows; row++)
            for (unsigned column = 0; column < glyph.width; column++) {
                int px = left + static_cast<int>(column), py = top + static_cast<int>(row);
                if (px < 0 || py < 0 || px >= surface->width || py >= surface->height) continue;
                unsigned coverage = glyph.buffer[row * glyph.pitch + column];
                uint8_t* pixel = pixelAt(surface, px, py);
                for (int i = 0; i < 3; i++)
                    pixel[i] = static_cast<uint8_t>(pixel[i] * (255 - coverage) / 255);
            }
        x += static_cast<int>(face->glyph->advance.x >> 6);
    }
}

void showSplash(WindowHandle window) {
    Surface screen{platformWindowPixels(window), ScreenWidth, ScreenHeight, ScreenStride, false};
    if (!screen.pixels) return;
    Surface splash{splashPixels, ScreenWidth, ScreenHeight, ScreenStride, false};
    copyRect(&splash, 0, 0, ScreenWidth, ScreenHeight, nullptr, 0, 0, RopWhiteness);

    char fontFile[4096];
    FT_Library library;
    if (defaultFontFile(fontFile, sizeof fontFile) && FT_Init_FreeType(&library) == 0) {
        FT_Face face;
        if (FT_New_Face(library, fontFile, 0, &face) == 0) {
            FT_Set_Pixel_Sizes(face, 0, FontPixels);
            drawText(&splash, face, "Talmir's Fret Strummer", FormatCenter);
            drawText(&splash, face, "Loading...", FormatCenter | FormatVerticalCenter);
            FT_Done_Face(face);
        }
        FT_Done_FreeType(library);
    }
    copyRect(&screen, 0, 0, ScreenWidth, ScreenHeight, &splash, 0, 0, RopInvertedCopy);
    platformShowPixels(window, 0, 0, ScreenWidth, ScreenHeight);
}
