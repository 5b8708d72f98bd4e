#pragma once

#include <array>

// Faces that show Japanese, in the order the labels take them where their
// own face is missing by its Japanese name, as it is on every system but
// Windows. A system passes over the faces it lacks.
inline constexpr std::array<const char*, 11> JAPANESE_FACES{
    // The free face with the metrics of the labels' own, which Debian's
    // fonts-ipafont-gothic installs, then the labels' own by its English name.
    "IPAPGothic", "MS PGothic",
    // Linux's other free faces, then Android's and ChromeOS's.
    "IPAGothic", "VL PGothic", "TakaoPGothic", "Noto Sans JP", "Noto Sans CJK JP",
    // macOS's and iPadOS's, then Windows's.
    "Hiragino Kaku Gothic ProN", "Hiragino Sans", "Meiryo", "Yu Gothic"};
