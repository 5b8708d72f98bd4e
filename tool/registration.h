#pragma once

#include "tool/answer.h"
#include "tool/context.h"
#include "tool/reasons.h"

#include <filesystem>
#include <string>

// LTI Dynamic Registration: an administrator gives the platform the tool's
// registration URL, the platform opens it with the address of its OpenID
// configuration, and the tool registers itself there and keeps what the
// platform answers. The URL holds a secret, so that nobody else can add
// platforms to the tool.

// The secret, made on first use and kept in the data folder in a file only
// its owner reads.
std::string loadOrCreateRegistrationSecret(const std::filesystem::path& dataFolder);
// What an administrator pastes into the platform.
std::string registrationUrl(const std::string& baseUrl, const std::string& secret);

// The platform's registration initiation, a GET of the registration URL.
struct RegistrationRequest {
    std::string secret;
    std::string openidConfiguration;
    std::string registrationToken;
};

struct Registration {
    Reason reason = Reason::Accepted;
    // Known once registered.
    Platform platform;
    // Empty when the platform's answer names none.
    std::string deploymentId;
};

// Checks the secret, fetches and checks the platform's configuration,
// registers the tool with it under the name given, and stores the platform
// and its deployment; nothing is stored unless the platform accepted the
// registration.
Registration registerPlatform(const RegistrationRequest& request, const std::filesystem::path& dataFolder,
                              const std::string& toolName, const ToolContext& context);

// The same, answered: the page that tells the platform to close its
// registration window, or the error page; and the log line, which holds
// neither the secret nor the registration token.
Answer answerRegistration(const RegistrationRequest& request, const std::filesystem::path& dataFolder,
                          const std::string& toolName, const ToolContext& context);
