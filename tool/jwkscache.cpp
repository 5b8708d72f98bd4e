#include "tool/jwkscache.h"

#include <nlohmann/json.hpp>

#include <utility>

JwksCache::JwksCache(Fetcher fetch, std::chrono::seconds refetchBound)
    : m_fetch(std::move(fetch))
    , m_refetchBound(refetchBound)
{
}

KeyLookup JwksCache::find(const std::string& jwksUrl, const std::string& kid, Seconds now)
{
    KeySet* set = nullptr;
    {
        const std::scoped_lock lock(m_mutex);
        std::unique_ptr<KeySet>& slot = m_sets[jwksUrl];
        if (!slot)
            slot = std::make_unique<KeySet>();
        set = slot.get();
    }
    // Launches for one platform wait for its one fetch rather than each
    // fetching, or each finding no key while the first fetch runs.
    const std::scoped_lock lock(set->mutex);
    if (const auto known = set->keys.find(kid); known != set->keys.end())
        return {known->second};
    if (set->fetchedAt && now < *set->fetchedAt + m_refetchBound)
        return {nullptr, set->keys.empty() ? Reason::JwksUnavailable : Reason::KidUnknown};
    set->fetchedAt = now;
    const std::optional<std::string> body = m_fetch(jwksUrl);
    if (!body)
        return {nullptr, Reason::JwksUnavailable};
    const nlohmann::json document = nlohmann::json::parse(*body, nullptr, false);
    if (!document.is_object() || !document.contains("keys") || !document["keys"].is_array())
        return {nullptr, Reason::JwksUnavailable};
    std::map<std::string, PKey> keys;
    for (const nlohmann::json& jwk : document["keys"]) {
        if (jwk.is_object() && jwk.contains("kid") && jwk["kid"].is_string())
            if (PKey key = rsaKeyFromJwk(jwk))
                keys[jwk["kid"].get<std::string>()] = key;
    }
    set->keys = std::move(keys);
    if (const auto known = set->keys.find(kid); known != set->keys.end())
        return {known->second};
    return {nullptr, Reason::KidUnknown};
}
