#include "tests/tool/testplatform.h"

#include <gtest/gtest.h>

namespace {

TEST(Jwks, FetchedOnceAndCachedByKid)
{
    TestPlatform platform;
    EXPECT_TRUE(platform.cache.find(TestPlatform::JWKS_URL, platform.key.kid, platform.now).key);
    EXPECT_TRUE(
        platform.cache.find(TestPlatform::JWKS_URL, platform.key.kid, platform.now + std::chrono::hours(1)).key);
    EXPECT_EQ(platform.jwksFetches, 1);
}

TEST(Jwks, UnknownKidFetchesAgainOnceWithinTheBound)
{
    TestPlatform platform;
    platform.cache.find(TestPlatform::JWKS_URL, platform.key.kid, platform.now);
    // The platform rotates its key: the new kid sends one fetch more, after the bound.
    const SigningKey rotated = generateSigningKey();
    platform.jwks = nlohmann::json{{"keys", {publicJwk(platform.key), publicJwk(rotated)}}};
    platform.now += std::chrono::seconds(60);
    EXPECT_TRUE(platform.cache.find(TestPlatform::JWKS_URL, rotated.kid, platform.now).key);
    EXPECT_EQ(platform.jwksFetches, 2);
    // A stream of unknown kids costs no fetch until the bound has passed.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(platform.cache.find(TestPlatform::JWKS_URL, "unknown-" + std::to_string(i), platform.now).reason,
                  Reason::KidUnknown);
    EXPECT_EQ(platform.jwksFetches, 2);
    platform.now += std::chrono::seconds(60);
    EXPECT_EQ(platform.cache.find(TestPlatform::JWKS_URL, "unknown", platform.now).reason, Reason::KidUnknown);
    EXPECT_EQ(platform.jwksFetches, 3);
}

TEST(Jwks, PlatformDownOrKeysUnusable)
{
    TestPlatform platform;
    platform.jwks.reset();
    EXPECT_EQ(platform.cache.find(TestPlatform::JWKS_URL, platform.key.kid, platform.now).reason,
              Reason::JwksUnavailable);
    // Up again after the bound; a key too short or of another use is left out.
    nlohmann::json weak = publicJwk(platform.key);
    weak["n"] = "AQAB";
    weak["kid"] = "weak";
    nlohmann::json encryption = publicJwk(platform.key);
    encryption["use"] = "enc";
    encryption["kid"] = "enc";
    platform.jwks = nlohmann::json{{"keys", {weak, encryption, {{"kty", 1}, {"kid", "odd"}}, publicJwk(platform.key)}}};
    platform.now += std::chrono::seconds(60);
    EXPECT_TRUE(platform.cache.find(TestPlatform::JWKS_URL, platform.key.kid, platform.now).key);
    EXPECT_EQ(platform.cache.find(TestPlatform::JWKS_URL, "weak", platform.now).reason, Reason::KidUnknown);
    EXPECT_EQ(platform.cache.find(TestPlatform::JWKS_URL, "enc", platform.now).reason, Reason::KidUnknown);
    EXPECT_EQ(platform.cache.find(TestPlatform::JWKS_URL, "odd", platform.now).reason, Reason::KidUnknown);
}

} // namespace
