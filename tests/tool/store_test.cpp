#include "tests/tool/testplatform.h"

#include "tool/keyring.h"
#include "tool/launch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

mode_t mode(const std::filesystem::path& file)
{
    struct stat status { };
    ::stat(file.c_str(), &status);
    return status.st_mode & 0777;
}

TEST(Store, MigratedOnceAndKeptAcrossOpenings)
{
    const TempFolder folder;
    const std::filesystem::path file = folder.path / "tool.sqlite";
    {
        SqliteStore store(file);
        EXPECT_EQ(store.schemaVersion(), 2);
        store.addDeployment(store.savePlatform({0, "https://p.example", "c", "a", "t", "j"}), "d");
    }
    SqliteStore store(file);
    EXPECT_EQ(store.schemaVersion(), 2);
    ASSERT_EQ(store.platformsOf("https://p.example").size(), 1U);
    EXPECT_TRUE(store.hasDeployment(store.platformsOf("https://p.example")[0].id, "d"));
    EXPECT_EQ(mode(file), 0600U);
}

TEST(Store, LaunchCompletesOnceAndWritesNothingTheSecondTime)
{
    TestPlatform platform;
    const PlayToken token{"hash-1", platform.platformId, TestPlatform::DEPLOYMENT, "sub", "link", platform.now};
    EXPECT_TRUE(platform.store.completeLaunch("nonce", platform.now, token));
    PlayToken second = token;
    second.tokenHash = "hash-2";
    EXPECT_FALSE(platform.store.completeLaunch("nonce", platform.now, second));
    EXPECT_FALSE(platform.store.playToken("hash-2"));
    EXPECT_TRUE(platform.store.playToken("hash-1"));
}

TEST(Store, PurgeDeletesWhatExpired)
{
    TestPlatform platform;
    const TestPlatform::Login login = platform.login();
    platform.store.completeLaunch(
        "nonce", platform.now + std::chrono::seconds(10),
        {"hash", platform.platformId, TestPlatform::DEPLOYMENT, "sub", "link", platform.now + PLAY_TOKEN_LIFETIME});
    platform.store.purge(platform.now + std::chrono::seconds(10));
    EXPECT_TRUE(platform.store.loginState(login.state));
    // The nonce forgotten, it may be used again.
    EXPECT_TRUE(platform.store.completeLaunch(
        "nonce", platform.now + std::chrono::seconds(20),
        {"hash-2", platform.platformId, TestPlatform::DEPLOYMENT, "sub", "link", platform.now + PLAY_TOKEN_LIFETIME}));
    platform.store.purge(platform.now + PLAY_TOKEN_LIFETIME);
    EXPECT_FALSE(platform.store.loginState(login.state));
    EXPECT_FALSE(platform.store.playToken("hash"));
}

TEST(Keys, MadeOnFirstStartReadableByTheToolAloneAndKept)
{
    const TempFolder folder;
    const mode_t umask = ::umask(0);
    const SigningKey made = loadOrCreateToolKey(folder.path);
    ::umask(umask);
    EXPECT_EQ(mode(folder.path / "tool-key.pem"), 0600U);
    EXPECT_EQ(loadOrCreateToolKey(folder.path).kid, made.kid);
    const nlohmann::json jwk = publicJwk(made);
    EXPECT_FALSE(jwk.contains("d"));
    EXPECT_TRUE(rsaKeyFromJwk(jwk));
}

TEST(Keys, ANewKeyIsPublishedADayBeforeItSignsAndTheOldOneKeptUntilItsTokensExpired)
{
    const TempFolder folder;
    KeyRing keys(folder.path);
    const Seconds now = systemNow();
    const SigningKey first = keys.signing(now);
    const auto kids = [&keys](Seconds at) {
        std::vector<std::string> found;
        for (const SigningKey& key : keys.published(at))
            found.push_back(key.kid);
        return found;
    };
    EXPECT_EQ(kids(now), std::vector<std::string>{first.kid});

    // The ring, already running, sees the rotation. The next key's file
    // tells when it was made: set to now, lest the clock tick meanwhile.
    ASSERT_TRUE(rotateKey(folder.path, now).rotated);
    std::filesystem::last_write_time(folder.path / NEXT_KEY_FILE, std::chrono::file_clock::from_sys(now));
    const std::string next = kids(now).back();
    EXPECT_EQ(kids(now), (std::vector<std::string>{first.kid, next}));
    EXPECT_EQ(keys.signing(now + KEY_PUBLISHED_AHEAD - std::chrono::seconds(1)).kid, first.kid);
    EXPECT_EQ(keys.signing(now + KEY_PUBLISHED_AHEAD).kid, next);
    EXPECT_EQ(kids(now + KEY_PUBLISHED_AHEAD + OLD_KEY_KEPT - std::chrono::seconds(1)).size(), 2U);
    EXPECT_EQ(kids(now + KEY_PUBLISHED_AHEAD + OLD_KEY_KEPT), std::vector<std::string>{next});

    // Too early, nothing changes; later the next key becomes the key, and
    // another is published.
    EXPECT_FALSE(rotateKey(folder.path, now + KEY_PUBLISHED_AHEAD).rotated);
    EXPECT_EQ(kids(now), (std::vector<std::string>{first.kid, next}));
    ASSERT_TRUE(rotateKey(folder.path, now + KEY_PUBLISHED_AHEAD + OLD_KEY_KEPT + std::chrono::seconds(1)).rotated);
    EXPECT_EQ(keys.signing(now).kid, next);
    EXPECT_EQ(kids(now).size(), 2U);
    EXPECT_EQ(mode(folder.path / NEXT_KEY_FILE), 0600U);
}

} // namespace
