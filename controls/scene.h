#pragma once

#include "controls/controls.h"

#include <array>
#include <functional>
#include <span>
#include <string>
#include <vector>

constexpr int PIECE_COUNT = 6;
constexpr int SLOT_COUNT = 77;

// The blocks by Piece index in the order they stand, later above earlier, as
// the design stacks them. All stand above the pad: a block under it could
// neither be seen nor clicked, and a letter that needs it never finished.
constexpr std::array<int, PIECE_COUNT> PIECE_STANDING_ORDER{5, 4, 3, 1, 0, 2};

// A block's design-time place and the shape it starts with.
struct PieceDesign {
    float Left;
    float Top;
    const char* Tag;
};

// A slot's design-time place and the shape it wants.
struct SlotDesign {
    float Left;
    float Top;
    const char* Tag;
};

// Hands out a design-time picture by its name: "block_c.gif", "target_vert.gif",
// "preview_upleft.gif" and so on.
using DesignPictures = std::function<PicturePtr(const std::string& name)>;

// The window with its 86 controls, as the design lays them out, the blocks
// and the slots from their tables. Built once; nothing is added or removed
// afterwards.
class Scene {
public:
    Scene(std::span<const PieceDesign, PIECE_COUNT> pieces, std::span<const SlotDesign, SLOT_COUNT> slots,
          const DesignPictures& pictures);
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Tells `observer` of every later change to any control.
    void observe(ControlObserver* observer);
    /** Every control but the window, in the order they stand, later above earlier: the slots, the labels, the
        pad, every block above the pad. */
    std::vector<const Control*> standingOrder() const;

    Form Form1;
    std::array<PictureBox, PIECE_COUNT> Piece;
    PictureBox Picture1;
    std::array<Image, SLOT_COUNT> img_alpha;
    Label Label1;
    Label lblPicFile;
};
