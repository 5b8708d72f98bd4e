#pragma once

#include "tool/config.h"
#include "tool/store.h"

#include <optional>
#include <string>
#include <vector>

// What the command line asks: serve, check the configuration, register a
// platform, print the URL platforms register themselves at, rotate the
// tool's key, or print the usage.
struct CommandLine {
    enum class Command { Serve, Check, Register, RegistrationUrl, RotateKey, Help } command = Command::Serve;
    Config config;
    Platform platform;
    std::vector<std::string> deployments;
    std::vector<std::string> errors;
};

CommandLine parseCommandLine(int argc, const char* const argv[]);

// Everything but serving: the usage, errors, --check, register, which
// needs the store and the key but no server, and registration-url. Nothing
// when the tool is to serve.
std::optional<int> answerWithoutServing(const CommandLine& line);
