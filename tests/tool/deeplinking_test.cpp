#include "tests/tool/testplatform.h"

#include "tool/deeplinking.h"
#include "tool/html.h"
#include "tool/jws.h"
#include "tool/launch.h"
#include "tool/page.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

const std::string SETTINGS = DEEP_LINKING_CLAIM + "deep_linking_settings";
// A return URL with characters that must not reach the page as they are.
const std::string RETURN_URL = "https://platform.example/return?course=1&kind=\"link\"";
const std::string TITLE = "ゼントリック Zentrik";

// The tool's own key, apart from the platform's, so that a response signed
// with the wrong one cannot pass.
const SigningKey& toolKey()
{
    static const SigningKey key = generateSigningKey();
    return key;
}

std::string header(const Answer& answer, const std::string& name)
{
    const auto found = std::find_if(answer.headers.begin(), answer.headers.end(),
                                    [&](const auto& header) { return header.first == name; });
    return found != answer.headers.end() ? found->second : "";
}

// The value of the first attribute of that name on the page.
std::string attribute(const std::string& page, const std::string& name)
{
    const std::string start = name + "=\"";
    const std::size_t at = page.find(start);
    return at == std::string::npos
        ? ""
        : page.substr(at + start.size(), page.find('"', at + start.size()) - at - start.size());
}

// A content chooser's launch, through login and the launch's checks.
struct DeepLinking {
    TestPlatform platform;
    TestPlatform::Login login = platform.login();
    std::string idToken;

    explicit DeepLinking(const nlohmann::json& settings)
    {
        nlohmann::json claims = platform.claims(login);
        claims[LTI_CLAIM + "message_type"] = DEEP_LINKING_REQUEST;
        claims.erase(LTI_CLAIM + "resource_link");
        if (!settings.is_null())
            claims[SETTINGS] = settings;
        idToken = platform.sign(platform.header(), claims);
    }
    Launch launched() { return launch({idToken, login.state, login.cookie}, platform.context); }
};

TEST(DeepLinking, AnswerPostsOneGradedLinkSignedByTheToolToThePlatformOnly)
{
    DeepLinking chooser(nlohmann::json{{"deep_link_return_url", RETURN_URL},
                                       {"accept_types", {"link", "ltiResourceLink"}},
                                       {"data", "platform's <own> value"}});
    const Launch launched = chooser.launched();
    ASSERT_EQ(reasonText(launched.reason).name, "accepted");
    ASSERT_TRUE(launched.deepLinking);
    const Answer page
        = deepLinkingPage(launched, TITLE, toolKey(), {"https://platform.example"}, chooser.platform.context);
    EXPECT_EQ(page.status, 200);

    const std::optional<Jws> response = decodeJws(attribute(page.body, "value"));
    ASSERT_TRUE(response);
    EXPECT_TRUE(verifyRs256(toolKey().key.get(), response->signedPart, response->signature));
    EXPECT_EQ(response->header, (nlohmann::json{{"alg", "RS256"}, {"typ", "JWT"}, {"kid", toolKey().kid}}));
    const nlohmann::json& claims = response->claims;
    const std::int64_t now = chooser.platform.now.time_since_epoch().count();
    EXPECT_EQ(claims["iss"], TestPlatform::CLIENT_ID);
    EXPECT_EQ(claims["aud"], TestPlatform::ISSUER);
    EXPECT_EQ(claims["iat"], now);
    EXPECT_GT(claims["exp"].get<std::int64_t>(), now);
    EXPECT_LE(claims["exp"].get<std::int64_t>(), now + 600);
    EXPECT_FALSE(claims["nonce"].get<std::string>().empty());
    EXPECT_NE(claims["nonce"], chooser.login.nonce);
    EXPECT_EQ(claims[LTI_CLAIM + "deployment_id"], TestPlatform::DEPLOYMENT);
    EXPECT_EQ(claims[LTI_CLAIM + "message_type"], "LtiDeepLinkingResponse");
    EXPECT_EQ(claims[LTI_CLAIM + "version"], "1.3.0");
    EXPECT_EQ(claims[DEEP_LINKING_CLAIM + "content_items"],
              nlohmann::json::parse(R"([{"type": "ltiResourceLink", "title": "ゼントリック Zentrik",
                                         "url": "http://localhost:8080/launch",
                                         "lineItem": {"scoreMaximum": 100, "label": "ゼントリック Zentrik"}}])"));
    EXPECT_EQ(claims[DEEP_LINKING_CLAIM + "data"], "platform's <own> value");

    // Only the page's own script runs, the form goes to the platform alone,
    // and only the platform frames the page.
    const std::string nonce = attribute(page.body, "nonce");
    ASSERT_FALSE(nonce.empty());
    EXPECT_EQ(header(page, "Content-Security-Policy"),
              "default-src 'none'; script-src 'nonce-" + nonce
                  + "'; form-action https://platform.example; base-uri 'none'; frame-ancestors "
                    "https://platform.example");
    EXPECT_EQ(header(page, "Cache-Control"), "no-store");
    EXPECT_EQ(header(page, "Referrer-Policy"), "no-referrer");
    EXPECT_EQ(attribute(page.body, "action"), "https://platform.example/return?course=1&amp;kind=&quot;link&quot;");
    EXPECT_NE(page.body.find("<button type=\"submit\">"), std::string::npos);
}

TEST(DeepLinking, DataEchoedOnlyWhenGivenAndTheNonceUsedOnce)
{
    DeepLinking chooser(nlohmann::json{{"deep_link_return_url", RETURN_URL}});
    const Launch launched = chooser.launched();
    ASSERT_EQ(reasonText(launched.reason).name, "accepted");
    const std::optional<Jws> response
        = decodeJws(deepLinkingResponse(launched, TITLE, toolKey(), chooser.platform.context));
    ASSERT_TRUE(response);
    EXPECT_FALSE(response->claims.contains(DEEP_LINKING_CLAIM + "data"));
    EXPECT_EQ(chooser.launched().reason, Reason::NonceUsed);
}

TEST(DeepLinking, SettingsWithoutAUsableReturnUrlOrTakingNoLinkRefused)
{
    for (const nlohmann::json& settings : {
             nlohmann::json(),
             nlohmann::json("https://platform.example/return"),
             nlohmann::json{{"accept_types", {"ltiResourceLink"}}},
             nlohmann::json{{"deep_link_return_url", "javascript:alert(1)"}},
             nlohmann::json{{"deep_link_return_url", "https://platform.example/return"}, {"accept_types", {"file"}}},
         }) {
        DeepLinking chooser(settings);
        EXPECT_EQ(reasonText(chooser.launched().reason).name, "deep_linking_settings_bad") << settings.dump();
    }
}

TEST(Page, TitleReadFromTheIndexWithItsReferencesDecoded)
{
    const TempFolder temp;
    std::ofstream(temp.path / "index.html")
        << "<html><head><meta charset=\"utf-8\">\n<title>ゼントリック &amp; Zentrik &#x41;&#66; &copy; &amp</title>";
    EXPECT_EQ(PageFolder(temp.path).title(), "ゼントリック & Zentrik AB &copy; &amp");
    EXPECT_EQ(escapeHtml("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
    EXPECT_EQ(decodeHtmlEntities(escapeHtml("<a href=\"x\">'&'</a>")), "<a href=\"x\">'&'</a>");
}

} // namespace
