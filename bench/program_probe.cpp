// first_frame_probe.cpp -- preloaded into the program by measure_program.sh: prints how long
// after FRETSTRUMMER_T0 (milliseconds since the epoch, taken just before exec) the splash and
// then the first frame (the play view) reached the window: the first two fills of the texture
// behind it.
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <time.h>

extern "C" int SDL_UpdateTexture(void* texture, const void* rect, const void* pixels, int pitch) {
    using Update = int (*)(void*, const void*, const void*, int);
    static Update real = reinterpret_cast<Update>(dlsym(RTLD_NEXT, "SDL_UpdateTexture"));
    static int fills = 0;
    int result = real(texture, rect, pixels, pitch);
    if (++fills <= 2) {
        timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        const char* start = std::getenv("FRETSTRUMMER_T0");
        double elapsed = now.tv_sec * 1e3 + now.tv_nsec / 1e6 - (start ? std::atof(start) : 0);
        std::fprintf(stderr, "%s: %.1f ms after exec\n", fills == 1 ? "splash" : "first frame",
                     elapsed);
    }
    return result;
}
