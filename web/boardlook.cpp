#include "web/boardlook.h"

#include "design/colours.h"

#include <cstdio>

std::vector<ShownControl> shownControls(const Scene& scene)
{
    std::vector<ShownControl> shown{
        {&scene.Label1, scene.Label1.Name()},
        {&scene.lblPicFile, scene.lblPicFile.Name()},
        {&scene.Picture1, scene.Picture1.Name()},
    };
    for (int index : PIECE_STANDING_ORDER)
        shown.push_back({&scene.Piece[index], scene.Piece[index].Name() + std::to_string(index)});
    return shown;
}

std::string cssColour(Colour colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(toRgb(colour)));
    return text;
}
