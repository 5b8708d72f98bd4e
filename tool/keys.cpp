#include "tool/keys.h"

#include "tool/base64url.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/param_build.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <array>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned RSA_BITS = 2048;

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using Bignum = std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>>;
using ParamBuilder = std::unique_ptr<OSSL_PARAM_BLD, Deleter<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>>;
using Params = std::unique_ptr<OSSL_PARAM, Deleter<OSSL_PARAM, OSSL_PARAM_free>>;
using KeyContext = std::unique_ptr<EVP_PKEY_CTX, Deleter<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX, EVP_MD_CTX_free>>;
using Bio = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

PKey own(EVP_PKEY* key)
{
    return PKey(key, EVP_PKEY_free);
}

std::string bignumBytes(EVP_PKEY* key, const char* name)
{
    BIGNUM* raw = nullptr;
    if (EVP_PKEY_get_bn_param(key, name, &raw) != 1)
        throw std::runtime_error("the key has no RSA parameter " + std::string(name));
    const Bignum number(raw);
    std::string bytes(static_cast<std::size_t>(BN_num_bytes(number.get())), '\0');
    BN_bn2bin(number.get(), reinterpret_cast<unsigned char*>(bytes.data()));
    return bytes;
}

// The JWK thumbprint (RFC 7638): the hash of the required members in
// lexicographic order, which nlohmann::json's sorted objects give.
std::string thumbprint(EVP_PKEY* key)
{
    const nlohmann::json members = {
        {"e", base64urlEncode(bignumBytes(key, OSSL_PKEY_PARAM_RSA_E))},
        {"kty", "RSA"},
        {"n", base64urlEncode(bignumBytes(key, OSSL_PKEY_PARAM_RSA_N))},
    };
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned length = 0;
    const std::string text = members.dump();
    EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_sha256(), nullptr);
    return base64urlEncode(std::string_view(reinterpret_cast<const char*>(digest.data()), length));
}

} // namespace

SigningKey generateSigningKey()
{
    PKey key = own(EVP_RSA_gen(RSA_BITS));
    if (!key)
        throw std::runtime_error("OpenSSL could not make an RSA key");
    return {key, thumbprint(key.get())};
}

std::optional<SigningKey> readKeyFile(const std::filesystem::path& path)
{
    std::FILE* file = std::fopen(path.c_str(), "re");
    if (!file)
        return std::nullopt;
    PKey key = own(PEM_read_PrivateKey(file, nullptr, nullptr, nullptr));
    std::fclose(file);
    if (!key || EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_RSA)
        throw std::runtime_error(path.string() + " holds no RSA private key");
    return SigningKey{key, thumbprint(key.get())};
}

