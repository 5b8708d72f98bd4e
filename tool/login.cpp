#include "tool/login.h"

#include "tool/statebinding.h"

#include <httplib.h>

#include <algorithm>

namespace {

LoginAnswer refusal(Reason reason)
{
    LoginAnswer answer;
    answer.reason = reason;
    return answer;
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
    context.store.purge(now);
    const std::string state = context.random();
    const std::string nonce = context.random();
    const std::string launchPath = urlPath(context.urls.launch);
    const BrowserBinding binding = bindBrowser(state, context.random(), LOGIN_STATE_LIFETIME, launchPath);
    context.store.addLoginState({state, platform.id, nonce, binding.value, now + LOGIN_STATE_LIFETIME});

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
    return {Reason::Accepted, platform.id, platform.authUrl + joint + httplib::detail::params_to_query_str(query),
            binding.setCookie};
}
