#include "tool/page.h"

#include "tool/html.h"

#include "web/protocol.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

namespace {

// nginx.conf's types, with its charset for the text ones.
const std::map<std::string, std::string> CONTENT_TYPES = {
    {".html", "text/html; charset=utf-8"},
    {".js", "text/javascript; charset=utf-8"},
    {".css", "text/css; charset=utf-8"},
    {".wasm", "application/wasm"},
    {".webmanifest", "application/manifest+json; charset=utf-8"},
    {".json", "application/json"},
    {".png", "image/png"},
    {".gif", "image/gif"},
    {".svg", "image/svg+xml"},
};
// The types nginx.conf compresses. The server library compresses text/*
// itself as it sends it (gzip or brotli, as the browser asks); the others
// go out as make web's .gz copy, which the library leaves as it is.
const std::vector<std::string> COMPRESSED = {".js", ".css", ".wasm", ".webmanifest", ".html"};
const std::vector<std::string> SENT_GZIPPED = {".wasm", ".webmanifest"};

// The program and the style sheet are named by their content: a browser
// keeps them a year. Every other file is asked for again each time.
const std::regex CONTENT_NAMED(R"(zentrik\.[0-9a-f]{16}\.(js|wasm|css))");

std::optional<std::string> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

PageFolder::PageFolder(std::filesystem::path folder)
    : m_folder(std::move(folder))
    , m_index(std::make_shared<IndexCache>())
{
}

PageFolder::Index PageFolder::index() const
{
    // Read again only when the file changed (a new page put in place): each
    // launch and each file's headers need it.
    std::error_code error;
    const auto changed = std::filesystem::last_write_time(m_folder / "index.html", error);
    const std::scoped_lock lock(m_index->mutex);
    if (!m_index->read || changed != m_index->changed) {
        // The policy and the title are written once, in the page's own index.html.
        static const std::regex META(R"re(<meta http-equiv="Content-Security-Policy" content="([^"]*)">)re");
        static const std::regex TITLE(R"re(<title>([^<]*)</title>)re");
        Index& index = m_index->index;
        index.text = readFile(m_folder / "index.html").value_or("");
        std::smatch match;
        index.policy = std::regex_search(index.text, match, META) ? match[1].str() : "";
        index.title = std::regex_search(index.text, match, TITLE) ? decodeHtmlEntities(match[1].str()) : "";
        m_index->changed = changed;
        m_index->read = true;
    }
    return m_index->index;
}

std::string PageFolder::policy() const
{
    return index().policy;
}

std::string PageFolder::title() const
{
    return index().title;
}

std::optional<Answer> PageFolder::file(const std::string& requestPath, bool acceptsGzip) const
{
    if (!requestPath.starts_with("/"))
        return std::nullopt;
    const std::filesystem::path relative = requestPath == "/" ? "index.html" : requestPath.substr(1);
    // No way out of the folder, and no hidden file (.htaccess is Apache's).
    for (const std::filesystem::path& part : relative)
        if (part.empty() || part.string().starts_with("."))
            return std::nullopt;
    const std::filesystem::path path = m_folder / relative;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;

    const std::string extension = path.extension().string();
    const auto type = CONTENT_TYPES.find(extension);
    Answer answer{200, type != CONTENT_TYPES.end() ? type->second : "application/octet-stream", "", {}};
    const bool compressed = std::find(COMPRESSED.begin(), COMPRESSED.end(), extension) != COMPRESSED.end();
    std::filesystem::path gzipped = path;
    gzipped += ".gz";
    std::optional<std::string> body;
    const bool sentGzipped = std::find(SENT_GZIPPED.begin(), SENT_GZIPPED.end(), extension) != SENT_GZIPPED.end();
    if (sentGzipped && acceptsGzip && std::filesystem::is_regular_file(gzipped, error)) {
        body = readFile(gzipped);
        answer.headers.emplace_back("Content-Encoding", "gzip");
    } else {
        body = readFile(path);
    }
    if (!body)
        return std::nullopt;
    answer.body = std::move(*body);
    if (compressed)
        answer.headers.emplace_back("Vary", "Accept-Encoding");
    answer.headers.emplace_back("Cache-Control",
                                std::regex_match(relative.filename().string(), CONTENT_NAMED)
                                    ? "public, max-age=31536000, immutable"
                                    : "no-cache");
    answer.headers.emplace_back("Content-Security-Policy", policy());
    answer.headers.emplace_back("X-Content-Type-Options", "nosniff");
    return answer;
}

Answer PageFolder::launchedPage(const std::string& playToken, const std::vector<std::string>& frameOrigins) const
{
    const Index page = index();
    std::string text = page.text;
    const std::string charset = "<meta charset=\"utf-8\">";
    const std::size_t at = text.find(charset);
    if (at == std::string::npos)
        throw std::runtime_error("the page's index.html has no <meta charset=\"utf-8\">");
    // The play token is base64url: nothing in it needs escaping.
    text.insert(at + charset.size(),
                std::string("\n<meta name=\"") + PLAY_TOKEN_META + "\" content=\"" + playToken + "\">");
    std::string ancestors;
    for (const std::string& origin : frameOrigins)
        ancestors += " " + origin;
    // The page holds a play token: no cache keeps it, and no address the
    // page leaves for carries it.
    return {
        200,
        "text/html; charset=utf-8",
        std::move(text),
        {{"Content-Security-Policy", page.policy + "; frame-ancestors" + (ancestors.empty() ? " 'none'" : ancestors)},
         {"Cache-Control", "no-store"},
         {"Referrer-Policy", "no-referrer"},
         {"X-Content-Type-Options", "nosniff"}}};
}