SigningKey writeNewKeyFile(const std::filesystem::path& path)
{
    SigningKey made = generateSigningKey();
    // Created with mode 0600 from the start, whatever the umask, so the
    // private key is never readable by anyone else, not even for a moment.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path.string());
    std::FILE* file = ::fdopen(fd, "w");
    if (!file)
        ::close(fd);
    const bool written = file && PEM_write_PrivateKey(file, made.key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1
        && std::fflush(file) == 0 && ::fsync(fd) == 0;
    if (!file || std::fclose(file) != 0 || !written) {
        std::filesystem::remove(path);
        throw std::runtime_error("cannot write " + path.string());
    }
    return made;
}

SigningKey loadOrCreateToolKey(const std::filesystem::path& dataFolder)
{
    const std::filesystem::path path = dataFolder / KEY_FILE;
    if (std::optional<SigningKey> kept = readKeyFile(path))
        return *kept;
    return writeNewKeyFile(path);
}

nlohmann::json publicJwk(const SigningKey& key)
{
    return {
        {"kty", "RSA"},
        {"alg", "RS256"},
        {"use", "sig"},
        {"kid", key.kid},
        {"n", base64urlEncode(bignumBytes(key.key.get(), OSSL_PKEY_PARAM_RSA_N))},
        {"e", base64urlEncode(bignumBytes(key.key.get(), OSSL_PKEY_PARAM_RSA_E))},
    };
}

std::string publicKeyPem(const SigningKey& key)
{
    const Bio bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_PUBKEY(bio.get(), key.key.get());
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return {data, static_cast<std::size_t>(length)};
}

// The JWK's members become an OpenSSL key through OpenSSL's own parameter
// builder (OSSL_PARAM_BLD, EVP_PKEY_fromdata): no key encoding of our own.
PKey rsaKeyFromJwk(const nlohmann::json& jwk)
{
    // Compared as JSON, never converted: a kty of another type is no RSA key,
    // not an exception.
    if (!jwk.is_object() || !jwk.contains("kty") || jwk["kty"] != "RSA" || !jwk.contains("n") || !jwk.contains("e")
        || !jwk["n"].is_string() || !jwk["e"].is_string())
        return nullptr;
    if ((jwk.contains("use") && jwk["use"] != "sig") || (jwk.contains("alg") && jwk["alg"] != "RS256"))
        return nullptr;
    const std::optional<std::string> n = base64urlDecode(jwk["n"].get<std::string>());
    const std::optional<std::string> e = base64urlDecode(jwk["e"].get<std::string>());
    if (!n || !e || n->empty() || e->empty())
        return nullptr;
    const Bignum modulus(
        BN_bin2bn(reinterpret_cast<const unsigned char*>(n->data()), static_cast<int>(n->size()), nullptr));
    const Bignum exponent(
        BN_bin2bn(reinterpret_cast<const unsigned char*>(e->data()), static_cast<int>(e->size()), nullptr));
    const ParamBuilder builder(OSSL_PARAM_BLD_new());
    if (!modulus || !exponent || !builder
        || OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_N, modulus.get()) != 1
        || OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_E, exponent.get()) != 1)
        return nullptr;
    const Params params(OSSL_PARAM_BLD_to_param(builder.get()));
    const KeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    EVP_PKEY* raw = nullptr;
    if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1
        || EVP_PKEY_fromdata(context.get(), &raw, EVP_PKEY_PUBLIC_KEY, params.get()) != 1)
        return nullptr;
    PKey key = own(raw);
    return EVP_PKEY_get_bits(key.get()) >= static_cast<int>(RSA_BITS) ? key : nullptr;
}

// RS256 is RSASSA-PKCS1-v1_5 with SHA-256, OpenSSL's default padding for RSA.
bool verifyRs256(EVP_PKEY* key, std::string_view signedPart, std::string_view signature)
{
    const DigestContext context(EVP_MD_CTX_new());
    return context && EVP_PKEY_get_base_id(key) == EVP_PKEY_RSA
        && EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key) == 1
        && EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
                            reinterpret_cast<const unsigned char*>(signedPart.data()), signedPart.size())
        == 1;
}

std::string signRs256(EVP_PKEY* key, std::string_view signedPart)
{
    const DigestContext context(EVP_MD_CTX_new());
    std::size_t length = 0;
    const auto* data = reinterpret_cast<const unsigned char*>(signedPart.data());
    if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key) != 1
        || EVP_DigestSign(context.get(), nullptr, &length, data, signedPart.size()) != 1)
        throw std::runtime_error("OpenSSL could not sign");
    std::string signature(length, '\0');
    if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &length, data,
                       signedPart.size())
        != 1)
        throw std::runtime_error("OpenSSL could not sign");
    signature.resize(length);
    return signature;
}

std::string sha256Hex(std::string_view bytes)
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr);
    static constexpr std::string_view HEX = "0123456789abcdef";
    std::string text;
    for (unsigned i = 0; i < length; ++i) {
        text += HEX[digest[i] >> 4];
        text += HEX[digest[i] & 15];
    }
    return text;
}
