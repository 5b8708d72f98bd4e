#include "tool/context.h"

#include "tool/base64url.h"

#include <openssl/rand.h>

#include <array>
#include <stdexcept>

Seconds systemNow()
{
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

Instant systemInstant()
{
    return std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now());
}

std::string randomSecret()
{
    std::array<unsigned char, 32> bytes{};
    if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1)
        throw std::runtime_error("OpenSSL's random generator failed");
    return base64urlEncode(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
