// What the player is told when something fails.

#include "controls/picture.h"
#include "rules/messages.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(FailureMessage, APictureIsNamedWithItsReasonAndAnyOtherFailureSaysWhat)
{
    const std::string picture = failureMessage(PictureLoadError("pictures/c2b.gif", "the server answered 404"));
    EXPECT_NE(picture.find("pictures/c2b.gif: the server answered 404."), std::string::npos) << picture;
    const std::string other = failureMessage(std::overflow_error("a block position is out of range"));
    EXPECT_NE(other.find("Something went wrong: a block position is out of range."), std::string::npos) << other;
    EXPECT_EQ(other.find("picture"), std::string::npos) << other;
}

TEST(FailureMessage, TheStartsFailureIsInJapaneseFirstThenSaysWhatInEnglish)
{
    const std::string start = startFailureMessage(std::runtime_error("std::bad_alloc"));
    EXPECT_EQ(start.rfind("ゲームを始められませんでした。\n\n", 0), 0U) << start;
    EXPECT_NE(start.find("Zentrik cannot start: std::bad_alloc."), std::string::npos) << start;
}
