// sprites.cpp -- makes the screen's pictures.
#include "display/sprites.h"

Sprite* StringSprite[6];
Sprite* BackgroundSprite;
Sprite* LadSprite;
Sprite* LadSpotSprite;
Sprite* ExitSprite;
Sprite* ResetSprite;

static Sprite sprites[11];

int loadSprites() {
    static const int32_t sizes[11][2] = {{5, 320}, {4, 320}, {3, 320},   {2, 320},
                                         {2, 320}, {1, 320}, {240, 320}, {40, 40},
                                         {40, 40}, {5, 5},   {141, 5}};
    for (int i = 0; i < 11; i++) sprites[i] = Sprite{nullptr, sizes[i][0], sizes[i][1]};
    for (int i = 0; i < 6; i++) StringSprite[i] = &sprites[i];
    BackgroundSprite = &sprites[6];
    LadSprite = &sprites[7];
    LadSpotSprite = &sprites[8];
    ExitSprite = &sprites[9];
    ResetSprite = &sprites[10];
    return 1;
}
