#include "sandbox/tests/test_support.h"

#include <curl/curl.h>

namespace velmora::sandbox::testing {
namespace {

std::size_t append_to_string(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

}  // namespace

HttpReply http_request(const std::string& method, const std::string& url, const std::string& body,
                       const std::string& ca_file) {
    HttpReply reply;
    CURL* curl = curl_easy_init();
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, append_to_string);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, append_to_string);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply.headers);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    if (!ca_file.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, ca_file.c_str());
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    }
    curl_slist* headers = nullptr;
    if (method == "POST") {
        headers = curl_slist_append(headers, "Content-Type: application/x-www-form-urlencoded");
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    } else if (method == "HEAD") {
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    }
    const CURLcode code = curl_easy_perform(curl);
    reply.transferred = code == CURLE_OK;
    reply.error = error[0] != '\0' ? error : curl_easy_strerror(code);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return reply;
}

std::string text_between(std::string_view text, std::string_view left, std::string_view right) {
    const std::vector<std::string> all = all_texts_between(text, left, right);
    return all.empty() ? std::string{} : all.front();
}

std::vector<std::string> all_texts_between(std::string_view text, std::string_view left,
                                           std::string_view right) {
    std::vector<std::string> pieces;
    std::size_t from = 0;
    while (true) {
        const std::size_t start = text.find(left, from);
        if (start == std::string_view::npos) {
            return pieces;
        }
        const std::size_t end = text.find(right, start + left.size());
        if (end == std::string_view::npos) {
            return pieces;
        }
        pieces.emplace_back(text.substr(start + left.size(), end - start - left.size()));
        from = end + right.size();
    }
}

}  // namespace velmora::sandbox::testing
