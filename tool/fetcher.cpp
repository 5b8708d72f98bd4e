#include "tool/fetcher.h"

#include "tool/config.h"

#include <httplib.h>

#include <charconv>
#include <memory>

namespace {

constexpr std::size_t FETCH_MAX_BYTES = 256 * 1024;
constexpr time_t FETCH_TIMEOUT_SECONDS = 5;
constexpr const char* SYSTEM_CERTIFICATES = "/etc/ssl/certs/ca-certificates.crt";

// A client for the URL's origin with the bounds every call to a platform
// keeps; null for an address that is no http or https URL.
std::unique_ptr<httplib::Client> clientFor(const std::string& url)
{
    const std::string origin = urlOrigin(url);
    if (origin.empty())
        return nullptr;
    auto client = std::make_unique<httplib::Client>(origin);
    client->set_ca_cert_path(SYSTEM_CERTIFICATES);
    client->enable_server_certificate_verification(true);
    client->set_connection_timeout(FETCH_TIMEOUT_SECONDS);
    client->set_read_timeout(FETCH_TIMEOUT_SECONDS);
    client->set_write_timeout(FETCH_TIMEOUT_SECONDS);
    return client;
}

std::string pathOf(const std::string& url)
{
    const std::string path = urlPath(url);
    return path.empty() ? "/" : path;
}

} // namespace

AuthorizedFetcher httpAuthorizedFetcher()
{
    return [](const std::string& url, const std::string& authorization) -> std::optional<std::string> {
        const std::unique_ptr<httplib::Client> client = clientFor(url);
        if (!client)
            return std::nullopt;
        httplib::Headers headers;
        if (!authorization.empty())
            headers.emplace("Authorization", authorization);
        std::string body;
        const httplib::Result result = client->Get(pathOf(url), headers, [&body](const char* data, std::size_t length) {
            body.append(data, length);
            return body.size() <= FETCH_MAX_BYTES;
        });
        if (!result || result->status != 200)
            return std::nullopt;
        return body;
    };
}

Fetcher httpFetcher()
{
    return [fetch = httpAuthorizedFetcher()](const std::string& url) { return fetch(url, ""); };
}

Poster httpPoster()
{
    return [](const std::string& url, const std::string& contentType, const std::string& body,
              const std::string& authorization) -> PostReply {
        const std::unique_ptr<httplib::Client> client = clientFor(url);
        if (!client)
            return {};
        httplib::Headers headers;
        if (!authorization.empty())
            headers.emplace("Authorization", authorization);
        const httplib::Result result = client->Post(pathOf(url), headers, body, contentType);
        if (!result || result->body.size() > FETCH_MAX_BYTES)
            return {};
        PostReply reply{result->status, result->body, -1};
        const std::string retryAfter = result->get_header_value("Retry-After");
        int seconds = 0;
        const auto [end, error] = std::from_chars(retryAfter.data(), retryAfter.data() + retryAfter.size(), seconds);
        if (!retryAfter.empty() && error == std::errc() && end == retryAfter.data() + retryAfter.size())
            reply.retryAfterSeconds = seconds;
        return reply;
    };
}
