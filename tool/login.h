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
};

struct LoginAnswer {
    Reason reason = Reason::Accepted;
    std::int64_t platformId = 0;
    // The platform's authorization endpoint with the authentication request.
    std::string location;
    std::string setCookie;
};

// Finds the registration, keeps a fresh state and nonce tied to this
// browser, and sends the browser to the platform's authorization endpoint.
LoginAnswer initiateLogin(const LoginRequest& request, const ToolContext& context);
