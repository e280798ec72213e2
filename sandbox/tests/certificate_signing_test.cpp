#include "sandbox/certificate_signing.h"

#include <gtest/gtest.h>

#include <memory>

namespace velmora::sandbox {
namespace {

TEST(CertificateSigning, SignaturesAreValidAndTheirHalvesFullLength) {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    std::unique_ptr<X509, decltype(&X509_free)> certificate(X509_new(), &X509_free);
    ASSERT_TRUE(key && certificate);
    X509_set_pubkey(certificate.get(), key.get());

    // About one plain signature in 128 has a short half: 2,000 show the check sees them.
    int short_ones = 0;
    for (int i = 0; i < 2000; ++i) {
        ASSERT_NE(X509_sign(certificate.get(), key.get(), EVP_sha256()), 0);
        short_ones += has_full_length_signature(certificate.get(), key.get()) ? 0 : 1;
    }
    EXPECT_GT(short_ones, 0);

    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(sign_certificate(certificate.get(), key.get()));
        ASSERT_TRUE(has_full_length_signature(certificate.get(), key.get()));
        ASSERT_EQ(X509_verify(certificate.get(), key.get()), 1);
    }
}

}  // namespace
}  // namespace velmora::sandbox
