// Certificates made at test time: a CA and a server certificate for 127.0.0.1 and
// localhost signed by it, all as PEM text.
#pragma once

#include <string>

namespace velmora::testing {

struct CertificateSet {
    std::string ca_pem;
    std::string certificate_pem;
    std::string key_pem;
};

// Made once per process. The trusted set's CA is what trust_test_ca() installs; the
// untrusted set comes from a CA that nothing trusts.
const CertificateSet& trusted_certificates();
const CertificateSet& untrusted_certificates();

// Writes the trusted CA to a temporary PEM file (once) and names it as the process's
// extra CA file. Returns the file's path.
const std::string& trust_test_ca();

}  // namespace velmora::testing
