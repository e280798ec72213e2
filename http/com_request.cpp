#include "http/com_request.h"

#include <chrono>
#include <cstdint>
#include <variant>

#include "base/event_pump.h"
#include "base/text.h"
#include "http/base64.h"
#include "http/cookies.h"
#include "http/header_block.h"
#include "http/http_method.h"
#include "http/request_object_class.h"

namespace velmora {
namespace {

constexpr std::int32_t option_enable_redirects = 6;
constexpr std::int32_t option_ignored_certificate_errors = 4;
// No certificate error is ignored: the platform's object would otherwise accept any
// certificate, and the request path must not be weaker than the engine's.
constexpr std::int32_t ignore_no_certificate_errors = 0;

Text header_block(const Text& url, bool post, const Text& extra_headers, bool add_defaults,
                  bool normalize_names) {
    Text block = extra_headers;
    if (add_defaults) {
        const auto add = [&block](const char* probe, const Text& line) {
            if (find_text(block, probe, 1, true) == -1) {
                block += line;
            }
        };
        add("Accept:", "\r\nAccept: */*");
        add("Referer:", "\r\nReferer: " + url);
        add("Accept-Language:", "\r\nAccept-Language: zh-cn");
        add("User-Agent:", "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
        if (post) {
            add("Content-Type:", "\r\nContent-Type: application/x-www-form-urlencoded");
        }
    }
    return normalize_names ? normalized_header_block(block) : block;
}

// Name and value of one header line, both trimmed; both empty without a colon.
std::pair<Text, Text> split_header(std::string_view line) {
    const int colon = find_text(line, ":");
    if (colon == -1) {
        return {};
    }
    return {trim_spaces(line.substr(0, colon - 1)), trim_spaces(line.substr(colon))};
}

void set_request_header(const ComObject& request, const Text& name, const Text& value) {
    call_method(request, "SetRequestHeader", name, value);
}

void set_header_lines(const ComObject& request, const Text& block) {
    if (find_text(block, "\r\n") == -1) {
        const auto [name, value] = split_header(block);
        set_request_header(request, name, value);
        return;
    }
    for (const Text& line : split_text(block, "\r\n")) {
        if (line.empty()) {
            continue;
        }
        const auto [name, value] = split_header(line);
        // Keeping the connection open is the transport's choice, not a caller's header.
        if (name == "Connection" && value == "keep-alive") {
            continue;
        }
        set_request_header(request, name, value);
    }
}

// The object's Option property is indexed: the index comes before the new value.
void write_option(const ComObject& request, std::int32_t option, std::int32_t value) {
    automation_detail::invoke(request, "Option", automation_detail::Intent::write,
                              {AutomationValue(option), AutomationValue(value)});
}

// How long the whole exchange may take when the caller keeps the object's time-outs: the
// longest of the object's own defaults (60 s to connect).
constexpr std::chrono::seconds longest_default_limit{60};
// The object waits in whole seconds; a second is the shortest wait that every object
// answers correctly (some answer a zero wait with false even once the response is in).
constexpr std::int32_t wait_seconds = 1;
constexpr auto answered_at_once = std::chrono::milliseconds(900);

// The exchange runs asynchronously so that waiting for it can end: at shutdown, and once
// `limit` has passed however the server behaves. The platform's object does not bound a
// silent server by its own time-outs on every system.
void await_response(const ComObject& request, std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        if (shutdown_requested() || Clock::now() >= deadline) {
            call_method(request, "Abort");
            return;
        }
        const auto asked = Clock::now();
        const Variant done =
            automation_detail::invoke(request, "WaitForResponse", automation_detail::Intent::call,
                                      {AutomationValue(wait_seconds)});
        // A failed wait is a failed exchange: nothing is left to wait for.
        if (!std::holds_alternative<bool>(done) || std::get<bool>(done)) {
            return;
        }
        // A real time-out takes the whole wait. An object asked after the response came
        // in may answer false at once instead of true (Wine's does), and has nothing
        // left to wait for either.
        if (Clock::now() - asked < answered_at_once) {
            return;
        }
    }
}

}  // namespace

ComOutcome com_request(const ComRequest& r) {
    const Text verb = verb_for_method(r.method);
    ComObject request = r.request_object;
    if (object_is_empty(request)) {
        register_winhttp_request_class();
        if (!create_object(request, winhttp_request_prog_id)) {
            return {};
        }
    }
    ComOutcome outcome;
    outcome.made = true;

    std::chrono::milliseconds limit = longest_default_limit;
    if (r.timeout_seconds != -1) {
        const std::int32_t each = r.timeout_seconds >= 1 && r.timeout_seconds <= INT32_MAX / 1000
                                      ? r.timeout_seconds * 1000
                                      : 15000;
        call_method(request, "SetTimeouts", each, each, each, each);
        limit = std::chrono::milliseconds(each);
    }
    if (!r.proxy.empty()) {
        call_method(request, "SetProxy", std::int32_t{2}, r.proxy);
    }
    constexpr bool asynchronous = true;
    call_method(request, "Open", verb, r.url, asynchronous);
    if (r.no_redirect) {
        write_option(request, option_enable_redirects, 0);
    }
    write_option(request, option_ignored_certificate_errors, ignore_no_certificate_errors);

    const Text block = header_block(r.url, r.method == 1, r.extra_headers, r.add_default_headers,
                                    r.normalize_header_names);
    if (!r.proxy.empty() && !r.auth_user.empty()) {
        call_method(request, "SetCredentials", r.auth_user, r.auth_password,
                    static_cast<std::int32_t>(r.auth_target));
        if (r.auth_target == 1) {
            set_request_header(request, "Proxy-Authorization",
                               "Basic " + base64_encode(r.auth_user + ":" + r.auth_password));
        }
    }
    outcome.cookies = r.cookies;
    if (outcome.cookies && !outcome.cookies->empty()) {
        Text& cookies = *outcome.cookies;
        if (find_text(cookies, "Cookie:", 1, true) != -1) {
            cookies = replace_text(cookies, "Cookie:", "", 1, -1, false);
        }
        set_request_header(request, "Cookie", cookies);
    }
    set_header_lines(request, block);

    if (r.body_bytes.empty()) {
        call_method(request, "Send", r.body);
    } else {
        call_method(request, "Send", r.body_bytes);
    }
    if (!last_automation_error()) {
        await_response(request, limit);
    }

    // Taken over, not copied: a body may be large.
    Variant body_value = read_variant_property(request, "ResponseBody");
    if (Bytes* body_read = std::get_if<Bytes>(&body_value)) {
        outcome.body = std::move(*body_read);
    }
    outcome.headers = call_text_method(request, "GetAllResponseHeaders");
    outcome.status = static_cast<int>(read_number_property(request, "Status"));

    Text& received = outcome.received_cookies;
    received = r.received_cookies;
    // Only a line naming Set-Cookie carries a cookie; most replies have none.
    if (find_text(outcome.headers, "Set-Cookie") != -1) {
        for (const Text& line : split_text(outcome.headers, "\r\n")) {
            collect_set_cookie(line, received);
        }
    }
    finish_received_cookies(received);
    if (r.merge_cookies && outcome.cookies) {
        received = velmora::merge_cookies(*outcome.cookies, received);
    }
    return outcome;
}

Bytes com_request(const Text& url, int method, const Text& body, Text* send_cookies,
                  Text* received_cookies, const Text& extra_headers, Text* response_headers,
                  int* status_code, bool no_redirect, const Bytes& body_bytes, const Text& proxy,
                  int timeout_seconds, const Text& auth_user, const Text& auth_password,
                  int auth_target, const ComObject& request_object, bool merge_cookies,
                  bool add_default_headers, bool normalize_header_names) {
    ComOutcome o = com_request(
        {url, method, body, send_cookies ? std::optional<Text>(*send_cookies) : std::nullopt,
         received_cookies ? *received_cookies : Text(), extra_headers, no_redirect, body_bytes,
         proxy, timeout_seconds, auth_user, auth_password, auth_target, request_object,
         merge_cookies, add_default_headers, normalize_header_names});
    if (!o.made) {
        return {};
    }
    if (send_cookies) {
        *send_cookies = std::move(*o.cookies);
    }
    if (received_cookies) {
        *received_cookies = std::move(o.received_cookies);
    }
    if (response_headers) {
        *response_headers = std::move(o.headers);
    }
    if (status_code) {
        *status_code = o.status;
    }
    return std::move(o.body);
}

}  // namespace velmora
