#pragma once

#include "tool/config.h"
#include "tool/store.h"

#include <optional>
#include <string>
#include <vector>

// What the command line asks: serve, check the configuration, register a
// platform, or print the usage.
struct CommandLine {
    enum class Command { Serve, Check, Register, Help } command = Command::Serve;
    Config config;
    Platform platform;
    std::vector<std::string> deployments;
    std::vector<std::string> errors;
};

CommandLine parseCommandLine(int argc, const char* const argv[]);

// Everything but serving: the usage, errors, --check, and register, which
// needs the store and the key but no server. Nothing when the tool is to serve.
std::optional<int> answerWithoutServing(const CommandLine& line);
