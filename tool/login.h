#pragma once

#include "tool/context.h"
#include "tool/reasons.h"

#include <chrono>
#include <cstdint>
#include <string>

// How long a browser has from the login initiation to the launch.
constexpr std::chrono::seconds LOGIN_STATE_LIFETIME{300};

// The platform's third-party login initiation, by GET or POST.
struct LoginRequest {
    std::string issuer;
    std::string loginHint;
    std::string targetLinkUri;
    std::string messageHint;
    std::string clientId;
    std::string deploymentId;
    // The platform's storage for the tool's frame, where it offers one:
    // "_parent", or the name of a frame beside the tool's.
    std::string storageTarget{};
};

struct LoginAnswer {
    Reason reason = Reason::Accepted;
    std::int64_t platformId = 0;
    // The platform's authorization endpoint with the authentication request.
    std::string location;
    std::string setCookie;
    // Where the platform offers its storage, the value to put there before
    // the browser goes on to the location, for the launch to read back.
    std::string storageTarget{};
    std::string storageKey{};
    std::string storageValue{};
    std::string platformOrigin{};
};

// The key under which a login's binding is kept in the platform's storage.
std::string storageKey(const std::string& state);

// Finds the registration, keeps a fresh state and nonce tied to this
// browser, and sends the browser to the platform's authorization endpoint.
LoginAnswer initiateLogin(const LoginRequest& request, const ToolContext& context);
