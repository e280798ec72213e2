#include "sandbox/certificates.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include "sandbox/certificate_signing.h"

namespace velmora::sandbox {
namespace {

using CertPtr = std::unique_ptr<X509, X509Free>;
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;

constexpr long valid_before_now = 60L * 60;
constexpr long valid_after_now = 30L * 24 * 60 * 60;

bool add_extension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    if (extension == nullptr) {
        return false;
    }
    const bool added = X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

bool random_serial(X509* cert) {
    unsigned char bytes[16];
    if (RAND_bytes(bytes, sizeof bytes) != 1) {
        return false;
    }
    bytes[0] &= 0x7F;  // a positive serial number
    BIGNUM* number = BN_bin2bn(bytes, sizeof bytes, nullptr);
    const bool ok = number != nullptr && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert));
    BN_free(number);
    return ok;
}

// An unsigned certificate with subject CN=`common_name`, the given key and validity.
CertPtr new_certificate(const char* common_name, EVP_PKEY* key) {
    CertPtr cert(X509_new());
    X509_NAME* name = X509_NAME_new();
    const bool ok =
        cert && name && X509_set_version(cert.get(), 2) == 1 && random_serial(cert.get()) &&
        X509_gmtime_adj(X509_getm_notBefore(cert.get()), -valid_before_now) != nullptr &&
        X509_gmtime_adj(X509_getm_notAfter(cert.get()), valid_after_now) != nullptr &&
        X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("velmora-sandbox"), -1,
                                   -1, 0) == 1 &&
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>(common_name), -1, -1,
                                   0) == 1 &&
        X509_set_subject_name(cert.get(), name) == 1 && X509_set_pubkey(cert.get(), key) == 1;
    X509_NAME_free(name);
    return ok ? std::move(cert) : nullptr;
}

std::string pem_of(X509* cert) {
    BIO* bio = BIO_new(BIO_s_mem());
    std::string pem;
    if (bio != nullptr && PEM_write_bio_X509(bio, cert) == 1) {
        char* data = nullptr;
        const long size = BIO_get_mem_data(bio, &data);
        pem.assign(data, static_cast<std::size_t>(size));
    }
    BIO_free(bio);
    return pem;
}

std::string openssl_reason(const char* step) {
    std::string message = std::string("certificate generation failed: ") + step;
    if (const unsigned long code = ERR_get_error(); code != 0) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        message += ": ";
        message += buffer;
    }
    ERR_clear_error();
    return message;
}

}  // namespace

std::optional<TlsIdentity> TlsIdentity::generate(const std::vector<std::string>& extra_dns_names,
                                                 std::string* error) {
    const auto fail = [&](const char* step) {
        if (error != nullptr) {
            *error = openssl_reason(step);
        }
        return std::nullopt;
    };
    KeyPtr ca_key(EVP_EC_gen("P-256"));
    KeyPtr server_key(EVP_EC_gen("P-256"));
    if (!ca_key || !server_key) {
        return fail("key generation");
    }

    CertPtr ca = new_certificate("velmora-sandbox test CA", ca_key.get());
    if (!ca || X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get())) != 1 ||
        !add_extension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE") ||
        !add_extension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign") ||
        !add_extension(ca.get(), ca.get(), NID_subject_key_identifier, "hash") ||
        !sign_certificate(ca.get(), ca_key.get())) {
        return fail("CA certificate");
    }

    std::string alt_names = "IP:127.0.0.1,DNS:localhost";
    for (const std::string& name : extra_dns_names) {
        alt_names += ",DNS:" + name;
    }
    CertPtr server = new_certificate("localhost", server_key.get());
    if (!server || X509_set_issuer_name(server.get(), X509_get_subject_name(ca.get())) != 1 ||
        !add_extension(server.get(), ca.get(), NID_basic_constraints, "critical,CA:FALSE") ||
        !add_extension(server.get(), ca.get(), NID_key_usage,
                       "critical,digitalSignature,keyEncipherment") ||
        !add_extension(server.get(), ca.get(), NID_ext_key_usage, "serverAuth") ||
        !add_extension(server.get(), ca.get(), NID_subject_alt_name, alt_names) ||
        !add_extension(server.get(), ca.get(), NID_authority_key_identifier, "keyid") ||
        !sign_certificate(server.get(), ca_key.get())) {
        return fail("server certificate");
    }

    TlsIdentity identity;
    identity.ca_pem_ = pem_of(ca.get());
    if (identity.ca_pem_.empty()) {
        return fail("PEM output");
    }
    identity.server_cert_ = std::move(server);
    identity.server_key_ = std::move(server_key);
    return identity;
}

}  // namespace velmora::sandbox
