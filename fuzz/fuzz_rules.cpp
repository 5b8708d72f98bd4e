// Plays the rules with any sequence of events decoded from the fuzzer's bytes:
// clicks on the blocks, presses, moves and releases on the pad at any
// position (huge, infinite and NaN included), and now and then a sound move
// that fills the next slot, so the game gets on through its letters. After
// every event the game's invariants are checked; a broken one aborts.

#include "controls/loadpicture.h"
#include "rules/board.h"
#include "rules/dragging.h"
#include "rules/gameform.h"
#include "rules/selection.h"
#include "rules/shapelookup.h"
#include "rules/startup.h"
#include "tests/support/play.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

// The fuzzer's bytes as a stream; past the end it gives zeros.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    bool empty() const { return m_at >= m_size; }
    uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }

    // A position in twips: a whole number of twips, or any float at all.
    float coordinate()
    {
        if ((byte() & 0x80) == 0) {
            const uint8_t low = byte();
            return static_cast<int16_t>(low | (byte() << 8));
        }
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits = (bits << 8) | byte();
        return std::bit_cast<float>(bits);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

[[noreturn]] void broken(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// What must hold after every event, whatever the player did.
class Invariants {
public:
    // Takes the game as it stands as the base of the next check.
    void remember(const GameForm& form)
    {
        for (int i = 0; i < SLOT_COUNT; ++i)
            m_filled[i] = form.img_alpha[i].Tag().empty();
        m_letterNo = form.state.letterNo;
    }

    void check(const GameForm& form)
    {
        const GameState& s = form.state;
        if (s.selectedPiece != NO_PIECE && (s.selectedPiece < 0 || s.selectedPiece >= PIECE_COUNT))
            broken("selectedPiece names no block");
        int selectedShown = 0;
        for (int i = 0; i < PIECE_COUNT; ++i) {
            const PictureBox& piece = form.Piece[i];
            if (piece.Visible() && piece.BackColor() == COLOR_SELECTED) {
                ++selectedShown;
                if (s.selectedPiece != i)
                    broken("a shown block has the selected colour but is not the selected one");
            }
        }
        if (selectedShown > 1)
            broken("more than one shown block has the selected colour");
        for (int i = 0; i < SLOT_COUNT; ++i) {
            if (m_filled[i] && !form.img_alpha[i].Tag().empty())
                broken("a filled slot was emptied");
        }
        if (s.letterNo < m_letterNo)
            broken("letterNo went back");
        if (s.finished != (s.letterNo >= LETTER_COUNT))
            broken("finished does not match letterNo");
        if (s.dragging && s.selectedPiece == NO_PIECE)
            broken("dragging with no block selected");
        remember(form);
    }

private:
    std::array<bool, SLOT_COUNT> m_filled{};
    int16_t m_letterNo = 0;
};

class Player {
public:
    Player()
        : m_form(standIn)
    {
        m_form.pictureFiles = picturesIn(ZENTRIK_PICTURE_DIR);
        Form_Load(m_form);
        m_invariants.remember(m_form);
    }

    // Runs one handler as the window does: a failure ends the handler and the
    // game goes on. Any other exception escapes, and the fuzzer reports it.
    template <typename Handler>
    void deliver(Handler&& handler)
    {
        try {
            handler();
        } catch (const std::overflow_error&) {
        } catch (const PictureLoadError&) {
        }
        m_invariants.check(m_form);
    }

    void click(int piece)
    {
        // The window delivers no click to a hidden block.
        if (m_form.Piece[piece].Visible())
            deliver([&] { Piece_Click(m_form, static_cast<int16_t>(piece)); });
    }

    void play(Bytes& bytes)
    {
        switch (bytes.byte() % 5) {
        case 0: click(bytes.byte() % PIECE_COUNT); break;
        case 1: pad(bytes, Picture1_MouseDown); break;
        case 2: pad(bytes, Picture1_MouseMove); break;
        case 3: pad(bytes, Picture1_MouseUp); break;
        default: fillNextSlot(); break;
        }
    }

private:
    static PicturePtr standIn(const std::string&)
    {
        static const PicturePtr picture = std::make_shared<Picture>(50, 50, std::vector<uint32_t>(2500), "design");
        return picture;
    }

    template <typename Handler>
    void pad(Bytes& bytes, Handler handler)
    {
        const int16_t button = static_cast<int16_t>(bytes.byte() % 8);
        const int16_t shift = static_cast<int16_t>(bytes.byte() % 8);
        const float x = bytes.coordinate();
        const float y = bytes.coordinate();
        deliver([&] { handler(m_form, button, shift, x, y); });
    }

    // A player's sound move: selects a free block of the right family, turns
    // it to the first empty slot's shape and drags it there.
    void fillNextSlot()
    {
        const std::optional<int> slotIndex = nextEmptySlot(m_form);
        const std::optional<int> piece = slotIndex ? freeBlockFor(m_form, *slotIndex) : std::nullopt;
        if (!piece)
            return;
        const Image& slot = m_form.img_alpha[*slotIndex];
        const PictureBox& block = m_form.Piece[*piece];
        for (int clicks = 0; clicks < 5 && (block.BackColor() != COLOR_SELECTED || block.Tag() != slot.Tag()); ++clicks)
            click(*piece);
        const float x = 1000 + (slot.Left() - block.Left()) / PAD_SCALE;
        const float y = 1000 + (slot.Top() - block.Top()) / PAD_SCALE;
        deliver([&] { Picture1_MouseDown(m_form, 1, 0, 1000, 1000); });
        deliver([&] { Picture1_MouseMove(m_form, 1, 0, x, y); });
        deliver([&] { Picture1_MouseUp(m_form, 1, 0, x, y); });
    }

    GameForm m_form;
    Invariants m_invariants;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Player player;
    Bytes bytes(data, size);
    while (!bytes.empty())
        player.play(bytes);
    return 0;
}
