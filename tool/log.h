#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

using LogFields = std::vector<std::pair<std::string_view, std::string>>;

// One line on standard error per event: the event, then name=value fields.
// Callers pass ids and reasons only: never a token, a key, an id_token or
// anything that names a child.
void logEvent(std::string_view event, const LogFields& fields);
std::string formatLogLine(std::string_view event, const LogFields& fields);
