#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Seconds = std::chrono::sys_seconds;

// A platform's registration: what it told the tool about itself.
struct Platform {
    std::int64_t id = 0;
    std::string issuer;
    std::string clientId;
    std::string authUrl;
    std::string tokenUrl;
    std::string jwksUrl;
};

// A login begun here and not yet launched: the browser it is tied to, and
// the nonce the platform's id_token must carry.
struct LoginState {
    std::string state;
    std::int64_t platformId = 0;
    std::string nonce;
    std::string browserBinding;
    Seconds expiresAt;
};

// What one launch lets the page do: the platform's opaque user id and no
// more about the child.
struct PlayToken {
    std::string tokenHash;
    std::int64_t platformId = 0;
    std::string deploymentId;
    std::string userId;
    std::string resourceLinkId;
    Seconds expiresAt;
};

// The tool's durable state. SQLite keeps it now; a PostgreSQL store will
// implement the same calls with the same numbered migrations.
class Store {
public:
    virtual ~Store() = default;

    // Adds the platform, or updates its endpoints when the issuer and
    // client id are known; gives its id.
    virtual std::int64_t savePlatform(const Platform& platform) = 0;
    virtual std::vector<Platform> platformsOf(const std::string& issuer) = 0;
    virtual std::optional<Platform> platform(std::int64_t id) = 0;
    virtual void addDeployment(std::int64_t platformId, const std::string& deploymentId) = 0;
    virtual bool hasDeployment(std::int64_t platformId, const std::string& deploymentId) = 0;

    virtual void addLoginState(const LoginState& state) = 0;
    virtual std::optional<LoginState> loginState(const std::string& state) = 0;
    // In one transaction: the nonce marked used until it expires, and the
    // play token stored. False, with nothing written, when the nonce was
    // used meanwhile.
    virtual bool completeLaunch(const std::string& nonce, Seconds nonceExpiresAt, const PlayToken& token) = 0;
    virtual std::optional<PlayToken> playToken(const std::string& tokenHash) = 0;

    // Deletes every login state, used nonce and play token expired by now.
    virtual void purge(Seconds now) = 0;
};
