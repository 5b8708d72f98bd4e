// web_plan [MISSING_FILE...]: plays the whole game through the handlers, in
// whole pixels of the pad as the browser test sends them, and prints each
// step and what the screen must show after each letter, as JSON. The browser
// test replays the steps as real input on the page, which runs the same core,
// and checks the screenshots against the expectations. The named picture
// files are left out of the folder, as the test's server leaves them out.

#include "controls/loadpicture.h"
#include "controls/pixels.h"
#include "design/colours.h"
#include "rules/board.h"
#include "rules/dragging.h"
#include "rules/selection.h"
#include "rules/startup.h"
#include "tests/support/play.h"
#include "tests/support/testgame.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string point(int x, int y)
{
    return "[" + std::to_string(x) + "," + std::to_string(y) + "]";
}

// A slot filled by a block that kept an older picture (its file could not be
// read) may show no pixel of its own: it is left unchecked.
void expect(std::vector<std::string>& checks, std::optional<PixelPoint> pixel, uint32_t rgb, const std::string& what)
{
    if (!pixel)
        return;
    char colour[8];
    std::snprintf(colour, sizeof colour, "%06x", rgb);
    checks.push_back(R"({"at":)" + point(pixel->x, pixel->y) + R"(,"rgb":")" + colour + R"(","what":")" + what + "\"}");
}

class Planner {
public:
    explicit Planner(const std::vector<std::string_view>& missing)
        : m_form([](const std::string& name) { return LoadPicture(PICTURE_DIR / "design" / name); })
    {
        const std::filesystem::path folder = pictureFolderWithout({});
        for (std::string_view file : missing)
            std::filesystem::remove(folder / file);
        m_form.pictureFiles = picturesIn(folder);
        Form_Load(m_form);
    }

    void click(int piece)
    {
        const PictureBox& block = m_form.Piece[piece];
        std::string failure;
        try {
            Piece_Click(m_form, static_cast<int16_t>(piece));
        } catch (const PictureLoadError& error) {
            failure = std::filesystem::path(error.path()).filename().string();
        }
        m_steps.push_back(R"({"click":)" + point(toPixels(block.Left()) + 25, toPixels(block.Top()) + 25)
                          + R"(,"fails":")" + failure + "\"}");
    }

    // Presses at a corner of the pad that keeps the whole movement on it,
    // moves in six steps and releases, as a child's drag would.
    void drag(float twipsX, float twipsY)
    {
        constexpr double TWIPS_PER_PAD_PIXEL = TWIPS_PER_PIXEL * PAD_SCALE;
        const PictureBox& pad = m_form.Picture1;
        const int dx = static_cast<int>(std::lround(twipsX / TWIPS_PER_PAD_PIXEL));
        const int dy = static_cast<int>(std::lround(twipsY / TWIPS_PER_PAD_PIXEL));
        const int startX = dx < 0 ? toPixels(pad.Width()) - 2 : 1;
        const int startY = dy < 0 ? toPixels(pad.Height()) - 2 : 1;
        const auto twips = [](int pixels) { return static_cast<float>(pixels * TWIPS_PER_PIXEL); };
        std::string path;
        Picture1_MouseDown(m_form, 1, 0, twips(startX), twips(startY));
        constexpr int STEPS = 6;
        for (int step = 0; step <= STEPS; ++step) {
            const int x = startX + dx * step / STEPS;
            const int y = startY + dy * step / STEPS;
            if (step > 0)
                Picture1_MouseMove(m_form, 1, 0, twips(x), twips(y));
            path += (step ? "," : "") + point(toPixels(pad.Left()) + x, toPixels(pad.Top()) + y);
        }
        Picture1_MouseUp(m_form, 1, 0, twips(startX + dx), twips(startY + dy));
        m_steps.push_back(R"({"drag":[)" + path + "]}");
    }

    void fill(int slot)
    {
        const std::optional<int> piece = freeBlockFor(m_form, slot);
        const Image& target = m_form.img_alpha[slot];
        const PictureBox& block = m_form.Piece[*piece];
        if (block.BackColor() != COLOR_SELECTED)
            click(*piece);
        for (int turns = 0; turns < 4 && block.Tag() != target.Tag(); ++turns)
            click(*piece);
        drag(target.Left() - block.Left(), target.Top() - block.Top());
    }

    // Plays every letter and prints the plan.
    void play()
    {
        std::printf("{\"letters\":[\n");
        for (int letterNo = 0; letterNo < LETTER_COUNT; ++letterNo) {
            const LetterRange done = LETTERS[letterNo];
            // Each drag fills a slot: a letter that one drag a slot leaves
            // unfinished never will be, and the plan says so, not the memory.
            for (int fills = 0; m_form.state.letterNo == letterNo; ++fills) {
                const std::optional<int> slot = nextEmptySlot(m_form);
                if (fills > done.lastSlot - done.firstSlot || !slot || !freeBlockFor(m_form, *slot)) {
                    std::fprintf(stderr, "web_plan: letter %c is not finished after %d drags\n", done.letter, fills);
                    std::exit(1);
                }
                fill(*slot);
            }
            std::vector<std::string> checks;
            for (int slot = done.firstSlot; slot <= done.lastSlot; ++slot)
                expect(checks, strokePixel(m_form, slot), BLOCK_BLUE, "filled slot " + std::to_string(slot));
            if (letterNo + 1 < LETTER_COUNT) {
                const LetterRange next = LETTERS[letterNo + 1];
                for (int slot = next.firstSlot; slot <= next.lastSlot; ++slot)
                    expect(checks, strokePixel(m_form, slot), TARGET_YELLOW, "next slot " + std::to_string(slot));
            }
            if (letterNo + 2 < LETTER_COUNT)
                expect(checks, strokePixel(m_form, LETTERS[letterNo + 2].firstSlot), PREVIEW_GREEN,
                       "later slot " + std::to_string(LETTERS[letterNo + 2].firstSlot));
            for (int piece = 0; piece < PIECE_COUNT; ++piece)
                expect(checks, blockPixel(m_form, piece, false), toRgb(COLOR_UNSELECTED),
                       "block " + std::to_string(piece) + " home and red");
            std::printf("{\"letter\":\"%c\",\"steps\":[\n%s],\n\"expect\":[\n%s]}%s\n", done.letter,
                        join(m_steps).c_str(), join(checks).c_str(), letterNo + 1 < LETTER_COUNT ? "," : "");
            m_steps.clear();
        }
        std::printf("],\"finished\":[\"%s\",\"%s\"]}\n", m_form.Label1.Caption().c_str(),
                    m_form.lblPicFile.Caption().c_str());
    }

private:
    static std::string join(const std::vector<std::string>& items)
    {
        std::string text;
        for (const std::string& item : items)
            text += (text.empty() ? "" : ",\n") + item;
        return text;
    }

    GameForm m_form;
    std::vector<std::string> m_steps;
};

} // namespace

int main(int argc, char** argv)
{
    Planner(std::vector<std::string_view>(argv + 1, argv + argc)).play();
    return 0;
}
