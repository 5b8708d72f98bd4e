#include "tool/log.h"

#include <iostream>
#include <mutex>

std::string formatLogLine(std::string_view event, const LogFields& fields)
{
    std::string line = "event=" + std::string(event);
    for (const auto& [name, value] : fields) {
        line += " " + std::string(name) + "=";
        // One line, split only at the spaces between fields, and of a
        // bounded length whatever a request sent.
        constexpr std::size_t VALUE_MOST = 200;
        for (const char c : value.substr(0, VALUE_MOST))
            line += (static_cast<unsigned char>(c) <= ' ' || c == '\x7f') ? '_' : c;
        if (value.size() > VALUE_MOST)
            line += "...";
    }
    return line;
}

void logEvent(std::string_view event, const LogFields& fields)
{
    static std::mutex mutex;
    const std::string line = formatLogLine(event, fields) + "\n";
    const std::scoped_lock lock(mutex);
    std::cerr << line << std::flush;
}
