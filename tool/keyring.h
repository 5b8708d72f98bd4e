#pragma once

#include "tool/keys.h"
#include "tool/store.h"

#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// A new key is published this long before the tool signs with it, so that
// every platform that keeps the tool's JWKS a while has fetched it anew.
constexpr std::chrono::hours KEY_PUBLISHED_AHEAD{24};
// The key before stays published this long after the new one signs: longer
// than anything the tool signs lives (a client assertion, a deep-linking
// answer: 5 minutes), with the clocks' leeway.
constexpr std::chrono::minutes OLD_KEY_KEPT{15};
// The next key's file beside KEY_FILE; its time of change is when it was made.
constexpr const char* NEXT_KEY_FILE = "tool-key.next.pem";

// The tool's keys in its data folder: the one it signs with (KEY_FILE) and,
// after a rotation, the next (NEXT_KEY_FILE), which it publishes at once and
// signs with from KEY_PUBLISHED_AHEAD after it was made, publishing the one
// before until OLD_KEY_KEPT later. Which key does what follows from the two
// files and the time alone: the tool writes nothing, so several instances
// on one folder agree, and a running tool sees a rotation within a request.
class KeyRing {
public:
    // The data folder's keys; the first key is made on the first start.
    explicit KeyRing(std::filesystem::path dataFolder);
    // One key alone, for the tests.
    explicit KeyRing(SigningKey only);

    SigningKey signing(Seconds now);
    std::vector<SigningKey> published(Seconds now);

private:
    struct Next {
        SigningKey key;
        Seconds madeAt;
    };
    // Reads the files again where they changed since they were read.
    void refresh();

    std::optional<std::filesystem::path> m_folder;
    std::mutex m_mutex;
    SigningKey m_current;
    std::optional<Next> m_next;
    std::filesystem::file_time_type m_currentChanged{};
    std::optional<std::filesystem::file_time_type> m_nextChanged;
};

// What a rotation did, for the administrator.
struct Rotation {
    bool rotated = false;
    std::string text;
};

// Publishes a next key, where there is none; where the next one has signed
// for longer than OLD_KEY_KEPT, it becomes the key and a new next is
// published; in between, nothing changes and the text says when to come
// back.
Rotation rotateKey(const std::filesystem::path& dataFolder, Seconds now);
