#include "tool/keyring.h"

#include <ctime>
#include <stdexcept>

namespace {

Seconds changedAt(const std::filesystem::path& file)
{
    const auto changed = std::filesystem::last_write_time(file);
    return std::chrono::floor<std::chrono::seconds>(std::chrono::file_clock::to_sys(changed));
}

std::string dateText(Seconds time)
{
    const std::time_t seconds = time.time_since_epoch().count();
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &utc);
    return text;
}

} // namespace

KeyRing::KeyRing(std::filesystem::path dataFolder)
    : m_folder(std::move(dataFolder))
    , m_current(loadOrCreateToolKey(*m_folder))
{
    const std::scoped_lock lock(m_mutex);
    refresh();
}

KeyRing::KeyRing(SigningKey only)
    : m_current(std::move(only))
{
}

void KeyRing::refresh()
{
    if (!m_folder)
        return;
    std::error_code error;
    const std::filesystem::path currentFile = *m_folder / KEY_FILE;
    const auto currentChanged = std::filesystem::last_write_time(currentFile, error);
    if (!error && currentChanged != m_currentChanged) {
        if (std::optional<SigningKey> key = readKeyFile(currentFile))
            m_current = std::move(*key);
        m_currentChanged = currentChanged;
    }
    const std::filesystem::path nextFile = *m_folder / NEXT_KEY_FILE;
    const auto nextChanged = std::filesystem::last_write_time(nextFile, error);
    if (error) {
        m_next.reset();
        m_nextChanged.reset();
    } else if (nextChanged != m_nextChanged) {
        if (std::optional<SigningKey> key = readKeyFile(nextFile))
            m_next = Next{std::move(*key), changedAt(nextFile)};
        m_nextChanged = nextChanged;
    }
}

SigningKey KeyRing::signing(Seconds now)
{
    const std::scoped_lock lock(m_mutex);
    refresh();
    return m_next && now >= m_next->madeAt + KEY_PUBLISHED_AHEAD ? m_next->key : m_current;
}

std::vector<SigningKey> KeyRing::published(Seconds now)
{
    const std::scoped_lock lock(m_mutex);
    refresh();
    if (!m_next)
        return {m_current};
    if (now < m_next->madeAt + KEY_PUBLISHED_AHEAD + OLD_KEY_KEPT)
        return {m_current, m_next->key};
    return {m_next->key};
}

Rotation rotateKey(const std::filesystem::path& dataFolder, Seconds now)
{
    const std::filesystem::path current = dataFolder / KEY_FILE;
    const std::filesystem::path next = dataFolder / NEXT_KEY_FILE;
    loadOrCreateToolKey(dataFolder);
    if (std::optional<SigningKey> waiting = readKeyFile(next)) {
        const Seconds signsFrom = changedAt(next) + KEY_PUBLISHED_AHEAD;
        if (now < signsFrom + OLD_KEY_KEPT)
            return {false,
                    "The next key " + waiting->kid + " is published and signs from " + dateText(signsFrom)
                        + "; the key before it is published until " + dateText(signsFrom + OLD_KEY_KEPT)
                        + ". Rotate again after that.\n"};
        // The next key has signed long enough: the one before is retired.
        std::filesystem::rename(next, current);
    }
    const SigningKey made = writeNewKeyFile(next);
    return {true,
            "Published the next key " + made.kid + "; the tool signs with it from "
                + dateText(now + KEY_PUBLISHED_AHEAD) + ", and keeps publishing the key before it until "
                + dateText(now + KEY_PUBLISHED_AHEAD + OLD_KEY_KEPT)
                + ".\nIts public key, for a platform that holds the tool's key itself rather than its keyset URL:\n"
                + publicKeyPem(made)};
}
