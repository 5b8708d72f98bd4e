#include "tool/errorpage.h"

#include <string>

Answer errorPage(Reason reason)
{
    const ReasonText& text = reasonText(reason);
    std::string body = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>Zentrik</title>\n</head>\n<body>\n";
    body += "<h1>ゲームを開けませんでした</h1>\n<p>" + std::string(text.japanese) + "</p>\n";
    body += "<h1 lang=\"en\">The game could not open</h1>\n<p lang=\"en\">" + std::string(text.english) + "</p>\n";
    body
        += "<p><code>" + std::to_string(text.status) + " " + std::string(text.name) + "</code></p>\n</body>\n</html>\n";
    return {text.status,
            "text/html; charset=utf-8",
            body,
            {{"Content-Security-Policy", "default-src 'none'; base-uri 'none'; form-action 'none'"},
             {"Cache-Control", "no-store"},
             {"X-Content-Type-Options", "nosniff"}}};
}
