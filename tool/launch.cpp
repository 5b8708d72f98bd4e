#include "tool/launch.h"

#include "tool/jws.h"
#include "tool/keys.h"
#include "tool/statebinding.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

const std::string MESSAGE_TYPE = LTI_CLAIM + "message_type";
const std::string VERSION = LTI_CLAIM + "version";
const std::string DEPLOYMENT_ID = LTI_CLAIM + "deployment_id";
const std::string ROLES = LTI_CLAIM + "roles";
const std::string RESOURCE_LINK = LTI_CLAIM + "resource_link";
const std::string LAUNCH_PRESENTATION = LTI_CLAIM + "launch_presentation";
const std::string TOOL_PLATFORM = LTI_CLAIM + "tool_platform";

// A member's text; empty when absent or of another type.
std::string text(const nlohmann::json& object, const std::string& name)
{
    const auto member = object.find(name);
    return member != object.end() && member->is_string() ? member->get<std::string>() : "";
}

// A NumericDate in seconds; nothing when absent or not a number.
std::optional<double> numericDate(const nlohmann::json& claims, const char* name)
{
    const auto member = claims.find(name);
    return member != claims.end() && member->is_number() ? std::optional(member->get<double>()) : std::nullopt;
}

double seconds(Seconds time)
{
    return static_cast<double>(time.time_since_epoch().count());
}

// aud is one string or a list of them.
std::vector<std::string> audiences(const nlohmann::json& claims)
{
    std::vector<std::string> found;
    const auto aud = claims.find("aud");
    if (aud != claims.end() && aud->is_string())
        found.push_back(aud->get<std::string>());
    if (aud != claims.end() && aud->is_array())
        for (const nlohmann::json& one : *aud)
            if (one.is_string())
                found.push_back(one.get<std::string>());
    return found;
}

// A member object's text; empty when either is absent or of another type.
std::string text(const nlohmann::json& object, const std::string& name, const std::string& member)
{
    const auto found = object.find(name);
    return found != object.end() && found->is_object() ? text(*found, member) : "";
}

// The line item to post scores to, where the platform lets the tool post them.
std::string lineItem(const nlohmann::json& claims)
{
    const auto endpoint = claims.find(AGS_ENDPOINT_CLAIM);
    if (endpoint == claims.end() || !endpoint->is_object())
        return "";
    const auto scopes = endpoint->find("scope");
    if (scopes == endpoint->end() || !scopes->is_array()
        || std::find(scopes->begin(), scopes->end(), AGS_SCORE_SCOPE) == scopes->end())
        return "";
    const std::string url = text(*endpoint, "lineitem");
    return urlOrigin(url).empty() ? "" : url;
}

std::vector<std::string> pageOrigins(const nlohmann::json& claims)
{
    std::vector<std::string> origins;
    for (const std::string& url :
         {text(claims, LAUNCH_PRESENTATION, "return_url"), text(claims, TOOL_PLATFORM, "url")}) {
        const std::string origin = urlOrigin(url);
        if (!origin.empty())
            origins.push_back(origin);
    }
    return origins;
}

} // namespace

