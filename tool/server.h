#pragma once

#include "tool/context.h"
#include "tool/keyring.h"
#include "tool/page.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace httplib {
class Server;
class ContentReader;
struct Request;
struct Response;
} // namespace httplib

// What one request may cost the tool: its body, its headers, and how long a
// slow client may keep a connection; and how many connections it serves at
// once. Each connection holds a thread while it is open, idle between a
// browser's requests too, so a class of children's browsers needs many
// more than the machine's cores.
struct ServerLimits {
    std::size_t threads = 128;
    // Connections waiting to be taken: a class of children's browsers
    // connect at once.
    int listenBacklog = 1024;
    std::size_t bodyMaxBytes = 64 * 1024;
    std::size_t headerCountMax = 64;
    std::size_t headerMaxBytes = 16 * 1024;
    std::chrono::seconds readTimeout{10};
    std::chrono::seconds writeTimeout{10};
    std::chrono::seconds keepAliveTimeout{2};
};

// The tool's HTTP face: the JWKS, the login initiation, the launch and the
// page's files, each request answered by one function.
class ToolServer {
public:
    // scoreQueued is called when a progress report put a score in the outbox.
    ToolServer(const ToolContext& context, KeyRing& keys, PageFolder page, const ServerLimits& limits = {},
               std::function<void()> scoreQueued = {});
    ~ToolServer();
    ToolServer(const ToolServer&) = delete;
    ToolServer& operator=(const ToolServer&) = delete;

    bool bind(const std::string& host, int port);
    // Serves until stop().
    void run();
    void stop();
    // Lets platforms register themselves at the registration URL whose
    // secret the data folder keeps; until then no registration URL works.
    void acceptRegistrations(const std::filesystem::path& dataFolder);

private:
    void route();
    // One function per request: read, check, act, answer.
    void answerJwks(httplib::Response& res) const;
    void answerLogin(const httplib::Request& req, httplib::Response& res) const;
    void answerLaunch(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) const;
    void answerProgress(const httplib::Request& req, httplib::Response& res) const;
    void answerFile(const httplib::Request& req, httplib::Response& res) const;

    const ToolContext& m_context;
    KeyRing& m_keys;
    PageFolder m_page;
    std::filesystem::path m_dataFolder;
    ServerLimits m_limits;
    std::function<void()> m_scoreQueued;
    std::unique_ptr<httplib::Server> m_server;
    // The listening socket, once bound.
    int m_listening = -1;
};

// Serves with the configuration until SIGINT or SIGTERM; the exit status.
int serve(const Config& config, Store& store, KeyRing& keys);
