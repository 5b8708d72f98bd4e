#pragma once

#include "tool/store.h"

#include <filesystem>
#include <mutex>

struct sqlite3;

// The store in one SQLite file, brought to the newest schema when opened.
// One connection, one caller at a time: the server's threads take turns.
class SqliteStore : public Store {
public:
    explicit SqliteStore(const std::filesystem::path& file);
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    int schemaVersion();

    std::int64_t savePlatform(const Platform& platform) override;
    std::vector<Platform> platformsOf(const std::string& issuer) override;
    std::optional<Platform> platform(std::int64_t id) override;
    void addDeployment(std::int64_t platformId, const std::string& deploymentId) override;
    bool hasDeployment(std::int64_t platformId, const std::string& deploymentId) override;
    void addLoginState(const LoginState& state) override;
    std::optional<LoginState> loginState(const std::string& state) override;
    bool completeLaunch(const std::string& nonce, Seconds nonceExpiresAt, const PlayToken& token) override;
    std::optional<PlayToken> playToken(const std::string& tokenHash) override;
    bool saveProgress(const std::string& tokenHash, int built, Instant at, const Score& score) override;
    std::vector<Score> dueScores(Seconds now, int limit) override;
    std::optional<Seconds> nextScoreDue() override;
    void scoreSent(std::int64_t id, Seconds now) override;
    void scoreRetry(std::int64_t id, Seconds due) override;
    void scoreRefused(std::int64_t id, int status, Seconds now) override;
    void purge(Seconds now) override;

private:
    void migrate();

    sqlite3* m_db = nullptr;
    std::mutex m_mutex;
};
