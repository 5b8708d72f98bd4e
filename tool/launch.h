#pragma once

#include "tool/context.h"
#include "tool/deeplinking.h"
#include "tool/reasons.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

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

// The gradebook's claim and the one scope the tool needs of it: to post scores.
inline const std::string AGS_ENDPOINT_CLAIM = "https://purl.imsglobal.org/spec/lti-ags/claim/endpoint";
inline const std::string AGS_SCORE_SCOPE = "https://purl.imsglobal.org/spec/lti-ags/scope/score";

constexpr const char* RESOURCE_LINK_REQUEST = "LtiResourceLinkRequest";
constexpr const char* DEEP_LINKING_REQUEST = "LtiDeepLinkingRequest";

// The platform's form_post to the launch URL, and the browser's cookies.
struct LaunchForm {
    std::string idToken;
    std::string state;
    std::string cookieHeader;
    // The login's binding as the platform's storage kept it, read back by
    // the browser-check page where the browser sent no cookie.
    std::string browserProof{};
};

struct Launch {
    Reason reason = Reason::Accepted;
    // Known once the state is: for the log line and the frame's origin,
    // and the ways to the browser where its cookie did not come.
    Platform platform;
    LoginState login;
    std::string messageType;
    std::string deploymentId;
    // The platform's opaque user id, the one fact about the child kept.
    std::string userId;
    std::string resourceLinkId;
    // Where the platform takes this link's results, when it does.
    std::string lineItemUrl;
    // The origins of the platform's own pages that its message names (where
    // a platform's courses live on another host than its issuer's): they
    // may frame the page as well.
    std::vector<std::string> pageOrigins;
    // Given to the page, kept in the store only as its hash.
    std::string playToken;
    // A deep-linking launch's settings: where the chosen link goes back to.
    std::optional<DeepLinkingSettings> deepLinking;
};

// Checks the launch in the order the standard lists the checks, and on
// success marks the nonce used and issues a play token, in one transaction.
Launch launch(const LaunchForm& form, const ToolContext& context);
