#include "tool/fetcher.h"

#include "tool/config.h"

#include <httplib.h>

namespace {

constexpr std::size_t FETCH_MAX_BYTES = 256 * 1024;
constexpr time_t FETCH_TIMEOUT_SECONDS = 5;
constexpr const char* SYSTEM_CERTIFICATES = "/etc/ssl/certs/ca-certificates.crt";

} // namespace

Fetcher httpFetcher()
{
    return [](const std::string& url) -> std::optional<std::string> {
        const std::string origin = urlOrigin(url);
        if (origin.empty())
            return std::nullopt;
        const std::string path = url.size() > origin.size() ? url.substr(origin.size()) : "/";
        httplib::Client client(origin);
        client.set_ca_cert_path(SYSTEM_CERTIFICATES);
        client.enable_server_certificate_verification(true);
        client.set_connection_timeout(FETCH_TIMEOUT_SECONDS);
        client.set_read_timeout(FETCH_TIMEOUT_SECONDS);
        client.set_write_timeout(FETCH_TIMEOUT_SECONDS);
        std::string body;
        const httplib::Result result = client.Get(path, [&body](const char* data, std::size_t length) {
            body.append(data, length);
            return body.size() <= FETCH_MAX_BYTES;
        });
        if (!result || result->status != 200)
            return std::nullopt;
        return body;
    };
}
