#pragma once

#include <nlohmann/json.hpp>
#include <openssl/evp.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

using PKey = std::shared_ptr<EVP_PKEY>;

// A key pair with the id its JWK carries.
struct SigningKey {
    PKey key;
    std::string kid;
};

// The file of the key the tool signs with, in its data folder.
constexpr const char* KEY_FILE = "tool-key.pem";

// The tool's key pair, read from the data folder, or made there on first
// start with a private key file only its owner reads.
SigningKey loadOrCreateToolKey(const std::filesystem::path& dataFolder);
SigningKey generateSigningKey();
// A key file's key; nothing where there is no file. Throws where the file
// holds no RSA private key.
std::optional<SigningKey> readKeyFile(const std::filesystem::path& path);
// A new key in a new file, mode 0600 whatever the umask, on the disk
// before it returns.
SigningKey writeNewKeyFile(const std::filesystem::path& path);

// The public half as a JWK (kty, n, e, kid, alg RS256, use sig), and as PEM.
nlohmann::json publicJwk(const SigningKey& key);
std::string publicKeyPem(const SigningKey& key);

// An RSA public key of at least 2048 bits from a JWK's n and e; null for any
// other key.
PKey rsaKeyFromJwk(const nlohmann::json& jwk);

bool verifyRs256(EVP_PKEY* key, std::string_view signedPart, std::string_view signature);
std::string signRs256(EVP_PKEY* key, std::string_view signedPart);

std::string sha256Hex(std::string_view bytes);
