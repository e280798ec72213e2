// Certificate signing that every client's certificate check accepts. Header-only, so the
// HTTP test fixtures sign their certificates the same way without linking the sandbox.
#pragma once

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

namespace velmora::sandbox {

// True when both halves of the ECDSA signature on `certificate` have as many significant
// bytes as the key's curve.
inline bool has_full_length_signature(const X509* certificate, const EVP_PKEY* key) {
    const int size = (EVP_PKEY_get_bits(key) + 7) / 8;
    const ASN1_BIT_STRING* signature = nullptr;
    X509_get0_signature(&signature, nullptr, certificate);
    const unsigned char* der = ASN1_STRING_get0_data(signature);
    ECDSA_SIG* parts = d2i_ECDSA_SIG(nullptr, &der, ASN1_STRING_length(signature));
    const bool full = parts != nullptr && BN_num_bytes(ECDSA_SIG_get0_r(parts)) == size &&
                      BN_num_bytes(ECDSA_SIG_get0_s(parts)) == size;
    ECDSA_SIG_free(parts);
    return full;
}

// Signs `certificate` with the EC `key` and SHA-256. Wine's certificate check rejects a
// signature whose r or s is shorter than the curve's size (about one P-256 signature in
// 128), which made the Windows tests fail now and then; ECDSA signatures are randomised,
// so such a signature is made again.
inline bool sign_certificate(X509* certificate, EVP_PKEY* key) {
    constexpr int attempts = 32;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (X509_sign(certificate, key, EVP_sha256()) == 0) {
            return false;
        }
        if (has_full_length_signature(certificate, key)) {
            return true;
        }
    }
    return false;
}

}  // namespace velmora::sandbox
