#include "http/http_request.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/text.h"
#include "http/cookies.h"
#include "http/transfer.h"
#include "http/header_block.h"
#include "http/http_method.h"
#include "http/request_target.h"
#include "http/response_decoding.h"

namespace velmora {
namespace {

// What sets the simple variant apart from the full engine: the order of its set-up steps,
// its header block and its cookie rules.
struct EngineRules {
    bool timeouts_before_url;
    int highest_method;
    Utf8Literal tls_failure;
    bool sends_body_bytes;
    bool rewrites_set_cookie_names;
    Text (*header_block)(const HttpRequest& request, const Text& cookies);
    void (*collect_cookie)(const Text& line, Text& received);
    void (*finish_cookies)(Text& received);
    Text (*merge)(Text& sent, Text& received);
    bool merges_empty_cookies;
};

const EngineRules full_rules{
    .timeouts_before_url = true,
    .highest_method = 7,
    .tls_failure = "忽略错误/证书错误  失败！",
    .sends_body_bytes = true,
    .rewrites_set_cookie_names = false,
    .header_block =
        [](const HttpRequest& request, const Text& cookies) {
            return build_header_block(request.extra_headers, cookies, request.method == 1,
                                      request.add_default_headers, request.normalize_header_names);
        },
    .collect_cookie = collect_set_cookie,
    .finish_cookies = finish_received_cookies,
    .merge = merge_cookies,
    .merges_empty_cookies = false,
};

// The simple variant has no security step of its own, so a failure to arm verification
// there counts as a failed send.
const EngineRules simple_rules{
    .timeouts_before_url = false,
    .highest_method = 3,
    .tls_failure = "711 发送请求失败!",
    .sends_body_bytes = false,
    .rewrites_set_cookie_names = true,
    .header_block =
        [](const HttpRequest& request, const Text& cookies) {
            return build_simple_header_block(request.extra_headers, cookies);
        },
    .collect_cookie = collect_set_cookie_simple,
    .finish_cookies = finish_received_cookies_simple,
    .merge = merge_cookies_simple,
    .merges_empty_cookies = true,
};

// The time-out bounds each phase and the whole exchange alike.
PhaseTimeouts phase_timeouts(int timeout_seconds) {
    const std::chrono::milliseconds each =
        timeout_seconds > 0 ? std::chrono::seconds(timeout_seconds) : std::chrono::seconds(30);
    return {each, each, each, each};
}

// The status text is the status line after the protocol version and its blank.
Text status_text_of(const Text& headers) {
    const int line_end = find_text(headers, "\r\n", 10);
    return line_end == -1 ? Text() : text_middle(headers, 10, line_end - 10);
}

Bytes body_of(const HttpRequest& request, const EngineRules& rules) {
    if (rules.sends_body_bytes && !request.body_bytes.empty()) {
        return request.body_bytes;
    }
    return Bytes(request.body.begin(), request.body.end());
}

class Engine {
  public:
    Engine(const HttpRequest& request, const EngineRules& rules) : call_(request), rules_(rules) {}

    HttpOutcome run() {
        if (exchange()) {
            read_response();
        }
        process_events();
        return std::move(outcome_);
    }

  private:
    // Steps up to the exchange itself; false once a numbered failure has been written.
    bool exchange() {
        if (!transfer_ready()) {
            return fail("700 当前系统不支持WinHttp服务!");
        }
        const auto target = crack_url(call_.url);
        if (!target) {
            return fail("701 解析URL地址失败!");
        }

        const Text proxy = proxy_for_url(proxy_name(call_.proxy, target->secure), target->secure);
        if (!transfer_.valid() || !transfer_.set_proxy(proxy)) {
            return fail("702 创建WinHttp会话失败!");
        }
        if (rules_.timeouts_before_url &&
            !transfer_.set_timeouts(phase_timeouts(call_.timeout_seconds))) {
            return fail("705 设置超时时间失败!");
        }
        if (!transfer_.set_url(target->request_url())) {
            return fail("703 创建WinHttp连接失败!");
        }
        const char* verb = verb_for_method(call_.method, rules_.highest_method);
        if (!transfer_.set_verb(verb)) {
            return fail("704 创建WinHttp请求失败!");
        }
        if (!rules_.timeouts_before_url &&
            !transfer_.set_timeouts(phase_timeouts(call_.timeout_seconds))) {
            return fail("705 设置超时时间失败!");
        }

        if (!call_.user.empty() && !call_.password.empty() &&
            !transfer_.set_server_credentials(call_.user, call_.password)) {
            return fail("707 设置代理凭证失败!");
        }
        if (!call_.proxy_user.empty() && !call_.proxy_password.empty() &&
            !transfer_.set_proxy_credentials(call_.proxy_user, call_.proxy_password)) {
            return fail("707 设置代理凭证失败!");
        }
        // Certificates are verified, never ignored: the API token must not reach anyone on
        // the path.
        if (!transfer_.set_tls_verification()) {
            return fail(rules_.tls_failure);
        }
        // The transfer never lets the platform store or send cookies of its own, so the
        // cookie option needs no step here: the caller's cookie text is the only one.
        if (!transfer_.set_follow_redirects(!call_.no_redirect)) {
            return fail("709 重定向设置失败!");
        }

        const Text block = rules_.header_block(call_, call_.cookies.value_or(Text()));
        if (!transfer_.set_header_lines(header_block_lines(block))) {
            return fail("710 设置协议头失败!");
        }
        if (!transfer_.set_body(body_of(call_, rules_))) {
            return fail("711 发送请求失败!");
        }

        result_ = transfer_.perform();
        switch (result_.outcome) {
            case TransferOutcome::send_failed:
                return fail("711 发送请求失败!");
            case TransferOutcome::no_response:
                return fail("712 服务器未响应!");
            case TransferOutcome::read_failed:
                // Not fatal: the call goes on with what was read.
                write_status(gbk("713 读取数据失败!"));
                return true;
            case TransferOutcome::complete:
                return true;
        }
        return true;
    }

