#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Seconds = std::chrono::sys_seconds;
// The time of a page's progress report, finer than a JWT's seconds.
using Instant = std::chrono::sys_time<std::chrono::milliseconds>;

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
    // Where the platform keeps values for the tool's frame, when it offers
    // its storage (lti_storage_target); empty when not.
    std::string storageTarget{};
    // The same login initiation, to begin again in a window of the tool's
    // own where the browser keeps neither.
    std::string restartUrl{};
};

// What one launch lets the page do: the platform's opaque user id and no
// more about the child, and how far its game got.
struct PlayToken {
    std::string tokenHash;
    std::int64_t platformId = 0;
    std::string deploymentId;
    std::string userId;
    std::string resourceLinkId;
    Seconds expiresAt;
    // The launch's column in the platform's gradebook; empty where the
    // platform offers none.
    std::string lineItemUrl{};
    // The letters built as the page last reported, -1 before its game took
    // input, and when it reported them.
    int built = -1;
    Instant reportedAt{};
};

// One result for the platform's gradebook, as the outbox keeps it until the
// platform has it.
struct Score {
    std::int64_t id = 0;
    std::int64_t platformId = 0;
    std::string lineItemUrl;
    std::string userId;
    // The percent of the alphabet built, and Started, InProgress or Completed.
    int scoreGiven = 0;
    std::string activityProgress;
    // When the game made it, as the platform is told (ISO 8601, UTC).
    std::string timestamp;
    int attempts = 0;
};

// Sent, superseded and refused scores are kept this long, for the
// administrator who looks into what reached a gradebook, then deleted.
constexpr std::chrono::days FINISHED_SCORES_KEPT{30};

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

    // In one transaction: the play token's progress moves to built at the
    // time given, and where the score beats the best this user's line item
    // was given (by letters built), the score goes into the outbox, due at
    // once, in place of any not yet sent for the same user and line item.
    // True when it went in.
    virtual bool saveProgress(const std::string& tokenHash, int built, Instant at, const Score& score) = 0;
    // The outbox: scores due by now, oldest first; when the next is due.
    virtual std::vector<Score> dueScores(Seconds now, int limit) = 0;
    virtual std::optional<Seconds> nextScoreDue() = 0;
    virtual void scoreSent(std::int64_t id, Seconds now) = 0;
    virtual void scoreRetry(std::int64_t id, Seconds due) = 0;
    // The platform refused it for good (its HTTP status): kept, not retried.
    virtual void scoreRefused(std::int64_t id, int status, Seconds now) = 0;

    // Deletes every login state, used nonce and play token expired by now,
    // and the outbox's finished scores older than FINISHED_SCORES_KEPT.
    virtual void purge(Seconds now) = 0;
};
