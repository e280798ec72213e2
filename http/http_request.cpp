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

// Every argument of one engine call. The two public entry points differ only in how
// some steps are taken, which `simple` selects.
struct EngineCall {
    bool simple = false;
    const Text& url;
    int method;
    const Text& body;
    Text* send_cookies;
    Text* received_cookies;
    const Text& extra_headers;
    Text* response_headers;
    bool no_redirect;
    const Text& user;
    const Text& password;
    const Text& proxy;
    const Text& proxy_user;
    const Text& proxy_password;
    int timeout_seconds;
    Text* redirect_location;
    Text* status_text;
    Bytes* response_bytes;
    bool merge_cookies;
    bool add_default_headers;
    const Bytes& body_bytes;
    bool normalize_header_names;
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

Bytes body_of(const EngineCall& call) {
    if (!call.simple && !call.body_bytes.empty()) {
        return call.body_bytes;
    }
    return Bytes(call.body.begin(), call.body.end());
}

class Engine {
  public:
    explicit Engine(const EngineCall& call) : call_(call) {}

    Text run() {
        const Text text = exchange() ? read_response() : Text();
        process_events();
        return text;
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
        // The simple variant sets its timeouts only once the request stands.
        if (!call_.simple && !transfer_.set_timeouts(phase_timeouts(call_.timeout_seconds))) {
            return fail("705 设置超时时间失败!");
        }
        if (!transfer_.set_url(target->request_url())) {
            return fail("703 创建WinHttp连接失败!");
        }
        const char* verb = verb_for_method(call_.method, call_.simple ? 3 : 7);
        if (!transfer_.set_verb(verb)) {
            return fail("704 创建WinHttp请求失败!");
        }
        if (call_.simple && !transfer_.set_timeouts(phase_timeouts(call_.timeout_seconds))) {
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
        // the path. The simple variant has no security step of its own, so a failure to
        // arm verification there counts as a failed send.
        if (!transfer_.set_tls_verification()) {
            return call_.simple ? fail("711 发送请求失败!") : fail("忽略错误/证书错误  失败！");
        }
        // The transfer never lets the platform store or send cookies of its own, so the
        // cookie option needs no step here: the caller's cookie text is the only one.
        if (!transfer_.set_follow_redirects(!call_.no_redirect)) {
            return fail("709 重定向设置失败!");
        }

        const Text cookies = call_.send_cookies ? *call_.send_cookies : Text();
        const Text block =
            call_.simple
                ? build_simple_header_block(call_.extra_headers, cookies)
                : build_header_block(call_.extra_headers, cookies, call_.method == 1,
                                     call_.add_default_headers, call_.normalize_header_names);
        if (!transfer_.set_header_lines(header_block_lines(block))) {
            return fail("710 设置协议头失败!");
        }
        if (!transfer_.set_body(body_of(call_))) {
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

    Text read_response() {
        // Header bytes are taken as GBK text, which never holds a zero byte.
        Text headers = result_.header_block.substr(0, result_.header_block.find('\0'));
        if (call_.simple) {
            headers = replace_text(headers, "Set-Cookie", "Set-Cookie", 1, -1, false);
        }
        if (call_.response_headers) {
            *call_.response_headers = headers;
        }
        write_status(status_text_of(headers));

        Text local_received;
        Text& received = call_.received_cookies ? *call_.received_cookies : local_received;
        for (const Text& line : split_text(headers, "\r\n")) {
            if (call_.simple) {
                collect_set_cookie_simple(line, received);
            } else {
                collect_set_cookie(line, received);
            }
            if (call_.redirect_location &&
                find_text(text_left(line, 10), "Location: ", 1, true) == 1) {
                *call_.redirect_location = text_middle(line, 11, text_length(line));
            }
            process_events();
        }
        merge_received_cookies(received);

        // A body near the size limit is large: it exists once as bytes and once as text,
        // never more.
        Text text(result_.body.begin(),
                  std::find(result_.body.begin(), result_.body.end(), std::uint8_t{0}));
        if (call_.response_bytes) {
            *call_.response_bytes = std::move(result_.body);
            return decode_response_text(std::move(text), *call_.response_bytes);
        }
        return decode_response_text(std::move(text), result_.body);
    }

    void merge_received_cookies(Text& received) {
        Text* sent = call_.send_cookies;
        if (call_.simple) {
            finish_received_cookies_simple(received);
            if (call_.merge_cookies && sent) {
                received = merge_cookies_simple(*sent, received);
            }
        } else {
            finish_received_cookies(received);
            if (call_.merge_cookies && sent && !sent->empty()) {
                received = merge_cookies(*sent, received);
            }
        }
    }

    void write_status(const Text& text) {
        if (call_.status_text) {
            *call_.status_text = text;
        }
    }

    bool fail(Utf8Literal utf8_message) {
        write_status(gbk(utf8_message));
        return false;
    }

    const EngineCall& call_;
    Transfer transfer_;
    TransferResult result_;
};

}  // namespace

Text http_request(const Text& url, int method, const Text& body, Text* send_cookies,
                  Text* received_cookies, const Text& extra_headers, Text* response_headers,
                  bool no_redirect, const Text& user, const Text& password, const Text& proxy,
                  const Text& proxy_user, const Text& proxy_password, int timeout_seconds,
                  Text* redirect_location, Text* status_text, Bytes* response_bytes,
                  bool merge_cookies, bool add_default_headers, const Bytes& body_bytes,
                  bool normalize_header_names) {
    const EngineCall call{false,           url,
                          method,          body,
                          send_cookies,    received_cookies,
                          extra_headers,   response_headers,
                          no_redirect,     user,
                          password,        proxy,
                          proxy_user,      proxy_password,
                          timeout_seconds, redirect_location,
                          status_text,     response_bytes,
                          merge_cookies,   add_default_headers,
                          body_bytes,      normalize_header_names};
    return Engine(call).run();
}

Text http_request_simple(const Text& url, int method, const Text& body, Text* send_cookies,
                         Text* received_cookies, const Text& extra_headers, Text* response_headers,
                         bool no_redirect, const Text& user, const Text& password,
                         const Text& proxy, const Text& proxy_user, const Text& proxy_password,
                         int timeout_seconds, Text* redirect_location, Text* status_text,
                         Bytes* response_bytes, bool merge_cookies) {
    static const Bytes no_body_bytes;
    const EngineCall call{true,
                          url,
                          method,
                          body,
                          send_cookies,
                          received_cookies,
                          extra_headers,
                          response_headers,
                          no_redirect,
                          user,
                          password,
                          proxy,
                          proxy_user,
                          proxy_password,
                          timeout_seconds,
                          redirect_location,
                          status_text,
                          response_bytes,
                          merge_cookies,
                          true,
                          no_body_bytes,
                          false};
    return Engine(call).run();
}

}  // namespace velmora
