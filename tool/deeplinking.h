#pragma once

#include "tool/answer.h"
#include "tool/context.h"
#include "tool/keys.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct Launch;

// The answer goes back to the platform at once, by the browser's form post.
constexpr std::chrono::seconds DEEP_LINKING_RESPONSE_LIFETIME{300};

// What the platform's content chooser asked for: where the answer goes, and
// the platform's own value to hand back with it.
struct DeepLinkingSettings {
    std::string returnUrl;
    // Null when the platform sent none.
    nlohmann::json data;
};

// The request's deep_linking_settings claim; nothing when it has no http or
// https return URL, or names the types it takes without an LTI link.
std::optional<DeepLinkingSettings> readDeepLinkingSettings(const nlohmann::json& claims);

// The LtiDeepLinkingResponse for an accepted deep-linking launch, signed
// with the tool's key: one link to the game, named with the page's title,
// graded out of 100.
std::string deepLinkingResponse(const Launch& launched, const std::string& title, const SigningKey& key,
                                const ToolContext& context);

// The page that posts the response to the platform's return URL at once,
// with a button for a browser that runs no script. Its policy lets only
// that script run, the form go only to the platform, and only the
// platform's origins frame it.
Answer deepLinkingPage(const Launch& launched, const std::string& title, const SigningKey& key,
                       const std::vector<std::string>& frameOrigins, const ToolContext& context);
