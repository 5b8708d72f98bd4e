#include "tool/deeplinking.h"

#include "tool/html.h"
#include "tool/jws.h"
#include "tool/launch.h"

#include <algorithm>

namespace {

const std::string SETTINGS = DEEP_LINKING_CLAIM + "deep_linking_settings";
const std::string CONTENT_ITEMS = DEEP_LINKING_CLAIM + "content_items";
const std::string DATA = DEEP_LINKING_CLAIM + "data";
constexpr const char* RESOURCE_LINK_TYPE = "ltiResourceLink";
// A whole game, graded as a percentage.
constexpr int SCORE_MAXIMUM = 100;

std::int64_t seconds(Seconds time)
{
    return time.time_since_epoch().count();
}

} // namespace

std::optional<DeepLinkingSettings> readDeepLinkingSettings(const nlohmann::json& claims)
{
    const auto settings = claims.find(SETTINGS);
    if (settings == claims.end() || !settings->is_object())
        return std::nullopt;
    const auto returnUrl = settings->find("deep_link_return_url");
    if (returnUrl == settings->end() || !returnUrl->is_string() || urlOrigin(returnUrl->get<std::string>()).empty())
        return std::nullopt;
    const auto types = settings->find("accept_types");
    if (types != settings->end()
        && (!types->is_array() || std::find(types->begin(), types->end(), RESOURCE_LINK_TYPE) == types->end()))
        return std::nullopt;
    return DeepLinkingSettings{returnUrl->get<std::string>(), settings->value("data", nlohmann::json())};
}

std::string deepLinkingResponse(const Launch& launched, const std::string& title, const SigningKey& key,
                                const ToolContext& context)
{
    const Seconds now = context.now();
    const nlohmann::json link = {
        {"type", RESOURCE_LINK_TYPE},
        {"title", title},
        {"url", context.urls.target},
        {"lineItem", {{"scoreMaximum", SCORE_MAXIMUM}, {"label", title}}},
    };
    // The tool is the issuer here, known to the platform by its client id.
    nlohmann::json claims = {
        {"iss", launched.platform.clientId},
        {"aud", launched.platform.issuer},
        {"iat", seconds(now)},
        {"exp", seconds(now + DEEP_LINKING_RESPONSE_LIFETIME)},
        {"nonce", context.random()},
        {LTI_CLAIM + "deployment_id", launched.deploymentId},
        {LTI_CLAIM + "message_type", "LtiDeepLinkingResponse"},
        {LTI_CLAIM + "version", "1.3.0"},
        {CONTENT_ITEMS, nlohmann::json::array({link})},
    };
    if (!launched.deepLinking->data.is_null())
        claims[DATA] = launched.deepLinking->data;
    return signJws(claims, key);
}

Answer deepLinkingPage(const Launch& launched, const std::string& title, const SigningKey& key,
                       const std::vector<std::string>& frameOrigins, const ToolContext& context)
{
    const std::string& returnUrl = launched.deepLinking->returnUrl;
    const std::string nonce = context.random();
    std::string body = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>"
        + escapeHtml(title) + "</title>\n</head>\n<body>\n";
    body += "<form method=\"post\" action=\"" + escapeHtml(returnUrl) + "\">\n";
    body += "<input type=\"hidden\" name=\"JWT\" value=\""
        + escapeHtml(deepLinkingResponse(launched, title, key, context)) + "\">\n";
    body += "<p>学習サイトに戻っています。進まないときは、ボタンを押してください。</p>\n"
            "<p lang=\"en\">Returning to the platform. If nothing happens, press the button.</p>\n"
            "<p><button type=\"submit\">学習サイトに戻る <span lang=\"en\">Return to the platform</span></button></p>\n"
            "</form>\n";
    body += "<script nonce=\"" + escapeHtml(nonce) + "\">document.forms[0].submit();</script>\n</body>\n</html>\n";

    std::string ancestors;
    for (const std::string& origin : frameOrigins)
        ancestors += " " + origin;
    // urlOrigin gives no origin with a quote, a semicolon or a space, so
    // nothing from the platform can add a directive to the policy.
    const std::string policy = "default-src 'none'; script-src 'nonce-" + nonce + "'; form-action "
        + urlOrigin(returnUrl) + "; base-uri 'none'; frame-ancestors" + (ancestors.empty() ? " 'none'" : ancestors);
    return {200,
            "text/html; charset=utf-8",
            body,
            {{"Content-Security-Policy", policy},
             {"Cache-Control", "no-store"},
             {"Referrer-Policy", "no-referrer"},
             {"X-Content-Type-Options", "nosniff"}}};
}
