#pragma once

#include "tool/keys.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

// A JWS in compact form taken apart, not yet verified: its header and
// claims as JSON objects, the part the signature covers, and the signature.
struct Jws {
    nlohmann::json header;
    nlohmann::json claims;
    std::string signedPart;
    std::string signature;
};

// Nothing unless the token is three base64url parts, the first two JSON objects.
std::optional<Jws> decodeJws(std::string_view token);

// The claims signed with the tool's key, RS256, its kid in the header: the
// compact form a platform takes (a client assertion, a deep-linking answer).
std::string signJws(const nlohmann::json& claims, const SigningKey& key);
