#include "tool/statebinding.h"

#include <openssl/crypto.h>

#include <optional>
#include <string_view>

namespace {

// One cookie per login, so two frames logging in at once do not undo each
// other; each lives no longer than its state.
std::string cookieName(const std::string& state)
{
    return "zentrik_login_" + state;
}

std::string cookie(const std::string& state, const std::string& value, long long maxAge, const std::string& path)
{
    return cookieName(state) + "=" + value + "; Max-Age=" + std::to_string(maxAge) + "; Path=" + path
        + "; Secure; HttpOnly; SameSite=None; Partitioned";
}

// The state's cookie's value in a Cookie header, name=value pairs split by
// "; " (RFC 6265 5.4); nothing when there is none.
std::optional<std::string_view> bindingCookie(const std::string& state, const std::string& cookieHeader)
{
    const std::string wanted = cookieName(state) + "=";
    std::string_view rest = cookieHeader;
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        std::string_view pair = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        while (pair.starts_with(' '))
            pair.remove_prefix(1);
        if (pair.starts_with(wanted))
            return pair.substr(wanted.size());
    }
    return std::nullopt;
}

bool equalSecrets(std::string_view value, const std::string& binding)
{
    return !binding.empty() && value.size() == binding.size()
        && CRYPTO_memcmp(value.data(), binding.data(), binding.size()) == 0;
}

} // namespace

BrowserBinding bindBrowser(const std::string& state, const std::string& secret, std::chrono::seconds lifetime,
                           const std::string& launchPath)
{
    return {secret, cookie(state, secret, lifetime.count(), launchPath)};
}

bool browserMatches(const std::string& state, const std::string& cookieHeader, const std::string& binding)
{
    const std::optional<std::string_view> value = bindingCookie(state, cookieHeader);
    return value && equalSecrets(*value, binding);
}

bool hasBinding(const std::string& state, const std::string& cookieHeader)
{
    return bindingCookie(state, cookieHeader).has_value();
}

bool proofMatches(const std::string& proof, const std::string& binding)
{
    return equalSecrets(proof, binding);
}

std::string forgetBinding(const std::string& state, const std::string& launchPath)
{
    return cookie(state, "", 0, launchPath);
}
