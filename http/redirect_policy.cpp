#include "http/redirect_policy.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "base/text.h"
#include "http/header_block.h"
#include "http/request_target.h"

namespace velmora {
namespace {

// The parts of a URL or a reference to one, fragment dropped (it is never sent).
struct UrlParts {
    std::optional<std::string> scheme;
    std::optional<std::string> authority;
    std::string path;
    std::optional<std::string> query;

    std::string joined() const {
        std::string url = scheme ? *scheme + ":" : "";
        if (authority) {
            url += "//" + *authority;
        }
        url += path;
        return query ? url + "?" + *query : url;
    }
};

bool is_scheme(std::string_view text) {
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (text.empty() || !letter(text.front())) {
        return false;
    }
    for (const char c : text) {
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

UrlParts split_url(std::string_view url) {
    UrlParts parts;
    url = url.substr(0, url.find('#'));
    const auto colon = url.find(':');
    if (colon != std::string_view::npos && colon < url.find_first_of("/?") &&
        is_scheme(url.substr(0, colon))) {
        std::string scheme(url.substr(0, colon));
        for (char& c : scheme) {
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        }
        parts.scheme = std::move(scheme);
        url.remove_prefix(colon + 1);
    }
    if (url.starts_with("//")) {
        const auto end = std::min(url.find_first_of("/?", 2), url.size());
        parts.authority = std::string(url.substr(2, end - 2));
        url.remove_prefix(end);
    }
    const auto question = url.find('?');
    parts.path = std::string(url.substr(0, question));
    if (question != std::string_view::npos) {
        parts.query = std::string(url.substr(question + 1));
    }
    return parts;
}

void drop_last_segment(std::string& path) {
    const auto slash = path.rfind('/');
    path.erase(slash == std::string::npos ? 0 : slash);
}

// "." and ".." segments applied, as a browser does before it sends the path.
std::string without_dot_segments(std::string_view in) {
    std::string output;
    while (!in.empty()) {
        if (in.starts_with("../")) {
            in.remove_prefix(3);
        } else if (in.starts_with("./") || in.starts_with("/./")) {
            in.remove_prefix(2);
        } else if (in == "/.") {
            in = "/";
        } else if (in.starts_with("/../") || in == "/..") {
            in = in.size() == 3 ? std::string_view("/") : in.substr(3);
            drop_last_segment(output);
        } else if (in == "." || in == "..") {
            in = {};
        } else {
            const auto end = std::min(in.find('/', 1), in.size());
            output += in.substr(0, end);
            in.remove_prefix(end);
        }
    }
    return output;
}

int status_code(std::string_view head) {
    const auto blank = head.find(' ');
    int code = 0;
    if (blank != std::string_view::npos) {
        std::from_chars(head.data() + blank + 1, head.data() + head.size(), code);
    }
    return code;
}

}  // namespace

std::string resolve_url(const std::string& base, const std::string& reference) {
    const UrlParts from = split_url(base);
    const UrlParts ref = split_url(reference);
    UrlParts to;
    if (ref.scheme || ref.authority) {
        to = ref;
        to.scheme = ref.scheme ? ref.scheme : from.scheme;
        to.path = without_dot_segments(ref.path);
    } else {
        to.scheme = from.scheme;
        to.authority = from.authority;
        to.query = ref.query;
        if (ref.path.empty()) {
            to.path = from.path;
            if (!ref.query) {
                to.query = from.query;
            }
        } else if (ref.path.starts_with('/')) {
            to.path = without_dot_segments(ref.path);
        } else {
            const auto slash = from.path.rfind('/');
            const std::string directory =
                slash == std::string::npos ? "/" : from.path.substr(0, slash + 1);
            to.path = without_dot_segments(directory + ref.path);
        }
    }
    if (!to.authority || !crack_url(to.joined())) {
        return {};
    }
    return to.joined();
}

bool same_origin(const std::string& a, const std::string& b) {
    const auto first = crack_url(a);
    const auto second = crack_url(b);
    return first && second && first->secure == second->secure && first->port == second->port &&
           compare_text(first->host, second->host, false) == 0;
}

bool carries_origin_credentials(std::string_view header_name) {
    return compare_text(header_name, "Authorization", false) == 0 ||
           compare_text(header_name, "Cookie", false) == 0;
}

RedirectChain::RedirectChain(std::string url, std::string verb, bool has_body)
    : first_url_(url), current_{std::move(url), std::move(verb), has_body, false} {}

std::optional<RedirectHop> RedirectChain::follow(const std::string& response_head) {
    const int status = status_code(response_head);
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308) {
        return std::nullopt;
    }
    const std::string location = header_value(response_head, "Location");
    if (location.empty()) {
        return std::nullopt;
    }
    RedirectHop hop = current_;
    hop.url = resolve_url(current_.url, escape_url(location));
    const auto from = crack_url(current_.url);
    const auto to = crack_url(hop.url);
    if (!to || (from && from->secure && !to->secure)) {
        return std::nullopt;
    }
    if (hop.verb == "POST" && status <= 303) {
        hop.verb = "GET";
        hop.keeps_body = false;
    }
    hop.leaves_origin = !same_origin(first_url_, hop.url);
    if (hop.keeps_body && hop.leaves_origin) {
        return std::nullopt;
    }
    ++hops_;
    current_ = hop;
    return hop;
}

TransferResult send_following_redirects(const std::string& url, const std::string& verb,
                                        bool has_body, bool follow,
                                        const std::function<TransferResult()>& send,
                                        const std::function<bool(const RedirectHop&)>& start_hop) {
    RedirectChain chain(url, verb, has_body);
    TransferResult result = send();
    while (follow && result.outcome == TransferOutcome::complete) {
        const auto hop = chain.follow(result.header_block);
        if (!hop) {
            break;
        }
        TransferResult failure;
        if (chain.too_many()) {
            failure.outcome = TransferOutcome::no_response;
            return failure;
        }
        if (!start_hop(*hop)) {
            return failure;
        }
        result = send();
    }
    return result;
}

}  // namespace velmora
