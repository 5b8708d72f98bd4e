#include "tool/base64url.h"

#include <openssl/evp.h>

#include <algorithm>
#include <vector>

// OpenSSL's EVP_EncodeBlock and EVP_DecodeBlock do the coding; this file only
// swaps the two characters the url alphabet changes and drops or restores
// the padding, which JOSE leaves out.

std::string base64urlEncode(std::string_view bytes)
{
    std::vector<unsigned char> out(4 * ((bytes.size() + 2) / 3) + 1);
    const int length = EVP_EncodeBlock(out.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                                       static_cast<int>(bytes.size()));
    std::string text(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(length));
    std::replace(text.begin(), text.end(), '+', '-');
    std::replace(text.begin(), text.end(), '/', '_');
    text.erase(text.find_last_not_of('=') + 1);
    return text;
}

std::optional<std::string> base64urlDecode(std::string_view text)
{
    const auto urlAlphabet = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    };
    // One character left over carries fewer than eight bits: no encoder writes it.
    if (!std::all_of(text.begin(), text.end(), urlAlphabet) || text.size() % 4 == 1)
        return std::nullopt;
    std::string padded(text);
    std::replace(padded.begin(), padded.end(), '-', '+');
    std::replace(padded.begin(), padded.end(), '_', '/');
    const std::size_t padding = (4 - padded.size() % 4) % 4;
    padded.append(padding, '=');
    std::vector<unsigned char> out(padded.size() / 4 * 3 + 1);
    const int length = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(padded.data()),
                                       static_cast<int>(padded.size()));
    if (length < 0)
        return std::nullopt;
    // EVP_DecodeBlock counts the padding's zero bytes too.
    return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(length) - padding);
}
