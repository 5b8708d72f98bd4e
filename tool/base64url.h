#pragma once

#include <optional>
#include <string>
#include <string_view>

// Base64url without padding, as JOSE writes it (RFC 7515), through OpenSSL's
// own base64 code: only the alphabet and the padding differ.
std::string base64urlEncode(std::string_view bytes);
// Nothing for text outside the url alphabet or of an impossible length.
std::optional<std::string> base64urlDecode(std::string_view text);
