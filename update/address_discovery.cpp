#include "update/address_discovery.h"

#include "base/gbk.h"
#include "base/text_excerpt.h"
#include "http/engine_failure.h"
#include "http/http_request.h"
#include "update/ipv4_address.h"

namespace velmora {

namespace {

// The endpoint's reply after the last "|", and the request's status text.
Text ask_endpoint(const Endpoints& endpoints, Text* status) {
    constexpr int kGet = 0;
    const Text url =
        "http://" + endpoints.httpdns_address + "/d?dn=" + endpoints.httpdns_name + "&clientip=1";
    return text_after_last(http_request_simple(url, kGet, {}, nullptr, nullptr, {}, nullptr,
                                               false, {}, {}, {}, {}, {}, 0, nullptr, status),
                           "|");
}

}  // namespace

Text text_after_last(const Text& text, const Text& separator) {
    const auto position = text.rfind(separator);
    if (separator.empty() || position == Text::npos) {
        return {};
    }
    return text.substr(position + separator.size());
}

Text discover_public_address(const Endpoints& endpoints) {
    return ask_endpoint(endpoints, nullptr);
}

PublicAddress discover_usable_address(const Endpoints& endpoints) {
    Text status;
    const Text answer = ask_endpoint(endpoints, &status);
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
