// A private certificate authority made at start-up and the server certificate it
// signs for the sandbox's HTTPS API (subjectAltName IP:127.0.0.1 and DNS:localhost).
// Clients trust the API by adding the CA's PEM file to their trust store.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora::sandbox {

struct X509Free {
    void operator()(X509* cert) const { X509_free(cert); }
};
struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};

class TlsIdentity {
  public:
    // A fresh CA (EC P-256, valid from an hour ago for 30 days) and a server
    // certificate for 127.0.0.1, localhost and `extra_dns_names`. nullopt on failure,
    // with OpenSSL's reason in `error`.
    static std::optional<TlsIdentity> generate(const std::vector<std::string>& extra_dns_names,
                                               std::string* error = nullptr);

    X509* server_certificate() const { return server_cert_.get(); }
    EVP_PKEY* server_key() const { return server_key_.get(); }
    const std::string& ca_pem() const { return ca_pem_; }

  private:
    std::unique_ptr<X509, X509Free> server_cert_;
    std::unique_ptr<EVP_PKEY, KeyFree> server_key_;
    std::string ca_pem_;
};

}  // namespace velmora::sandbox
