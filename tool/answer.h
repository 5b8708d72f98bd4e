#pragma once

#include <string>
#include <utility>
#include <vector>

// An HTTP answer, apart from the server library, so that what a request
// gets can be built and tested without a socket.
struct Answer {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};