    void read_response() {
        // Header bytes are taken as GBK text, which never holds a zero byte.
        Text headers = result_.header_block.substr(0, result_.header_block.find('\0'));
        if (rules_.rewrites_set_cookie_names) {
            headers = replace_text(headers, "Set-Cookie", "Set-Cookie", 1, -1, false);
        }
        outcome_.responded = true;
        write_status(status_text_of(headers));

        Text& received = outcome_.received_cookies;
        received = call_.received_cookies;
        for (const Text& line : split_text(headers, "\r\n")) {
            rules_.collect_cookie(line, received);
            if (find_text(text_left(line, 10), "Location: ", 1, true) == 1) {
                outcome_.location = text_middle(line, 11, text_length(line));
            }
            process_events();
        }
        outcome_.headers = std::move(headers);
        rules_.finish_cookies(received);
        outcome_.cookies = call_.cookies;
        if (call_.merge_cookies && outcome_.cookies &&
            (rules_.merges_empty_cookies || !outcome_.cookies->empty())) {
            received = rules_.merge(*outcome_.cookies, received);
        }

        // A body near the size limit is large: it exists once as bytes and once as text,
        // never more.
        Text text(result_.body.begin(),
                  std::find(result_.body.begin(), result_.body.end(), std::uint8_t{0}));
        outcome_.bytes = std::move(result_.body);
        outcome_.text = decode_response_text(std::move(text), outcome_.bytes);
    }

    void write_status(const Text& text) { outcome_.status = text; }

    bool fail(Utf8Literal utf8_message) {
        write_status(gbk(utf8_message));
        return false;
    }

    const HttpRequest& call_;
    const EngineRules& rules_;
    Transfer transfer_;
    TransferResult result_;
    HttpOutcome outcome_;
};

// The out-parameters of the positional forms.
struct OutParameters {
    Text* send_cookies;
    Text* received_cookies;
    Text* response_headers;
    Text* redirect_location;
    Text* status_text;
    Bytes* response_bytes;

    Text write(HttpOutcome outcome) const {
        if (status_text) {
            *status_text = outcome.status;
        }
        if (!outcome.responded) {
            return {};
        }
        if (send_cookies && outcome.cookies) {
            *send_cookies = std::move(*outcome.cookies);
        }
        if (received_cookies) {
            *received_cookies = std::move(outcome.received_cookies);
        }
        if (response_headers) {
            *response_headers = std::move(outcome.headers);
        }
        if (redirect_location && outcome.location) {
            *redirect_location = std::move(*outcome.location);
        }
        if (response_bytes) {
            *response_bytes = std::move(outcome.bytes);
        }
        return std::move(outcome.text);
    }
};

std::optional<Text> cookies_of(const Text* send_cookies) {
    return send_cookies ? std::optional<Text>(*send_cookies) : std::nullopt;
}

Text received_of(const Text* received_cookies) {
    return received_cookies ? *received_cookies : Text();
}

}  // namespace

HttpOutcome http_request(const HttpRequest& request) {
    return Engine(request, full_rules).run();
}

HttpOutcome http_request_simple(const HttpRequest& request) {
    return Engine(request, simple_rules).run();
}

Text http_request(const Text& url, int method, const Text& body, Text* send_cookies,
                  Text* received_cookies, const Text& extra_headers, Text* response_headers,
                  bool no_redirect, const Text& user, const Text& password, const Text& proxy,
                  const Text& proxy_user, const Text& proxy_password, int timeout_seconds,
                  Text* redirect_location, Text* status_text, Bytes* response_bytes,
                  bool merge_cookies, bool add_default_headers, const Bytes& body_bytes,
                  bool normalize_header_names) {
    return OutParameters{send_cookies,      received_cookies, response_headers,
                         redirect_location, status_text,      response_bytes}
        .write(
            http_request({url, method, body, cookies_of(send_cookies),
                          received_of(received_cookies), extra_headers, no_redirect, user, password,
                          proxy, proxy_user, proxy_password, timeout_seconds, merge_cookies,
                          add_default_headers, body_bytes, normalize_header_names}));
}

Text http_request_simple(const Text& url, int method, const Text& body, Text* send_cookies,
                         Text* received_cookies, const Text& extra_headers, Text* response_headers,
                         bool no_redirect, const Text& user, const Text& password,
                         const Text& proxy, const Text& proxy_user, const Text& proxy_password,
                         int timeout_seconds, Text* redirect_location, Text* status_text,
                         Bytes* response_bytes, bool merge_cookies) {
    return OutParameters{send_cookies,      received_cookies, response_headers,
                         redirect_location, status_text,      response_bytes}
        .write(http_request_simple({url, method, body, cookies_of(send_cookies),
                                    received_of(received_cookies), extra_headers, no_redirect, user,
                                    password, proxy, proxy_user, proxy_password, timeout_seconds,
                                    merge_cookies}));
}

}  // namespace velmora
