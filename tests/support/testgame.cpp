#include "tests/support/testgame.h"

#include "controls/loadpicture.h"
#include "rules/board.h"
#include "rules/dragging.h"
#include "rules/selection.h"
#include "rules/shapelookup.h"
#include "rules/startup.h"
#include "tests/support/play.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

PicturePtr standIn(const std::string& name)
{
    return std::make_shared<Picture>(50, 50, std::vector<uint32_t>(2500), "design:" + name);
}

} // namespace

TestGame::TestGame(fs::path pictureFolder)
    : folder(std::move(pictureFolder))
    , form(standIn)
    , s(form.state)
{
    form.pictureFiles = picturesIn(folder);
    Form_Load(form);
}

void TestGame::click(int piece)
{
    Piece_Click(form, static_cast<int16_t>(piece));
}

void TestGame::select(int piece)
{
    if (form.Piece[piece].BackColor() != COLOR_SELECTED)
        click(piece);
}

void TestGame::turnTo(int piece, std::string_view tag)
{
    select(piece);
    for (int turns = 0; turns < 4 && form.Piece[piece].Tag() != tag; ++turns)
        click(piece);
    ASSERT_EQ(form.Piece[piece].Tag(), tag);
}

void TestGame::dragTo(int piece, float left, float top)
{
    select(piece);
    const PictureBox& block = form.Piece[piece];
    Picture1_MouseDown(form, 1, 0, 1000, 1000);
    Picture1_MouseMove(form, 1, 0, 1000 + (left - block.Left()) / PAD_SCALE, 1000 + (top - block.Top()) / PAD_SCALE);
    Picture1_MouseUp(form, 1, 0, 0, 0);
}

void TestGame::fill(int slot)
{
    const std::optional<int> piece = freeBlockFor(form, slot);
    ASSERT_TRUE(piece) << "no free block for slot " << slot;
    const Image& target = form.img_alpha[slot];
    turnTo(*piece, target.Tag());
    dragTo(*piece, target.Left(), target.Top());
}

void TestGame::playLetter()
{
    const int16_t letter = s.letterNo;
    while (s.letterNo == letter && !testing::Test::HasFatalFailure()) {
        const std::optional<int> slot = nextEmptySlot(form);
        ASSERT_TRUE(slot) << "letter " << letter << " has no empty slot";
        fill(*slot);
    }
}

namespace {

// The folders pictureFolderWithout made: each goes when its test ends, so
// that none stays where a suite ends with _Exit, and the rest when
// GoogleTest lets its listeners go at the program's end.
class MadeFolders : public testing::EmptyTestEventListener {
public:
    ~MadeFolders() override { removeAll(); }
    void OnTestEnd(const testing::TestInfo&) override { removeAll(); }
    void add(fs::path folder) { m_made.push_back(std::move(folder)); }

private:
    void removeAll()
    {
        std::error_code ignored;
        for (const fs::path& folder : m_made)
            fs::remove_all(folder, ignored);
        m_made.clear();
    }
    std::vector<fs::path> m_made;
};

MadeFolders& madeFolders()
{
    // GoogleTest owns its listeners.
    static MadeFolders* folders = [] {
        auto* made = new MadeFolders;
        testing::UnitTest::GetInstance()->listeners().Append(made);
        return made;
    }();
    return *folders;
}

} // namespace

fs::path pictureFolderWithout(std::initializer_list<std::string_view> missing)
{
    static int serial = 0;
    fs::path folder
        = fs::temp_directory_path() / ("zentrik-pictures-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
    fs::remove_all(folder);
    fs::create_directories(folder);
    madeFolders().add(folder);
    for (const Shape& shape : SHAPES) {
        for (const char* file : {shape.targetFile, shape.blockFile}) {
            if (std::find(missing.begin(), missing.end(), file) == missing.end())
                fs::copy_file(PICTURE_DIR / file, folder / file);
        }
    }
    return folder;
}
