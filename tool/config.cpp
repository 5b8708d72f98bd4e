#include "tool/config.h"

#include "tool/keyring.h"
#include "tool/page.h"

#include <algorithm>
#include <string_view>
#include <unistd.h>

ToolUrls toolUrls(const std::string& baseUrl)
{
    // The launch answers the page's index.html, whose addresses are
    // relative: the launch URL stands in the page's own folder.
    return {baseUrl + "/login", baseUrl + "/launch", baseUrl + "/.well-known/jwks.json", baseUrl + "/launch"};
}

std::string urlOrigin(const std::string& url)
{
    std::size_t hostStart = 0;
    if (url.starts_with("https://"))
        hostStart = 8;
    else if (url.starts_with("http://"))
        hostStart = 7;
    else
        return "";
    const std::size_t hostEnd = url.find_first_of("/?#", hostStart);
    std::string origin = url.substr(0, hostEnd);
    // The origin goes into headers and policies as it is: printable ASCII
    // only (a CR or LF would make the server drop the whole header), and
    // none of the characters that end a source or a directive.
    const auto unsafe = [](unsigned char c) {
        return c <= ' ' || c >= 0x7f
            || std::string_view("@\"'<>;,").find(static_cast<char>(c)) != std::string_view::npos;
    };
    if (origin.size() == hostStart || std::any_of(origin.begin(), origin.end(), unsafe))
        return "";
    return origin;
}

std::string urlPath(const std::string& url)
{
    return url.substr(urlOrigin(url).size());
}

std::vector<std::string> configProblems(const Config& config)
{
    std::vector<std::string> problems;
    if (config.port < 1 || config.port > 65535)
        problems.emplace_back("--port must be between 1 and 65535");
    if (config.listen.empty())
        problems.emplace_back("--listen names no address");

    if (config.dataFolder.empty())
        problems.emplace_back("--data names no folder for the tool's database and key");
    else if (std::error_code error; !std::filesystem::is_directory(config.dataFolder, error))
        problems.emplace_back("--data " + config.dataFolder.string() + " is not a folder");
    else if (::access(config.dataFolder.c_str(), R_OK | W_OK | X_OK) != 0)
        problems.emplace_back("--data " + config.dataFolder.string() + " is not writable by the tool");
    else
        // A file made by another user (a command run as root) stops the
        // tool only once it serves: said here instead.
        for (const char* name : {DATABASE_FILE, KEY_FILE, NEXT_KEY_FILE, REGISTRATION_SECRET_FILE})
            if (const std::filesystem::path file = config.dataFolder / name;
                std::filesystem::exists(file) && ::access(file.c_str(), R_OK | W_OK) != 0)
                problems.emplace_back("--data " + file.string() + " is not readable and writable by the tool's user");

    if (config.pageFolder.empty())
        problems.emplace_back("--pages names no page folder (make web builds build-wasm/lti)");
    else if (std::error_code error; !std::filesystem::is_regular_file(config.pageFolder / "index.html", error))
        problems.emplace_back("--pages " + config.pageFolder.string()
                              + " has no index.html (make web builds build-wasm/lti)");
    else if (PageFolder(config.pageFolder).policy().empty())
        problems.emplace_back("--pages " + config.pageFolder.string()
                              + "/index.html carries no Content-Security-Policy");

    const std::string origin = urlOrigin(config.baseUrl);
    // An origin is scheme://host[:port]; none for an address that is not http or https.
    const std::size_t scheme = origin.find("//");
    const std::string host = scheme == std::string::npos ? "" : origin.substr(scheme + 2);
    if (config.baseUrl.empty())
        problems.emplace_back("--base-url names no address (the one platforms reach the tool at)");
    else if (origin.empty() || config.baseUrl.find_first_of("?#") != std::string::npos || config.baseUrl.ends_with("/"))
        problems.emplace_back("--base-url must be an http or https address with no query and no trailing slash");
    else if (origin.starts_with("http://") && host != "localhost" && !host.starts_with("localhost:"))
        // Browsers keep a Secure cookie from http only on localhost, and
        // the login's cookie must be Secure to reach a platform's frame.
        problems.emplace_back("--base-url must be https, except on localhost for tests");
    return problems;
}
