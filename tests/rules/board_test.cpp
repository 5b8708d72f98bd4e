#include "rules/board.h"
#include "rules/shapelookup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

TEST(Board, LetterRangesAreContiguousAndCoverEverySlotOnce)
{
    int expectedFirst = 0;
    for (int letterNo = 0; letterNo < LETTER_COUNT; ++letterNo) {
        const LetterRange range = *letterRange(static_cast<int16_t>(letterNo));
        EXPECT_EQ(range.letter, 'A' + letterNo);
        EXPECT_EQ(range.firstSlot, expectedFirst) << range.letter;
        EXPECT_LE(range.firstSlot, range.lastSlot) << range.letter;
        expectedFirst = range.lastSlot + 1;
    }
    EXPECT_EQ(expectedFirst, SLOT_COUNT);
}

TEST(Board, NoRangeOutsideTheAlphabet)
{
    EXPECT_FALSE(letterRange(26));
    EXPECT_FALSE(letterRange(-1));
    EXPECT_FALSE(letterRange(INT16_MAX));
}

TEST(Board, EverySlotWantsAShapeInTheKnownNumbers)
{
    std::map<std::string, int> counts;
    for (const SlotDesign& slot : SLOTS) {
        ASSERT_NE(findShape(slot.Tag), nullptr) << slot.Tag;
        ++counts[slot.Tag];
    }
    const std::map<std::string, int> expected{{"vert", 33},  {"c_up", 9}, {"upleft", 7},  {"c", 6},
                                              {"c_down", 6}, {"horz", 6}, {"upright", 6}, {"c_back", 4}};
    EXPECT_EQ(counts, expected);
}

// Two curve and four line blocks must be able to finish every letter, since a
// block that fills a slot stays there until its letter is complete.
TEST(Board, EveryLetterFitsTheSixBlocks)
{
    for (const LetterRange& range : LETTERS) {
        int curves = 0;
        int lines = 0;
        for (int i = range.firstSlot; i <= range.lastSlot; ++i)
            (findShape(SLOTS[i].Tag)->family == Family::Curve ? curves : lines)++;
        EXPECT_LE(curves, 2) << range.letter;
        EXPECT_LE(lines, 4) << range.letter;
    }
}

// Otherwise one block could be near two slots that want it at once.
TEST(Board, SameShapeSlotsOfALetterStandMoreThan120TwipsApart)
{
    for (const LetterRange& range : LETTERS) {
        for (int i = range.firstSlot; i <= range.lastSlot; ++i) {
            for (int j = i + 1; j <= range.lastSlot; ++j) {
                if (std::string(SLOTS[i].Tag) != SLOTS[j].Tag)
                    continue;
                const bool apart
                    = std::fabs(SLOTS[i].Left - SLOTS[j].Left) > 120 || std::fabs(SLOTS[i].Top - SLOTS[j].Top) > 120;
                EXPECT_TRUE(apart) << range.letter << ": slots " << i << " and " << j;
            }
        }
    }
}

TEST(Board, ChartStaysAboveTheBlocksAndInsideTheMovementBox)
{
    for (const SlotDesign& slot : SLOTS) {
        EXPECT_LE(slot.Top + 750, 7380 + 0.5f);
        EXPECT_GE(slot.Left, 0);
        EXPECT_LE(slot.Left, 14210);
    }
}

TEST(Shapes, FourTurnsComeBackThroughTheFamilyInClockwiseOrder)
{
    const std::vector<std::string> curve{"c", "c_down", "c_back", "c_up"};
    const std::vector<std::string> line{"vert", "upright", "horz", "upleft"};
    for (const auto& [family, cycle] : {std::pair{Family::Curve, curve}, std::pair{Family::Line, line}}) {
        for (size_t start = 0; start < 4; ++start) {
            std::string tag = cycle[start];
            for (size_t step = 1; step <= 4; ++step) {
                tag = turnedShape(tag, family)->tag;
                EXPECT_EQ(tag, cycle[(start + step) % 4]);
            }
        }
    }
}

TEST(Shapes, TagsMatchExactlyAndOnlyWithinTheirFamily)
{
    EXPECT_EQ(findShape("C"), nullptr);
    EXPECT_EQ(findShape("Vert"), nullptr);
    EXPECT_EQ(findShape("vert "), nullptr);
    EXPECT_EQ(findShape(""), nullptr);
    EXPECT_EQ(turnedShape("vert", Family::Curve), nullptr);
    EXPECT_EQ(turnedShape("c", Family::Line), nullptr);
    EXPECT_EQ(familyOf(1), Family::Curve);
    EXPECT_EQ(familyOf(2), Family::Line);
}

TEST(Shapes, FileNamesFollowTheTag)
{
    for (const Shape& shape : SHAPES) {
        EXPECT_EQ(std::string(shape.targetFile), std::string(shape.tag) + "2.gif");
        EXPECT_EQ(std::string(shape.blockFile), std::string(shape.tag) + "2b.gif");
    }
}
