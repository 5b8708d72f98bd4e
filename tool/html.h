#pragma once

#include <string>
#include <string_view>

// Text for an HTML element or a quoted attribute: the five characters that
// could end either are written as entities.
std::string escapeHtml(std::string_view text);

// An element's text as the page wrote it, its character references read:
// the five named ones escapeHtml writes, and numeric ones. Any other stays
// as it stands.
std::string decodeHtmlEntities(std::string_view text);
