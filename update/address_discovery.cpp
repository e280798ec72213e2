#include "update/address_discovery.h"

#include "base/gbk.h"
#include "base/text_excerpt.h"
#include "http/engine_failure.h"
#include "http/http_request.h"
#include "update/ipv4_address.h"

namespace velmora {

Text text_after_last(const Text& text, const Text& separator) {
    const auto position = text.rfind(separator);
    if (separator.empty() || position == Text::npos) {
        return {};
    }
    return text.substr(position + separator.size());
}

Text echoed_client_address(const Text& address, const Text& name, Text* status) {
    constexpr int kGet = 0;
    const Text url = "http://" + address + "/d?dn=" + name + "&clientip=1";
    HttpOutcome outcome = http_request_simple(HttpRequest{.url = url, .method = kGet});
    if (status) {
        *status = std::move(outcome.status);
    }
    return text_after_last(outcome.text, "|");
}

Text discover_public_address(const Endpoints& endpoints) {
    return echoed_client_address(endpoints.httpdns_address, endpoints.httpdns_name);
}

PublicAddress discover_usable_address(const Endpoints& endpoints) {
    Text status;
    const Text answer =
        echoed_client_address(endpoints.httpdns_address, endpoints.httpdns_name, &status);
    if (is_public_ipv4(answer)) {
        return {answer, {}};
    }
    if (answer.empty()) {
        return {{}, is_engine_failure(status) ? status : gbk("地址服务的回复中没有地址")};
    }
    const Text shown = one_line_excerpt(answer);
    if (!is_plain_ipv4(answer)) {
        return {{}, gbk("地址服务回复的不是IPv4地址：") + shown};
    }
    return {{}, gbk("地址服务回复的不是公网地址：") + shown};
}

}  // namespace velmora
