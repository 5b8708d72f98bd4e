#include "web/boardlook.h"

#include "design/colours.h"
#include "design/faces.h"

#include <cstdio>

std::string elementId(const Control& control)
{
    return control.Index() < 0 ? control.Name() : control.Name() + std::to_string(control.Index());
}

std::string scaled(double pixels)
{
    char text[48];
    std::snprintf(text, sizeof text, "calc(var(--u) * %g)", pixels);
    return text;
}

std::string cssColour(Colour colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(toRgb(colour)));
    return text;
}

std::vector<std::pair<const char*, std::string>> labelLook(const Label& label)
{
    constexpr double PIXELS_A_POINT = 4.0 / 3.0; // as CSS has them
    const Font& font = label.Font();
    // The first Japanese face goes before the labels' own: a browser that has
    // it is spared looking up the faces it lacks before it, in Chromium on
    // Linux most of the page's first layout; one that lacks it loses a look-up.
    std::string faces = std::string("\"") + JAPANESE_FACES[0] + "\", \"" + font.Name + '"';
    for (size_t i = 1; i < JAPANESE_FACES.size(); ++i)
        faces += std::string(", \"") + JAPANESE_FACES[i] + '"';
    return {
        {"background-color", cssColour(label.BackColor())},
        {"color", cssColour(label.ForeColor())},
        {"font",
         std::string(font.Bold ? "bold " : "") + scaled(font.Size * PIXELS_A_POINT) + " " + faces + ", sans-serif"},
        {"line-height", scaled(toPixels(label.Height()))},
    };
}
