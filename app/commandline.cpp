#include "app/commandline.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr char USAGE[] = "Usage: zentrik [--version | --help]\n"
                         "A letter-learning game for children: build the 26 letters from blocks, A to Z.\n"
                         "\n"
                         "  --version  print the version and end\n"
                         "  --help     print this help and end\n"
                         "\n"
                         "Qt's own options (-platform, -style, -reverse, ...) are taken as well.\n"
                         "The game opens a window on the display that DISPLAY or WAYLAND_DISPLAY names.\n";

} // namespace

std::optional<int> answerWithoutDisplay(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--version") {
            std::printf("zentrik %s\n", ZENTRIK_VERSION);
            return 0;
        }
        if (argument == "--help" || argument == "-h") {
            std::fputs(USAGE, stdout);
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<int> rejectUnknownArguments(int argc, char* argv[])
{
    if (argc < 2)
        return std::nullopt;
    std::fprintf(stderr, "zentrik: unknown option '%s' (zentrik --help lists the options)\n", argv[1]);
    return 2;
}
