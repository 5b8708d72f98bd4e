#include "tests/tool/testplatform.h"

#include "tool/base64url.h"
#include "tool/launch.h"
#include "tool/login.h"

#include <openssl/hmac.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

// How a forged or faulty launch is signed.
enum class Signer { Platform, OtherKey, Unsigned, Hs256WithPublicKey };

struct Launching {
    nlohmann::json header;
    nlohmann::json claims;
    Signer signer = Signer::Platform;
    std::string cookie;
};

struct Case {
    const char* name;
    Reason expected;
    std::function<void(Launching&)> change;
};

std::string hs256(const std::string& secret, const std::string& signedPart)
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> mac{};
    unsigned length = 0;
    HMAC(EVP_sha256(), secret.data(), static_cast<int>(secret.size()),
         reinterpret_cast<const unsigned char*>(signedPart.data()), signedPart.size(), mac.data(), &length);
    return base64urlEncode(std::string_view(reinterpret_cast<const char*>(mac.data()), length));
}

std::string token(const TestPlatform& platform, const Launching& launching)
{
    const std::string signedPart
        = base64urlEncode(launching.header.dump()) + "." + base64urlEncode(launching.claims.dump());
    switch (launching.signer) {
    case Signer::Platform: return platform.sign(launching.header, launching.claims);
    case Signer::OtherKey: {
        const SigningKey other = generateSigningKey();
        return signedPart + "." + base64urlEncode(signRs256(other.key.get(), signedPart));
    }
    case Signer::Unsigned: return signedPart + ".";
    case Signer::Hs256WithPublicKey: return signedPart + "." + hs256(publicKeyPem(platform.key), signedPart);
    }
    return "";
}

// The launches the certification calls known bad, the forgeries and the
// replays that follow from the standard's checks, and the good ones.
const std::vector<Case> CASES = {
    // clang-format off
    {"Good",                 Reason::Accepted,                [](Launching&) {}},
    {"AudListWithAzp",       Reason::Accepted,                [](Launching& l) { l.claims["aud"] = {TestPlatform::CLIENT_ID, "other"}; l.claims["azp"] = TestPlatform::CLIENT_ID; }},
    {"OtherBrowser",         Reason::StateOtherBrowser,       [](Launching& l) { l.cookie.back() ^= 1; }},
    {"NoCookieOwnWindow",    Reason::BrowserKeptNoCookie,     [](Launching& l) { l.cookie = "zentrik_login_x=y"; }},
    {"AlgNone",              Reason::AlgorithmRefused,        [](Launching& l) { l.header["alg"] = "none"; l.signer = Signer::Unsigned; }},
    {"Hs256WithPublicKey",   Reason::AlgorithmRefused,        [](Launching& l) { l.header["alg"] = "HS256"; l.signer = Signer::Hs256WithPublicKey; }},
    {"NoKid",                Reason::KidMissing,              [](Launching& l) { l.header.erase("kid"); }},
    {"WrongKid",             Reason::KidUnknown,              [](Launching& l) { l.header["kid"] = "no-such-key"; }},
    {"OtherKeySameKid",      Reason::SignatureBad,            [](Launching& l) { l.signer = Signer::OtherKey; }},
    {"UnknownIssuer",        Reason::IssuerUnknown,           [](Launching& l) { l.claims["iss"] = "https://elsewhere.example"; }},
    {"WrongAud",             Reason::AudienceMismatch,        [](Launching& l) { l.claims["aud"] = "another-tool"; }},
    {"AudListWithoutAzp",    Reason::AuthorizedPartyMissing,  [](Launching& l) { l.claims["aud"] = {TestPlatform::CLIENT_ID, "other"}; }},
    {"WrongAzp",             Reason::AuthorizedPartyMismatch, [](Launching& l) { l.claims["azp"] = "another-tool"; }},
    {"Expired",              Reason::TokenExpired,            [](Launching& l) { l.claims["exp"] = l.claims["iat"].get<std::int64_t>() - 61; }},
    {"NoExp",                Reason::TokenExpired,            [](Launching& l) { l.claims.erase("exp"); }},
    {"IssuedInTheFuture",    Reason::IssuedAtOutOfRange,      [](Launching& l) { l.claims["iat"] = l.claims["iat"].get<std::int64_t>() + 61; }},
    {"IssuedLongAgo",        Reason::IssuedAtOutOfRange,      [](Launching& l) { l.claims["iat"] = l.claims["iat"].get<std::int64_t>() - 601; }},
    {"OtherNonce",           Reason::NonceMismatch,           [](Launching& l) { l.claims["nonce"] = "other"; }},
    {"NoLtiClaims",          Reason::NotLtiMessage,           [](Launching& l) { for (const char* c : {"message_type", "version", "deployment_id", "target_link_uri", "roles", "resource_link"}) l.claims.erase(LTI_CLAIM + c); }},
    {"NoDeployment",         Reason::DeploymentMissing,       [](Launching& l) { l.claims.erase(LTI_CLAIM + "deployment_id"); }},
    {"UnknownDeployment",    Reason::DeploymentUnknown,       [](Launching& l) { l.claims[LTI_CLAIM + "deployment_id"] = "deployment-2"; }},
    {"NoMessageType",        Reason::MessageTypeMissing,      [](Launching& l) { l.claims.erase(LTI_CLAIM + "message_type"); }},
    {"OtherMessageType",     Reason::MessageTypeUnsupported,  [](Launching& l) { l.claims[LTI_CLAIM + "message_type"] = "LtiSubmissionReviewRequest"; }},
    {"NoVersion",            Reason::VersionWrong,            [](Launching& l) { l.claims.erase(LTI_CLAIM + "version"); }},
    {"WrongVersion",         Reason::VersionWrong,            [](Launching& l) { l.claims[LTI_CLAIM + "version"] = "1.2.0"; }},
    {"NoSub",                Reason::SubjectMissing,          [](Launching& l) { l.claims.erase("sub"); }},
    {"NoRoles",              Reason::RolesMissing,            [](Launching& l) { l.claims.erase(LTI_CLAIM + "roles"); }},
    {"NoResourceLinkId",     Reason::ResourceLinkMissing,     [](Launching& l) { l.claims[LTI_CLAIM + "resource_link"].erase("id"); }},
    {"DeepLinkingNoSettings", Reason::DeepLinkingSettingsBad, [](Launching& l) { l.claims[LTI_CLAIM + "message_type"] = "LtiDeepLinkingRequest"; }},
    // clang-format on
};

