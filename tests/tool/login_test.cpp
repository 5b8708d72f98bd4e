#include "tests/tool/testplatform.h"

#include "tool/errorpage.h"
#include "tool/launch.h"
#include "tool/log.h"
#include "tool/login.h"
#include "tool/page.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace {

TEST(Login, RedirectsToThePlatformWithAFreshStateTiedToTheBrowser)
{
    TestPlatform platform;
    const LoginAnswer answer = initiateLogin(
        {TestPlatform::ISSUER, "hint", platform.context.urls.target, "message", "", ""}, platform.context);
    ASSERT_EQ(answer.reason, Reason::Accepted);
    ASSERT_TRUE(answer.location.starts_with("https://platform.example/auth?"));
    httplib::Params query;
    httplib::detail::parse_query_text(answer.location.substr(answer.location.find('?') + 1), query);
    const std::map<std::string, std::string> wanted = {{"scope", "openid"},
                                                       {"response_type", "id_token"},
                                                       {"response_mode", "form_post"},
                                                       {"prompt", "none"},
                                                       {"client_id", TestPlatform::CLIENT_ID},
                                                       {"redirect_uri", "http://localhost:8080/launch"},
                                                       {"login_hint", "hint"},
                                                       {"lti_message_hint", "message"}};
    for (const auto& [name, value] : wanted)
        EXPECT_EQ(query.find(name)->second, value) << name;
    const std::optional<LoginState> state = platform.store.loginState(query.find("state")->second);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->nonce, query.find("nonce")->second);
    EXPECT_NE(state->nonce, state->state);
    EXPECT_EQ(answer.setCookie,
              "zentrik_login_" + state->state + "=" + state->browserBinding
                  + "; Max-Age=300; Path=/launch; Secure; HttpOnly; SameSite=None; Partitioned");
}

TEST(Login, UnknownOrIncompleteRefused)
{
    TestPlatform platform;
    const std::string target = platform.context.urls.target;
    const auto reason = [&](const LoginRequest& request) { return initiateLogin(request, platform.context).reason; };
    EXPECT_EQ(reason({"", "hint", target, "", "", ""}), Reason::LoginIssuerMissing);
    EXPECT_EQ(reason({TestPlatform::ISSUER, "", target, "", "", ""}), Reason::LoginHintMissing);
    EXPECT_EQ(reason({TestPlatform::ISSUER, "hint", "https://evil.example/launch", "", "", ""}),
              Reason::TargetLinkNotOurs);
    EXPECT_EQ(reason({"https://elsewhere.example", "hint", target, "", "", ""}), Reason::IssuerUnknown);
    EXPECT_EQ(reason({TestPlatform::ISSUER, "hint", target, "", "other-client", ""}), Reason::ClientUnknown);
}

TEST(Login, WithoutTheCookieThePlatformsStorageOrAWindowOfItsOwnTiesTheBrowser)
{
    TestPlatform platform;
    const LoginAnswer answer = initiateLogin(
        {TestPlatform::ISSUER, "hint", platform.context.urls.target, "m", "", "", "_parent"}, platform.context);
    ASSERT_EQ(answer.storageTarget, "_parent");
    EXPECT_EQ(answer.platformOrigin, "https://platform.example");
    httplib::Params query;
    httplib::detail::parse_query_text(answer.location.substr(answer.location.find('?') + 1), query);
    const std::string state = query.find("state")->second;
    EXPECT_EQ(answer.storageKey, storageKey(state));
    const LoginState kept = *platform.store.loginState(state);
    EXPECT_EQ(answer.storageValue, kept.browserBinding);
    // Begun again in a window of its own: the same login, without the storage.
    EXPECT_EQ(kept.restartUrl,
              "http://localhost:8080/login?iss=https%3A%2F%2Fplatform.example&login_hint=hint"
              "&lti_message_hint=m&target_link_uri=http%3A%2F%2Flocalhost%3A8080%2Flaunch");
    // A storage target that is no frame's name is not used.
    EXPECT_TRUE(initiateLogin({TestPlatform::ISSUER, "hint", platform.context.urls.target, "", "", "", "x\"><script>"},
                              platform.context)
                    .storageTarget.empty());

    TestPlatform::Login login{state, query.find("nonce")->second, ""};
    const std::string idToken = platform.sign(platform.header(), platform.claims(login));
    EXPECT_EQ(launch({idToken, state, ""}, platform.context).reason, Reason::BrowserCheckNeeded);
    EXPECT_EQ(launch({idToken, state, "", "forged"}, platform.context).reason, Reason::StateOtherBrowser);
    EXPECT_EQ(launch({idToken, state, "", kept.browserBinding}, platform.context).reason, Reason::Accepted);
}

