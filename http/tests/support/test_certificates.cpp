#include "http/tests/support/test_certificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "http/tls_settings.h"
#include "sandbox/certificate_signing.h"

namespace velmora::testing {
namespace {

using KeyPointer = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertificatePointer = std::unique_ptr<X509, decltype(&X509_free)>;

void require(bool condition, const char* what) {
    if (!condition) {
        throw std::runtime_error(std::string("test certificate: ") + what);
    }
}

KeyPointer new_key() {
    KeyPointer key(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    require(key != nullptr, "key generation");
    return key;
}

void add_extension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    require(extension != nullptr, "extension");
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

CertificatePointer new_certificate(EVP_PKEY* key, const char* common_name, long serial) {
    CertificatePointer certificate(X509_new(), &X509_free);
    require(certificate != nullptr, "allocation");
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 30L * 24 * 3600);
    X509_set_pubkey(certificate.get(), key);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate.get()), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(common_name), -1, -1, 0);
    return certificate;
}

std::string pem_of(X509* certificate) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
    PEM_write_bio_X509(bio.get(), certificate);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(length));
}

std::string pem_of(EVP_PKEY* key) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
    PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(length));
}

CertificateSet make_certificates(const char* ca_name) {
    const KeyPointer ca_key = new_key();
    const CertificatePointer ca = new_certificate(ca_key.get(), ca_name, 1);
    X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get()));
    add_extension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE");
    add_extension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    add_extension(ca.get(), ca.get(), NID_subject_key_identifier, "hash");
    require(sandbox::sign_certificate(ca.get(), ca_key.get()), "signing the CA");

    const KeyPointer server_key = new_key();
    const CertificatePointer server = new_certificate(server_key.get(), "127.0.0.1", 2);
    X509_set_issuer_name(server.get(), X509_get_subject_name(ca.get()));
    add_extension(server.get(), ca.get(), NID_basic_constraints, "critical,CA:FALSE");
    add_extension(server.get(), ca.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    add_extension(server.get(), ca.get(), NID_ext_key_usage, "serverAuth");
    add_extension(server.get(), ca.get(), NID_authority_key_identifier, "keyid");
    require(sandbox::sign_certificate(server.get(), ca_key.get()), "signing the server");

    return {pem_of(ca.get()), pem_of(server.get()), pem_of(server_key.get())};
}

}  // namespace

const CertificateSet& trusted_certificates() {
    static const CertificateSet set = make_certificates("Velmora Test CA");
    return set;
}

const CertificateSet& untrusted_certificates() {
    static const CertificateSet set = make_certificates("Unknown Test CA");
    return set;
}

const std::string& trust_test_ca() {
    // A plain buffer, so removing the file at exit never touches a destroyed string.
    static char file_name[] = "/tmp/velmora-test-ca-XXXXXX.pem";
    static const std::string path = [] {
        const int descriptor = mkstemps(file_name, 4);
        require(descriptor != -1, "temporary file");
        close(descriptor);
        std::ofstream(file_name, std::ios::binary) << trusted_certificates().ca_pem;
        std::atexit([] { std::remove(file_name); });
        set_extra_ca_file(file_name);
        return std::string(file_name);
    }();
    return path;
}

}  // namespace velmora::testing
