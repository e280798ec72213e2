// Requests made the way a hand-written libcurl client would make them, with the same
// lines on the wire as the engine's, so that the benchmarks can set the engine's cost
// beside what libcurl and the TLS library cost on their own.
#pragma once

#include <curl/curl.h>

#include <string>
#include <vector>

namespace velmora::bench {

using HeaderLines = std::vector<std::string>;

// The lines the request engine sends: its defaults, the form Content-Type (the simple
// variant adds it to every method).
inline const HeaderLines kEngineLines = {
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
    "Accept: text/html, application/xhtml+xml, */*",
    "Accept-Encoding: gbk, GB2312",
    "Accept-Language: zh-cn",
    "Content-Type: application/x-www-form-urlencoded",
    "Cache-Control: no-cache",
    "Expect:"};

// The lines the request object sends with the network-time HEAD.
inline HeaderLines request_object_lines(const std::string& url) {
    return {"Accept: */*", "Referer: " + url, "Accept-Language: zh-cn",
            "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"};
}

inline std::size_t discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

// One request on `handle`, which keeps its connection (and, through a share, its TLS
// session) for the next request; with no handle, on a fresh one of its own that is
// closed after it.
inline bool bare_request(const std::string& url, const char* verb, const std::string& body,
                         const HeaderLines& header_lines, const std::string& ca_file,
                         CURL* handle = nullptr) {
    CURL* const own = handle == nullptr ? curl_easy_init() : nullptr;
    if (handle == nullptr && own == nullptr) {
        return false;
    }
    CURL* const used = own != nullptr ? own : handle;
    curl_easy_reset(used);
    curl_slist* lines = nullptr;
    for (const std::string& line : header_lines) {
        lines = curl_slist_append(lines, line.c_str());
    }
    curl_easy_setopt(used, CURLOPT_HTTPHEADER, lines);
    curl_easy_setopt(used, CURLOPT_URL, url.c_str());
    curl_easy_setopt(used, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(used, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(used, CURLOPT_PROXY, "");
    curl_easy_setopt(used, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(used, CURLOPT_WRITEFUNCTION, &discard);
    if (url.rfind("https:", 0) == 0) {
        // The system store and the provider's CA, as the engine trusts them.
        curl_easy_setopt(used, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(used, CURLOPT_SSL_VERIFYHOST, 2L);
        curl_easy_setopt(used, CURLOPT_CAINFO, ca_file.c_str());
        curl_easy_setopt(used, CURLOPT_CAPATH, "/etc/ssl/certs");
    }
    if (std::string(verb) == "HEAD") {
        curl_easy_setopt(used, CURLOPT_NOBODY, 1L);
    }
    if (std::string(verb) == "POST") {
        curl_easy_setopt(used, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
        curl_easy_setopt(used, CURLOPT_POSTFIELDS, body.c_str());
    }
    const CURLcode code = curl_easy_perform(used);
    long status = 0;
    curl_easy_getinfo(used, CURLINFO_RESPONSE_CODE, &status);
    if (own != nullptr) {
        curl_easy_cleanup(own);
    }
    curl_slist_free_all(lines);
    return code == CURLE_OK && status == 200;
}

}  // namespace velmora::bench
