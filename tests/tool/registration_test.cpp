#include "tests/tool/testplatform.h"

#include "tool/launch.h"
#include "tool/login.h"
#include "tool/registration.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

constexpr const char* CONFIGURATION_URL = "https://lms.example/.well-known/openid-configuration";
constexpr const char* REGISTRATION_ENDPOINT = "https://lms.example/lti/register";
constexpr const char* ISSUER = "https://lms.example";
const std::string TITLE = "ゼントリック Zentrik";

// A platform that registers tools as Moodle does: its configuration at its
// own address, its answer the client id and deployment it made. Its keys
// are the test platform's, whose JWKS the tests' cache serves.
struct Registering {
    TestPlatform platform;
    TempFolder data;
    RegistrationRequest request{loadOrCreateRegistrationSecret(data.path), CONFIGURATION_URL, "registration-token"};
    nlohmann::json configuration = {
        {"issuer", ISSUER},
        {"authorization_endpoint", "https://lms.example/auth"},
        {"registration_endpoint", REGISTRATION_ENDPOINT},
        {"token_endpoint", "https://lms.example/token"},
        {"jwks_uri", TestPlatform::JWKS_URL},
        {"id_token_signing_alg_values_supported", {"RS256"}},
        {PLATFORM_CONFIGURATION, {{"product_family_code", "moodle"}, {"version", "4.1"}}},
    };
    PostReply reply{
        201, nlohmann::json{{"client_id", "lms-client-7"}, {TOOL_CONFIGURATION, {{"deployment_id", "7"}}}}.dump(), -1};

    Registering()
    {
        platform.answerPost = [this](const TestPlatform::Posted&) { return reply; };
    }
    Registration run()
    {
        platform.documents[CONFIGURATION_URL] = configuration.dump();
        return registerPlatform(request, data.path, TITLE, platform.context);
    }
};

// A launch as the newly registered platform, login to id_token.
Reason launchAs(TestPlatform& platform, const std::string& clientId, const std::string& deployment)
{
    const LoginAnswer login
        = initiateLogin({ISSUER, "hint", platform.context.urls.target, "", clientId, deployment}, platform.context);
    if (login.reason != Reason::Accepted)
        return login.reason;
    httplib::Params query;
    httplib::detail::parse_query_text(login.location.substr(login.location.find('?') + 1), query);
    const TestPlatform::Login state{query.find("state")->second, query.find("nonce")->second,
                                    login.setCookie.substr(0, login.setCookie.find(';'))};
    nlohmann::json claims = platform.claims(state);
    claims["iss"] = ISSUER;
    claims["aud"] = clientId;
    claims[LTI_CLAIM + "deployment_id"] = deployment;
    return launch({platform.sign(platform.header(), claims), state.state, state.cookie}, platform.context).reason;
}

std::string header(const Answer& answer, const std::string& name)
{
    const auto found = std::find_if(answer.headers.begin(), answer.headers.end(),
                                    [&](const auto& header) { return header.first == name; });
    return found != answer.headers.end() ? found->second : "";
}

TEST(Registration, ToolRegisteredAsItIsAndThePlatformLaunchesIt)
{
    Registering registering;
    registering.platform.documents[CONFIGURATION_URL] = registering.configuration.dump();
    const Answer page
        = answerRegistration(registering.request, registering.data.path, TITLE, registering.platform.context);
    ASSERT_EQ(page.status, 200) << page.body;

    ASSERT_EQ(registering.platform.posted.size(), 1U);
    const TestPlatform::Posted& posted = registering.platform.posted[0];
    EXPECT_EQ(posted.url, REGISTRATION_ENDPOINT);
    EXPECT_EQ(posted.contentType, "application/json");
    EXPECT_EQ(posted.authorization, "Bearer registration-token");
    // The configuration too is asked for with the token, as some platforms require.
    EXPECT_EQ(registering.platform.fetchedWith, std::vector<std::string>{"Bearer registration-token"});
    // Where the platform finds the tool, and what it may ask of the platform.
    const nlohmann::json tool = nlohmann::json::parse(posted.body);
    EXPECT_EQ(tool["initiate_login_uri"], "http://localhost:8080/login");
    EXPECT_EQ(tool["redirect_uris"], nlohmann::json({"http://localhost:8080/launch"}));
    EXPECT_EQ(tool["jwks_uri"], "http://localhost:8080/.well-known/jwks.json");
    EXPECT_EQ(tool["client_name"], TITLE);
    EXPECT_EQ(tool["scope"], AGS_SCORE_SCOPE + " " + AGS_LINEITEM_SCOPE);
    const nlohmann::json& configuration = tool[TOOL_CONFIGURATION];
    EXPECT_EQ(configuration["domain"], "localhost:8080");
    // The tool keeps no names or e-mail, so it asks for none.
    EXPECT_EQ(configuration["claims"], nlohmann::json({"iss", "sub"}));
    EXPECT_EQ(configuration["messages"][1]["type"], "LtiDeepLinkingRequest");

    const std::vector<Platform> stored = registering.platform.store.platformsOf(ISSUER);
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0].clientId, "lms-client-7");
    EXPECT_EQ(stored[0].authUrl, "https://lms.example/auth");
    EXPECT_EQ(stored[0].tokenUrl, "https://lms.example/token");
    EXPECT_EQ(stored[0].jwksUrl, TestPlatform::JWKS_URL);
    EXPECT_EQ(launchAs(registering.platform, "lms-client-7", "7"), Reason::Accepted);

    // The page tells the platform's window to close it, by its own script alone.
    const std::size_t at = page.body.find("<script nonce=\"") + 15;
    const std::string nonce = page.body.substr(at, page.body.find('"', at) - at);
    EXPECT_EQ(header(page, "Content-Security-Policy"),
              "default-src 'none'; script-src 'nonce-" + nonce + "'; base-uri 'none'; form-action 'none'");
    EXPECT_NE(page.body.find("postMessage({subject: \"org.imsglobal.lti.close\"}, \"*\")"), std::string::npos);
    EXPECT_LT(page.body.find("登録しました"), page.body.find("Registered"));
    EXPECT_EQ(header(page, "Cache-Control"), "no-store");
}

