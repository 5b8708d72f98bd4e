#include "tool/sqlitestore.h"

#include "tool/sqlite.h"

#include <sqlite3.h>

#include <array>
#include <fcntl.h>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

using sqlite::execute;
using sqlite::Statement;
using sqlite::Transaction;

namespace {

// The schema's history, oldest first: migration N brings the schema from
// version N - 1 to N. A migration once released is never edited; a change
// is a new row.
constexpr std::array<std::string_view, 2> MIGRATIONS = {
    R"(CREATE TABLE platforms (
           id INTEGER PRIMARY KEY,
           issuer TEXT NOT NULL,
           client_id TEXT NOT NULL,
           auth_url TEXT NOT NULL,
           token_url TEXT NOT NULL,
           jwks_url TEXT NOT NULL,
           UNIQUE (issuer, client_id));
       CREATE TABLE deployments (
           platform_id INTEGER NOT NULL REFERENCES platforms (id) ON DELETE CASCADE,
           deployment_id TEXT NOT NULL,
           PRIMARY KEY (platform_id, deployment_id));
       CREATE TABLE login_states (
           state TEXT PRIMARY KEY,
           platform_id INTEGER NOT NULL REFERENCES platforms (id) ON DELETE CASCADE,
           nonce TEXT NOT NULL,
           browser_binding TEXT NOT NULL,
           expires_at INTEGER NOT NULL);
       CREATE INDEX login_states_expiry ON login_states (expires_at);
       CREATE TABLE used_nonces (
           platform_id INTEGER NOT NULL REFERENCES platforms (id) ON DELETE CASCADE,
           nonce TEXT NOT NULL,
           expires_at INTEGER NOT NULL,
           PRIMARY KEY (platform_id, nonce));
       CREATE INDEX used_nonces_expiry ON used_nonces (expires_at);
       CREATE TABLE play_tokens (
           token_hash TEXT PRIMARY KEY,
           platform_id INTEGER NOT NULL REFERENCES platforms (id) ON DELETE CASCADE,
           deployment_id TEXT NOT NULL,
           user_id TEXT NOT NULL,
           resource_link_id TEXT NOT NULL,
           expires_at INTEGER NOT NULL);
       CREATE INDEX play_tokens_expiry ON play_tokens (expires_at);)",
    // The gradebook: each launch's line item and progress, the best each
    // user's line item was given, and the outbox of scores until sent; and
    // the login's other ways to the browser: the platform's storage, and
    // the login begun again in a window of its own.
    R"(ALTER TABLE login_states ADD COLUMN storage_target TEXT NOT NULL DEFAULT '';
       ALTER TABLE login_states ADD COLUMN restart_url TEXT NOT NULL DEFAULT '';
       ALTER TABLE play_tokens ADD COLUMN line_item_url TEXT NOT NULL DEFAULT '';
       ALTER TABLE play_tokens ADD COLUMN built INTEGER NOT NULL DEFAULT -1;
       ALTER TABLE play_tokens ADD COLUMN reported_at_ms BIGINT NOT NULL DEFAULT 0;
       CREATE TABLE best_scores (
           platform_id INTEGER NOT NULL REFERENCES platforms (id) ON DELETE CASCADE,
           line_item_url TEXT NOT NULL,
           user_id TEXT NOT NULL,
           built INTEGER NOT NULL,
           PRIMARY KEY (platform_id, line_item_url, user_id));
       CREATE TABLE outbox (
           id INTEGER PRIMARY KEY,
           platform_id INTEGER NOT NULL REFERENCES platforms (id) ON DELETE CASCADE,
           line_item_url TEXT NOT NULL,
           user_id TEXT NOT NULL,
           score_given INTEGER NOT NULL,
           activity_progress TEXT NOT NULL,
           score_timestamp TEXT NOT NULL,
           state TEXT NOT NULL CHECK (state IN ('pending', 'sent', 'superseded', 'refused')),
           attempts INTEGER NOT NULL DEFAULT 0,
           due_at BIGINT NOT NULL,
           refused_status INTEGER,
           finished_at BIGINT);
       CREATE INDEX outbox_due ON outbox (state, due_at);
       CREATE INDEX outbox_finished ON outbox (finished_at);)",
};

