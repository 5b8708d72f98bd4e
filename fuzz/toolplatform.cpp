#include "fuzz/toolplatform.h"

#include "tool/base64url.h"
#include "tool/deeplinking.h"
#include "tool/login.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* ISSUER = "https://platform.example";
constexpr const char* CLIENT_ID = "zentrik-client";
constexpr const char* DEPLOYMENT = "deployment-1";

// The claims of a good resource link launch, with the optional claims that
// name the platform's own pages and its gradebook.
nlohmann::json resourceLinkClaims(const std::string& target)
{
    const std::int64_t seconds = ToolPlatform::NOW.time_since_epoch().count();
    return {
        {"iss", ISSUER},
        {"aud", CLIENT_ID},
        {"sub", "a1b2c3"},
        {"iat", seconds},
        {"exp", seconds + 300},
        {"nonce", FUZZ_SECRETS[1]},
        {LTI_CLAIM + "message_type", RESOURCE_LINK_REQUEST},
        {LTI_CLAIM + "version", "1.3.0"},
        {LTI_CLAIM + "deployment_id", DEPLOYMENT},
        {LTI_CLAIM + "target_link_uri", target},
        {LTI_CLAIM + "roles", {"http://purl.imsglobal.org/vocab/lis/v2/membership#Learner"}},
        {LTI_CLAIM + "resource_link", {{"id", "link-1"}}},
        {LTI_CLAIM + "launch_presentation", {{"return_url", "https://courses.example/course/1"}}},
        {LTI_CLAIM + "tool_platform", {{"url", "https://platform.example/"}}},
        {AGS_ENDPOINT_CLAIM, {{"scope", {AGS_SCORE_SCOPE}}, {"lineitem", "https://platform.example/lineitems/1"}}},
    };
}

nlohmann::json contentChooserClaims(const std::string& target)
{
    nlohmann::json claims = resourceLinkClaims(target);
    claims[LTI_CLAIM + "message_type"] = DEEP_LINKING_REQUEST;
    claims.erase(LTI_CLAIM + "resource_link");
    claims[DEEP_LINKING_CLAIM + "deep_linking_settings"] = {
        {"deep_link_return_url", "https://platform.example/deep-link-return"},
        {"accept_types", {"ltiResourceLink"}},
        {"data", "platform-data"},
    };
    return claims;
}

// What an HTTP header can carry: httplib drops one holding CR or LF, and a
// browser refuses other control characters.
bool headerSafe(std::string_view value)
{
    return std::all_of(value.begin(), value.end(), [](unsigned char c) { return c >= 0x20 && c < 0x7f; });
}

// What a policy's source list can carry: nothing that ends a source or a
// directive, so that nothing from the platform adds one.
bool sourceSafe(std::string_view origin)
{
    return headerSafe(origin) && origin.find_first_of(" ;,'\"") == std::string_view::npos;
}

} // namespace

