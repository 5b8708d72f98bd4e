#include "tool/errorpage.h"

#include <string>

Answer errorPage(Reason reason)
{
    const ReasonText& text = reasonText(reason);
    std::string body = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>Zentrik</title>\n</head>\n<body>\n";
    // An administrator registering the tool reads of the registration, and
    // everyone else of the game.
    const bool registering = reason >= Reason::RegistrationSecretWrong && reason <= Reason::RegistrationAnswerBad;
    body += std::string(registering ? "<h1>ツールを登録できませんでした</h1>\n" : "<h1>ゲームを開けませんでした</h1>\n")
        + "<p>" + std::string(text.japanese) + "</p>\n";
    body += std::string(registering ? "<h1 lang=\"en\">The tool could not be registered</h1>\n"
                                    : "<h1 lang=\"en\">The game could not open</h1>\n")
        + "<p lang=\"en\">" + std::string(text.english) + "</p>\n";
    body
        += "<p><code>" + std::to_string(text.status) + " " + std::string(text.name) + "</code></p>\n</body>\n</html>\n";
    return {text.status,
            "text/html; charset=utf-8",
            body,
            {{"Content-Security-Policy", "default-src 'none'; base-uri 'none'; form-action 'none'"},
             {"Cache-Control", "no-store"},
             {"X-Content-Type-Options", "nosniff"}}};
}
