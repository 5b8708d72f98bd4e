#include "tool/browserpages.h"

#include "tool/config.h"
#include "tool/html.h"
#include "tool/platformstoragescript.h"
#include "tool/reasons.h"

namespace {

const std::string HEAD = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
                         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                         "<title>Zentrik</title>\n</head>\n";

std::string ownWindow(const std::string& restartUrl, bool hidden)
{
    return std::string("<div id=\"own-window\"") + (hidden ? " hidden" : "") + ">\n"
        + "<p>このブラウザーは、学習サイトの中ではゲームを開けません。新しいウィンドウで開いてください。</p>\n"
          "<p lang=\"en\">This browser cannot open the game inside the platform's page. Open it in a new "
          "window.</p>\n"
          "<p><a href=\""
        + escapeHtml(restartUrl)
        + "\" target=\"_blank\" rel=\"noopener\">新しいウィンドウで開く / Open in a new window</a></p>\n</div>\n";
}

std::string storageData(const PlatformStorage& storage)
{
    return " data-storage-target=\"" + escapeHtml(storage.target) + "\" data-platform-origin=\""
        + escapeHtml(storage.platformOrigin) + "\" data-key=\"" + escapeHtml(storage.key) + "\"";
}

std::string script(const std::string& nonce)
{
    return "<script nonce=\"" + escapeHtml(nonce) + "\">\n" + PLATFORM_STORAGE_SCRIPT + "</script>\n";
}

Answer page(std::string body, const std::string& policy)
{
    return {200,
            "text/html; charset=utf-8",
            HEAD + std::move(body) + "</html>\n",
            {{"Content-Security-Policy", "default-src 'none'; base-uri 'none'; " + policy},
             {"Cache-Control", "no-store"},
             {"Referrer-Policy", "no-referrer"},
             {"X-Content-Type-Options", "nosniff"}}};
}

} // namespace

Answer storageLoginPage(const PlatformStorage& storage, const std::string& value, const std::string& next,
                        const std::string& nonce)
{
    return page("<body" + storageData(storage) + " data-value=\"" + escapeHtml(value) + "\" data-next=\""
                    + escapeHtml(next) + "\">\n<p>学習サイトにつないでいます…</p>\n"
                    + "<p lang=\"en\">Connecting to the platform…</p>\n" + script(nonce) + "</body>\n",
                "script-src 'nonce-" + nonce + "'; form-action 'none'");
}

Answer storageLaunchPage(const PlatformStorage& storage, const std::string& launchUrl, const std::string& idToken,
                         const std::string& state, const std::string& restartUrl, const std::string& nonce)
{
    std::string body
        = "<body" + storageData(storage) + ">\n<form method=\"post\" action=\"" + escapeHtml(launchUrl) + "\">\n";
    for (const auto& [name, value] :
         {std::pair{"id_token", idToken}, {"state", state}, {"browser_proof", std::string()}})
        body += std::string("<input type=\"hidden\" name=\"") + name + "\" value=\"" + escapeHtml(value) + "\">\n";
    body += "</form>\n<p id=\"checking\">ブラウザーを確かめています… / Checking the browser…</p>\n";
    body += ownWindow(restartUrl, true) + script(nonce) + "</body>\n";
    return page(std::move(body), "script-src 'nonce-" + nonce + "'; form-action " + urlOrigin(launchUrl));
}

Answer ownWindowPage(const std::string& restartUrl)
{
    const ReasonText& text = reasonText(Reason::BrowserKeptNoCookie);
    Answer answer = page("<body>\n" + ownWindow(restartUrl, false) + "<p><code>" + std::to_string(text.status) + " "
                             + std::string(text.name) + "</code></p>\n</body>\n",
                         "form-action 'none'");
    answer.status = text.status;
    return answer;
}
