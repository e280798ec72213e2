#include "http/transfer.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>

#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/text.h"
#include "http/base64.h"
#include "http/request_target.h"
#include "http/winhttp/open_requests.h"
#include "http/winhttp/winhttp_functions.h"

namespace velmora {
namespace {

// WinHttpSetTimeouts takes an int: longer limits are cut to the longest it takes. Zero
// means no limit, as it does for WinHttp.
int milliseconds(std::chrono::milliseconds limit) {
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
        limit.count(), 0, std::numeric_limits<int>::max()));
}

bool set_number_option(const WinHttpFunctions& api, HINTERNET handle, DWORD option,
                       DWORD value) {
    return api.set_option(handle, option, &value, sizeof value);
}

bool is_named(std::string_view line, std::string_view name) {
    const auto colon = line.find(':');
    return colon == name.size() && compare_text(line.substr(0, colon), name, false) == 0;
}

}  // namespace

bool transfer_ready() {
    return winhttp_functions() != nullptr;
}

// The three handles of one exchange, opened step by step and closed in reverse.
struct Transfer::State {
    const WinHttpFunctions* api = winhttp_functions();
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    bool through_proxy = false;
    // Made from the proxy credentials for a plain-HTTP request through a proxy.
    std::string proxy_authorization;
    std::optional<RequestTarget> target;
    Bytes body;

    ~State() {
        if (!api)
            return;
        if (request && untrack_request(request))
            api->close_handle(request);
        if (connection)
            api->close_handle(connection);
        if (session)
            api->close_handle(session);
    }

    // On the newest handle: the request inherits the session's limits, and the simple
    // variant sets them on the request itself.
    bool apply_timeouts(const PhaseTimeouts& t) {
        HINTERNET handle = request ? request : session;
        const int connect = milliseconds(t.connect);
        const int receive = milliseconds(t.receive);
        // WinHttpSetTimeouts alone may not bound the wait for a response that never
        // comes (Wine ignores its receive limit there), so that wait gets its own limit.
        return api->set_timeouts(handle, connect, connect, milliseconds(t.send), receive) &&
               set_number_option(*api, handle, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT,
                                 static_cast<DWORD>(receive));
    }

    // Send, receive and read, each blocking in WinHttp.
    TransferResult exchange() {
        TransferResult failure;
        const DWORD length = static_cast<DWORD>(body.size());
        if (!api->send_request(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                               body.empty() ? WINHTTP_NO_REQUEST_DATA : body.data(), length,
                               length, 0)) {
            return failure;
        }
        if (!api->receive_response(request, nullptr)) {
            failure.outcome = TransferOutcome::no_response;
            return failure;
        }
        return read_response();
    }

    TransferResult read_response() {
        TransferResult result;
        result.outcome = TransferOutcome::complete;
        for (;;) {
            DWORD available = 0;
            if (!api->query_data_available(request, &available)) {
                result.outcome = TransferOutcome::read_failed;
                break;
            }
            if (available < 1)
                break;
            const std::size_t room = max_response_body - result.body.size();
            const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(available, room));
            const std::size_t start = result.body.size();
            result.body.resize(start + wanted);
            DWORD read = 0;
            const bool ok = wanted == 0 || api->read_data(request, result.body.data() + start,
                                                          wanted, &read);
            result.body.resize(start + read);
            if (!ok || wanted < available) {
                result.outcome = TransferOutcome::read_failed;
                break;
            }
        }
        result.header_block = raw_headers();
        result.headers_complete = !result.header_block.empty();
        return result;
    }

    // Status line, header lines and the empty line, each ending in CRLF, as GBK text.
    std::string raw_headers() {
        DWORD size = 0;
        api->query_headers(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                           WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
        std::u16string wide(size / sizeof(char16_t) + 1, u'\0');
        size = static_cast<DWORD>(wide.size() * sizeof(char16_t));
        if (!api->query_headers(request, WINHTTP_QUERY_RAW_HEADERS_CRLF,
                                WINHTTP_HEADER_NAME_BY_INDEX, wide.data(), &size,
                                WINHTTP_NO_HEADER_INDEX)) {
            return {};
        }
        wide.resize(size / sizeof(char16_t));
        return from_wide(wide);
    }
};

Transfer::Transfer() : state_(std::make_unique<State>()) {}
Transfer::~Transfer() = default;

bool Transfer::valid() const {
    return state_->api != nullptr;
}

bool Transfer::set_proxy(const std::string& host_port) {
    State& s = *state_;
    if (!s.api || s.session)
        return false;
    s.through_proxy = !host_port.empty();
    const std::u16string proxy = to_wide(host_port);
    // No agent name: the caller's header block carries the User-Agent line.
    s.session = s.api->open(nullptr,
                            s.through_proxy ? WINHTTP_ACCESS_TYPE_NAMED_PROXY
                                            : WINHTTP_ACCESS_TYPE_NO_PROXY,
                            s.through_proxy ? reinterpret_cast<LPCWSTR>(proxy.c_str())
                                            : WINHTTP_NO_PROXY_NAME,
                            WINHTTP_NO_PROXY_BYPASS, 0);
    return s.session != nullptr;
}

bool Transfer::set_timeouts(const PhaseTimeouts& timeouts) {
    State& s = *state_;
    return s.session && s.apply_timeouts(timeouts);
}

