// text.cpp -- the text role on Linux: fontconfig's default sans-serif face, drawn by FreeType.
// Shared by the SDL and the scripted platforms.
#include "platform/platform.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>

// The system's default sans-serif face at the size of a plain default font.
static constexpr int FontPixels = 13;

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

// The face, opened at the first text and kept for the process's life; none without a font.
static FT_Face defaultFace() {
    static FT_Library library;
    static FT_Face face;
    static bool tried = false;
    if (tried) return face;
    tried = true;
    char file[4096];
    if (!defaultFontFile(file, sizeof file) || FT_Init_FreeType(&library) != 0) return nullptr;
    if (FT_New_Face(library, file, 0, &face) != 0) {
        face = nullptr;
        return nullptr;
    }
    FT_Set_Pixel_Sizes(face, 0, FontPixels);
    return face;
}

void platformDrawText(uint8_t* pixels, const char* text, uint32_t format) {
    FT_Face face = defaultFace();
    if (!face) return;
    int width = 0;
    for (const char* c = text; *c; c++)
        if (FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_DEFAULT) == 0)
            width += static_cast<int>(face->glyph->advance.x >> 6);
    int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
    int lineHeight = static_cast<int>(face->size->metrics.height >> 6);
    int x = format & TextCenter ? (ScreenWidth - width) / 2 : 0;
    int y = format & TextVerticalCenter ? (ScreenHeight - lineHeight) / 2 : 0;
    int baseline = y + ascender;
    for (const char* c = text; *c; c++) {
        if (FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_RENDER) != 0) continue;
        const FT_Bitmap& glyph = face->glyph->bitmap;
        int left = x + face->glyph->bitmap_left, top = baseline - face->glyph->bitmap_top;
        for (unsigned row = 0; row < glyph.rows; row++)
            for (unsigned column = 0; column < glyph.width; column++) {
                int px = left + static_cast<int>(column), py = top + static_cast<int>(row);
                if (px < 0 || py < 0 || px >= ScreenWidth || py >= ScreenHeight) continue;
                unsigned coverage = glyph.buffer[row * glyph.pitch + column];
                uint8_t* pixel = pixels + py * ScreenStride + px * 3;
                for (int i = 0; i < 3; i++)
                    pixel[i] = static_cast<uint8_t>(pixel[i] * (255 - coverage) / 255);
            }
        x += static_cast<int>(face->glyph->advance.x >> 6);
    }
}
