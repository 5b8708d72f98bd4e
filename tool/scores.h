#pragma once

#include "tool/context.h"
#include "tool/keyring.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

// A score that could not be sent waits this long before the next try,
// doubling with each try up to the most; longer where the platform asks.
constexpr std::chrono::seconds RETRY_FIRST{5};
constexpr std::chrono::seconds RETRY_MOST{600};
constexpr std::chrono::seconds RETRY_AFTER_MOST{3600};
// The outbox is read this many scores at a time.
constexpr int SCORES_PER_ROUND = 50;

// Sends the outbox's scores to the platforms' gradebooks (Assignment and
// Grade Services): an access token from the platform's token endpoint, by a
// client assertion signed with the tool's key and kept until it expires,
// then each score to its line item. A score leaves the outbox only when the
// platform has it or refuses it for good; a platform that is down, slow or
// busy is tried again later, and so is everything after a restart. Sending a
// score twice does no harm: the platform keeps the same result.
class ScoreSender {
public:
    ScoreSender(Store& store, KeyRing& keys, Poster post, Clock now, Random random);

    // Tries each score due by now once, and says when the next is due.
    std::optional<Seconds> sendDue();
    // Sends until stop(), waking when a score is due or wake() is called,
    // and clearing what the store keeps no longer once a minute.
    void run();
    void wake();
    void stop();

private:
    struct AccessToken {
        std::string token;
        Seconds expiresAt;
    };
    enum class Outcome { Sent, Retry, Refused };
    struct Sending {
        Outcome outcome = Outcome::Retry;
        int status = 0;
        int retryAfterSeconds = -1;
    };

    Sending send(const Score& score, const Platform& platform);
    std::optional<std::string> accessToken(const Platform& platform, int& status);
    Seconds retryAt(const Score& score, const Sending& sending) const;

    Store& m_store;
    KeyRing& m_keys;
    Poster m_post;
    Clock m_now;
    Random m_random;
    std::map<std::int64_t, AccessToken> m_tokens;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_woken = false;
    bool m_stopping = false;
};

// The address a line item takes scores at: its own with /scores added to
// the path, before any query.
std::string scoresUrl(const std::string& lineItemUrl);
