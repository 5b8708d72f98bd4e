#include "rules/board.h"

// Left and Top in twips; every block is 750 x 750. The row steps by 1365,
// except 1350 between pieces 2 and 3.
// clang-format off
const std::array<PieceDesign, PIECE_COUNT> PIECES{{
    {1650, 8010, "c"   },
    {3015, 8010, "c"   },
    {4380, 8010, "vert"},
    {5730, 8010, "vert"},
    {7095, 8010, "vert"},
    {8460, 8010, "vert"},
}};
// clang-format on

// Left and Top in twips; every slot is 750 x 750. Slots of one letter overlap
// where their strokes join.
// clang-format off
const std::array<SlotDesign, SLOT_COUNT> SLOTS{{
    {  870, 1290, "c"      }, // A  0
    { 1620, 1290, "c_back" }, // A  1
    { 1560, 1290, "vert"   }, // A  2
    { 2580, 1320, "vert"   }, // B  3
    { 2580,  570, "vert"   }, // B  4
    { 2550, 1320, "c"      }, // B  5
    { 3300, 1320, "c_back" }, // B  6
    { 4080, 1320, "c"      }, // C  7
    { 5220, 1350, "c"      }, // D  8
    { 5970, 1350, "c_back" }, // D  9
    { 5910, 1350, "vert"   }, // D 10
    { 5910,  600, "vert"   }, // D 11
    { 7185, 1740, "c_up"   }, // E 12
    { 7200,  990, "horz"   }, // E 13
    { 6870,  990, "vert"   }, // E 14
    { 7185,  240, "c_down" }, // E 15
    { 8955,  630, "c_down" }, // F 16
    { 8640, 1380, "vert"   }, // F 17
    { 8640, 1320, "horz"   }, // F 18
    { 9900, 1410, "c"      }, // G 19
    {10320, 1410, "vert"   }, // G 20
    {10320, 2160, "vert"   }, // G 21
    {10035, 2910, "c_up"   }, // G 22
    {11280,  660, "vert"   }, // H 23
    {11280, 1410, "vert"   }, // H 24
    {11610, 1410, "c_down" }, // H 25
    {12870, 1410, "vert"   }, // I 26
    { 1320, 3390, "vert"   }, // J 27
    { 1035, 4140, "c_up"   }, // J 28
    { 2730, 3000, "upright"}, // K 29
    { 2370, 3000, "vert"   }, // K 30
    { 2730, 3780, "upleft" }, // K 31
    { 2370, 3750, "vert"   }, // K 32
    { 4125, 4050, "horz"   }, // L 33
    { 3810, 3600, "vert"   }, // L 34
    { 6090, 3750, "upright"}, // M 35
    { 5160, 3750, "vert"   }, // M 36
    { 6420, 3750, "vert"   }, // M 37
    { 5520, 3750, "upleft" }, // M 38
    { 7170, 3750, "vert"   }, // N 39
    { 7530, 3750, "upleft" }, // N 40
    { 7860, 3750, "vert"   }, // N 41
    { 8880, 3360, "c_down" }, // O 42
    { 8880, 4110, "c_up"   }, // O 43
    {10410, 3720, "c_back" }, // P 44
    { 9960, 3720, "vert"   }, // P 45
    { 9960, 4470, "vert"   }, // P 46
    {11040, 3690, "c"      }, // Q 47
    {11460, 3690, "vert"   }, // Q 48
    {11460, 4440, "vert"   }, // Q 49
    {11790, 5190, "c_up"   }, // Q 50
    {12480, 3720, "vert"   }, // R 51
    {12810, 3360, "c_down" }, // R 52
    { 1020, 5310, "c_down" }, // S 53
    { 1020, 5970, "upleft" }, // S 54
    { 1020, 6630, "c_up"   }, // S 55
    { 2640, 5520, "vert"   }, // T 56
    { 2640, 5520, "horz"   }, // T 57
    { 2640, 6270, "vert"   }, // T 58
    { 3825, 5880, "vert"   }, // U 59
    { 4425, 5880, "vert"   }, // U 60
    { 4140, 6630, "c_up"   }, // U 61
    { 5490, 6240, "upleft" }, // V 62
    { 6060, 6270, "upright"}, // V 63
    { 8115, 5850, "vert"   }, // W 64
    { 7830, 6600, "c_up"   }, // W 65
    { 7230, 6600, "c_up"   }, // W 66
    { 6915, 5880, "vert"   }, // W 67
    { 7515, 5850, "vert"   }, // W 68
    { 9210, 6210, "upleft" }, // X 69
    { 9210, 6210, "upright"}, // X 70
    {10350, 5610, "upleft" }, // Y 71
    {10920, 5610, "upright"}, // Y 72
    {10620, 6180, "vert"   }, // Y 73
    {12150, 5790, "horz"   }, // Z 74
    {12150, 6120, "upright"}, // Z 75
    {12150, 6480, "horz"   }, // Z 76
}};

const std::array<LetterRange, LETTER_COUNT> LETTERS{{
    {'A',  0,  2},
    {'B',  3,  6},
    {'C',  7,  7},
    {'D',  8, 11},
    {'E', 12, 15},
    {'F', 16, 18},
    {'G', 19, 22},
    {'H', 23, 25},
    {'I', 26, 26},
    {'J', 27, 28},
    {'K', 29, 32},
    {'L', 33, 34},
    {'M', 35, 38},
    {'N', 39, 41},
    {'O', 42, 43},
    {'P', 44, 46},
    {'Q', 47, 50},
    {'R', 51, 52},
    {'S', 53, 55},
    {'T', 56, 58},
    {'U', 59, 61},
    {'V', 62, 63},
    {'W', 64, 68},
    {'X', 69, 70},
    {'Y', 71, 73},
    {'Z', 74, 76},
}};

// clang-format on

std::optional<LetterRange> letterRange(int16_t letterNo)
{
    if (letterNo < 0 || letterNo >= LETTER_COUNT)
        return std::nullopt;
    return LETTERS[letterNo];
}
