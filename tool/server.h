#pragma once

#include "tool/context.h"
#include "tool/keys.h"
#include "tool/page.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace httplib {
class Server;
class ContentReader;
struct Request;
struct Response;
} // namespace httplib

// What one request may cost the tool: its body, its headers, and how long a
// slow client may keep a connection.
struct ServerLimits {
    std::size_t bodyMaxBytes = 64 * 1024;
    std::size_t headerCountMax = 64;
    std::size_t headerMaxBytes = 16 * 1024;
    std::chrono::seconds readTimeout{10};
    std::chrono::seconds writeTimeout{10};
    std::chrono::seconds keepAliveTimeout{5};
};

// The tool's HTTP face: the JWKS, the login initiation, the launch and the
// page's files, each request answered by one function.
class ToolServer {
public:
    ToolServer(const ToolContext& context, const SigningKey& key, PageFolder page, const ServerLimits& limits = {});
    ~ToolServer();
    ToolServer(const ToolServer&) = delete;
    ToolServer& operator=(const ToolServer&) = delete;

    bool bind(const std::string& host, int port);
    // Serves until stop().
    void run();
    void stop();

private:
    void route();
    // One function per request: read, check, act, answer.
    void answerJwks(httplib::Response& res) const;
    void answerLogin(const httplib::Request& req, httplib::Response& res) const;
    void answerLaunch(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) const;
    void answerFile(const httplib::Request& req, httplib::Response& res) const;

    const ToolContext& m_context;
    const SigningKey& m_key;
    PageFolder m_page;
    ServerLimits m_limits;
    std::unique_ptr<httplib::Server> m_server;
};

// Serves with the configuration until SIGINT or SIGTERM; the exit status.
int serve(const Config& config, Store& store, const SigningKey& key);
