#include "http/transfer.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/text.h"
#include "http/base64.h"
#include "http/exchange_limit.h"
#include "http/redirect_policy.h"
#include "http/request_target.h"
#include "http/winhttp/winhttp_functions.h"

namespace velmora {
namespace {

// How often a wait for WinHttp wakes up to look at the exchange's limit.
constexpr std::chrono::milliseconds poll_interval{50};
constexpr std::size_t read_chunk = 64 * 1024;

// WinHttpSetTimeouts takes an int: longer limits are cut to the longest it takes. Zero
// means no limit, as it does for WinHttp.
int milliseconds(std::chrono::milliseconds limit) {
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
        limit.count(), 0, std::numeric_limits<int>::max()));
}

bool set_number_option(const WinHttpFunctions& api, HINTERNET handle, DWORD option, DWORD value) {
    return api.set_option(handle, option, &value, sizeof value);
}

std::string_view header_name(std::string_view line) {
    return line.substr(0, line.find(':'));
}

// What WinHttp reports about one request handle to the thread that drives it. WinHttp may
// still report after the handle is closed (an operation cut short completes in its own
// time), so the status callback holds a reference of its own until the handle's closing
// notification, the last one, and WinHttp reads and writes only buffers that live here.
struct Notifications {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // set per notification
    std::mutex mutex;
    DWORD status = 0;
    DWORD value = 0;            // bytes available or read, or the error of a failed operation
    bool request_sent = false;  // the whole request went out
    Bytes sent;                 // the request body, read by WinHttp while it sends
    Bytes received = Bytes(read_chunk);  // written by WinHttp while it reads

    Notifications() = default;
    Notifications(const Notifications&) = delete;
    Notifications& operator=(const Notifications&) = delete;
    ~Notifications() {
        if (event) {
            CloseHandle(event);
        }
    }
};
using NotificationsRef = std::shared_ptr<Notifications>;

constexpr DWORD notifications_wanted = WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS |
                                       WINHTTP_CALLBACK_FLAG_HANDLES |
                                       WINHTTP_CALLBACK_FLAG_SEND_REQUEST;

void CALLBACK on_status(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
    auto* holder = reinterpret_cast<NotificationsRef*>(context);
    if (!holder) {
        return;
    }
    if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
        delete holder;
        return;
    }
    Notifications& notifications = **holder;
    if (status == WINHTTP_CALLBACK_STATUS_REQUEST_SENT) {
        std::lock_guard lock(notifications.mutex);
        notifications.request_sent = true;
        return;
    }
    DWORD value = 0;
    switch (status) {
        case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
            value = *static_cast<const DWORD*>(info);
            break;
        case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
            value = length;
            break;
        case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
            value = static_cast<const WINHTTP_ASYNC_RESULT*>(info)->dwError;
            break;
        case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
        case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
            break;
        default:
            return;
    }
    {
        std::lock_guard lock(notifications.mutex);
        notifications.status = status;
        notifications.value = value;
    }
    SetEvent(notifications.event);
}

struct Credentials {
    std::string user;
    std::string password;
};

// The session kept for the calling thread while a ConnectionPool is open: WinHttp keeps
// idle connections and TLS sessions per session handle. One exchange uses it at a time;
// one begun while it is in use (from an event handler run during a wait) opens its own.
struct PooledSession {
    HINTERNET session = nullptr;
    std::string proxy;
    bool in_use = false;
    bool close_when_released = false;

    PooledSession() = default;
    PooledSession(const PooledSession&) = delete;
    PooledSession& operator=(const PooledSession&) = delete;
    // No closing here: a pool closes its session as it ends, and what a pool still holds
    // when the process exits the system reclaims; closing a WinHttp handle while the
    // process ends can wait for service threads that are already gone.
    ~PooledSession() = default;

    void close() {
        if (session) {
            winhttp_functions()->close_handle(session);
        }
        session = nullptr;
        close_when_released = false;
    }
};
thread_local PooledSession pooled_session;

}  // namespace

void close_pooled_connections() {
    if (pooled_session.in_use) {
        pooled_session.close_when_released = true;
    } else {
        pooled_session.close();
    }
}

bool transfer_ready() {
    return winhttp_functions() != nullptr;
}

