// Puts a PEM certificate into the current user's Root store of the Wine prefix, so the
// platform's own TLS verification trusts the test servers' CA. Wine adds it without the
// confirmation prompt Windows would show for this store.
//   trust_root_ca <file.pem>
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_root_ca <file.pem>\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::stringstream pem;
    pem << file.rdbuf();
    const std::string text = pem.str();
    if (!file || text.empty()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }

    DWORD size = 0;
    if (!CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                              nullptr)) {
        std::fprintf(stderr, "no certificate in %s\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                         nullptr);

    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "ROOT");
    if (!store) {
        std::fprintf(stderr, "cannot open the Root store (%lu)\n", GetLastError());
        return 1;
    }
    const BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const DWORD error = GetLastError();
    CertCloseStore(store, 0);
    if (!added) {
        std::fprintf(stderr, "cannot add the certificate (%lu)\n", error);
        return 1;
    }
    return 0;
}
