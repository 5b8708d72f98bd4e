#pragma once

#include "tool/context.h"
#include "tool/jwkscache.h"
#include "tool/keys.h"
#include "tool/launch.h"
#include "tool/sqlitestore.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

// What the tool draws from its randomness for one input, in order: the
// login's state, nonce and browser binding, then the play token. Fixed, so
// that a form body can name the state and a claims JSON the nonce.
constexpr std::array<const char*, 4> FUZZ_SECRETS{"fuzz-state", "fuzz-nonce", "fuzz-binding", "fuzz-play-token"};

[[noreturn]] void broken(const char* what);

// One registered platform with its key, and the tool's store and JWKS cache
// with a fixed clock and randomness: made once, as making a key and a
// schema takes a while. The key is kept in the build folder, so that signed
// inputs in the corpus stay valid from run to run.
class ToolPlatform {
public:
    static ToolPlatform& shared();

    // The launch as the server runs it, from a form body, after a login in
    // this browser: with its cookie, or none where the form carries the
    // platform storage's proof, or the cookie header given. An accepted
    // launch must hold what every check let through.
    void launchChecked(const std::string& formBody, const std::optional<std::string>& cookieHeader = std::nullopt);

    std::string formBody(const std::string& idToken) const;
    // The form the browser-check page posts: the platform's storage kept the binding.
    std::string formBodyWithProof() const;
    std::string sign(std::string_view header, std::string_view claims) const;

    // A resource link launch's header and claims, all good, and a teacher's
    // launch from the content chooser.
    const std::string& header() const { return m_header; }
    const std::string& claims() const { return m_claims; }
    const std::string& deepLinkingClaims() const { return m_deepLinkingClaims; }
    const std::string& goodToken() const { return m_goodToken; }
    const std::string& cookie() const { return m_cookie; }
    const SigningKey& key() const { return m_key; }
    std::string jwks() const;

    static constexpr const char* JWKS_URL = "https://platform.example/jwks";
    static const Seconds NOW;

private:
    ToolPlatform();
    void beginLogin();
    void checkAccepted(const Launch& launched, const LaunchForm& form);

    SigningKey m_key;
    SqliteStore m_store{":memory:"};
    JwksCache m_cache;
    ToolContext m_context;
    std::size_t m_drawn = 0;
    std::string m_header;
    std::string m_claims;
    std::string m_deepLinkingClaims;
    std::string m_goodToken;
    std::string m_cookie;
};
