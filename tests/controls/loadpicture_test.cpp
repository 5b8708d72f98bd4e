// LoadPicture and decodeGif: real files decode with their transparency, and
// every kind of bad file fails with a PictureLoadError that names it.

#include "controls/gifdecoder.h"
#include "controls/loadpicture.h"
#include "pictures/gifwriter.h"
#include "pictures/random.h"
#include "tests/support/picturefiles.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>

namespace {

// Fails the test unless decoding throws PictureLoadError naming `source`; returns its reason.
std::string loadFailure(std::span<const uint8_t> bytes, const std::string& source = "test.gif")
{
    try {
        decodeGif(bytes, source);
    } catch (const PictureLoadError& error) {
        EXPECT_EQ(error.path(), source);
        return error.reason();
    }
    ADD_FAILURE() << "decoded without error";
    return {};
}

// A small valid GIF to tamper with: 2 x 2, a 4-entry table, index 3 transparent.
std::vector<uint8_t> tinyGif(std::vector<uint8_t> indexes = {0, 1, 2, 3})
{
    const std::array<uint32_t, 4> colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    return encodeGif(2, static_cast<int>(indexes.size() / 2), colours, indexes, 3);
}

constexpr size_t SCREEN_AT = 6;
constexpr size_t TINY_IMAGE_AT = 13 + 4 * 3 + 8; // header, table, graphic control extension

void put16(std::vector<uint8_t>& bytes, size_t at, unsigned value)
{
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

class TempFile {
public:
    explicit TempFile(const std::string& name)
        : m_path(std::filesystem::temp_directory_path() / name)
    {
    }
    ~TempFile() { std::filesystem::remove(m_path); }
    const std::filesystem::path& path() const { return m_path; }
    void write(std::span<const uint8_t> bytes) const
    {
        std::ofstream(m_path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path m_path;
};

} // namespace

TEST(LoadPicture, StrokePicturesDecodeToTheirColourOnTransparent)
{
    const auto path = pictureDir() / "c2.gif";
    const PicturePtr picture = LoadPicture(path);
    ASSERT_EQ(picture->width(), 50);
    ASSERT_EQ(picture->height(), 50);
    EXPECT_EQ(picture->source(), path.string());
    EXPECT_EQ(picture->pixel(29, 25), 0xFFFFFF33u) << "middle of the ring's left side";
    EXPECT_EQ(picture->pixel(49, 0), 0xFFFFFF33u) << "upper end";
    EXPECT_EQ(picture->pixel(0, 0), 0u) << "transparent index 15 reads as transparent, not white";
    EXPECT_EQ(picture->pixel(45, 25), 0u) << "inside the ring";
    int stroke = 0;
    for (int i = 0; i < 50 * 50; ++i)
        stroke += picture->bits()[i] == 0xFFFFFF33u;
    EXPECT_EQ(stroke, 638);
    EXPECT_EQ(LoadPicture(pictureDir() / "vert2b.gif")->pixel(21, 0), 0xFF0000CCu) << "block blue";
}

TEST(LoadPicture, ReadsEveryRowOfAnInterlacedImageIntoPlace)
{
    // 1 x 8 with row y in colour y; the interlace flag stores rows 0, 4, 2, 6, 1, 3, 5, 7.
    std::array<uint32_t, 8> colours{};
    for (uint32_t i = 0; i < 8; ++i)
        colours[i] = 0x101010 * (i + 1);
    const std::vector<uint8_t> storedOrder = {0, 4, 2, 6, 1, 3, 5, 7};
    auto bytes = encodeGif(1, 8, colours, storedOrder, 255);
    const size_t flags = 13 + 8 * 3 + 8 + 9;
    ASSERT_EQ(bytes[flags - 9], 0x2C);
    bytes[flags] |= 0x40;
    const PicturePtr picture = decodeGif(bytes, "interlaced.gif");
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(picture->pixel(0, y), 0xFF000000u | colours[static_cast<size_t>(y)]) << "row " << y;
}

TEST(LoadPicture, MissingOrUnreadableFilesFailNamingThePath)
{
    const auto missing = pictureDir() / "no_such_picture.gif";
    try {
        LoadPicture(missing);
        FAIL() << "loaded a missing file";
    } catch (const PictureLoadError& error) {
        EXPECT_EQ(error.path(), missing.string());
        EXPECT_EQ(std::string(error.what()), "cannot load picture \"" + missing.string() + "\": file not found");
    }
    const auto reasonFor = [](const std::filesystem::path& path) {
        try {
            LoadPicture(path);
        } catch (const PictureLoadError& error) {
            return error.reason();
        }
        return std::string("loaded");
    };
    EXPECT_EQ(reasonFor(pictureDir()), "not a regular file");

    TempFile empty("zentrik_empty.gif");
    empty.write({});
    EXPECT_EQ(reasonFor(empty.path()), "file is empty");

    // Refused from its size alone: the sparse file is never read.
    TempFile huge("zentrik_huge.gif");
    huge.write(readPictureFile("c2.gif"));
    std::filesystem::resize_file(huge.path(), (16u << 20) + 1);
    try {
        LoadPicture(huge.path());
        FAIL() << "loaded a file over 16 MiB";
    } catch (const PictureLoadError& error) {
        EXPECT_EQ(error.reason(), "file larger than 16 MiB");
    }
}

TEST(LoadPicture, EveryTruncationOfARealFileFails)
{
    const auto bytes = readPictureFile("c_up2b.gif");
    for (size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        loadFailure(std::span(bytes).first(length));
    }
    EXPECT_EQ(loadFailure(std::span(bytes).first(bytes.size() - 1)), "file ends before its trailer");
}

TEST(LoadPicture, GarbageIsNotAGif)
{
    const std::string text = "This is not a picture at all, just some words.";
    EXPECT_EQ(loadFailure(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())), "not a GIF file");
    auto bmp = readPictureFile("design/background.bmp");
    EXPECT_EQ(loadFailure(bmp), "not a GIF file");
    auto gif = tinyGif();
    gif[gif.size() - 1] = 0x99; // a block type that does not exist where the trailer should be
    EXPECT_EQ(loadFailure(gif), "unknown block in file");
}

TEST(LoadPicture, HugeOrMisplacedDimensionsAreRefused)
{
    auto wide = tinyGif();
    put16(wide, SCREEN_AT, 4097);
    EXPECT_EQ(loadFailure(wide), "screen 4097 x 2 exceeds 4096 x 4096");
    auto tall = tinyGif();
    put16(tall, SCREEN_AT + 2, 65535);
    EXPECT_EQ(loadFailure(tall), "screen 2 x 65535 exceeds 4096 x 4096");
    auto empty = tinyGif();
    put16(empty, SCREEN_AT, 0);
    EXPECT_EQ(loadFailure(empty), "screen 0 x 2 is empty");

    auto outside = tinyGif();
    ASSERT_EQ(outside[TINY_IMAGE_AT], 0x2C);
    put16(outside, TINY_IMAGE_AT + 1, 1); // left edge 1: the 2-wide image pokes out of the screen
    EXPECT_EQ(loadFailure(outside), "image 2 x 2 at left 1, top 0 lies outside the 2 x 2 screen");
    auto huge = tinyGif();
    put16(huge, TINY_IMAGE_AT + 5, 60000);
    EXPECT_EQ(loadFailure(huge), "image 60000 x 2 exceeds 4096 x 4096");

    // 4096 itself is allowed.
    const std::vector<uint8_t> row(4096, 1);
    const PicturePtr widest = decodeGif(encodeGif(4096, 1, std::array<uint32_t, 2>{0, 0xFFFFFF}, row, 0), "w.gif");
    EXPECT_EQ(widest->width(), 4096);
    EXPECT_EQ(widest->pixel(4095, 0), 0xFFFFFFFFu);
}

TEST(LoadPicture, ShowsTheFirstImageButReadsEveryImageToTheTrailer)
{
    // A second frame spliced in before the trailer.
    const auto first = tinyGif({0, 1, 2, 3});
    const auto second = tinyGif({1, 1, 1, 1});
    auto twoFrames = first;
    twoFrames.pop_back();
    twoFrames.insert(twoFrames.end(), second.begin() + TINY_IMAGE_AT, second.end());
    const PicturePtr picture = decodeGif(twoFrames, "two.gif");
    EXPECT_EQ(picture->pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(picture->pixel(1, 1), 0u) << "index 3 is transparent";

    const size_t cut = first.size() - 1 + 14; // inside the second frame's data
    EXPECT_EQ(loadFailure(std::span(twoFrames).first(cut)), "truncated image data");

    auto manyFrames = first;
    manyFrames.pop_back();
    for (int i = 0; i < 1024; ++i)
        manyFrames.insert(manyFrames.end(), second.begin() + TINY_IMAGE_AT, second.end() - 1);
    manyFrames.push_back(0x3B);
    EXPECT_EQ(loadFailure(manyFrames), "more than 1024 images");
}

TEST(LoadPicture, LzwCodeSizeOutsideTwoToEightIsRefused)
{
    auto gif = tinyGif();
    const size_t codeSizeAt = TINY_IMAGE_AT + 10;
    for (uint8_t codeSize : {0, 1, 9, 12, 255}) {
        gif[codeSizeAt] = codeSize;
        EXPECT_EQ(loadFailure(gif), "bad LZW code size " + std::to_string(codeSize));
    }
}

TEST(LoadPicture, MissingColourTableOrIndexesBeyondItAreRefused)
{
    // Shrink the 4-entry table to 2 entries: index 2 now points past its end.
    auto shrunk = tinyGif({0, 1, 1, 2});
    shrunk[10] &= 0xF8;
    shrunk.erase(shrunk.begin() + 13 + 2 * 3, shrunk.begin() + 13 + 4 * 3);
    EXPECT_EQ(loadFailure(shrunk), "colour index 2 outside the 2-entry colour table");

    auto none = tinyGif();
    none[10] &= 0x7F;
    none.erase(none.begin() + 13, none.begin() + 13 + 4 * 3);
    EXPECT_EQ(loadFailure(none), "no colour table");
}

TEST(LoadPicture, RandomlyCorruptedFilesDecodeOrFailCleanly)
{
    const auto original = readPictureFile("upright2.gif");
    Pcg32 random(20240611);
    int decoded = 0;
    for (int round = 0; round < 2000; ++round) {
        auto bytes = original;
        const uint32_t edits = 1 + random.below(6);
        for (uint32_t i = 0; i < edits; ++i) {
            const size_t at = random.below(static_cast<uint32_t>(bytes.size()));
            switch (random.below(3)) {
            case 0: bytes[at] = static_cast<uint8_t>(random.next()); break;
            case 1: bytes[at] ^= static_cast<uint8_t>(1u << random.below(8)); break;
            default: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(random.next()));
            }
        }
        try {
            const PicturePtr picture = decodeGif(bytes, "corrupt.gif");
            ASSERT_GT(picture->width(), 0);
            ASSERT_LE(picture->width(), 4096);
            ASSERT_LE(picture->height(), 4096);
            ++decoded;
        } catch (const PictureLoadError& error) {
            ASSERT_EQ(error.path(), "corrupt.gif");
            ASSERT_FALSE(error.reason().empty());
            // The window puts the reason in brackets of its own.
            ASSERT_EQ(error.reason().find_first_of("()"), std::string::npos) << error.reason();
        }
    }
    // Some edits only touch pixels or unused table entries, so part still decodes.
    EXPECT_GT(decoded, 0);
}