void PrintTo(const Case& value, std::ostream* out)
{
    *out << value.name;
}

class LaunchChecks : public testing::TestWithParam<Case> { };

TEST_P(LaunchChecks, RefusedWithItsReasonOrAccepted)
{
    TestPlatform platform;
    const TestPlatform::Login login = platform.login();
    Launching launching{platform.header(), platform.claims(login), Signer::Platform, login.cookie};
    GetParam().change(launching);
    const Launch launched = launch({token(platform, launching), login.state, launching.cookie}, platform.context);
    EXPECT_EQ(reasonText(launched.reason).name, reasonText(GetParam().expected).name);
    // Only an accepted launch leaves a play token, and only its hash is kept.
    EXPECT_EQ(launched.playToken.empty(), GetParam().expected != Reason::Accepted);
    if (!launched.playToken.empty()) {
        EXPECT_FALSE(platform.store.playToken(launched.playToken));
        const std::optional<PlayToken> kept = platform.store.playToken(sha256Hex(launched.playToken));
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->userId, "a1b2c3");
        EXPECT_EQ(kept->resourceLinkId, "link-1");
    }
}

INSTANTIATE_TEST_SUITE_P(Launch, LaunchChecks, testing::ValuesIn(CASES),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(Launch, ReplayedIdTokenRefused)
{
    TestPlatform platform;
    const TestPlatform::Login login = platform.login();
    const std::string idToken = platform.sign(platform.header(), platform.claims(login));
    EXPECT_EQ(launch({idToken, login.state, login.cookie}, platform.context).reason, Reason::Accepted);
    EXPECT_EQ(launch({idToken, login.state, login.cookie}, platform.context).reason, Reason::NonceUsed);
}

TEST(Launch, ExpiredOrUnknownStateOrMalformedTokenRefused)
{
    TestPlatform platform;
    const TestPlatform::Login login = platform.login();
    const std::string idToken = platform.sign(platform.header(), platform.claims(login));
    EXPECT_EQ(launch({idToken, "no-such-state", login.cookie}, platform.context).reason, Reason::StateUnknown);
    EXPECT_EQ(launch({"", login.state, login.cookie}, platform.context).reason, Reason::LaunchFormIncomplete);
    EXPECT_EQ(launch({"a.b", login.state, login.cookie}, platform.context).reason, Reason::TokenMalformed);
    EXPECT_EQ(launch({"e30.e30.!", login.state, login.cookie}, platform.context).reason, Reason::TokenMalformed);
    platform.now += LOGIN_STATE_LIFETIME;
    EXPECT_EQ(launch({idToken, login.state, login.cookie}, platform.context).reason, Reason::StateExpired);
}

} // namespace
