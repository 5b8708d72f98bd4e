#include "tests/tool/testplatform.h"

#include "design/alphabet.h"
#include "tool/jws.h"
#include "tool/launch.h"
#include "tool/progress.h"
#include "tool/scores.h"

#include <httplib.h>

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

constexpr const char* LINE_ITEM = "https://platform.example/lineitems/7/lineitem?type_id=3";
const std::string BEARER = "Bearer play-1";

// A launch's play token in the store, and the page's reports with it.
struct Playing : TestPlatform {
    explicit Playing(const std::string& lineItem = LINE_ITEM, const std::string& user = "a1b2c3",
                     const std::string& token = "play-1")
    {
        store.completeLaunch(
            "nonce-" + token, now + std::chrono::minutes(10),
            {sha256Hex(token), platformId, DEPLOYMENT, user, "link-1", now + PLAY_TOKEN_LIFETIME, lineItem});
    }

    ProgressAnswer report(int built, const std::string& authorization = BEARER, int letters = LETTER_COUNT)
    {
        return takeProgress(authorization, nlohmann::json{{"built", built}, {"letters", letters}}.dump(), context);
    }

    // Plays letters at the game's pace from where the page stands.
    void play(int from, int to)
    {
        for (int built = from; built <= to; ++built) {
            pass(LETTER_MIN_INTERVAL);
            ASSERT_EQ(report(built).reason, Reason::Accepted) << built;
        }
    }

    template <typename Duration>
    void pass(Duration time)
    {
        instant += time;
        now = std::chrono::floor<std::chrono::seconds>(instant);
    }
};

TEST(Progress, TakenOneLetterAtATimeInOrderAtTheGamesPace)
{
    Playing playing;
    EXPECT_EQ(playing.report(0, "").reason, Reason::PlayTokenMissing);
    EXPECT_EQ(playing.report(0, "Bearer other").reason, Reason::PlayTokenUnknown);
    for (const char* body :
         {"", "[]", "{\"built\": 1}", "{\"built\": 1.5, \"letters\": 26}", "{\"built\": \"1\", \"letters\": 26}",
          "{\"built\": 1e99, \"letters\": 26}", "{\"built\": 18446744073709551615, \"letters\": 26}"})
        EXPECT_EQ(takeProgress(BEARER, body, playing.context).reason, Reason::ProgressMalformed) << body;
    EXPECT_EQ(playing.report(1, BEARER, 1).reason, Reason::ProgressMalformed);
    EXPECT_EQ(playing.report(LETTER_COUNT + 1).reason, Reason::ProgressMalformed);
    EXPECT_EQ(playing.report(-1).reason, Reason::ProgressMalformed);

    // The game takes input, then A: the console's instant B is too fast,
    // skipping to D out of order; the same report again is taken once.
    EXPECT_EQ(playing.report(0).reason, Reason::Accepted);
    playing.play(1, 1);
    playing.pass(milliseconds(100));
    const ProgressAnswer tooFast = playing.report(2);
    EXPECT_EQ(tooFast.reason, Reason::ProgressTooFast);
    EXPECT_EQ(tooFast.retryAfter, LETTER_MIN_INTERVAL - milliseconds(100));
    EXPECT_EQ(playing.report(4).reason, Reason::ProgressOutOfOrder);
    EXPECT_EQ(playing.report(1).reason, Reason::Accepted);
    EXPECT_FALSE(playing.report(1).queued);
    playing.play(2, 3);
    // A new game from A may begin at any time.
    EXPECT_EQ(playing.report(0).reason, Reason::Accepted);
    EXPECT_EQ(playing.report(2).reason, Reason::ProgressOutOfOrder);

    playing.pass(PLAY_TOKEN_LIFETIME);
    EXPECT_EQ(playing.report(1).reason, Reason::PlayTokenExpired);
}

