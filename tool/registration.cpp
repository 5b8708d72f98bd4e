#include "tool/registration.h"

#include "tool/errorpage.h"
#include "tool/html.h"
#include "tool/launch.h"
#include "tool/log.h"

#include <nlohmann/json.hpp>
#include <openssl/crypto.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::optional<std::string> readSecret(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string secret;
    if (!in || !std::getline(in, secret) || secret.empty())
        return std::nullopt;
    return secret;
}

// Compared in constant time, so that the answer's timing tells nothing of
// how much of a guess was right.
bool secretMatches(const std::string& given, const std::string& kept)
{
    return !kept.empty() && given.size() == kept.size() && CRYPTO_memcmp(given.data(), kept.data(), kept.size()) == 0;
}

std::string text(const nlohmann::json& object, const std::string& name)
{
    const auto member = object.find(name);
    return member != object.end() && member->is_string() ? member->get<std::string>() : "";
}

// A platform is reached over https; over http only on this machine, where
// the tests' platform runs.
bool secureOrLocal(const std::string& url)
{
    const std::string origin = urlOrigin(url);
    if (origin.starts_with("https://"))
        return true;
    const std::string host = origin.starts_with("http://") ? origin.substr(7) : "";
    for (const std::string local : {"localhost", "127.0.0.1"})
        if (host == local || host.starts_with(local + ":"))
            return true;
    return false;
}

// The platform's OpenID configuration checked as the registration standard
// lists it: an issuer of the same site as the configuration's address, so
// that one platform cannot register under another's name; the endpoints
// the tool uses; RS256 id_tokens; and LTI's own part of the configuration.
Reason checkConfiguration(const nlohmann::json& configuration, const std::string& configurationUrl)
{
    if (!configuration.is_object())
        return Reason::PlatformConfigurationBad;
    const std::string issuer = text(configuration, "issuer");
    if (!secureOrLocal(issuer) || issuer.find_first_of("?#") != std::string::npos)
        return Reason::PlatformConfigurationBad;
    if (urlOrigin(issuer) != urlOrigin(configurationUrl))
        return Reason::PlatformIssuerMismatch;
    for (const char* endpoint : {"authorization_endpoint", "registration_endpoint", "token_endpoint", "jwks_uri"})
        if (!secureOrLocal(text(configuration, endpoint)))
            return Reason::PlatformConfigurationBad;
    const auto algorithms = configuration.find("id_token_signing_alg_values_supported");
    if (algorithms == configuration.end() || !algorithms->is_array()
        || std::find(algorithms->begin(), algorithms->end(), "RS256") == algorithms->end())
        return Reason::PlatformConfigurationBad;
    if (!configuration.contains(PLATFORM_CONFIGURATION) || !configuration[PLATFORM_CONFIGURATION].is_object())
        return Reason::PlatformConfigurationBad;
    return Reason::Accepted;
}

// What the tool asks the platform for: launches and the content chooser
// at its addresses, scores for the gradebook, and of the child no claim but
// the opaque user id.
nlohmann::json toolRegistration(const ToolUrls& urls, const std::string& toolName)
{
    const std::string origin = urlOrigin(urls.target);
    const nlohmann::json messages = {
        {{"type", RESOURCE_LINK_REQUEST}, {"target_link_uri", urls.target}, {"label", toolName}},
        // Where a platform places a content chooser by name (Canvas: an
        // assignment's and a module's link); others ignore the names.
        {{"type", DEEP_LINKING_REQUEST},
         {"target_link_uri", urls.target},
         {"label", toolName},
         {"placements", {"assignment_selection", "link_selection"}}},
    };
    return {
        {"application_type", "web"},
        {"response_types", {"id_token"}},
        {"grant_types", {"implicit", "client_credentials"}},
        {"initiate_login_uri", urls.login},
        {"redirect_uris", {urls.launch}},
        {"client_name", toolName},
        {"jwks_uri", urls.jwks},
        {"token_endpoint_auth_method", "private_key_jwt"},
        {"scope", AGS_SCORE_SCOPE + " " + AGS_LINEITEM_SCOPE},
        {TOOL_CONFIGURATION,
         {{"domain", origin.substr(origin.find("//") + 2)},
          {"target_link_uri", urls.target},
          {"claims", {"iss", "sub"}},
          {"messages", messages}}},
    };
}

Answer registeredPage(const std::string& toolName, const std::string& nonce)
{
    std::string body = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>"
        + escapeHtml(toolName) + "</title>\n</head>\n<body>\n";
    body += "<h1>登録しました</h1>\n<p>" + escapeHtml(toolName)
        + " を学習サイトに登録しました。この画面は閉じてかまいません。</p>\n";
    body += "<h1 lang=\"en\">Registered</h1>\n<p lang=\"en\">" + escapeHtml(toolName)
        + " is registered with the platform. You may close this window.</p>\n";
    // The standard's message to the platform's window that opened this one
    // or frames it; the platform's origin is not known to the page, and the
    // message says nothing secret.
    body += "<script nonce=\"" + escapeHtml(nonce)
        + "\">(window.opener || window.parent).postMessage({subject: \"org.imsglobal.lti.close\"}, \"*\");"
          "</script>\n</body>\n</html>\n";
    // No frame-ancestors: the platform frames this page from its
    // administration pages, whose origin the tool cannot know before it is
    // registered, and the page offers nothing to click.
    return {200,
            "text/html; charset=utf-8",
            body,
            {{"Content-Security-Policy",
              "default-src 'none'; script-src 'nonce-" + nonce + "'; base-uri 'none'; form-action 'none'"},
             {"Cache-Control", "no-store"},
             {"Referrer-Policy", "no-referrer"},
             {"X-Content-Type-Options", "nosniff"}}};
}

} // namespace

