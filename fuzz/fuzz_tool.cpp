// Any bytes as what zentrik-tool reads from a platform or a browser. The
// first byte chooses what the rest is: a launch's form body; the claims or
// the header of an id_token that the platform's key signs, so that
// signature-valid tokens reach every claim check; the browser's Cookie
// header beside a good launch; a JWKS a platform serves; a compact JWS; or
// the page's progress report. Half the time a JSON input is mutated by
// giving one of its values another type, where nlohmann::json's conversions
// throw. A crash, a sanitizer report, an exception escaping (the server would
// answer 500 with no reason) or a broken invariant is a fault.
//
// fuzz_tool -write_seeds=FOLDER writes one good input for each mode and
// exits; fuzz/run.sh seeds the corpus with them.

#include "design/alphabet.h"
#include "fuzz/toolplatform.h"
#include "tool/jws.h"
#include "tool/progress.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

enum Mode : std::uint8_t { FormBody, Claims, Header, Cookie, JwksBody, CompactJws, ProgressBody, MODE_COUNT };

// A platform's JWKS as the cache reads it, and each of its members as a key.
// A key taken must be safe to use: it verifies a signature or refuses it.
void readJwks(const std::string& body)
{
    const ToolPlatform& platform = ToolPlatform::shared();
    static const std::string SIGNED_PART = "fuzz";
    static const std::string SIGNATURE = signRs256(platform.key().key.get(), SIGNED_PART);

    JwksCache cache([&body](const std::string&) { return std::optional(body); }, std::chrono::seconds(60));
    const KeyLookup found = cache.find(ToolPlatform::JWKS_URL, platform.key().kid, ToolPlatform::NOW);
    if (found.key ? found.reason != Reason::Accepted
                  : found.reason != Reason::JwksUnavailable && found.reason != Reason::KidUnknown)
        broken("a key lookup's reason does not match its key");
    if (found.key)
        verifyRs256(found.key.get(), SIGNED_PART, SIGNATURE);

    const nlohmann::json document = nlohmann::json::parse(body, nullptr, false);
    if (!document.is_object() || !document.contains("keys") || !document["keys"].is_array())
        return;
    for (const nlohmann::json& jwk : document["keys"])
        if (const PKey key = rsaKeyFromJwk(jwk))
            verifyRs256(key.get(), SIGNED_PART, SIGNATURE);
}

void readJws(std::string_view token)
{
    const std::optional<Jws> jws = decodeJws(token);
    if (!jws)
        return;
    if (!token.starts_with(jws->signedPart + ".") || !jws->header.is_object() || !jws->claims.is_object())
        broken("a decoded JWS does not match its token");
    verifyRs256(ToolPlatform::shared().key().key.get(), jws->signedPart, jws->signature);
}

// A report taken holds the very numbers the body gave.
void readProgress(std::string_view body)
{
    const std::optional<ProgressReport> report = parseProgressReport(body);
    if (!report)
        return;
    const nlohmann::json document = nlohmann::json::parse(body);
    if (document["built"].dump() != std::to_string(report->built)
        || document["letters"].dump() != std::to_string(report->letters))
        broken("a progress report's numbers are not the body's");
}

void writeSeed(const std::string& folder, const char* name, Mode mode, const std::string& rest)
{
    std::ofstream file(folder + "/" + name, std::ios::binary);
    file << static_cast<char>(mode) << rest;
    if (!file.flush())
        broken("cannot write a seed");
}

void writeSeeds(const std::string& folder)
{
    const ToolPlatform& platform = ToolPlatform::shared();
    writeSeed(folder, "form", FormBody, platform.formBody(platform.goodToken()));
    writeSeed(folder, "form-proof", FormBody, platform.formBodyWithProof());
    writeSeed(folder, "claims", Claims, platform.claims());
    writeSeed(folder, "claims-deep-linking", Claims, platform.deepLinkingClaims());
    writeSeed(folder, "header", Header, platform.header());
    writeSeed(folder, "cookie", Cookie, platform.cookie());
    writeSeed(folder, "jwks", JwksBody, platform.jwks());
    writeSeed(folder, "jws", CompactJws, platform.goodToken());
    writeSeed(folder, "progress", ProgressBody, nlohmann::json{{"built", 3}, {"letters", LETTER_COUNT}}.dump());
}

// Every value of a JSON document, the document first.
void collectValues(nlohmann::json& value, std::vector<nlohmann::json*>& values)
{
    values.push_back(&value);
    if (value.is_structured())
        for (nlohmann::json& member : value)
            collectValues(member, values);
}

// One value of the document becomes one of another type, or a copy of
// another of its values: the shapes where a conversion of nlohmann::json
// throws, which byte mutations seldom reach while keeping the JSON valid.
void reshape(nlohmann::json& document, std::minstd_rand& random)
{
    std::vector<nlohmann::json*> values;
    collectValues(document, values);
    nlohmann::json& target = *values[random() % values.size()];
    const nlohmann::json other = *values[random() % values.size()];
    const std::array<nlohmann::json, 10> shapes{
        nullptr, true, 0, -1, 18446744073709551615U, 0.5, "", nlohmann::json::array(), nlohmann::json::object(), other,
    };
    target = shapes[random() % shapes.size()];
}

} // namespace

// libFuzzer's own byte mutations, for what is not JSON and half the rest.
extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed)
{
    std::minstd_rand random(seed);
    if (size > 1 && random() % 2 == 0) {
        nlohmann::json document = nlohmann::json::parse(data + 1, data + size, nullptr, false);
        if (!document.is_discarded()) {
            reshape(document, random);
            const std::string text = document.dump();
            if (text.size() < maxSize) {
                std::copy(text.begin(), text.end(), data + 1);
                return text.size() + 1;
            }
        }
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    constexpr std::string_view WRITE_SEEDS = "-write_seeds=";
    for (int i = 1; i < *argc; ++i) {
        const std::string_view argument = (*argv)[i];
        if (argument.starts_with(WRITE_SEEDS)) {
            writeSeeds(std::string(argument.substr(WRITE_SEEDS.size())));
            std::exit(0);
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // A view of libFuzzer's own buffer, which ends where the input does, so
    // that AddressSanitizer sees a read past the end.
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    ToolPlatform& platform = ToolPlatform::shared();
    switch (static_cast<Mode>(data[0] % MODE_COUNT)) {
    case FormBody: platform.launchChecked(std::string(rest)); break;
    case Claims: platform.launchChecked(platform.formBody(platform.sign(platform.header(), rest))); break;
    case Header: platform.launchChecked(platform.formBody(platform.sign(rest, platform.claims()))); break;
    case Cookie: platform.launchChecked(platform.formBody(platform.goodToken()), std::string(rest)); break;
    case JwksBody: readJwks(std::string(rest)); break;
    case CompactJws: readJws(rest); break;
    case ProgressBody: readProgress(rest); break;
    case MODE_COUNT: break;
    }
    return 0;
}
