#pragma once

#include "tool/answer.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The page folder make web builds, served with the headers its nginx
// settings (web/server/nginx.conf) give each file.
class PageFolder {
public:
    explicit PageFolder(std::filesystem::path folder);

    // The Content-Security-Policy the page's index.html carries; empty when none.
    std::string policy() const;
    // The page's name as its index.html's <title> gives it, its character
    // references read: what a platform shows a teacher for the game. Empty
    // when none.
    std::string title() const;
    // A file of the folder by its request path; nothing for a file that is
    // not there, hidden, or outside the folder.
    std::optional<Answer> file(const std::string& requestPath, bool acceptsGzip) const;
    // index.html for one launch: the play token in a meta element, the
    // page's policy, and only the launching platform's origins may frame it.
    Answer launchedPage(const std::string& playToken, const std::vector<std::string>& frameOrigins) const;

private:
    // index.html, and what the tool reads of it.
    struct Index {
        std::string text;
        std::string policy;
        std::string title;
    };
    struct IndexCache {
        std::mutex mutex;
        bool read = false;
        std::filesystem::file_time_type changed;
        Index index;
    };
    Index index() const;

    std::filesystem::path m_folder;
    std::shared_ptr<IndexCache> m_index;
};
