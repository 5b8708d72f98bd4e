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

// LTI's own names (its claims, scopes and configurations) are addresses
// under one, as platforms send them; each is written once, here.
inline const std::string LTI_NAMES = "https://purl.imsglobal.org/spec/";
// An LTI message's claims in its id_token.
inline const std::string LTI_CLAIM = LTI_NAMES + "lti/claim/";
inline const std::string DEEP_LINKING_CLAIM = LTI_NAMES + "lti-dl/claim/";
// The gradebook's claim, and the scopes the tool asks for: to post scores,
// and the line items a deep-linking answer creates.
inline const std::string AGS_ENDPOINT_CLAIM = LTI_NAMES + "lti-ags/claim/endpoint";
inline const std::string AGS_SCORE_SCOPE = LTI_NAMES + "lti-ags/scope/score";
inline const std::string AGS_LINEITEM_SCOPE = LTI_NAMES + "lti-ags/scope/lineitem";
// A platform's and the tool's parts of a dynamic registration.
inline const std::string PLATFORM_CONFIGURATION = LTI_NAMES + "lti-platform-configuration";
inline const std::string TOOL_CONFIGURATION = LTI_NAMES + "lti-tool-configuration";

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