struct Refusal {
    const char* name;
    Reason expected;
    std::function<void(Registering&)> change;
    // Refused before the tool posts anything to the platform.
    bool beforePost = true;
};

void PrintTo(const Refusal& value, std::ostream* out)
{
    *out << value.name;
}

const std::vector<Refusal> REFUSALS = {
    // clang-format off
    {"WrongSecret",           Reason::RegistrationSecretWrong,          [](Registering& r) { r.request.secret.back() ^= 1; }},
    {"NoConfigurationUrl",    Reason::RegistrationRequestIncomplete,    [](Registering& r) { r.request.openidConfiguration = ""; }},
    {"ConfigurationOverHttp", Reason::PlatformConfigurationBad,         [](Registering& r) { r.request.openidConfiguration = "http://lms.example/config"; }},
    {"ConfigurationDown",     Reason::PlatformConfigurationUnavailable, [](Registering& r) { r.request.openidConfiguration = "https://lms.example/gone"; }},
    {"ConfigurationNoObject", Reason::PlatformConfigurationBad,         [](Registering& r) { r.configuration = "<html>"; }},
    {"IssuerOfAnotherSite",   Reason::PlatformIssuerMismatch,           [](Registering& r) { r.configuration["issuer"] = "https://other.example"; }},
    {"IssuerWithQuery",       Reason::PlatformConfigurationBad,         [](Registering& r) { r.configuration["issuer"] = "https://lms.example?a=b"; }},
    {"NoRegistrationEndpoint",Reason::PlatformConfigurationBad,         [](Registering& r) { r.configuration.erase("registration_endpoint"); }},
    {"NoRs256",               Reason::PlatformConfigurationBad,         [](Registering& r) { r.configuration["id_token_signing_alg_values_supported"] = {"ES256"}; }},
    {"NoLtiConfiguration",    Reason::PlatformConfigurationBad,         [](Registering& r) { r.configuration.erase(PLATFORM_CONFIGURATION); }},
    {"PlatformRefuses",       Reason::RegistrationRefused,              [](Registering& r) { r.reply = {400, R"({"error": "invalid_client_metadata"})", -1}; }, false},
    {"AnswerWithoutClientId", Reason::RegistrationAnswerBad,            [](Registering& r) { r.reply.body = R"({"client_name": "x"})"; }, false},
    // clang-format on
};

class RegistrationRefused : public testing::TestWithParam<Refusal> { };

TEST_P(RegistrationRefused, WithItsReasonAndNothingStored)
{
    Registering registering;
    GetParam().change(registering);
    EXPECT_EQ(reasonText(registering.run().reason).name, reasonText(GetParam().expected).name);
    EXPECT_TRUE(registering.platform.store.platformsOf(ISSUER).empty());
    EXPECT_EQ(registering.platform.posted.empty(), GetParam().beforePost);
}

INSTANTIATE_TEST_SUITE_P(Registration, RegistrationRefused, testing::ValuesIn(REFUSALS),
                         [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

mode_t mode(const std::filesystem::path& file)
{
    struct stat status { };
    ::stat(file.c_str(), &status);
    return status.st_mode & 0777;
}

TEST(Registration, SecretMadeOnceReadableByTheToolAloneWhateverTheUmask)
{
    for (const mode_t umask : {mode_t{0}, mode_t{0277}}) {
        const TempFolder folder;
        const mode_t before = ::umask(umask);
        const std::string secret = loadOrCreateRegistrationSecret(folder.path);
        ::umask(before);
        EXPECT_EQ(mode(folder.path / "registration-secret"), 0600U) << umask;
        EXPECT_GE(secret.size(), 43U);
        EXPECT_EQ(loadOrCreateRegistrationSecret(folder.path), secret);
        EXPECT_EQ(registrationUrl("https://tool.example", secret), "https://tool.example/register/" + secret);
    }
    // A server not told where the secret is registers nobody.
    Registering registering;
    EXPECT_EQ(registerPlatform(registering.request, "", TITLE, registering.platform.context).reason,
              Reason::RegistrationSecretWrong);
}

} // namespace
