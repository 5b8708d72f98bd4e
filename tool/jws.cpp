#include "tool/jws.h"

#include "tool/base64url.h"

std::optional<Jws> decodeJws(std::string_view token)
{
    const std::size_t first = token.find('.');
    const std::size_t second = first == std::string_view::npos ? first : token.find('.', first + 1);
    if (second == std::string_view::npos || token.find('.', second + 1) != std::string_view::npos)
        return std::nullopt;
    const std::optional<std::string> header = base64urlDecode(token.substr(0, first));
    const std::optional<std::string> claims = base64urlDecode(token.substr(first + 1, second - first - 1));
    const std::optional<std::string> signature = base64urlDecode(token.substr(second + 1));
    if (!header || !claims || !signature)
        return std::nullopt;
    Jws jws{nlohmann::json::parse(*header, nullptr, false), nlohmann::json::parse(*claims, nullptr, false),
            std::string(token.substr(0, second)), *signature};
    if (!jws.header.is_object() || !jws.claims.is_object())
        return std::nullopt;
    return jws;
}

std::string signJws(const nlohmann::json& claims, const SigningKey& key)
{
    const nlohmann::json header = {{"alg", "RS256"}, {"typ", "JWT"}, {"kid", key.kid}};
    const std::string signedPart = base64urlEncode(header.dump()) + "." + base64urlEncode(claims.dump());
    return signedPart + "." + base64urlEncode(signRs256(key.key.get(), signedPart));
}
