#include "http/request_target.h"

#include <charconv>
#include <string_view>

#include "base/text.h"

namespace velmora {
namespace {

constexpr std::string_view http_only_prefix = "http=";

bool parse_port(std::string_view digits, int& port) {
    if (digits.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    return error == std::errc() && end == digits.data() + digits.size() && port >= 1 &&
           port <= 65535;
}

}  // namespace

Text escape_url(const Text& url) {
    static constexpr char hex[] = "0123456789ABCDEF";
    Text escaped;
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            escaped += '%';
            escaped += hex[byte >> 4];
            escaped += hex[byte & 0x0F];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

Text RequestTarget::request_url() const {
    return (secure ? "https://" : "http://") + host + ":" + std::to_string(port) + target;
}

std::optional<RequestTarget> crack_url(const Text& url) {
    RequestTarget parts;
    const std::string_view text(url);
    const auto scheme_end = text.find("://");
    if (scheme_end == std::string_view::npos) {
        return std::nullopt;
    }
    const Text scheme = to_upper(text.substr(0, scheme_end));
    if (scheme == "HTTPS") {
        parts.secure = true;
    } else if (scheme != "HTTP") {
        return std::nullopt;
    }

    const std::string_view rest = text.substr(scheme_end + 3);
    const auto authority_end = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authority_end);
    // Credentials written into the URL are not used; the caller passes them separately.
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    const auto bracket_end = authority.starts_with('[') ? authority.find(']') : 0;
    if (bracket_end == std::string_view::npos) {
        return std::nullopt;
    }
    const auto colon = authority.find(':', bracket_end);
    parts.host = Text(authority.substr(0, colon));
    if (parts.host.empty()) {
        return std::nullopt;
    }
    parts.port = parts.secure ? 443 : 80;
    if (colon != std::string_view::npos && !parse_port(authority.substr(colon + 1), parts.port)) {
        return std::nullopt;
    }

    const std::string_view target =
        authority_end == std::string_view::npos ? std::string_view() : rest.substr(authority_end);
    const std::string_view without_fragment = target.substr(0, target.find('#'));
    parts.target = without_fragment.starts_with('/') ? Text(without_fragment) : Text("/");
    return parts;
}

Text proxy_name(const Text& proxy, bool secure) {
    if (proxy.empty()) {
        return {};
    }
    return secure ? proxy : Text(http_only_prefix) + proxy;
}

Text proxy_for_url(const Text& proxy_name, bool secure) {
    if (!std::string_view(proxy_name).starts_with(http_only_prefix)) {
        return proxy_name;
    }
    return secure ? Text() : proxy_name.substr(http_only_prefix.size());
}

}  // namespace velmora
