#include "update/address_discovery.h"

#include "http/http_request.h"

namespace velmora {

Text text_after_last(const Text& text, const Text& separator) {
    const auto position = text.rfind(separator);
    if (separator.empty() || position == Text::npos) {
        return {};
    }
    return text.substr(position + separator.size());
}

Text discover_public_address(const Endpoints& endpoints) {
    constexpr int kGet = 0;
    const Text url =
        "http://" + endpoints.httpdns_address + "/d?dn=" + endpoints.httpdns_name + "&clientip=1";
    return text_after_last(http_request_simple(url, kGet), "|");
}

}  // namespace velmora
