#include "http/tls_settings.h"

#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "http/curl/curl_tls.h"

namespace velmora {
namespace {

struct X509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct X509StoreFree {
    void operator()(X509_STORE* store) const { X509_STORE_free(store); }
};
using Certificate = std::unique_ptr<X509, X509Free>;
using Store = std::unique_ptr<X509_STORE, X509StoreFree>;

std::vector<Certificate> read_pem_file(const char* path) {
    std::vector<Certificate> certificates;
    if (!path || !*path) {
        return certificates;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "rb"), &std::fclose);
    if (!file) {
        return certificates;
    }
    while (X509* certificate = PEM_read_X509(file.get(), nullptr, nullptr, nullptr)) {
        certificates.emplace_back(certificate);
    }
    return certificates;
}

// Where the system's trusted roots are, as libcurl itself would read them.
struct SystemRoots {
    std::string bundle;  // one PEM file of every root
    std::string folder;  // the same roots, one file each under its subject hash
};

const SystemRoots& system_roots() {
    static const SystemRoots roots = [] {
        SystemRoots found;
        if (CURL* probe = curl_easy_init()) {
            const char* bundle = nullptr;
            const char* folder = nullptr;
            if (curl_easy_getinfo(probe, CURLINFO_CAINFO, &bundle) == CURLE_OK && bundle) {
                found.bundle = bundle;
            }
            if (curl_easy_getinfo(probe, CURLINFO_CAPATH, &folder) == CURLE_OK && folder) {
                found.folder = folder;
            }
            curl_easy_cleanup(probe);
        }
        return found;
    }();
    return roots;
}

// A folder of roots is usable only once its files are linked under their subject hashes
// ("1a2b3c4d.0"), which is what the system's certificate tool keeps up to date.
bool holds_hashed_names(const std::string& folder) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() >= 10 && name[8] == '.' &&
            name.find_first_not_of("0123456789abcdef") == 8 &&
            name.find_first_not_of("0123456789", 9) == std::string::npos) {
            return true;
        }
    }
    return false;
}

// The hashed folder lets a handshake read the one root its chain ends in. Decoding the
// whole bundle instead holds some hundred certificates in memory for the life of the
// process, so it is only the fallback for a system without the folder.
void add_system_roots(X509_STORE* store) {
    const SystemRoots& roots = system_roots();
    if (!roots.folder.empty() && holds_hashed_names(roots.folder) &&
        X509_STORE_load_path(store, roots.folder.c_str()) == 1) {
        return;
    }
    static const std::vector<Certificate> bundle = read_pem_file(roots.bundle.c_str());
    // A certificate already in the store is reported as an error and is harmless.
    for (const auto& certificate : bundle) {
        X509_STORE_add_cert(store, certificate.get());
    }
}

// One store for every handshake: the system's roots plus the extra bundle. OpenSSL
// stores are reference counted and locked internally, so handshakes on several threads
// may share one. The extra bundle is read when it is named; the store is built at the
// first handshake, so a process that only speaks plain HTTP never reads the system's roots.
class TrustStore {
  public:
    explicit TrustStore(const std::string& extra_path)
        : extra_(read_pem_file(extra_path.c_str())) {}

    X509_STORE* store() {
        std::call_once(built_, [this] {
            store_.reset(X509_STORE_new());
            if (!store_) {
                return;
            }
            add_system_roots(store_.get());
            for (const auto& certificate : extra_) {
                X509_STORE_add_cert(store_.get(), certificate.get());
            }
        });
        return store_.get();
    }

  private:
    std::vector<Certificate> extra_;
    std::once_flag built_;
    Store store_;
};

std::mutex store_mutex;
std::shared_ptr<TrustStore> current_store = std::make_shared<TrustStore>("");
unsigned long current_generation = 0;

std::shared_ptr<TrustStore> store_snapshot() {
    std::lock_guard lock(store_mutex);
    return current_store;
}

CURLcode use_shared_store(CURL*, void* ssl_context, void*) {
    const auto trust = store_snapshot();
    X509_STORE* store = trust->store();
    if (!store) {
        return CURLE_OUT_OF_MEMORY;
    }
    // set1 takes a reference of its own, so a store replaced in the meantime lives on
    // until this handshake's context is freed.
    SSL_CTX_set1_cert_store(static_cast<SSL_CTX*>(ssl_context), store);
    return CURLE_OK;
}

}  // namespace

void set_extra_ca_file(const std::string& pem_path) {
    auto trust = std::make_shared<TrustStore>(pem_path);
    std::lock_guard lock(store_mutex);
    current_store = std::move(trust);
    ++current_generation;
}

unsigned long trust_generation() {
    std::lock_guard lock(store_mutex);
    return current_generation;
}

bool apply_tls_verification(CURL* handle) {
    // libcurl reads no CA file of its own: the shared store replaces the context's.
    return curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_PROXY_SSL_VERIFYPEER, 1L) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_PROXY_SSL_VERIFYHOST, 2L) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_CAINFO, nullptr) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_CAPATH, nullptr) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, &use_shared_store) == CURLE_OK;
}

}  // namespace velmora
