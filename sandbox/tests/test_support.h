// Helpers for the sandbox's tests: a plain libcurl client and the literal-marker scan
// that the provider's clients use on replies.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::sandbox::testing {

struct HttpReply {
    bool transferred = false;  // false: connection or TLS failure (see `error`)
    long status = 0;
    std::string headers;
    std::string body;
    std::string error;
};

// `method` is "GET", "HEAD" or "POST". An HTTPS URL is verified against `ca_file` only.
HttpReply http_request(const std::string& method, const std::string& url,
                       const std::string& body = "", const std::string& ca_file = "");

// The first text between `left` and `right`, or "" (right marker searched after left).
std::string text_between(std::string_view text, std::string_view left, std::string_view right);
// Every such text, scanning on after each right marker; stops at a missing marker.
std::vector<std::string> all_texts_between(std::string_view text, std::string_view left,
                                           std::string_view right);

}  // namespace velmora::sandbox::testing