std::int64_t epoch(Seconds time)
{
    return time.time_since_epoch().count();
}

Seconds fromEpoch(std::int64_t seconds)
{
    return Seconds(std::chrono::seconds(seconds));
}

Platform readPlatform(const Statement& row)
{
    return {row.number(0), row.text(1), row.text(2), row.text(3), row.text(4), row.text(5)};
}

} // namespace

SqliteStore::SqliteStore(const std::filesystem::path& file)
{
    // The database names platforms' users by their ids: made readable by
    // the tool alone, whatever the umask; SQLite gives its journal files
    // the database's mode.
    if (file != ":memory:") {
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd >= 0)
            ::close(fd);
    }
    if (sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw std::runtime_error("cannot open " + file.string() + ": " + message);
    }
    try {
        sqlite3_busy_timeout(m_db, 5000);
        execute(m_db, "PRAGMA foreign_keys = ON; PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL");
        migrate();
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

SqliteStore::~SqliteStore()
{
    sqlite3_close(m_db);
}

void SqliteStore::migrate()
{
    Transaction transaction(m_db);
    execute(m_db, "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
    Statement current(m_db, "SELECT coalesce(max(version), 0) FROM schema_version");
    current.step();
    const std::int64_t version = current.number(0);
    if (version > static_cast<std::int64_t>(MIGRATIONS.size()))
        throw std::runtime_error("the database is of a newer version of the tool (schema " + std::to_string(version)
                                 + ")");
    for (std::size_t next = version; next < MIGRATIONS.size(); ++next) {
        execute(m_db, std::string(MIGRATIONS[next]));
        Statement(m_db, "DELETE FROM schema_version").step();
        Statement(m_db, "INSERT INTO schema_version (version) VALUES (?)")
            .bind(static_cast<std::int64_t>(next + 1))
            .step();
    }
    transaction.commit();
}

int SqliteStore::schemaVersion()
{
    const std::scoped_lock lock(m_mutex);
    Statement query(m_db, "SELECT version FROM schema_version");
    return query.step() ? static_cast<int>(query.number(0)) : 0;
}

std::int64_t SqliteStore::savePlatform(const Platform& platform)
{
    const std::scoped_lock lock(m_mutex);
    Statement upsert(m_db,
                     "INSERT INTO platforms (issuer, client_id, auth_url, token_url, jwks_url) VALUES (?, ?, ?, ?, ?) "
                     "ON CONFLICT (issuer, client_id) DO UPDATE SET auth_url = excluded.auth_url, "
                     "token_url = excluded.token_url, jwks_url = excluded.jwks_url RETURNING id");
    upsert.bind(platform.issuer).bind(platform.clientId).bind(platform.authUrl).bind(platform.tokenUrl);
    upsert.bind(platform.jwksUrl).step();
    const std::int64_t id = upsert.number(0);
    while (upsert.step()) { }
    return id;
}

std::vector<Platform> SqliteStore::platformsOf(const std::string& issuer)
{
    const std::scoped_lock lock(m_mutex);
    Statement query(
        m_db,
        "SELECT id, issuer, client_id, auth_url, token_url, jwks_url FROM platforms WHERE issuer = ? ORDER BY id");
    query.bind(issuer);
    std::vector<Platform> found;
    while (query.step())
        found.push_back(readPlatform(query));
    return found;
}

std::optional<Platform> SqliteStore::platform(std::int64_t id)
{
    const std::scoped_lock lock(m_mutex);
    Statement query(m_db, "SELECT id, issuer, client_id, auth_url, token_url, jwks_url FROM platforms WHERE id = ?");
    query.bind(id);
    if (!query.step())
        return std::nullopt;
    return readPlatform(query);
}

void SqliteStore::addDeployment(std::int64_t platformId, const std::string& deploymentId)
{
    const std::scoped_lock lock(m_mutex);
    Statement(m_db, "INSERT OR IGNORE INTO deployments (platform_id, deployment_id) VALUES (?, ?)")
        .bind(platformId)
        .bind(deploymentId)
        .step();
}

bool SqliteStore::hasDeployment(std::int64_t platformId, const std::string& deploymentId)
{
    const std::scoped_lock lock(m_mutex);
    Statement query(m_db, "SELECT 1 FROM deployments WHERE platform_id = ? AND deployment_id = ?");
    return query.bind(platformId).bind(deploymentId).step();
}

void SqliteStore::addLoginState(const LoginState& state)
{
    const std::scoped_lock lock(m_mutex);
    Statement(m_db,
              "INSERT INTO login_states (state, platform_id, nonce, browser_binding, expires_at, storage_target, "
              "restart_url) "
              "VALUES (?, ?, ?, ?, ?, ?, ?)")
        .bind(state.state)
        .bind(state.platformId)
        .bind(state.nonce)
        .bind(state.browserBinding)
        .bind(epoch(state.expiresAt))
        .bind(state.storageTarget)
        .bind(state.restartUrl)
        .step();
}

std::optional<LoginState> SqliteStore::loginState(const std::string& state)
{
    const std::scoped_lock lock(m_mutex);
    Statement query(m_db,
                    "SELECT state, platform_id, nonce, browser_binding, expires_at, storage_target, restart_url "
                    "FROM login_states WHERE state = ?");
    if (!query.bind(state).step())
        return std::nullopt;
    return LoginState{query.text(0), query.number(1), query.text(2), query.text(3), fromEpoch(query.number(4)),
                      query.text(5), query.text(6)};
}

bool SqliteStore::completeLaunch(const std::string& nonce, Seconds nonceExpiresAt, const PlayToken& token)
{
    const std::scoped_lock lock(m_mutex);
    Transaction transaction(m_db);
    Statement used(m_db, "INSERT OR IGNORE INTO used_nonces (platform_id, nonce, expires_at) VALUES (?, ?, ?)");
    used.bind(token.platformId).bind(nonce).bind(epoch(nonceExpiresAt)).step();
    if (sqlite3_changes(m_db) == 0)
        return false;
    Statement(m_db,
              "INSERT INTO play_tokens (token_hash, platform_id, deployment_id, user_id, resource_link_id, expires_at, "
              "line_item_url) VALUES (?, ?, ?, ?, ?, ?, ?)")
        .bind(token.tokenHash)
        .bind(token.platformId)
        .bind(token.deploymentId)
        .bind(token.userId)
        .bind(token.resourceLinkId)
        .bind(epoch(token.expiresAt))
        .bind(token.lineItemUrl)
        .step();
    transaction.commit();
    return true;
}

std::optional<PlayToken> SqliteStore::playToken(const std::string& tokenHash)
{
    const std::scoped_lock lock(m_mutex);
    Statement query(m_db,
                    "SELECT token_hash, platform_id, deployment_id, user_id, resource_link_id, expires_at, "
                    "line_item_url, built, reported_at_ms FROM play_tokens WHERE token_hash = ?");
    if (!query.bind(tokenHash).step())
        return std::nullopt;
    return PlayToken{query.text(0),
                     query.number(1),
                     query.text(2),
                     query.text(3),
                     query.text(4),
                     fromEpoch(query.number(5)),
                     query.text(6),
                     static_cast<int>(query.number(7)),
                     Instant(std::chrono::milliseconds(query.number(8)))};
}

bool SqliteStore::saveProgress(const std::string& tokenHash, int built, Instant at, const Score& score)
{
    const std::scoped_lock lock(m_mutex);
    Transaction transaction(m_db);
    Statement(m_db, "UPDATE play_tokens SET built = ?, reported_at_ms = ? WHERE token_hash = ?")
        .bind(built)
        .bind(at.time_since_epoch().count())
        .bind(tokenHash)
        .step();
    bool queued = false;
    if (!score.lineItemUrl.empty()) {
        // The best only ever rises: a worse or equal game changes nothing.
        Statement best(m_db,
                       "INSERT INTO best_scores (platform_id, line_item_url, user_id, built) VALUES (?, ?, ?, ?) "
                       "ON CONFLICT (platform_id, line_item_url, user_id) DO UPDATE SET built = excluded.built "
                       "WHERE excluded.built > best_scores.built");
        best.bind(score.platformId).bind(score.lineItemUrl).bind(score.userId).bind(built).step();
        queued = sqlite3_changes(m_db) > 0;
    }
    if (queued) {
        // A score not yet sent says less than this one: the platform needs
        // only the newest.
        Statement(m_db,
                  "UPDATE outbox SET state = 'superseded', finished_at = ? WHERE state = 'pending' "
                  "AND platform_id = ? AND line_item_url = ? AND user_id = ?")
            .bind(std::chrono::floor<std::chrono::seconds>(at).time_since_epoch().count())
            .bind(score.platformId)
            .bind(score.lineItemUrl)
            .bind(score.userId)
            .step();
        Statement(m_db,
                  "INSERT INTO outbox (platform_id, line_item_url, user_id, score_given, activity_progress, "
                  "score_timestamp, state, due_at) VALUES (?, ?, ?, ?, ?, ?, 'pending', ?)")
            .bind(score.platformId)
            .bind(score.lineItemUrl)
            .bind(score.userId)
            .bind(score.scoreGiven)
            .bind(score.activityProgress)
            .bind(score.timestamp)
            .bind(std::chrono::floor<std::chrono::seconds>(at).time_since_epoch().count())
            .step();
    }
    transaction.commit();
    return queued;
}

std::vector<Score> SqliteStore::dueScores(Seconds now, int limit)
{
    const std::scoped_lock lock(m_mutex);
    Statement query(m_db,
                    "SELECT id, platform_id, line_item_url, user_id, score_given, activity_progress, "
                    "score_timestamp, attempts FROM outbox WHERE state = 'pending' AND due_at <= ? "
                    "ORDER BY id LIMIT ?");
    query.bind(epoch(now)).bind(limit);
    std::vector<Score> due;
    while (query.step())
        due.push_back({query.number(0), query.number(1), query.text(2), query.text(3),
                       static_cast<int>(query.number(4)), query.text(5), query.text(6),
                       static_cast<int>(query.number(7))});
    return due;
}

std::optional<Seconds> SqliteStore::nextScoreDue()
{
    const std::scoped_lock lock(m_mutex);
    Statement query(m_db, "SELECT min(due_at) FROM outbox WHERE state = 'pending'");
    query.step();
    if (query.isNull(0))
        return std::nullopt;
    return fromEpoch(query.number(0));
}

void SqliteStore::scoreSent(std::int64_t id, Seconds now)
{
    const std::scoped_lock lock(m_mutex);
    Statement(m_db, "UPDATE outbox SET state = 'sent', attempts = attempts + 1, finished_at = ? WHERE id = ?")
        .bind(epoch(now))
        .bind(id)
        .step();
}

void SqliteStore::scoreRetry(std::int64_t id, Seconds due)
{
    const std::scoped_lock lock(m_mutex);
    Statement(m_db, "UPDATE outbox SET attempts = attempts + 1, due_at = ? WHERE id = ? AND state = 'pending'")
        .bind(epoch(due))
        .bind(id)
        .step();
}

void SqliteStore::scoreRefused(std::int64_t id, int status, Seconds now)
{
    const std::scoped_lock lock(m_mutex);
    Statement(m_db,
              "UPDATE outbox SET state = 'refused', attempts = attempts + 1, refused_status = ?, finished_at = ? "
              "WHERE id = ?")
        .bind(status)
        .bind(epoch(now))
        .bind(id)
        .step();
}

void SqliteStore::purge(Seconds now)
{
    const std::scoped_lock lock(m_mutex);
    Transaction transaction(m_db);
    for (const char* table : {"login_states", "used_nonces", "play_tokens"})
        Statement(m_db, std::string("DELETE FROM ") + table + " WHERE expires_at <= ?").bind(epoch(now)).step();
    Statement(m_db, "DELETE FROM outbox WHERE state <> 'pending' AND finished_at <= ?")
        .bind(epoch(now - FINISHED_SCORES_KEPT))
        .step();
    transaction.commit();
}
