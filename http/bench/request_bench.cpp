// Times N sequential POSTs to the local HTTPS fixture through http_request against the
// same N requests made with bare libcurl calls under the same connection policy: a fresh
// handle and connection per request, HTTP/1.1, verified TLS against the system store
// plus the test CA, the same header lines and body. Prints both medians and their ratio.
//
//   http_request_bench [N]     (default 200)
#include <curl/curl.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "http/http_request.h"
#include "http/tests/support/fixture_server.h"
#include "http/tests/support/test_certificates.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string form_body = "login_token=1234,abcdef&format=json&domain_id=42&record_id=7";

std::size_t discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

CURLcode add_test_ca(CURL*, void* ssl_context, void* certificate) {
    X509_STORE_add_cert(SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(ssl_context)),
                        static_cast<X509*>(certificate));
    return CURLE_OK;
}

// One request the way a hand-written libcurl client would make it.
bool bare_post(const std::string& url, curl_slist* headers, X509* test_ca) {
    CURL* handle = curl_easy_init();
    if (!handle) {
        return false;
    }
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, &add_test_ca);
    curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, test_ca);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(form_body.size()));
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, form_body.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &discard);
    const CURLcode code = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(handle);
    return code == CURLE_OK && status == 200;
}

double median_ms(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

std::vector<double> time_each(int count, const std::function<bool()>& request) {
    std::vector<double> samples;
    for (int i = 0; i < count; ++i) {
        const auto started = Clock::now();
        if (!request()) {
            std::fprintf(stderr, "request %d failed\n", i + 1);
            std::exit(1);
        }
        samples.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - started).count());
    }
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    velmora::testing::trust_test_ca();
    velmora::testing::FixtureServer server(velmora::testing::FixtureServer::Tls::trusted);
    server.route("/Record.Modify", [](const velmora::testing::RawRequest&) {
        return velmora::testing::FixtureReply{velmora::testing::http_reply(
            200, "OK", R"({"status":{"code":"1","message":"Action completed successful"}})")};
    });
    const std::string url = server.url("/Record.Modify");

    // The engine's own header block, so both sides send the same bytes.
    curl_slist* headers = nullptr;
    for (const char* line :
         {"User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
          "Accept: text/html, application/xhtml+xml, */*", "Accept-Encoding: gbk, GB2312",
          "Accept-Language: zh-cn", "Content-Type: application/x-www-form-urlencoded",
          "Cache-Control: no-cache", "Expect:"}) {
        headers = curl_slist_append(headers, line);
    }
    const auto& ca_pem = velmora::testing::trusted_certificates().ca_pem;
    BIO* bio = BIO_new_mem_buf(ca_pem.data(), static_cast<int>(ca_pem.size()));
    X509* test_ca = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);

    // One untimed round each, so one-time set-up (libcurl, CA parsing) is not measured.
    velmora::Text status;
    velmora::http_request(url, 1, form_body);
    bare_post(url, headers, test_ca);

    const auto engine = time_each(count, [&] {
        velmora::http_request(url, 1, form_body, nullptr, nullptr, {}, nullptr, false, {}, {}, {},
                              {}, {}, 0, nullptr, &status);
        return status == "200 OK";
    });
    const auto bare = time_each(count, [&] { return bare_post(url, headers, test_ca); });

    const double engine_median = median_ms(engine);
    const double bare_median = median_ms(bare);
    std::printf("requests per side:   %d (sequential HTTPS POSTs, new connection each)\n", count);
    std::printf("http_request median: %.3f ms\n", engine_median);
    std::printf("bare libcurl median: %.3f ms\n", bare_median);
    std::printf("ratio (engine/bare): %.3f\n", engine_median / bare_median);

    X509_free(test_ca);
    curl_slist_free_all(headers);
    return 0;
}
