#include "http/tls_settings.h"

#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "http/curl_tls.h"

namespace velmora {
namespace {

struct X509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
};

// The parsed extra bundle. Immutable once built, so a transfer can use it without a lock.
struct ExtraCaBundle {
    std::string path;
    std::vector<std::unique_ptr<X509, X509Free>> certificates;
};

std::shared_ptr<ExtraCaBundle> load_bundle(const std::string& path) {
    auto bundle = std::make_shared<ExtraCaBundle>();
    bundle->path = path;
    if (path.empty())
        return bundle;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return bundle;
    while (X509* certificate = PEM_read_X509(file.get(), nullptr, nullptr, nullptr)) {
        bundle->certificates.emplace_back(certificate);
    }
    return bundle;
}

std::mutex bundle_mutex;
std::shared_ptr<ExtraCaBundle> current_bundle = std::make_shared<ExtraCaBundle>();
// Every bundle ever installed stays alive until exit: a transfer that started with an
// older one may still be inside its handshake when the bundle is replaced.
std::vector<std::shared_ptr<ExtraCaBundle>> retired_bundles;

std::shared_ptr<ExtraCaBundle> bundle_snapshot() {
    std::lock_guard lock(bundle_mutex);
    return current_bundle;
}

CURLcode add_extra_certificates(CURL*, void* ssl_context, void* user_data) {
    const auto* bundle = static_cast<const ExtraCaBundle*>(user_data);
    X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(ssl_context));
    for (const auto& certificate : bundle->certificates) {
        // A certificate already in the store is reported as an error and is harmless.
        X509_STORE_add_cert(store, certificate.get());
    }
    return CURLE_OK;
}

}  // namespace

void set_extra_ca_file(const std::string& pem_path) {
    auto bundle = load_bundle(pem_path);
    std::lock_guard lock(bundle_mutex);
    retired_bundles.push_back(current_bundle);
    current_bundle = std::move(bundle);
}

std::string extra_ca_file() {
    return bundle_snapshot()->path;
}

bool apply_tls_verification(CURL* handle) {
    if (curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L) != CURLE_OK)
        return false;
    if (curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L) != CURLE_OK)
        return false;
    if (curl_easy_setopt(handle, CURLOPT_PROXY_SSL_VERIFYPEER, 1L) != CURLE_OK)
        return false;
    if (curl_easy_setopt(handle, CURLOPT_PROXY_SSL_VERIFYHOST, 2L) != CURLE_OK)
        return false;
    const auto bundle = bundle_snapshot();
    if (bundle->certificates.empty())
        return true;
    // The bundle outlives the transfer: it is never freed before exit (see above).
    return curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, &add_extra_certificates) ==
               CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, bundle.get()) == CURLE_OK;
}

}  // namespace velmora
