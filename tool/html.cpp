#include "tool/html.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace {

constexpr std::array<std::pair<char, std::string_view>, 5> ENTITIES = {{
    {'&', "&amp;"},
    {'<', "&lt;"},
    {'>', "&gt;"},
    {'"', "&quot;"},
    {'\'', "&#39;"},
}};

void appendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A numeric reference's character (what follows "&#" up to the ";"), or
// nothing for a number that names no character.
bool appendNumeric(std::string& out, std::string_view digits)
{
    const bool hex = !digits.empty() && (digits[0] == 'x' || digits[0] == 'X');
    if (hex)
        digits.remove_prefix(1);
    unsigned long code = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || code == 0 || code > 0x10FFFF
        || (code >= 0xD800 && code <= 0xDFFF))
        return false;
    appendUtf8(out, static_cast<char32_t>(code));
    return true;
}

} // namespace

std::string escapeHtml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto* entity
            = std::find_if(ENTITIES.begin(), ENTITIES.end(), [c](const auto& e) { return e.first == c; });
        if (entity != ENTITIES.end())
            out += entity->second;
        else
            out += c;
    }
    return out;
}

std::string decodeHtmlEntities(std::string_view text)
{
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        // A reference runs from an ampersand to the next semicolon, with no
        // other ampersand between; anything else is plain text.
        const std::size_t semicolon = text[at] == '&' ? text.find(';', at) : std::string_view::npos;
        if (semicolon == std::string_view::npos || semicolon > text.find('&', at + 1)) {
            out += text[at++];
            continue;
        }
        const std::string_view reference = text.substr(at, semicolon + 1 - at);
        const auto* named
            = std::find_if(ENTITIES.begin(), ENTITIES.end(), [&](const auto& e) { return e.second == reference; });
        if (named != ENTITIES.end())
            out += named->first;
        else if (reference == "&apos;")
            out += '\'';
        else if (!(reference.starts_with("&#") && appendNumeric(out, reference.substr(2, reference.size() - 3))))
            out += reference;
        at = semicolon + 1;
    }
    return out;
}
