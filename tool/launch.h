#pragma once

#include "tool/context.h"
#include "tool/reasons.h"

#include <chrono>
#include <string>

// How far the platform's clock may be from ours.
constexpr std::chrono::seconds CLOCK_LEEWAY{60};
// The oldest id_token taken: a launch follows its authentication at once.
constexpr std::chrono::seconds ID_TOKEN_MAX_AGE{600};
// A play token lasts a lesson, so that the page can report progress
// through a whole game, and no longer.
constexpr std::chrono::seconds PLAY_TOKEN_LIFETIME{std::chrono::hours(2)};

// The names of an LTI message's own claims in its id_token begin with this
// address, as platforms send them.
inline const std::string LTI_CLAIM = "https://purl.imsglobal.org/spec/lti/claim/";

constexpr const char* RESOURCE_LINK_REQUEST = "LtiResourceLinkRequest";
constexpr const char* DEEP_LINKING_REQUEST = "LtiDeepLinkingRequest";

// The platform's form_post to the launch URL, and the browser's cookies.
struct LaunchForm {
    std::string idToken;
    std::string state;
    std::string cookieHeader;
};

struct Launch {
    Reason reason = Reason::Accepted;
    // Known once the state is: for the log line and the frame's origin.
    Platform platform;
    std::string messageType;
    std::string deploymentId;
    // The platform's opaque user id, the one fact about the child kept.
    std::string userId;
    std::string resourceLinkId;
    // Given to the page, kept in the store only as its hash.
    std::string playToken;
};

// Checks the launch in the order the standard lists the checks, and on
// success marks the nonce used and issues a play token, in one transaction.
Launch launch(const LaunchForm& form, const ToolContext& context);
