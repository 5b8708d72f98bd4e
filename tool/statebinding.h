#pragma once

#include <chrono>
#include <string>

// Ties a login's state to the browser that began it, so that a launch
// posted from another browser (a link passed on, a forged form) is refused.
// By a cookie, which a browser keeps in a platform's frame when it allows
// partitioned third-party cookies; by the platform's postMessage storage,
// which keeps the same value for the tool's frame; and where neither
// works, by the cookie of a login begun again in a window of its own.
struct BrowserBinding {
    // Kept with the state in the store.
    std::string value;
    // The answer's Set-Cookie header.
    std::string setCookie;
};

// The cookie is always Secure, SameSite=None, HttpOnly and Partitioned:
// the launch is a cross-site POST into the platform's frame. Over
// http://localhost, where the tests run, browsers keep Secure cookies as
// over https; configProblems refuses http anywhere else.
BrowserBinding bindBrowser(const std::string& state, const std::string& secret, std::chrono::seconds lifetime,
                           const std::string& launchPath);
// True when the request's Cookie header carries the state's binding.
bool browserMatches(const std::string& state, const std::string& cookieHeader, const std::string& binding);
// True when it carries a cookie for the state at all, right or wrong.
bool hasBinding(const std::string& state, const std::string& cookieHeader);
// True when a value read back from the platform's storage is the binding.
bool proofMatches(const std::string& proof, const std::string& binding);
// The Set-Cookie header that makes the browser forget the binding.
std::string forgetBinding(const std::string& state, const std::string& launchPath);
