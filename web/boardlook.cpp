#include "web/boardlook.h"

#include "design/colours.h"

#include <cstdio>

std::vector<ShownControl> shownControls(const Scene& scene)
{
    std::vector<ShownControl> shown{
        {&scene.Label1, "div", scene.Label1.Name()},
        {&scene.lblPicFile, "div", scene.lblPicFile.Name()},
        // The pad never shows a picture: a plain box, which WebKit draws
        // more cheaply than a canvas in every frame of a drag.
        {&scene.Picture1, "div", scene.Picture1.Name()},
    };
    for (int index : {5, 4, 3, 1, 0, 2})
        shown.push_back({&scene.Piece[index], "canvas", scene.Piece[index].Name() + std::to_string(index)});
    return shown;
}

std::string cssColour(Colour colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(toRgb(colour)));
    return text;
}
