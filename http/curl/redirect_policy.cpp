#include "http/curl/redirect_policy.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>

#include "base/text.h"
#include "http/header_block.h"
#include "http/request_target.h"

namespace velmora {
namespace {

using UrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

UrlHandle parsed(const std::string& url) {
    UrlHandle handle(curl_url(), &curl_url_cleanup);
    if (handle && curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        handle.reset();
    return handle;
}

std::string part(const UrlHandle& url, CURLUPart which) {
    char* value = nullptr;
    if (curl_url_get(url.get(), which, &value, CURLU_DEFAULT_PORT) != CURLUE_OK)
        return {};
    std::string copy(value);
    curl_free(value);
    return copy;
}

// `location` resolved against `base`; empty when either cannot be parsed.
std::string resolved(const std::string& base, const std::string& location) {
    const UrlHandle url = parsed(base);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, location.c_str(), 0) != CURLUE_OK)
        return {};
    return part(url, CURLUPART_URL);
}

int status_code(const std::string& head) {
    const auto blank = head.find(' ');
    return blank == std::string::npos ? 0 : std::atoi(head.c_str() + blank + 1);
}

}  // namespace

bool same_origin(const std::string& a, const std::string& b) {
    const UrlHandle first = parsed(a);
    const UrlHandle second = parsed(b);
    if (!first || !second)
        return false;
    for (const CURLUPart which : {CURLUPART_SCHEME, CURLUPART_HOST, CURLUPART_PORT}) {
        if (compare_text(part(first, which), part(second, which), false) != 0)
            return false;
    }
    return true;
}

std::optional<RedirectHop> next_redirect_hop(const std::string& url, const std::string& verb,
                                             const std::string& response_head) {
    const int status = status_code(response_head);
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308)
        return std::nullopt;
    const std::string location = header_value(response_head, "Location");
    if (location.empty())
        return std::nullopt;
    RedirectHop hop{resolved(url, escape_url(location)), false};
    const UrlHandle target = parsed(hop.url);
    if (!target)
        return std::nullopt;
    const std::string scheme = part(target, CURLUPART_SCHEME);
    const bool from_secure = compare_text(part(parsed(url), CURLUPART_SCHEME), "https", false) == 0;
    if (scheme != "https" && (scheme != "http" || from_secure))
        return std::nullopt;
    hop.becomes_get = verb == "POST" && status <= 303;
    return hop;
}

}  // namespace velmora
