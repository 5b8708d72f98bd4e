#pragma once

#include <nlohmann/json.hpp>
#include <openssl/evp.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

using PKey = std::shared_ptr<EVP_PKEY>;

// A key pair with the id its JWK carries.
struct SigningKey {
    PKey key;
    std::string kid;
};

// The tool's key pair, read from the data folder, or made there on first
// start with a private key file only its owner reads.
SigningKey loadOrCreateToolKey(const std::filesystem::path& dataFolder);
SigningKey generateSigningKey();

// The public half as a JWK (kty, n, e, kid, alg RS256, use sig), and as PEM.
nlohmann::json publicJwk(const SigningKey& key);
std::string publicKeyPem(const SigningKey& key);

// An RSA public key of at least 2048 bits from a JWK's n and e; null for any
// other key.
PKey rsaKeyFromJwk(const nlohmann::json& jwk);

bool verifyRs256(EVP_PKEY* key, std::string_view signedPart, std::string_view signature);
std::string signRs256(EVP_PKEY* key, std::string_view signedPart);

std::string sha256Hex(std::string_view bytes);
