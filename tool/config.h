#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Where the tool listens, keeps its state, finds the page, and how the
// platforms reach it.
struct Config {
    std::string listen = "127.0.0.1";
    int port = 8080;
    std::filesystem::path dataFolder;
    std::filesystem::path pageFolder;
    // The address the platforms and browsers use, behind any TLS proxy;
    // without a trailing slash.
    std::string baseUrl;
};

// The tool's files in its data folder, besides its keys (keys.h, keyring.h).
constexpr const char* DATABASE_FILE = "zentrik-tool.sqlite";
constexpr const char* REGISTRATION_SECRET_FILE = "registration-secret";

// The tool's addresses, which a platform's administrator enters.
struct ToolUrls {
    std::string login;
    std::string launch;
    std::string jwks;
    std::string target;
};

ToolUrls toolUrls(const std::string& baseUrl);
// The origin (scheme, host and port) of an http or https URL; empty for anything else.
std::string urlOrigin(const std::string& url);
// What follows the origin: the path, with any query.
std::string urlPath(const std::string& url);

// What stops the tool from serving with this configuration, one line each;
// empty when it can serve.
std::vector<std::string> configProblems(const Config& config);
