#include "tool/scores.h"

#include "tool/jws.h"
#include "tool/launch.h"
#include "tool/log.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <set>

namespace {

constexpr const char* SCORE_TYPE = "application/vnd.ims.lis.v1.score+json";
constexpr int SCORE_MAXIMUM = 100;
// A client assertion is good for this long; an access token is let go this
// long before the platform says it expires.
constexpr std::chrono::seconds ASSERTION_LIFETIME{300};
constexpr std::chrono::seconds TOKEN_MARGIN{60};
constexpr std::chrono::seconds TOKEN_LIFETIME_UNSAID{3600};
// What expired is deleted this often: logins, nonces and play tokens pile
// up no more than a minute's launches, and no login waits on a deletion.
constexpr std::chrono::minutes PURGE_EVERY{1};

std::string formValue(const std::string& value)
{
    return httplib::detail::encode_query_param(value);
}

bool transient(int status)
{
    return status == 0 || status == 408 || status == 429 || status >= 500;
}

} // namespace

std::string scoresUrl(const std::string& lineItemUrl)
{
    const std::size_t query = lineItemUrl.find('?');
    std::string path = lineItemUrl.substr(0, query);
    while (path.ends_with('/'))
        path.pop_back();
    return path + "/scores" + (query == std::string::npos ? "" : lineItemUrl.substr(query));
}

ScoreSender::ScoreSender(Store& store, KeyRing& keys, Poster post, Clock now, Random random)
    : m_store(store)
    , m_keys(keys)
    , m_post(std::move(post))
    , m_now(std::move(now))
    , m_random(std::move(random))
{
}

std::optional<std::string> ScoreSender::accessToken(const Platform& platform, int& status)
{
    const Seconds now = m_now();
    const auto kept = m_tokens.find(platform.id);
    if (kept != m_tokens.end() && now < kept->second.expiresAt)
        return kept->second.token;

    const std::int64_t issuedAt = now.time_since_epoch().count();
    const nlohmann::json assertion = {{"iss", platform.clientId},
                                      {"sub", platform.clientId},
                                      {"aud", platform.tokenUrl},
                                      {"iat", issuedAt},
                                      {"exp", issuedAt + ASSERTION_LIFETIME.count()},
                                      {"jti", m_random()}};
    const std::string form = "grant_type=client_credentials"
                             "&client_assertion_type=urn%3Aietf%3Aparams%3Aoauth%3Aclient-assertion-type%3Ajwt-bearer"
                             "&client_assertion="
        + signJws(assertion, m_keys.signing(now)) + "&scope=" + formValue(AGS_SCORE_SCOPE);
    const PostReply reply = m_post(platform.tokenUrl, "application/x-www-form-urlencoded", form, "");
    status = reply.status;
    const nlohmann::json answer = nlohmann::json::parse(reply.body, nullptr, false);
    const bool good = reply.status == 200 && answer.is_object() && answer.contains("access_token")
        && answer["access_token"].is_string() && !answer["access_token"].get<std::string>().empty();
    if (!good) {
        logEvent("token",
                 {{"outcome", "failed"},
                  {"platform", std::to_string(platform.id)},
                  {"status", std::to_string(reply.status)}});
        return std::nullopt;
    }
    std::chrono::seconds lifetime = TOKEN_LIFETIME_UNSAID;
    if (answer.contains("expires_in") && answer["expires_in"].is_number_integer())
        lifetime = std::chrono::seconds(answer["expires_in"].get<std::int64_t>());
    m_tokens[platform.id] = {answer["access_token"].get<std::string>(), now + lifetime - TOKEN_MARGIN};
    return m_tokens[platform.id].token;
}

