#pragma once

#include "tool/keys.h"
#include "tool/reasons.h"
#include "tool/store.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

// Fetches a URL's body; nothing when the server cannot be reached or does
// not answer 200. The server passes the network in; the tests a function.
using Fetcher = std::function<std::optional<std::string>(const std::string& url)>;

struct KeyLookup {
    PKey key;
    Reason reason = Reason::Accepted;
};

// The platforms' public keys by JWKS URL and kid. A kid not yet seen sends
// one fetch of the set, which replaces the cached one; a set is never
// fetched again sooner than the bound after the last fetch, so a stream of
// tokens naming unknown keys cannot make the tool flood the platform.
class JwksCache {
public:
    JwksCache(Fetcher fetch, std::chrono::seconds refetchBound);

    KeyLookup find(const std::string& jwksUrl, const std::string& kid, Seconds now);

private:
    struct KeySet {
        std::mutex mutex;
        std::map<std::string, PKey> keys;
        std::optional<Seconds> fetchedAt;
    };

    Fetcher m_fetch;
    std::chrono::seconds m_refetchBound;
    std::mutex m_mutex;
    std::map<std::string, std::unique_ptr<KeySet>> m_sets;
};