Launch launch(const LaunchForm& form, const ToolContext& context)
{
    Launch result;
    const auto refuse = [&result](Reason reason) {
        result.reason = reason;
        return result;
    };
    if (form.idToken.empty() || form.state.empty())
        return refuse(Reason::LaunchFormIncomplete);

    // The state: a login begun here, not too long ago, in this browser.
    const std::optional<LoginState> state = context.store.loginState(form.state);
    const std::optional<Platform> platform = state ? context.store.platform(state->platformId) : std::nullopt;
    if (!state || !platform)
        return refuse(Reason::StateUnknown);
    result.platform = *platform;
    const Seconds now = context.now();
    if (now >= state->expiresAt)
        return refuse(Reason::StateExpired);
    result.login = *state;
    // The browser that began the login: by its cookie, or by what the
    // platform's storage kept for it. A browser that keeps no cookie in the
    // platform's frame first reads the storage back, or where the platform
    // has none, begins the login again in a window of its own.
    if (!browserMatches(form.state, form.cookieHeader, state->browserBinding)) {
        if (!form.browserProof.empty() && !proofMatches(form.browserProof, state->browserBinding))
            return refuse(Reason::StateOtherBrowser);
        if (form.browserProof.empty() && hasBinding(form.state, form.cookieHeader))
            return refuse(Reason::StateOtherBrowser);
        if (form.browserProof.empty())
            return refuse(state->storageTarget.empty() ? Reason::BrowserKeptNoCookie : Reason::BrowserCheckNeeded);
    }

    // The signature, RS256 alone: never none, and never HS256, whose secret
    // an attacker would take from the platform's public key.
    const std::optional<Jws> jws = decodeJws(form.idToken);
    if (!jws)
        return refuse(Reason::TokenMalformed);
    if (text(jws->header, "alg") != "RS256")
        return refuse(Reason::AlgorithmRefused);
    const std::string kid = text(jws->header, "kid");
    if (kid.empty())
        return refuse(Reason::KidMissing);
    const KeyLookup key = context.jwks.find(platform->jwksUrl, kid, now);
    if (!key.key)
        return refuse(key.reason);
    if (!verifyRs256(key.key.get(), jws->signedPart, jws->signature))
        return refuse(Reason::SignatureBad);

    // The OpenID Connect claims.
    const nlohmann::json& claims = jws->claims;
    if (text(claims, "iss") != platform->issuer)
        return refuse(Reason::IssuerUnknown);
    const std::vector<std::string> aud = audiences(claims);
    if (std::find(aud.begin(), aud.end(), platform->clientId) == aud.end())
        return refuse(Reason::AudienceMismatch);
    if (aud.size() > 1 && !claims.contains("azp"))
        return refuse(Reason::AuthorizedPartyMissing);
    if (claims.contains("azp") && text(claims, "azp") != platform->clientId)
        return refuse(Reason::AuthorizedPartyMismatch);
    // A token without exp would never expire: it counts as expired.
    const std::optional<double> exp = numericDate(claims, "exp");
    if (!exp || seconds(now - CLOCK_LEEWAY) > *exp)
        return refuse(Reason::TokenExpired);
    const std::optional<double> iat = numericDate(claims, "iat");
    if (!iat || *iat > seconds(now + CLOCK_LEEWAY) || *iat < seconds(now - ID_TOKEN_MAX_AGE))
        return refuse(Reason::IssuedAtOutOfRange);
    // The nonce must be the login's; that it is used once, the launch's
    // transaction below makes sure, with no window between check and write.
    const std::string nonce = text(claims, "nonce");
    if (nonce.empty() || nonce != state->nonce)
        return refuse(Reason::NonceMismatch);

    // The LTI message.
    const auto members = claims.items();
    if (std::none_of(members.begin(), members.end(),
                     [](const auto& claim) { return claim.key().starts_with(LTI_CLAIM); }))
        return refuse(Reason::NotLtiMessage);
    result.deploymentId = text(claims, DEPLOYMENT_ID);
    if (result.deploymentId.empty())
        return refuse(Reason::DeploymentMissing);
    if (!context.store.hasDeployment(platform->id, result.deploymentId))
        return refuse(Reason::DeploymentUnknown);
    result.messageType = text(claims, MESSAGE_TYPE);
    if (result.messageType.empty())
        return refuse(Reason::MessageTypeMissing);
    if (result.messageType != RESOURCE_LINK_REQUEST && result.messageType != DEEP_LINKING_REQUEST)
        return refuse(Reason::MessageTypeUnsupported);
    if (text(claims, VERSION) != "1.3.0")
        return refuse(Reason::VersionWrong);
    result.userId = text(claims, "sub");
    if (result.userId.empty())
        return refuse(Reason::SubjectMissing);
    if (!claims.contains(ROLES) || !claims[ROLES].is_array())
        return refuse(Reason::RolesMissing);
    // A teacher choosing the game in the content chooser: the answer goes
    // back to the platform, and the launch names no resource link yet.
    if (result.messageType == DEEP_LINKING_REQUEST) {
        result.deepLinking = readDeepLinkingSettings(claims);
        if (!result.deepLinking)
            return refuse(Reason::DeepLinkingSettingsBad);
    }
    if (claims.contains(RESOURCE_LINK) && claims[RESOURCE_LINK].is_object())
        result.resourceLinkId = text(claims[RESOURCE_LINK], "id");
    if (result.resourceLinkId.empty() && !result.deepLinking)
        return refuse(Reason::ResourceLinkMissing);
    result.lineItemUrl = lineItem(claims);
    result.pageOrigins = pageOrigins(claims);

    // Act: the nonce used, and the play token, in one transaction; a
    // replayed token, or a second launch of it racing this one, finds the
    // nonce taken. The nonce is kept until the iat check refuses its token
    // anyway.
    const std::string playToken = context.random();
    if (!context.store.completeLaunch(nonce, now + ID_TOKEN_MAX_AGE + CLOCK_LEEWAY,
                                      {sha256Hex(playToken), platform->id, result.deploymentId, result.userId,
                                       result.resourceLinkId, now + PLAY_TOKEN_LIFETIME, result.lineItemUrl}))
        return refuse(Reason::NonceUsed);
    result.playToken = playToken;
    return result;
}
