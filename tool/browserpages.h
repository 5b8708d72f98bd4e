#pragma once

#include "tool/answer.h"

#include <string>

// The pages a login goes through where the tool's cookie may not reach it:
// a browser that keeps no cookie in another site's frame is tied to its
// login by the platform's storage, or, where the platform has none, begins
// the login again in a window of its own. Each page's script is allowed by
// a nonce of its own and does nothing else.

// What a page for the platform's storage needs: where the storage is, the
// only origin it speaks with, and the key of the login's binding.
struct PlatformStorage {
    std::string target;
    std::string platformOrigin;
    std::string key;
};

// The login in the frame: the binding put into the platform's storage, then
// on to the platform's authorization endpoint (next).
Answer storageLoginPage(const PlatformStorage& storage, const std::string& value, const std::string& next,
                        const std::string& nonce);
// The launch in the frame: the binding read back from the platform's
// storage and posted with the platform's id_token and state to the launch
// URL; where the platform cannot give it back, the link to the same login
// in a window of its own.
Answer storageLaunchPage(const PlatformStorage& storage, const std::string& launchUrl, const std::string& idToken,
                         const std::string& state, const std::string& restartUrl, const std::string& nonce);
// A browser that kept no cookie, where the platform offers no storage: the
// link to the same login in a window of its own, where the tool is a first
// party. No script.
Answer ownWindowPage(const std::string& restartUrl);
