#pragma once

#include "tool/context.h"
#include "tool/jwkscache.h"
#include "tool/keys.h"
#include "tool/sqlitestore.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A folder of the test's own under the system's temporary folder, so that
// parallel runs from several build trees never meet; removed with its files.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::filesystem::path path;
};

// A platform of the tests' own with its key, registered in a fresh store,
// and a tool context whose clock, randomness and JWKS fetches the test
// drives. The JWKS fetcher counts its calls and can be taken down.
class TestPlatform {
public:
    static constexpr const char* ISSUER = "https://platform.example";
    static constexpr const char* CLIENT_ID = "zentrik-client";
    static constexpr const char* DEPLOYMENT = "deployment-1";
    static constexpr const char* JWKS_URL = "https://platform.example/jwks";
    static constexpr const char* BASE_URL = "http://localhost:8080";

    TestPlatform();

    // A login initiation through the tool; its state, nonce and cookie.
    struct Login {
        std::string state;
        std::string nonce;
        std::string cookie;
    };
    Login login();

    // A resource link launch's header and claims for the login, all good.
    nlohmann::json header() const;
    nlohmann::json claims(const Login& login) const;
    std::string sign(const nlohmann::json& header, const nlohmann::json& claims) const;
    static const SigningKey& sharedKey();

    // One key for every test: making an RSA key takes a while.
    SigningKey key = sharedKey();
    std::optional<nlohmann::json> jwks;
    int jwksFetches = 0;
    // What the tool posted to the platform, and how the platform answers:
    // a function of the test's, 200 with an empty object unless it sets one.
    struct Posted {
        std::string url;
        std::string contentType;
        std::string body;
        std::string authorization;
    };
    std::vector<Posted> posted;
    std::function<PostReply(const Posted&)> answerPost;
    // Other fetches than the JWKS, by URL; a URL not there is not found.
    // Each fetch's Authorization header, in order.
    std::map<std::string, std::string> documents;
    std::vector<std::string> fetchedWith;
    Seconds now = Seconds(std::chrono::seconds(1'800'000'000));
    // The clock to the millisecond, for the page's reports; the test moves both.
    Instant instant = now;
    int secrets = 0;
    SqliteStore store{":memory:"};
    JwksCache cache;
    ToolContext context;
    std::int64_t platformId = 0;
};