std::string loadOrCreateRegistrationSecret(const std::filesystem::path& dataFolder)
{
    const std::filesystem::path path = dataFolder / REGISTRATION_SECRET_FILE;
    if (const std::optional<std::string> kept = readSecret(path))
        return *kept;
    // Created with mode 0600, whatever the umask, like the tool's key. A
    // command racing another finds the other's file and reads it; should it
    // not be written yet, the command fails and may simply be run again.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0 && errno == EEXIST)
        if (const std::optional<std::string> kept = readSecret(path))
            return *kept;
    if (fd < 0)
        throw std::runtime_error("cannot create " + path.string());
    std::string secret = randomSecret();
    const std::string line = secret + "\n";
    const bool written = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0
        && ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    if (::close(fd) != 0 || !written) {
        std::filesystem::remove(path);
        throw std::runtime_error("cannot write " + path.string());
    }
    return secret;
}

std::string registrationUrl(const std::string& baseUrl, const std::string& secret)
{
    return baseUrl + "/register/" + secret;
}

Registration registerPlatform(const RegistrationRequest& request, const std::filesystem::path& dataFolder,
                              const std::string& toolName, const ToolContext& context)
{
    Registration result;
    const auto refuse = [&result](Reason reason) {
        result.reason = reason;
        return result;
    };
    // A server not told where the secret is takes no registration.
    const std::string kept = dataFolder.empty() ? "" : readSecret(dataFolder / REGISTRATION_SECRET_FILE).value_or("");
    if (!secretMatches(request.secret, kept))
        return refuse(Reason::RegistrationSecretWrong);
    if (request.openidConfiguration.empty())
        return refuse(Reason::RegistrationRequestIncomplete);
    if (!secureOrLocal(request.openidConfiguration))
        return refuse(Reason::PlatformConfigurationBad);

    // Some platforms give their configuration only with the registration token.
    const std::optional<std::string> fetched = context.fetch(
        request.openidConfiguration, request.registrationToken.empty() ? "" : "Bearer " + request.registrationToken);
    if (!fetched)
        return refuse(Reason::PlatformConfigurationUnavailable);
    const nlohmann::json configuration = nlohmann::json::parse(*fetched, nullptr, false);
    if (const Reason reason = checkConfiguration(configuration, request.openidConfiguration);
        reason != Reason::Accepted)
        return refuse(reason);

    const PostReply reply
        = context.post(text(configuration, "registration_endpoint"), "application/json",
                       toolRegistration(context.urls, toolName).dump(),
                       request.registrationToken.empty() ? "" : "Bearer " + request.registrationToken);
    if (reply.status != 200 && reply.status != 201)
        return refuse(Reason::RegistrationRefused);
    const nlohmann::json answer = nlohmann::json::parse(reply.body, nullptr, false);
    const std::string clientId = answer.is_object() ? text(answer, "client_id") : "";
    if (clientId.empty())
        return refuse(Reason::RegistrationAnswerBad);
    // The deployment id is the platform's to give now or at its first
    // launch; without one here, the administrator adds it with register.
    if (answer.contains(TOOL_CONFIGURATION) && answer[TOOL_CONFIGURATION].is_object())
        result.deploymentId = text(answer[TOOL_CONFIGURATION], "deployment_id");

    result.platform = {0,
                       text(configuration, "issuer"),
                       clientId,
                       text(configuration, "authorization_endpoint"),
                       text(configuration, "token_endpoint"),
                       text(configuration, "jwks_uri")};
    result.platform.id = context.store.savePlatform(result.platform);
    if (!result.deploymentId.empty())
        context.store.addDeployment(result.platform.id, result.deploymentId);
    return result;
}

Answer answerRegistration(const RegistrationRequest& request, const std::filesystem::path& dataFolder,
                          const std::string& toolName, const ToolContext& context)
{
    Registration registered;
    // Caught here rather than by the server, whose log line would name the
    // path, and the path holds the secret.
    try {
        registered = registerPlatform(request, dataFolder, toolName, context);
    } catch (const std::exception& error) {
        logEvent("error", {{"path", "/register"}, {"what", error.what()}});
        registered.reason = Reason::InternalError;
    }
    const ReasonText& text = reasonText(registered.reason);
    if (registered.reason != Reason::Accepted) {
        logEvent("registration",
                 {{"outcome", "refused"}, {"reason", std::string(text.name)}, {"status", std::to_string(text.status)}});
        return errorPage(registered.reason);
    }
    logEvent("registration",
             {{"outcome", "registered"},
              {"platform", std::to_string(registered.platform.id)},
              {"issuer", registered.platform.issuer},
              {"deployment", registered.deploymentId.empty() ? "none" : registered.deploymentId}});
    return registeredPage(toolName, context.random());
}
