#include "tool/login.h"

#include "tool/statebinding.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>

namespace {

LoginAnswer refusal(Reason reason)
{
    LoginAnswer answer;
    answer.reason = reason;
    return answer;
}

// "_parent", or a frame's name as a platform gives it; anything else is
// not used.
bool storageTargetUsable(const std::string& target)
{
    return target == "_parent"
        || (!target.empty() && target.size() <= 64 && std::all_of(target.begin(), target.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
           }));
}

// The same login initiation without the storage: a window of its own,
// where the browser keeps the tool's cookie as a first party's.
std::string restartUrl(const LoginRequest& request, const std::string& loginUrl)
{
    httplib::Params query{
        {"iss", request.issuer}, {"login_hint", request.loginHint}, {"target_link_uri", request.targetLinkUri}};
    for (const auto& [name, value] : {std::pair{"lti_message_hint", request.messageHint},
                                      {"client_id", request.clientId},
                                      {"lti_deployment_id", request.deploymentId}})
        if (!value.empty())
            query.emplace(name, value);
    return loginUrl + "?" + httplib::detail::params_to_query_str(query);
}

} // namespace

LoginAnswer initiateLogin(const LoginRequest& request, const ToolContext& context)
{
    if (request.issuer.empty())
        return refusal(Reason::LoginIssuerMissing);
    if (request.loginHint.empty())
        return refusal(Reason::LoginHintMissing);
    if (urlOrigin(request.targetLinkUri).empty() || urlOrigin(request.targetLinkUri) != urlOrigin(context.urls.target))
        return refusal(Reason::TargetLinkNotOurs);
    const std::vector<Platform> platforms = context.store.platformsOf(request.issuer);
    if (platforms.empty())
        return refusal(Reason::IssuerUnknown);
    // Without a client_id the issuer must have one registration only.
    const auto match = std::find_if(platforms.begin(), platforms.end(),
                                    [&](const Platform& p) { return p.clientId == request.clientId; });
    if (request.clientId.empty() ? platforms.size() != 1 : match == platforms.end())
        return refusal(Reason::ClientUnknown);
    const Platform& platform = request.clientId.empty() ? platforms.front() : *match;

    const Seconds now = context.now();
    const std::string state = context.random();
    const std::string nonce = context.random();
    const std::string launchPath = urlPath(context.urls.launch);
    const BrowserBinding binding = bindBrowser(state, context.random(), LOGIN_STATE_LIFETIME, launchPath);
    const std::string storageTarget = storageTargetUsable(request.storageTarget) ? request.storageTarget : "";
    context.store.addLoginState({state, platform.id, nonce, binding.value, now + LOGIN_STATE_LIFETIME, storageTarget,
                                 restartUrl(request, context.urls.login)});

    httplib::Params query{
        {"scope", "openid"},
        {"response_type", "id_token"},
        {"response_mode", "form_post"},
        {"prompt", "none"},
        {"client_id", platform.clientId},
        {"redirect_uri", context.urls.launch},
        {"login_hint", request.loginHint},
        {"state", state},
        {"nonce", nonce},
    };
    if (!request.messageHint.empty())
        query.emplace("lti_message_hint", request.messageHint);
    const char joint = platform.authUrl.find('?') == std::string::npos ? '?' : '&';
    LoginAnswer answer{Reason::Accepted, platform.id,
                       platform.authUrl + joint + httplib::detail::params_to_query_str(query), binding.setCookie};
    if (!storageTarget.empty())
        answer = {answer.reason, answer.platformId, answer.location, answer.setCookie,
                  storageTarget, storageKey(state), binding.value,   urlOrigin(platform.authUrl)};
    return answer;
}

std::string storageKey(const std::string& state)
{
    return "zentrik_login_" + state;
}