TEST(Progress, OnlyABetterGameGoesToTheGradebookAndOnlyItsNewestScoreWaits)
{
    Playing playing;
    // Another launch of the same child for the same link: one gradebook column.
    playing.store.completeLaunch("nonce-2", playing.now + std::chrono::minutes(10),
                                 {sha256Hex("play-2"), playing.platformId, TestPlatform::DEPLOYMENT, "a1b2c3", "link-1",
                                  playing.now + PLAY_TOKEN_LIFETIME, LINE_ITEM});
    EXPECT_TRUE(playing.report(0).queued);
    playing.play(1, 2);
    std::vector<Score> due = playing.store.dueScores(playing.now, 10);
    ASSERT_EQ(due.size(), 1U);
    EXPECT_EQ(due[0].scoreGiven, 8);
    EXPECT_EQ(due[0].activityProgress, "InProgress");
    EXPECT_EQ(due[0].userId, "a1b2c3");

    // The second launch's worse game sends nothing, its better one the best.
    for (int built = 0; built <= 2; ++built) {
        playing.pass(LETTER_MIN_INTERVAL);
        EXPECT_FALSE(playing.report(built, "Bearer play-2").queued) << built;
    }
    playing.pass(LETTER_MIN_INTERVAL);
    EXPECT_TRUE(playing.report(3, "Bearer play-2").queued);
    playing.play(3, LETTER_COUNT);
    due = playing.store.dueScores(playing.now, 10);
    ASSERT_EQ(due.size(), 1U);
    EXPECT_EQ(due[0].scoreGiven, 100);
    EXPECT_EQ(due[0].activityProgress, "Completed");
    EXPECT_EQ(percentBuilt(1), 4);

    // A launch the platform gave no line item reports, and nothing queues.
    Playing ungraded("", "other-child", "play-3");
    ungraded.report(0, "Bearer play-3");
    EXPECT_TRUE(ungraded.store.dueScores(ungraded.now, 10).empty());
}

// The platform's token and score endpoints as the test sets them.
struct Gradebook : Playing {
    Gradebook()
    {
        answerPost = [this](const Posted& posted) {
            if (posted.url == "https://platform.example/token")
                return tokenAnswer;
            return scoreAnswer;
        };
    }

    std::vector<nlohmann::json> scores() const
    {
        std::vector<nlohmann::json> found;
        for (const Posted& one : posted)
            if (one.url != "https://platform.example/token")
                found.push_back(nlohmann::json::parse(one.body));
        return found;
    }

    PostReply tokenAnswer{200, R"({"access_token": "access-1", "token_type": "Bearer", "expires_in": 3600})", -1};
    PostReply scoreAnswer{200, "", -1};
    KeyRing keys{key};
    ScoreSender sender{store, keys, context.post, [this] { return now; }, [] { return std::string("jti"); }};
};

TEST(Scores, PostedToTheLineItemWithATokenTheToolsKeyAskedFor)
{
    Gradebook book;
    book.play(0, 1);
    EXPECT_FALSE(book.sender.sendDue());
    ASSERT_EQ(book.posted.size(), 2U);

    const TestPlatform::Posted& token = book.posted[0];
    EXPECT_EQ(token.contentType, "application/x-www-form-urlencoded");
    httplib::Params form;
    httplib::detail::parse_query_text(token.body, form);
    EXPECT_EQ(form.find("grant_type")->second, "client_credentials");
    EXPECT_EQ(form.find("scope")->second, AGS_SCORE_SCOPE);
    const std::optional<Jws> assertion = decodeJws(form.find("client_assertion")->second);
    ASSERT_TRUE(assertion);
    EXPECT_TRUE(verifyRs256(book.key.key.get(), assertion->signedPart, assertion->signature));
    EXPECT_EQ(assertion->claims["iss"], TestPlatform::CLIENT_ID);
    EXPECT_EQ(assertion->claims["aud"], "https://platform.example/token");

    const TestPlatform::Posted& score = book.posted[1];
    EXPECT_EQ(score.url, "https://platform.example/lineitems/7/lineitem/scores?type_id=3");
    EXPECT_EQ(score.authorization, "Bearer access-1");
    EXPECT_EQ(score.contentType, "application/vnd.ims.lis.v1.score+json");
    EXPECT_EQ(nlohmann::json::parse(score.body),
              (nlohmann::json{{"userId", "a1b2c3"},
                              {"scoreGiven", 4},
                              {"scoreMaximum", 100},
                              {"activityProgress", "InProgress"},
                              {"gradingProgress", "FullyGraded"},
                              {"timestamp", "2027-01-15T08:00:00.600Z"}}));
    // The token is kept for the next score.
    book.play(2, 2);
    book.sender.sendDue();
    EXPECT_EQ(book.posted.size(), 3U);
}