ScoreSender::Sending ScoreSender::send(const Score& score, const Platform& platform)
{
    Sending sending;
    const std::optional<std::string> token = accessToken(platform, sending.status);
    if (!token)
        return sending;
    const nlohmann::json body = {{"userId", score.userId},           {"scoreGiven", score.scoreGiven},
                                 {"scoreMaximum", SCORE_MAXIMUM},    {"activityProgress", score.activityProgress},
                                 {"gradingProgress", "FullyGraded"}, {"timestamp", score.timestamp}};
    const PostReply reply = m_post(scoresUrl(score.lineItemUrl), SCORE_TYPE, body.dump(), "Bearer " + *token);
    sending.status = reply.status;
    sending.retryAfterSeconds = reply.retryAfterSeconds;
    if (reply.status >= 200 && reply.status < 300)
        sending.outcome = Outcome::Sent;
    else if (reply.status == 401)
        // The token ended sooner than the platform said: a fresh one next time.
        m_tokens.erase(platform.id);
    else if (!transient(reply.status))
        sending.outcome = Outcome::Refused;
    return sending;
}

Seconds ScoreSender::retryAt(const Score& score, const Sending& sending) const
{
    const int doublings = std::min(score.attempts, 16);
    std::chrono::seconds wait = std::min<std::chrono::seconds>(RETRY_FIRST * (1LL << doublings), RETRY_MOST);
    if (sending.retryAfterSeconds > 0)
        wait = std::max(
            wait, std::min<std::chrono::seconds>(std::chrono::seconds(sending.retryAfterSeconds), RETRY_AFTER_MOST));
    return m_now() + wait;
}

std::optional<Seconds> ScoreSender::sendDue()
{
    std::vector<Score> due = m_store.dueScores(m_now(), SCORES_PER_ROUND);
    while (!due.empty()) {
        // A platform that failed once this round is not asked again in it:
        // its other scores wait as long as the first.
        std::map<std::int64_t, Seconds> failed;
        for (const Score& score : due) {
            const std::string platformId = std::to_string(score.platformId);
            if (const auto down = failed.find(score.platformId); down != failed.end()) {
                m_store.scoreRetry(score.id, std::max(down->second, retryAt(score, {})));
                continue;
            }
            const std::optional<Platform> platform = m_store.platform(score.platformId);
            const Sending sending = platform ? send(score, *platform) : Sending{Outcome::Refused, 0, -1};
            const auto log = [&](const char* outcome) {
                logEvent("score",
                         {{"outcome", outcome},
                          {"platform", platformId},
                          {"score", std::to_string(score.id)},
                          {"status", std::to_string(sending.status)},
                          {"attempt", std::to_string(score.attempts + 1)}});
            };
            if (sending.outcome == Outcome::Sent) {
                m_store.scoreSent(score.id, m_now());
                log("sent");
            } else if (sending.outcome == Outcome::Refused) {
                m_store.scoreRefused(score.id, sending.status, m_now());
                log("refused");
            } else {
                const Seconds at = retryAt(score, sending);
                m_store.scoreRetry(score.id, at);
                failed.emplace(score.platformId, at);
                log("retry");
            }
        }
        due = m_store.dueScores(m_now(), SCORES_PER_ROUND);
    }
    return m_store.nextScoreDue();
}

void ScoreSender::run()
{
    Seconds purgedAt = m_now();
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        m_woken = false;
        lock.unlock();
        std::optional<Seconds> next;
        try {
            if (m_now() - purgedAt >= PURGE_EVERY) {
                purgedAt = m_now();
                m_store.purge(purgedAt);
            }
            next = sendDue();
        } catch (const std::exception& error) {
            // The store failed (a full disk): the scores stay where they
            // are, and the next round tries again.
            logEvent("error", {{"what", error.what()}});
            next = m_now() + RETRY_FIRST;
        }
        lock.lock();
        const Seconds until = std::min(next.value_or(m_now() + PURGE_EVERY), purgedAt + PURGE_EVERY);
        m_wake.wait_for(lock, std::max(until - m_now(), std::chrono::seconds(0)),
                        [this] { return m_stopping || m_woken; });
    }
}

void ScoreSender::wake()
{
    const std::scoped_lock lock(m_mutex);
    m_woken = true;
    m_wake.notify_one();
}

void ScoreSender::stop()
{
    const std::scoped_lock lock(m_mutex);
    m_stopping = true;
    m_wake.notify_one();
}
