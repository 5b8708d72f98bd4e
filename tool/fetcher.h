#pragma once

#include "tool/jwkscache.h"

#include <functional>
#include <string>

// Fetches over http or https with a bounded time and size, verifying
// https servers against the system's certificates.
Fetcher httpFetcher();

// A GET with an Authorization header (the whole value, "Bearer ..."), as a
// platform asks for its configuration with a registration token.
using AuthorizedFetcher
    = std::function<std::optional<std::string>(const std::string& url, const std::string& authorization)>;
AuthorizedFetcher httpAuthorizedFetcher();

// A platform's answer to a POST: status 0 when there was none (the server
// could not be reached, timed out, or answered more than the bound).
struct PostReply {
    int status = 0;
    std::string body;
    // Retry-After in seconds, where the platform sent it as a number.
    int retryAfterSeconds = -1;
};

// A POST of a body to a platform; authorization is the whole header value
// ("Bearer ..."), empty for none. The server passes the network in; the
// tests a function.
using Poster = std::function<PostReply(const std::string& url, const std::string& contentType, const std::string& body,
                                       const std::string& authorization)>;

// Posts over http or https with the same bounds and checks as httpFetcher.
Poster httpPoster();