const Seconds ToolPlatform::NOW{std::chrono::seconds(1'800'000'000)};

void broken(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

ToolPlatform& ToolPlatform::shared()
{
    static ToolPlatform platform;
    return platform;
}

ToolPlatform::ToolPlatform()
    : m_key(loadOrCreateToolKey(ZENTRIK_FUZZ_KEY_FOLDER))
    , m_cache([this](const std::string& url) { return url == JWKS_URL ? std::optional(jwks()) : std::nullopt; },
              std::chrono::seconds(60))
    , m_context{.store = m_store,
                .jwks = m_cache,
                .urls = toolUrls("http://localhost:8080"),
                .now = [] { return NOW; },
                .random =
                    [this] {
                        const std::size_t drawn = m_drawn++;
                        return drawn < FUZZ_SECRETS.size() ? FUZZ_SECRETS[drawn]
                                                           : "fuzz-secret-" + std::to_string(drawn);
                    }}
{
    const std::int64_t id = m_store.savePlatform(
        {0, ISSUER, CLIENT_ID, "https://platform.example/auth", "https://platform.example/token", JWKS_URL});
    m_store.addDeployment(id, DEPLOYMENT);
    m_header = nlohmann::json{{"typ", "JWT"}, {"alg", "RS256"}, {"kid", m_key.kid}}.dump();
    m_claims = resourceLinkClaims(m_context.urls.target).dump();
    m_deepLinkingClaims = contentChooserClaims(m_context.urls.target).dump();
    m_goodToken = sign(m_header, m_claims);
    beginLogin();
}

// Each input starts from the same store: the platform, its deployment and
// one login just begun, nothing else.
void ToolPlatform::beginLogin()
{
    m_drawn = 0;
    m_store.purge(NOW + std::chrono::days(365));
    const LoginAnswer answer
        = initiateLogin({ISSUER, "hint", m_context.urls.target, "", CLIENT_ID, DEPLOYMENT}, m_context);
    if (answer.reason != Reason::Accepted || answer.setCookie.find(FUZZ_SECRETS[0]) == std::string::npos)
        broken("the login for the launch was refused");
    m_cookie = answer.setCookie.substr(0, answer.setCookie.find(';'));
}

void ToolPlatform::launchChecked(const std::string& formBody, const std::optional<std::string>& cookieHeader)
{
    beginLogin();
    httplib::Params fields;
    httplib::detail::parse_query_text(formBody, fields);
    const auto field = [&fields](const char* name) {
        const auto found = fields.find(name);
        return found != fields.end() ? found->second : std::string();
    };
    const std::string proof = field("browser_proof");
    const LaunchForm form{.idToken = field("id_token"),
                          .state = field("state"),
                          .cookieHeader = cookieHeader.value_or(proof.empty() ? m_cookie : ""),
                          .browserProof = proof};
    const Launch launched = launch(form, m_context);
    if (launched.reason == Reason::Accepted)
        checkAccepted(launched, form);
}

// What every check let through: a known deployment, a user, a link or a
// content chooser to answer, a play token kept, and origins that the page's
// policy can carry; and the launch's replay is refused.
void ToolPlatform::checkAccepted(const Launch& launched, const LaunchForm& form)
{
    if (launched.deploymentId != DEPLOYMENT || launched.userId.empty()
        || (launched.resourceLinkId.empty() && !launched.deepLinking) || launched.playToken != FUZZ_SECRETS[3]
        || !m_store.playToken(sha256Hex(launched.playToken)))
        broken("an accepted launch lacks what its checks require");
    if (!std::all_of(launched.pageOrigins.begin(), launched.pageOrigins.end(), sourceSafe))
        broken("an origin the launch names would break the page's policy");
    if (launched.deepLinking) {
        const Answer page = deepLinkingPage(launched, "Zentrik", m_key, launched.pageOrigins, m_context);
        if (!std::all_of(page.headers.begin(), page.headers.end(),
                         [](const auto& header) { return headerSafe(header.second); }))
            broken("the content chooser's answer has a header the server would drop");
    }
    if (launch(form, m_context).reason != Reason::NonceUsed)
        broken("a replayed launch was not refused");
}

std::string ToolPlatform::formBody(const std::string& idToken) const
{
    return httplib::detail::params_to_query_str({{"id_token", idToken}, {"state", FUZZ_SECRETS[0]}});
}

std::string ToolPlatform::formBodyWithProof() const
{
    return httplib::detail::params_to_query_str(
        {{"id_token", m_goodToken}, {"state", FUZZ_SECRETS[0]}, {"browser_proof", FUZZ_SECRETS[2]}});
}

std::string ToolPlatform::sign(std::string_view header, std::string_view claims) const
{
    const std::string signedPart = base64urlEncode(header) + "." + base64urlEncode(claims);
    return signedPart + "." + base64urlEncode(signRs256(m_key.key.get(), signedPart));
}

std::string ToolPlatform::jwks() const
{
    return nlohmann::json{{"keys", {publicJwk(m_key)}}}.dump();
}
