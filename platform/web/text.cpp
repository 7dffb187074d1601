// text.cpp -- the text role in the browser: the canvas's default sans-serif, drawn dark on
// white on a canvas of the program's own thread, laid over the picture by its coverage.
#include "platform/platform.h"

#include <emscripten.h>

void platformDrawText(uint8_t* pixels, const char* text, uint32_t format) {
    static uint8_t coverage[ScreenWidth * ScreenHeight];
    // The same face size as a plain default font elsewhere.
    int drawn = EM_ASM_INT(
        {
            if (typeof OffscreenCanvas == "undefined") return 0;
            const canvas = new OffscreenCanvas(240, 320);
            const context = canvas.getContext("2d");
            context.fillStyle = "#fff";
            context.fillRect(0, 0, 240, 320);
            context.fillStyle = "#000";
            context.font = "13px sans-serif";
            context.textAlign = ($2 & 1) ? "center" : "left";
            context.textBaseline = ($2 & 4) ? "middle" : "top";
            context.fillText(UTF8ToString($0), ($2 & 1) ? 120 : 0, ($2 & 4) ? 160 : 0);
            const white = context.getImageData(0, 0, 240, 320).data;
            for (let i = 0; i < 240 * 320; i++) HEAPU8[$1 + i] = 255 - white[i * 4];
            return 1;
        },
        text, coverage, format);
    if (!drawn) return;
    for (int i = 0; i < ScreenWidth * ScreenHeight; i++)
        for (int c = 0; c < 3; c++)
            pixels[i * 3 + c] = static_cast<uint8_t>(pixels[i * 3 + c] * (255 - coverage[i]) / 255);
}