// The handles of one exchange in WinHttp's asynchronous mode, opened, used and closed by
// the one thread that runs the exchange (the session may be the thread's pooled one, then
// closed by its pool): closing a handle is how an operation in flight is cut short, and no
// other thread ever holds one. The settings are kept, since every
// redirect hop is a request of its own.
struct Transfer::State {
    const WinHttpFunctions* api = winhttp_functions();
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    NotificationsRef notifications;  // of `request`
    DWORD_PTR request_context = 0;   // what the status callback receives for `request`
    std::string connected_to;        // host and port of `connection`
    bool session_pooled = false;     // `session` is the thread's pooled one

    std::string url;  // escaped, of the current request
    std::optional<RequestTarget> target;
    std::string verb;
    Bytes body;
    bool through_proxy = false;
    std::optional<PhaseTimeouts> timeouts;
    std::optional<Credentials> server_credentials;
    std::optional<Credentials> proxy_credentials;
    std::vector<std::string> header_lines;
    bool follow_redirects = true;
    ExchangeLimit limit;

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() {
        close_request();
        if (connection) {
            api->close_handle(connection);
        }
        if (session_pooled) {
            pooled_session.in_use = false;
            if (pooled_session.close_when_released) {
                pooled_session.close();
            }
        } else if (session) {
            api->close_handle(session);
        }
    }