TEST(Scores, APlatformDownOrBusyGetsEveryScoreLaterAndARefusalEndsIt)
{
    Gradebook book;
    book.scoreAnswer = {503, "", -1};
    book.play(0, 1);
    book.store.completeLaunch("nonce-2", book.now + std::chrono::minutes(10),
                              {sha256Hex("play-2"), book.platformId, TestPlatform::DEPLOYMENT, "other-child", "link-1",
                               book.now + PLAY_TOKEN_LIFETIME, LINE_ITEM});
    book.report(0, "Bearer play-2");
    // Down: one try this round, not one per score, then a doubling wait.
    EXPECT_EQ(book.sender.sendDue(), book.now + RETRY_FIRST);
    EXPECT_EQ(book.scores().size(), 1U);
    book.pass(RETRY_FIRST);
    EXPECT_EQ(book.sender.sendDue(), book.now + 2 * RETRY_FIRST);

    // Busy, with the wait it asks for; then the token ends early, and the
    // token endpoint is down when the tool asks for a new one.
    book.pass(2 * RETRY_FIRST);
    book.scoreAnswer = {429, "", 120};
    EXPECT_EQ(book.sender.sendDue(), book.now + std::chrono::seconds(120));
    book.pass(std::chrono::seconds(120));
    book.scoreAnswer = {401, "", -1};
    book.sender.sendDue();
    book.pass(RETRY_MOST);
    book.tokenAnswer = {0, "", -1};
    const std::size_t asked = book.posted.size();
    EXPECT_TRUE(book.sender.sendDue());
    EXPECT_EQ(book.posted.size(), asked + 1);

    // Up again: both children's scores arrive, and the outbox is empty.
    book.pass(RETRY_MOST);
    book.tokenAnswer = {200, R"({"access_token": "access-2"})", -1};
    book.scoreAnswer = {200, "", -1};
    EXPECT_FALSE(book.sender.sendDue());
    const std::vector<nlohmann::json> scores = book.scores();
    ASSERT_GE(scores.size(), 2U);
    EXPECT_EQ(scores[scores.size() - 2]["scoreGiven"], 4);
    EXPECT_EQ(scores.back()["userId"], "other-child");
    EXPECT_EQ(book.posted.back().authorization, "Bearer access-2");

    // Refused for good (the line item is gone): not tried again.
    book.scoreAnswer = {404, "", -1};
    book.play(2, 2);
    const std::size_t sent = book.posted.size();
    EXPECT_FALSE(book.sender.sendDue());
    EXPECT_EQ(book.posted.size(), sent + 1);
}

TEST(Scores, TheOutboxOutlivesTheTool)
{
    const TempFolder folder;
    const std::filesystem::path file = folder.path / "tool.sqlite";
    {
        SqliteStore store(file);
        const std::int64_t platform = store.savePlatform({0, "https://p.example", "c", "a", "t", "j"});
        store.completeLaunch("n", Seconds(std::chrono::seconds(100)),
                             {"hash", platform, "d", "u", "l", Seconds(std::chrono::seconds(200)), LINE_ITEM});
        store.saveProgress("hash", 1, Instant(milliseconds(50'000)),
                           {0, platform, LINE_ITEM, "u", 4, "InProgress", "t", 0});
    }
    SqliteStore store(file);
    ASSERT_EQ(store.dueScores(Seconds(std::chrono::seconds(50)), 10).size(), 1U);
    EXPECT_EQ(store.playToken("hash")->built, 1);
    EXPECT_EQ(scoresUrl("https://p.example/lineitems/7/"), "https://p.example/lineitems/7/scores");
}

} // namespace
