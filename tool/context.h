#pragma once

#include "tool/config.h"
#include "tool/fetcher.h"
#include "tool/jwkscache.h"
#include "tool/store.h"

#include <functional>
#include <string>

// The clock, in whole seconds as JWTs count time, and to the millisecond.
using Clock = std::function<Seconds()>;
using PreciseClock = std::function<Instant()>;
// A fresh secret each call, unguessable: states, nonces, play tokens.
using Random = std::function<std::string()>;

// What a request's function works with; the tests pass their own clock,
// randomness and platform keys.
struct ToolContext {
    Store& store;
    JwksCache& jwks;
    ToolUrls urls;
    Clock now;
    Random random;
    // The network, for what the tool asks of platforms itself: a platform's
    // configuration and registration, its access tokens and its gradebook.
    AuthorizedFetcher fetch;
    Poster post;
    PreciseClock instant;
};

Seconds systemNow();
Instant systemInstant();
// 32 bytes from OpenSSL's generator, base64url.
std::string randomSecret();