    // The session for `proxy`: the thread's pooled one while a pool is open and no other
    // exchange holds it, else one of this exchange's own.
    HINTERNET open_session(const std::string& proxy) {
        const bool pool = connections_pooled() && !pooled_session.in_use;
        if (pool && pooled_session.session && pooled_session.proxy == proxy) {
            pooled_session.in_use = session_pooled = true;
            return pooled_session.session;
        }
        const std::u16string wide = to_wide(proxy);
        // No agent name: the caller's header block carries the User-Agent line.
        HINTERNET opened = api->open(
            nullptr, proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
            proxy.empty() ? WINHTTP_NO_PROXY_NAME : reinterpret_cast<LPCWSTR>(wide.c_str()),
            WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
        if (pool && opened) {
            pooled_session.close();
            pooled_session.session = opened;
            pooled_session.proxy = proxy;
            pooled_session.in_use = session_pooled = true;
        }
        return opened;
    }

    void close_request() {
        if (request) {
            api->close_handle(request);
        }
        request = nullptr;
        notifications.reset();
        request_context = 0;
    }

    // On the newest handle: a request opened later takes them too (see open_request).
    bool apply_timeouts(HINTERNET handle) {
        const PhaseTimeouts& t = *timeouts;
        const int connect = milliseconds(t.connect);
        const int receive = milliseconds(t.receive);
        // WinHttpSetTimeouts alone may not bound the wait for a response that never
        // comes (Wine ignores its receive limit there), so that wait gets its own limit.
        return api->set_timeouts(handle, connect, connect, milliseconds(t.send), receive) &&
               set_number_option(*api, handle, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT,
                                 static_cast<DWORD>(receive));
    }

    // A connection to the current target's host and port, made anew when they change.
    bool connect() {
        Text host = target->host;
        // WinHttp takes an IPv6 literal without its brackets.
        if (host.size() > 2 && host.front() == '[') {
            host = host.substr(1, host.size() - 2);
        }
        const std::string where = host + ":" + std::to_string(target->port);
        if (connection && where == connected_to) {
            return true;
        }
        if (connection) {
            api->close_handle(connection);
        }
        connection = api->connect(session, reinterpret_cast<LPCWSTR>(to_wide(host).c_str()),
                                  static_cast<INTERNET_PORT>(target->port), 0);
        connected_to = where;
        return connection != nullptr;
    }

    // A request for the current target and verb, reporting to fresh notifications. The
    // platform neither stores nor sends cookies of its own (the caller's cookie text is
    // the only one) and follows no redirect: redirect_policy.h decides each hop.
    bool open_request() {
        request = api->open_request(connection, reinterpret_cast<LPCWSTR>(to_wide(verb).c_str()),
                                    reinterpret_cast<LPCWSTR>(to_wide(target->target).c_str()),
                                    nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                    target->secure ? WINHTTP_FLAG_SECURE : 0);
        if (!request) {
            return false;
        }
        auto fresh = std::make_shared<Notifications>();
        if (!fresh->event || api->set_status_callback(request, &on_status, notifications_wanted,
                                                      0) == WINHTTP_INVALID_STATUS_CALLBACK) {
            return false;
        }
        auto* holder = new NotificationsRef(fresh);
        DWORD_PTR context = reinterpret_cast<DWORD_PTR>(holder);
        if (!api->set_option(request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context)) {
            delete holder;
            return false;
        }
        notifications = std::move(fresh);
        request_context = context;
        return set_number_option(*api, request, WINHTTP_OPTION_DISABLE_FEATURE,
                                 WINHTTP_DISABLE_COOKIES) &&
               set_number_option(*api, request, WINHTTP_OPTION_REDIRECT_POLICY,
                                 WINHTTP_OPTION_REDIRECT_POLICY_NEVER) &&
               (!timeouts || apply_timeouts(request));
    }

    bool apply_credentials(DWORD target_kind, const std::optional<Credentials>& credentials) {
        return !credentials ||
               api->set_credentials(
                   request, target_kind, WINHTTP_AUTH_SCHEME_BASIC,
                   reinterpret_cast<LPCWSTR>(to_wide(credentials->user).c_str()),
                   reinterpret_cast<LPCWSTR>(to_wide(credentials->password).c_str()), nullptr);
    }

    bool apply_header_lines(bool leaves_origin) {
        // Only a plain-HTTP request through a proxy goes to the proxy itself; elsewhere a
        // Proxy-Authorization line would reach the server. The platform sends proxy
        // credentials only once the proxy asks for them, so a plain request through the
        // proxy carries them from the start, as on the other platform, unless the
        // caller's own line replaces them.
        const bool to_proxy = through_proxy && !target->secure;
        std::string proxy_authorization;
        if (to_proxy && proxy_credentials) {
            proxy_authorization =
                "Proxy-Authorization: Basic " +
                base64_encode(proxy_credentials->user + ":" + proxy_credentials->password);
        }
        Text block;
        for (const auto& line : header_lines) {
            const std::string_view name = header_name(line);
            if (leaves_origin && carries_origin_credentials(name)) {
                continue;
            }
            if (compare_text(name, "Proxy-Authorization", false) == 0) {
                if (!to_proxy) {
                    continue;
                }
                proxy_authorization.clear();
            }
            block += line + "\r\n";
        }
        if (!proxy_authorization.empty()) {
            block += proxy_authorization + "\r\n";
        }
        if (block.empty()) {
            return true;
        }
        const std::u16string wide = to_wide(block);
        return api->add_request_headers(request, reinterpret_cast<LPCWSTR>(wide.c_str()),
                                        static_cast<DWORD>(wide.size()), WINHTTP_ADDREQ_FLAG_ADD);
    }

    bool start_hop(const RedirectHop& hop) {
        close_request();
        url = hop.url;
        verb = hop.verb;
        if (!hop.keeps_body) {
            body.clear();
        }
        target = crack_url(url);
        return target && connect() && open_request() &&
               apply_credentials(WINHTTP_AUTH_TARGET_SERVER,
                                 hop.leaves_origin ? std::nullopt : server_credentials) &&
               apply_credentials(WINHTTP_AUTH_TARGET_PROXY, proxy_credentials) &&
               apply_header_lines(hop.leaves_origin);
    }

    // Waits for the current request's next notification, handling the thread's events
    // meanwhile; true when it is `expected`, false for a failure reported in its place and
    // when the exchange's limit came first.
    bool await(DWORD expected) {
        Notifications& pending = *notifications;
        while (!limit.reached()) {
            const auto wait = limit.next_wait(poll_interval);
            const DWORD woken = MsgWaitForMultipleObjects(
                1, &pending.event, FALSE, static_cast<DWORD>(wait.count()), QS_ALLINPUT);
            if (woken == WAIT_OBJECT_0) {
                std::lock_guard lock(pending.mutex);
                return pending.status == expected;
            }
            if (woken == WAIT_OBJECT_0 + 1) {
                process_events();
            } else if (woken == WAIT_FAILED) {
                // Not a reason to stop: the limit still decides.
                Sleep(static_cast<DWORD>(wait.count()));
            }
        }
        return false;
    }

    DWORD reported_value() {
        std::lock_guard lock(notifications->mutex);
        return notifications->value;
    }

    // One request and its response, each step waited for under the exchange's limit.
    TransferResult exchange() {
        TransferResult result;
        Notifications& pending = *notifications;
        pending.sent = body;
        const DWORD length = static_cast<DWORD>(pending.sent.size());
        // The context given here replaces the handle's, so it is the same one.
        if (!api->send_request(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                               pending.sent.empty() ? WINHTTP_NO_REQUEST_DATA : pending.sent.data(),
                               length, length, request_context) ||
            !await(WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE)) {
            // Wine completes the send only once the reply's head is in: a request that
            // went out has had no response.
            std::lock_guard lock(pending.mutex);
            if (pending.request_sent) {
                result.outcome = TransferOutcome::no_response;
            }
            return result;
        }
        result.outcome = TransferOutcome::no_response;
        if (!api->receive_response(request, nullptr) ||
            !await(WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE)) {
            return result;
        }
        result.header_block = raw_headers();
        result.headers_complete = !result.header_block.empty();
        result.outcome =
            read_body(result.body) ? TransferOutcome::complete : TransferOutcome::read_failed;
        return result;
    }

    // The body in chunks, as far as the size limit; false when reading failed or stopped,
    // or the body goes on beyond the limit.
    bool read_body(Bytes& body_read) {
        for (;;) {
            if (!api->query_data_available(request, nullptr) ||
                !await(WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE)) {
                return false;
            }
            const DWORD available = reported_value();
            if (available == 0) {
                return true;
            }
            const std::size_t room = max_response_body - body_read.size();
            if (room == 0) {
                return false;
            }
            const auto wanted =
                static_cast<DWORD>(std::min({std::size_t{available}, room, read_chunk}));
            if (!api->read_data(request, notifications->received.data(), wanted, nullptr) ||
                !await(WINHTTP_CALLBACK_STATUS_READ_COMPLETE)) {
                return false;
            }
            const DWORD read = std::min(reported_value(), wanted);
            body_read.insert(body_read.end(), notifications->received.begin(),
                             notifications->received.begin() + read);
            process_events();
            if (read == 0) {
                return true;
            }
        }
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

    TransferResult perform() {
        if (!request) {
            return {};
        }
        limit.start(timeouts ? timeouts->total : std::chrono::milliseconds(0));
        return send_following_redirects(
            url, verb, verb != "HEAD" && !body.empty(), follow_redirects,
            [this] { return exchange(); },
            [this](const RedirectHop& hop) { return start_hop(hop); });
    }
};

Transfer::Transfer() : state_(std::make_unique<State>()) {}
Transfer::~Transfer() = default;

bool Transfer::valid() const {
    return state_->api != nullptr;
}

bool Transfer::set_proxy(const std::string& host_port) {
    State& s = *state_;
    if (!s.api || s.session) {
        return false;
    }
    s.through_proxy = !host_port.empty();
    s.session = s.open_session(host_port);
    return s.session != nullptr;
}

bool Transfer::set_timeouts(const PhaseTimeouts& timeouts) {
    State& s = *state_;
    s.timeouts = timeouts;
    return s.session && s.apply_timeouts(s.request ? s.request : s.session);
}

bool Transfer::set_url(const std::string& url) {
    State& s = *state_;
    s.url = escape_url(url);
    s.target = crack_url(s.url);
    return s.session && s.target && s.connect();
}

bool Transfer::set_verb(const std::string& verb) {
    State& s = *state_;
    s.verb = verb;
    return s.connection && s.open_request();
}

bool Transfer::set_server_credentials(const std::string& user, const std::string& password) {
    State& s = *state_;
    s.server_credentials = Credentials{user, password};
    return s.request && s.apply_credentials(WINHTTP_AUTH_TARGET_SERVER, s.server_credentials);
}

bool Transfer::set_proxy_credentials(const std::string& user, const std::string& password) {
    State& s = *state_;
    s.proxy_credentials = Credentials{user, password};
    return s.request && s.apply_credentials(WINHTTP_AUTH_TARGET_PROXY, s.proxy_credentials);
}

bool Transfer::set_tls_verification() {
    // The platform verifies the chain and the host name against its own store unless told
    // to ignore errors, which is never done here.
    return state_->request != nullptr;
}

bool Transfer::set_follow_redirects(bool follow) {
    state_->follow_redirects = follow;
    return state_->request != nullptr;
}

bool Transfer::set_header_lines(const std::vector<std::string>& lines) {
    State& s = *state_;
    if (!s.request) {
        return false;
    }
    for (const auto& line : lines) {
        if (line.find(':') == std::string::npos) {
            return false;
        }
    }
    s.header_lines = lines;
    return s.apply_header_lines(false);
}

bool Transfer::set_body(Bytes body) {
    state_->body = std::move(body);
    return state_->request != nullptr;
}

TransferResult Transfer::perform() {
    return state_->perform();
}

void Transfer::cancel() {
    state_->limit.cancel();
}

}  // namespace velmora
