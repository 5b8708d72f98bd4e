#include "tests/tool/testplatform.h"

#include "tool/base64url.h"
#include "tool/launch.h"
#include "tool/login.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zentrik-tool-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code error;
    std::filesystem::remove_all(path, error);
}

TestPlatform::TestPlatform()
    : jwks(nlohmann::json{{"keys", {publicJwk(key)}}})
    , cache(
          [this](const std::string& url) -> std::optional<std::string> {
              ++jwksFetches;
              return url == JWKS_URL && jwks ? std::optional(jwks->dump()) : std::nullopt;
          },
          std::chrono::seconds(60))
    , context{store,
              cache,
              toolUrls(BASE_URL),
              [this] { return now; },
              [this] { return "secret-" + std::to_string(++secrets); },
              [this](const std::string& url, const std::string& authorization) -> std::optional<std::string> {
                  fetchedWith.push_back(authorization);
                  const auto found = documents.find(url);
                  return found != documents.end() ? std::optional(found->second) : std::nullopt;
              },
              [this](const std::string& url, const std::string& contentType, const std::string& body,
                     const std::string& authorization) {
                  posted.push_back({url, contentType, body, authorization});
                  return answerPost ? answerPost(posted.back()) : PostReply{200, "{}", -1};
              },
              [this] { return instant; }}
{
    platformId = store.savePlatform(
        {0, ISSUER, CLIENT_ID, "https://platform.example/auth", "https://platform.example/token", JWKS_URL});
    store.addDeployment(platformId, DEPLOYMENT);
}

TestPlatform::Login TestPlatform::login()
{
    const LoginAnswer answer = initiateLogin({ISSUER, "hint", context.urls.target, "", CLIENT_ID, DEPLOYMENT}, context);
    EXPECT_EQ(answer.reason, Reason::Accepted);
    httplib::Params query;
    httplib::detail::parse_query_text(answer.location.substr(answer.location.find('?') + 1), query);
    return {query.find("state")->second, query.find("nonce")->second,
            answer.setCookie.substr(0, answer.setCookie.find(';'))};
}

const SigningKey& TestPlatform::sharedKey()
{
    static const SigningKey key = generateSigningKey();
    return key;
}

nlohmann::json TestPlatform::header() const
{
    return {{"typ", "JWT"}, {"alg", "RS256"}, {"kid", key.kid}};
}

nlohmann::json TestPlatform::claims(const Login& login) const
{
    const std::int64_t seconds = now.time_since_epoch().count();
    return {
        {"iss", ISSUER},
        {"aud", CLIENT_ID},
        {"sub", "a1b2c3"},
        {"iat", seconds},
        {"exp", seconds + 300},
        {"nonce", login.nonce},
        {LTI_CLAIM + "message_type", "LtiResourceLinkRequest"},
        {LTI_CLAIM + "version", "1.3.0"},
        {LTI_CLAIM + "deployment_id", DEPLOYMENT},
        {LTI_CLAIM + "target_link_uri", context.urls.target},
        {LTI_CLAIM + "roles", {"http://purl.imsglobal.org/vocab/lis/v2/membership#Learner"}},
        {LTI_CLAIM + "resource_link", {{"id", "link-1"}}},
    };
}

std::string TestPlatform::sign(const nlohmann::json& header, const nlohmann::json& claims) const
{
    const std::string signedPart = base64urlEncode(header.dump()) + "." + base64urlEncode(claims.dump());
    return signedPart + "." + base64urlEncode(signRs256(key.key.get(), signedPart));
}