TEST(Config, SaysWhatIsMissingAndNeverFailsOnIt)
{
    // An origin goes into a header (frame-ancestors): nothing that could end one.
    EXPECT_EQ(urlOrigin("https://school.example:8443/course?x"), "https://school.example:8443");
    EXPECT_EQ(urlOrigin("https://school.example\r\nX: y/"), "");
    EXPECT_EQ(urlOrigin("https://sch\x7fool.example/"), "");
    const std::vector<std::string> problems = configProblems(Config{});
    EXPECT_TRUE(std::any_of(problems.begin(), problems.end(),
                            [](const std::string& problem) { return problem.starts_with("--base-url"); }));
}

TEST(Page, LaunchedPageCarriesTheTokenAndOnlyThePlatformMayFrameIt)
{
    const TempFolder temp;
    const std::filesystem::path& folder = temp.path;
    std::ofstream(folder / "index.html")
        << "<html><head><meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'self'\">";
    std::ofstream(folder / ".htaccess") << "secret";
    const PageFolder page(folder);
    const Answer answer = page.launchedPage("TOKEN", {"https://platform.example"});
    EXPECT_NE(answer.body.find("<meta name=\"zentrik-play-token\" content=\"TOKEN\">"), std::string::npos);
    const auto policy = std::find_if(answer.headers.begin(), answer.headers.end(),
                                     [](const auto& header) { return header.first == "Content-Security-Policy"; });
    EXPECT_EQ(policy->second, "default-src 'self'; frame-ancestors https://platform.example");
    EXPECT_TRUE(page.file("/", false));
    EXPECT_FALSE(page.file("/.htaccess", false));
    EXPECT_FALSE(page.file("/../" + folder.filename().string() + "/index.html", false));
}

// A program file named by its content is kept a year; anything else is
// asked for again, so an update never mixes old and new files.
TEST(Page, FilesGetTheHeadersOfThePagesOwnServerSettings)
{
    const TempFolder temp;
    std::ofstream(temp.path / "index.html")
        << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'self'\">";
    std::ofstream(temp.path / "zentrik.0123456789abcdef.wasm") << "wasm";
    std::ofstream(temp.path / "zentrik.0123456789abcdef.wasm.gz") << "gzipped";
    const PageFolder page(temp.path);
    const auto header = [](const Answer& answer, const std::string& name) {
        const auto found = std::find_if(answer.headers.begin(), answer.headers.end(),
                                        [&](const auto& header) { return header.first == name; });
        return found != answer.headers.end() ? found->second : "";
    };
    const std::optional<Answer> program = page.file("/zentrik.0123456789abcdef.wasm", true);
    ASSERT_TRUE(program);
    EXPECT_EQ(program->contentType, "application/wasm");
    EXPECT_EQ(program->body, "gzipped");
    EXPECT_EQ(header(*program, "Content-Encoding"), "gzip");
    EXPECT_EQ(header(*program, "Cache-Control"), "public, max-age=31536000, immutable");
    EXPECT_EQ(page.file("/zentrik.0123456789abcdef.wasm", false)->body, "wasm");
    const std::optional<Answer> index = page.file("/", true);
    EXPECT_EQ(header(*index, "Cache-Control"), "no-cache");
    EXPECT_EQ(header(*index, "Content-Security-Policy"), "default-src 'self'");
    EXPECT_EQ(header(*index, "X-Content-Type-Options"), "nosniff");
}

TEST(ErrorPage, JapaneseFirstThenEnglishAndTheLogLineHoldsNoSecret)
{
    const Answer answer = errorPage(Reason::NonceUsed);
    EXPECT_EQ(answer.status, 401);
    EXPECT_LT(answer.body.find("この起動はすでに使われました"), answer.body.find("This launch was used already"));
    EXPECT_NE(answer.body.find("nonce_used"), std::string::npos);
    EXPECT_EQ(formatLogLine("launch", {{"reason", "nonce_used"}, {"path", "/a b\nc"}}),
              "event=launch reason=nonce_used path=/a_b_c");
    EXPECT_EQ(formatLogLine("login", {{"issuer", std::string(300, 'x')}}),
              "event=login issuer=" + std::string(200, 'x') + "...");
}

TEST(Config, FilesTheToolCannotReadOrWriteAreSaid)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads and writes every file";
    const TempFolder folder;
    std::ofstream(folder.path / DATABASE_FILE) << "";
    std::filesystem::permissions(folder.path / DATABASE_FILE, std::filesystem::perms::owner_read);
    Config config;
    config.dataFolder = folder.path;
    const std::vector<std::string> problems = configProblems(config);
    EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), [](const std::string& problem) {
        return problem.find(DATABASE_FILE) != std::string::npos;
    }));
}

} // namespace
