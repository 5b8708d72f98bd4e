// Finding the picture folder from the program's place, in a build tree and in
// an installed tree that may have been moved.

#include "window/picturefolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A fresh, empty folder of the test's own, removed again at the end.
class TempTree {
public:
    TempTree()
        : m_root(fs::temp_directory_path()
                 / ("zentrik-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-"
                    + std::to_string(getpid())))
    {
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    ~TempTree() { fs::remove_all(m_root); }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const fs::path& root() const { return m_root; }

private:
    fs::path m_root;
};

} // namespace

TEST(PictureFolder, PicturesBesideTheProgramComeFirst)
{
    TempTree tree;
    fs::create_directories(tree.root() / "bin" / "pictures");
    fs::create_directories(tree.root() / "share" / "zentrik" / "pictures");
    EXPECT_EQ(findPictureFolder(tree.root() / "bin").path, tree.root() / "bin" / "pictures");
}

TEST(PictureFolder, InstalledTreeFindsItsSharedPicturesAfterBeingMoved)
{
    TempTree tree;
    const fs::path first = tree.root() / "first";
    fs::create_directories(first / "bin");
    fs::create_directories(first / "share" / "zentrik" / "pictures");
    EXPECT_EQ(findPictureFolder(first / "bin").path, first / "share" / "zentrik" / "pictures");

    const fs::path moved = tree.root() / "moved" / "elsewhere";
    fs::create_directories(moved.parent_path());
    fs::rename(first, moved);
    const fs::path found = findPictureFolder(moved / "bin").path;
    EXPECT_EQ(found, moved / "share" / "zentrik" / "pictures");
    EXPECT_TRUE(fs::is_directory(found));
}

TEST(PictureFolder, TriesTheInstalledPlaceAndListsBothWhenNeitherExists)
{
    TempTree tree;
    const PictureFolder folder = findPictureFolder(tree.root() / "bin");
    EXPECT_FALSE(folder.exists());
    EXPECT_EQ(folder.path, tree.root() / "share" / "zentrik" / "pictures");
    EXPECT_EQ(folder.searched, (std::vector<fs::path>{tree.root() / "bin" / "pictures", folder.path}));
}
