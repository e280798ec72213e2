#include "update/ipv4_sources.h"

#include <algorithm>
#include <cctype>

#include "base/gbk.h"
#include "base/text_excerpt.h"
#include "http/engine_failure.h"
#include "http/http_request.h"
#include "update/ipv4_address.h"

namespace velmora {

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

Text trimmed(const Text& text) {
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? Text(first, last) : Text();
}

bool starts_with_no_case(const Text& text, const Text& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

// An http or https URL with something after the scheme, in one line.
bool is_web_url(const Text& url) {
    const Text::size_type scheme = starts_with_no_case(url, "https://")  ? 8
                                   : starts_with_no_case(url, "http://") ? 7
                                                                         : 0;
    return scheme != 0 && url.size() > scheme && url[scheme] != '/' &&
           std::none_of(url.begin(), url.end(),
                        [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

Text ipv4_text(const Ipv4Bytes& bytes) {
    Text text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text += (i == 0 ? "" : ".") + std::to_string(bytes[i]);
    }
    return text;
}

Text echo_name(const EchoSource& source) {
    return gbk("地址来源") + source.key + gbk("（") + one_line_excerpt(source.url) + gbk("）");
}

}  // namespace

PublicAddress read_echo_reply(const Text& status, const Bytes& body) {
    if (is_engine_failure(status)) {
        return {{}, status};
    }
    // A redirect that was not followed (to http from https, say) is the reply then.
    if (status.rfind("200", 0) != 0) {
        return {{}, gbk("回复状态不是200：") + one_line_excerpt(status)};
    }
    if (body.size() > kLongestEchoReply) {
        return {{}, gbk("回复过长（") + std::to_string(body.size()) + gbk("字节）")};
    }
    const Text answer = trimmed(Text(body.begin(), body.end()));
    if (!is_plain_ipv4(answer)) {
        return {{}, gbk("回复的不是一个IPv4地址：") + one_line_excerpt(answer)};
    }
    if (!is_public_ipv4(answer)) {
        return {{}, gbk("回复的不是公网地址：") + answer};
    }
    return {answer, {}};
}

Ipv4Sources::Ipv4Sources(Ipv4InterfaceSource interfaces) : interfaces_(std::move(interfaces)) {}

void Ipv4Sources::set_echo_sources(std::vector<EchoSource> sources) {
    std::lock_guard lock(mutex_);
    echoes_ = std::move(sources);
}

Text Ipv4Sources::interface_address() const {
    Text found;
    for (const Ipv4Bytes& bytes : interfaces_()) {
        const Text address = ipv4_text(bytes);
        if (!is_public_ipv4(address) || address == found) {
            continue;
        }
        if (!found.empty()) {
            return {};  // two public addresses: which one the world sees is not known
        }
        found = address;
    }
    return found;
}

Text Ipv4Sources::ask_echo(const EchoSource& source, TextList& notes) {
    PublicAddress read;
    if (!is_web_url(source.url)) {
        read.failure = gbk("不是http或https网址");
    } else {
        constexpr int kGet = 0;
        Text status;
        Bytes body;
        http_request(source.url, kGet, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {}, {},
                     0, nullptr, &status, &body);
        read = read_echo_reply(status, body);
    }
    if (read.address.empty()) {
        Text& last = skipped_[source.key];
        if (last != read.failure) {
            last = read.failure;
            notes.push_back(echo_name(source) + gbk("已跳过：") + read.failure);
        }
    } else {
        skipped_.erase(source.key);
    }
    return read.address;
}

Ipv4Sources::Found Ipv4Sources::find(const Endpoints& endpoints) {
    Found found;
    found.address = discover_usable_address(endpoints);
    found.first_source = !found.address.address.empty();
    if (found.first_source) {
        found.source = gbk("地址服务");
    } else if (const Text own = interface_address(); !own.empty()) {
        found.address = {own, {}};
        found.source = gbk("本机网卡");
    } else {
        std::vector<EchoSource> echoes;
        {
            std::lock_guard lock(mutex_);
            echoes = echoes_;
        }
        for (const EchoSource& echo : echoes) {
            const Text address = ask_echo(echo, found.notes);
            if (!address.empty()) {
                found.address = {address, {}};
                found.source = echo_name(echo);
                break;
            }
        }
    }
    if (!found.source.empty() && found.source != last_source_) {
        if (!found.first_source) {
            found.notes.push_back(gbk("地址服务未给出公网IP，改用") + found.source + gbk("：") +
                                  found.address.address);
        }
        last_source_ = found.source;
    }
    return found;
}

}  // namespace velmora
