// text.cpp -- the text role on Win32: DrawTextW in the default font of a new memory DC, dark
// text on an opaque white ground, over the picture.
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <cstring>

void platformDrawText(uint8_t* picture, const char* text, uint32_t format) {
    wchar_t wide[256];
    if (!win32Wide(text, wide, 256)) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = ScreenWidth;
    info.bmiHeader.biHeight = -ScreenHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc && bitmap) {
        HGDIOBJ previous = SelectObject(dc, bitmap);
        std::memcpy(bits, picture, ScreenHeight * ScreenStride);
        RECT whole{0, 0, ScreenWidth, ScreenHeight};
        // Vertical centring needs a single line in GDI; both texts are one line.
        UINT flags = (format & TextCenter ? DT_CENTER : 0) |
                     (format & TextVerticalCenter ? DT_VCENTER | DT_SINGLELINE : 0);
        DrawTextW(dc, wide, -1, &whole, flags);
        GdiFlush();
        std::memcpy(picture, bits, ScreenHeight * ScreenStride);
        SelectObject(dc, previous);
    }
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
}