bool Transfer::set_url(const std::string& url) {
    State& s = *state_;
    s.target = crack_url(escape_url(url));
    if (!s.session || !s.target)
        return false;
    Text host = s.target->host;
    // WinHttp takes an IPv6 literal without its brackets.
    if (host.size() > 2 && host.front() == '[')
        host = host.substr(1, host.size() - 2);
    s.connection = s.api->connect(s.session, reinterpret_cast<LPCWSTR>(to_wide(host).c_str()),
                                  static_cast<INTERNET_PORT>(s.target->port), 0);
    return s.connection != nullptr;
}

bool Transfer::set_verb(const std::string& verb) {
    State& s = *state_;
    if (!s.connection)
        return false;
    s.request = s.api->open_request(
        s.connection, reinterpret_cast<LPCWSTR>(to_wide(verb).c_str()),
        reinterpret_cast<LPCWSTR>(to_wide(s.target->target).c_str()), nullptr,
        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
        s.target->secure ? WINHTTP_FLAG_SECURE : 0);
    if (!s.request)
        return false;
    track_request(s.request);
    // The caller's cookie text is the only one: the platform neither stores nor sends
    // cookies of its own.
    return set_number_option(*s.api, s.request, WINHTTP_OPTION_DISABLE_FEATURE,
                             WINHTTP_DISABLE_COOKIES);
}

namespace {

bool set_basic_credentials(const WinHttpFunctions* api, HINTERNET request, DWORD target,
                           const std::string& user, const std::string& password) {
    return request &&
           api->set_credentials(request, target, WINHTTP_AUTH_SCHEME_BASIC,
                                reinterpret_cast<LPCWSTR>(to_wide(user).c_str()),
                                reinterpret_cast<LPCWSTR>(to_wide(password).c_str()), nullptr);
}

}  // namespace

bool Transfer::set_server_credentials(const std::string& user, const std::string& password) {
    return set_basic_credentials(state_->api, state_->request, WINHTTP_AUTH_TARGET_SERVER, user,
                                 password);
}

bool Transfer::set_proxy_credentials(const std::string& user, const std::string& password) {
    State& s = *state_;
    if (!set_basic_credentials(s.api, s.request, WINHTTP_AUTH_TARGET_PROXY, user, password))
        return false;
    // The platform sends proxy credentials only once the proxy asks for them; a plain
    // request through the proxy carries them from the start, as on the other platform.
    if (s.through_proxy && !s.target->secure)
        s.proxy_authorization = "Proxy-Authorization: Basic " + base64_encode(user + ":" + password);
    return true;
}

bool Transfer::set_tls_verification() {
    // The platform verifies the chain and the host name against its own store unless told
    // to ignore errors, which is never done here.
    return state_->request != nullptr;
}

bool Transfer::set_follow_redirects(bool follow) {
    State& s = *state_;
    if (!s.request)
        return false;
    // The platform's own default policy never follows https to http.
    return set_number_option(*s.api, s.request, WINHTTP_OPTION_REDIRECT_POLICY,
                             follow ? WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP
                                    : WINHTTP_OPTION_REDIRECT_POLICY_NEVER) &&
           (!follow || set_number_option(*s.api, s.request,
                                         WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS,
                                         static_cast<DWORD>(max_redirect_hops)));
}

bool Transfer::set_header_lines(const std::vector<std::string>& lines) {
    State& s = *state_;
    if (!s.request)
        return false;
    Text block;
    std::string proxy_authorization = s.proxy_authorization;
    for (const auto& line : lines) {
        if (line.find(':') == std::string::npos)
            return false;
        if (is_named(line, "Proxy-Authorization")) {
            // Only a plain-HTTP request through a proxy goes to the proxy itself; elsewhere
            // this line would reach the server. The caller's line replaces the one made
            // from the credentials.
            if (!s.through_proxy || s.target->secure)
                continue;
            proxy_authorization.clear();
        }
        block += line + "\r\n";
    }
    if (!proxy_authorization.empty())
        block += proxy_authorization + "\r\n";
    if (block.empty())
        return true;
    const std::u16string wide = to_wide(block);
    return s.api->add_request_headers(s.request, reinterpret_cast<LPCWSTR>(wide.c_str()),
                                      static_cast<DWORD>(wide.size()), WINHTTP_ADDREQ_FLAG_ADD);
}

bool Transfer::set_body(Bytes body) {
    state_->body = std::move(body);
    return state_->request != nullptr;
}

namespace {

// What the worker hands back; the event is set once `result` is written.
struct Exchange {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    TransferResult result;
    Exchange() = default;
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
    ~Exchange() {
        if (done)
            CloseHandle(done);
    }
};

// The caller's thread keeps handling its events (the window's, on the window thread)
// until the exchange ends or shutdown begins.
bool wait_for(const Exchange& exchange) {
    constexpr DWORD poll_ms = 50;
    for (;;) {
        const DWORD woken =
            MsgWaitForMultipleObjects(1, &exchange.done, FALSE, poll_ms, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return true;
        process_events();
        if (shutdown_requested())
            return false;
    }
}

}  // namespace

TransferResult Transfer::perform() {
    std::shared_ptr<State> state = state_;
    if (!state->request || shutdown_requested())
        return {};
    auto exchange = std::make_shared<Exchange>();
    if (!exchange->done)
        return {};
    // The blocking calls run on a worker that shares the handles. Shutdown closes the
    // request handle, which ends them on Windows; under Wine a receive that blocks goes on
    // until its time-out all the same, so the caller stops waiting at shutdown and the
    // worker, the last owner, closes the handles whenever it ends.
    std::thread([state, exchange] {
        exchange->result = state->exchange();
        SetEvent(exchange->done);
    }).detach();
    if (!wait_for(*exchange))
        return {TransferOutcome::no_response, {}, {}, false};
    return std::move(exchange->result);
}

}  // namespace velmora
