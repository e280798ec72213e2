#include "http/transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <utility>

#include "base/event_pump.h"
#include "http/curl/curl_tls.h"
#include "http/exchange_limit.h"
#include "http/redirect_policy.h"
#include "http/request_target.h"

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    // Header names are ASCII; the C library's locale-aware tolower is needlessly slow here.
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [&](char a, char b) { return fold(a) == fold(b); });
}

// Also for the "Name;" form libcurl takes for a line without a value.
std::string_view header_name(std::string_view line) {
    return line.substr(0, line.find_first_of(":;"));
}

bool is_named(std::string_view line, std::string_view name) {
    const auto found = header_name(line);
    return found.size() == name.size() && starts_with_ignoring_case(found, name);
}

bool has_header(const std::vector<std::string>& lines, std::string_view name) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return is_named(line, name); });
}

// How often a wait in libcurl wakes up to look at the exchange's limit and to handle the
// thread's events.
constexpr std::chrono::milliseconds poll_interval{50};

}  // namespace

bool transfer_ready() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            return;
        }
        const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
        bool http = false;
        bool https = false;
        for (const char* const* protocol = info->protocols; protocol && *protocol; ++protocol) {
            http = http || std::string_view(*protocol) == "http";
            https = https || std::string_view(*protocol) == "https";
        }
        ready = http && https;
    });
    return ready;
}

// The libcurl handle of one exchange and what the exchange is to send.
struct Transfer::State {
    State();
    ~State();
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    bool valid() const { return handle_ != nullptr && multi_ != nullptr; }
    bool set_url(const std::string& url);
    bool set_timeouts(const PhaseTimeouts& timeouts);
    bool set_proxy(const std::string& host_port);
    bool set_verb(const std::string& verb);
    bool set_server_credentials(const std::string& user, const std::string& password);
    bool set_proxy_credentials(const std::string& user, const std::string& password);
    bool set_tls_verification();
    // Redirects are followed here, never by libcurl, under http/redirect_policy.h.
    bool set_follow_redirects(bool follow);
    bool set_header_lines(const std::vector<std::string>& lines);
    bool set_body(Bytes body);
    TransferResult perform();
    void cancel() { limit_.cancel(); }

  private:
    struct Progress;
    TransferResult perform_once();
    // Runs the handle until libcurl is done with it (`code` then says how that went);
    // false when the exchange's limit cut it short first.
    bool run_to_end(CURLcode& code);
    bool start_hop(const RedirectHop& hop);
    bool apply_header_lines(bool drop_origin_lines);
    static std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user);
    static int on_progress(void* user, curl_off_t download_total, curl_off_t download_now,
                           curl_off_t upload_total, curl_off_t upload_now);

    CURL* handle_ = nullptr;
    CURLM* multi_ = nullptr;  // drives handle_, so that a wait never outlasts a poll
    bool borrowed_ = false;   // the thread's handles, lent to this exchange
    ExchangeLimit limit_;
    std::vector<std::string> header_lines_;  // as libcurl takes them
    curl_slist* headers_ = nullptr;
    curl_slist* proxy_headers_ = nullptr;
    std::string url_;
    std::string verb_ = "GET";
    // Server credentials, for hops that stay with the first origin.
    bool has_credentials_ = false;
    std::string user_;
    std::string password_;
    Bytes body_;
    bool follow_redirects_ = true;
    PhaseTimeouts timeouts_;
};

// What the callbacks learn while the exchange runs.
struct Transfer::State::Progress {
    CURL* handle = nullptr;
    PhaseTimeouts timeouts;
    curl_off_t body_size = 0;

    std::string header_block;
    long status = 0;
    bool headers_complete = false;
    Bytes body;

    bool connected = false;
    curl_off_t last_upload = -1;
    curl_off_t last_download = -1;
    Clock::time_point last_activity = Clock::now();

    bool request_sent(curl_off_t uploaded) const {
        return connected && (body_size == 0 || uploaded >= body_size);
    }
};

namespace {

// Making and freeing libcurl handles (and the transfer machinery they grow at their first
// transfer) costs more than a loopback exchange itself, so each thread keeps one pair and
// resets it for every exchange. Nothing of an exchange survives into the next but, while
// a ConnectionPool is open, the idle connection (in the multi handle's cache) and the TLS
// session: every option is reset, and neither host names nor trust stores are cached (see
// Transfer::State's constructor).
struct ThreadHandles {
    CURL* handle = nullptr;
    CURLM* multi = nullptr;
    bool in_use = false;
    // The pool ended while an exchange held the handles: they are freed once it is done.
    bool close_when_released = false;
    ThreadHandles() = default;
    ThreadHandles(const ThreadHandles&) = delete;
    ThreadHandles& operator=(const ThreadHandles&) = delete;
    ~ThreadHandles() {
        close();
        if (sessions) {
            curl_share_cleanup(sessions);
        }
    }
    // Freeing the handles closes the connections they keep.
    void close() {
        if (multi) {
            curl_multi_cleanup(multi);
        }
        if (handle) {
            curl_easy_cleanup(handle);
        }
        multi = nullptr;
        handle = nullptr;
        close_when_released = false;
    }
    // Makes what the thread lacks of the pair. When the trust settings changed since the
    // pair was made, it goes first, with the connections and TLS sessions verified under
    // the old ones.
    void open() {
        const unsigned long generation = trust_generation();
        if (generation != made_under) {
            close();
            if (sessions) {
                curl_share_cleanup(sessions);
                sessions = nullptr;
            }
            made_under = generation;
        }
        if (!handle) {
            // A handle keeps the share it starts with for its whole life.
            if (!sessions) {
                sessions = make_session_cache();
            }
            handle = curl_easy_init();
        }
        if (!multi) {
            multi = curl_multi_init();
        }
    }
    // The TLS sessions of the thread's pooled exchanges, kept beyond the pool that made
    // them: the next pool's first handshake with the same host resumes one instead of
    // verifying the server's chain again (the bulk of a pass's work). The thread's handle
    // is attached to it for every exchange, pooled or not, and only its use is switched:
    // a handle that drops its share grows a session cache of its own, which the share
    // would then replace without freeing.
    CURLSH* sessions = nullptr;

  private:
    static CURLSH* make_session_cache() {
        CURLSH* cache = curl_share_init();
        if (cache &&
            curl_share_setopt(cache, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION) != CURLSHE_OK) {
            curl_share_cleanup(cache);
            cache = nullptr;
        }
        return cache;
    }
    unsigned long made_under = trust_generation();
};
thread_local ThreadHandles thread_handles;

}  // namespace

void close_pooled_connections() {
    if (thread_handles.in_use) {
        thread_handles.close_when_released = true;
    } else {
        thread_handles.close();
    }
}

Transfer::State::State() {
    if (!transfer_ready()) {
        return;
    }
    // A request made while another is in flight on this thread (from an event handler run
    // by the pump) gets handles of its own.
    borrowed_ = !thread_handles.in_use;
    if (!borrowed_) {
        handle_ = curl_easy_init();
        multi_ = curl_multi_init();
    } else {
        thread_handles.open();
        handle_ = thread_handles.handle;
        multi_ = thread_handles.multi;
        if (handle_) {
            curl_easy_reset(handle_);
        }
        thread_handles.in_use = true;
    }
    if (!handle_ || !multi_) {
        return;
    }
    // Threads make requests; libcurl must not use signals for its own timeouts.
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    // No host name or trust store outlives the exchange (a cached store would also hide a
    // later change of the extra CA bundle); the connection outlives it only while a pool
    // is open, and only pooled exchanges use and keep TLS sessions (in the thread's share).
    const long pooled = borrowed_ && connections_pooled() ? 1L : 0L;
    curl_easy_setopt(handle_, CURLOPT_FORBID_REUSE, 1L - pooled);
    curl_easy_setopt(handle_, CURLOPT_DNS_CACHE_TIMEOUT, 0L);
    curl_easy_setopt(handle_, CURLOPT_SSL_SESSIONID_CACHE, pooled);
    if (borrowed_) {
        curl_easy_setopt(handle_, CURLOPT_SHARE, thread_handles.sessions);
    }
    curl_easy_setopt(handle_, CURLOPT_CA_CACHE_TIMEOUT, 0L);
    curl_easy_setopt(handle_, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle_, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE);
    curl_easy_setopt(handle_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    // Paths go out exactly as the caller built them.
    curl_easy_setopt(handle_, CURLOPT_PATH_AS_IS, 1L);
    // Direct unless set_proxy names one; the environment's proxy settings never apply.
    curl_easy_setopt(handle_, CURLOPT_PROXY, "");
    curl_easy_setopt(handle_, CURLOPT_NOPROXY, "*");
}

Transfer::State::~State() {
    if (borrowed_) {
        // The handle must not point into this transfer's header lists once they are freed.
        if (handle_) {
            curl_easy_reset(handle_);
        }
        thread_handles.in_use = false;
        if (thread_handles.close_when_released) {
            thread_handles.close();
        }
    } else {
        if (multi_) {
            curl_multi_cleanup(multi_);
        }
        if (handle_) {
            curl_easy_cleanup(handle_);
        }
    }
    curl_slist_free_all(headers_);
    curl_slist_free_all(proxy_headers_);
}

bool Transfer::State::set_url(const std::string& url) {
    if (!valid()) {
        return false;
    }
    url_ = escape_url(url);
    return curl_easy_setopt(handle_, CURLOPT_URL, url_.c_str()) == CURLE_OK;
}

bool Transfer::State::set_timeouts(const PhaseTimeouts& timeouts) {
    if (!valid()) {
        return false;
    }
    timeouts_ = timeouts;
    return curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT_MS,
                            static_cast<long>(timeouts.connect.count())) == CURLE_OK;
}

bool Transfer::State::set_proxy(const std::string& host_port) {
    if (!valid()) {
        return false;
    }
    if (host_port.empty()) {
        return curl_easy_setopt(handle_, CURLOPT_PROXY, "") == CURLE_OK &&
               curl_easy_setopt(handle_, CURLOPT_NOPROXY, "*") == CURLE_OK;
    }
    const std::string proxy = "http://" + host_port;
    return curl_easy_setopt(handle_, CURLOPT_PROXY, proxy.c_str()) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_NOPROXY, "") == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_HTTPPROXYTUNNEL, 0L) == CURLE_OK;
}

bool Transfer::State::set_verb(const std::string& verb) {
    if (!valid()) {
        return false;
    }
    verb_ = verb;
    if (verb == "GET") {
        return curl_easy_setopt(handle_, CURLOPT_HTTPGET, 1L) == CURLE_OK;
    }
    if (verb == "HEAD") {
        return curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L) == CURLE_OK;
    }
    // POST is left to the body step so that 301/302/303 turn it into GET as browsers do.
    if (verb == "POST") {
        return true;
    }
    return curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, verb.c_str()) == CURLE_OK;
}

bool Transfer::State::set_server_credentials(const std::string& user, const std::string& password) {
    has_credentials_ = true;
    user_ = user;
    password_ = password;
    return valid() && curl_easy_setopt(handle_, CURLOPT_HTTPAUTH, CURLAUTH_BASIC) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_USERNAME, user.c_str()) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_PASSWORD, password.c_str()) == CURLE_OK;
}

bool Transfer::State::set_proxy_credentials(const std::string& user, const std::string& password) {
    return valid() && curl_easy_setopt(handle_, CURLOPT_PROXYAUTH, CURLAUTH_BASIC) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_PROXYUSERNAME, user.c_str()) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_PROXYPASSWORD, password.c_str()) == CURLE_OK;
}

bool Transfer::State::set_tls_verification() {
    return valid() && apply_tls_verification(handle_);
}

bool Transfer::State::set_follow_redirects(bool follow) {
    follow_redirects_ = follow;
    return valid();
}

bool Transfer::State::set_header_lines(const std::vector<std::string>& lines) {
    if (!valid()) {
        return false;
    }
    for (const auto& line : lines) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) {
            return false;
        }
        // libcurl reads "Name:" as "drop this header"; "Name;" sends it with no value.
        if (line.find_first_not_of(" \t", colon + 1) == std::string::npos) {
            header_lines_.push_back(line.substr(0, colon) + ";");
        } else {
            header_lines_.push_back(line);
        }
    }
    // libcurl's own Accept, Expect and form Content-Type are not ours to send.
    for (const char* name : {"Accept", "Expect", "Content-Type"}) {
        if (!has_header(lines, name)) {
            header_lines_.push_back(std::string(name) + ":");
        }
    }
    return apply_header_lines(false);
}

bool Transfer::State::apply_header_lines(bool drop_origin_lines) {
    curl_slist* headers = nullptr;
    curl_slist* proxy_headers = nullptr;
    bool built = true;
    for (const auto& line : header_lines_) {
        if (drop_origin_lines && carries_origin_credentials(header_name(line))) {
            continue;
        }
        // One Proxy-Authorization line, and only the proxy sees it.
        curl_slist*& list = is_named(line, "Proxy-Authorization") ? proxy_headers : headers;
        curl_slist* extended = curl_slist_append(list, line.c_str());
        built = built && extended;
        if (extended) {
            list = extended;
        }
    }
    // The lists libcurl holds are replaced before the old ones are freed.
    built = built && curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headers) == CURLE_OK &&
            curl_easy_setopt(handle_, CURLOPT_PROXYHEADER, proxy_headers) == CURLE_OK;
    std::swap(headers, headers_);
    std::swap(proxy_headers, proxy_headers_);
    curl_slist_free_all(headers);
    curl_slist_free_all(proxy_headers);
    return built;
}

bool Transfer::State::set_body(Bytes body) {
    if (!valid()) {
        return false;
    }
    body_ = std::move(body);
    if (verb_ == "HEAD") {
        return true;
    }
    if (body_.empty() && verb_ != "POST" && verb_ != "PUT") {
        return true;
    }
    // Handing over a body makes libcurl speak POST unless a verb was set explicitly.
    if (verb_ == "GET" && curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, "GET") != CURLE_OK) {
        return false;
    }
    return curl_easy_setopt(handle_, CURLOPT_POSTFIELDSIZE_LARGE,
                            static_cast<curl_off_t>(body_.size())) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_POSTFIELDS,
                            body_.empty() ? "" : reinterpret_cast<const char*>(body_.data())) ==
               CURLE_OK;
}

std::size_t Transfer::State::on_header(char* data, std::size_t size, std::size_t count,
                                       void* user) {
    auto& progress = *static_cast<Progress*>(user);
    const std::size_t length = size * count;
    progress.last_activity = Clock::now();
    // Trailers after a chunked body are not part of the header block.
    if (progress.headers_complete) {
        return length;
    }

    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    if (starts_with_ignoring_case(line, "HTTP/")) {
        // A new response (after an interim one or a followed redirect) starts its own block.
        progress.header_block.clear();
        progress.status = 0;
        const auto blank = line.find(' ');
        if (blank != std::string_view::npos) {
            progress.status =
                std::strtol(std::string(line.substr(blank + 1, 3)).c_str(), nullptr, 10);
        }
    }
    progress.header_block.append(line);
    progress.header_block.append("\r\n");

    // Interim responses (1xx) are followed by the real one.
    if (line.empty()) {
        progress.headers_complete = progress.status < 100 || progress.status >= 200;
    }
    process_events();
    return length;
}

std::size_t Transfer::State::on_body(char* data, std::size_t size, std::size_t count, void* user) {
    auto& progress = *static_cast<Progress*>(user);
    const std::size_t length = size * count;
    progress.last_activity = Clock::now();
    const std::size_t room = max_response_body - progress.body.size();
    const std::size_t taken = std::min(room, length);
    progress.body.insert(progress.body.end(), data, data + taken);
    process_events();
    // Returning less than offered stops the transfer with a write error.
    return taken;
}

int Transfer::State::on_progress(void* user, curl_off_t, curl_off_t download_now, curl_off_t,
                                 curl_off_t upload_now) {
    auto& progress = *static_cast<Progress*>(user);
    const auto now = Clock::now();
    if (upload_now != progress.last_upload || download_now != progress.last_download) {
        progress.last_upload = upload_now;
        progress.last_download = download_now;
        progress.last_activity = now;
    }
    if (!progress.connected) {
        // Until the connection stands, the connect time-out is the one that applies.
        curl_off_t pretransfer = 0;
        curl_easy_getinfo(progress.handle, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
        if (pretransfer <= 0) {
            return 0;
        }
        progress.connected = true;
        progress.last_activity = now;
    }
    const auto limit =
        progress.request_sent(upload_now) ? progress.timeouts.receive : progress.timeouts.send;
    if (limit.count() > 0 && now - progress.last_activity > limit) {
        return 1;  // aborts the transfer
    }
    return 0;
}

TransferResult Transfer::State::perform() {
    limit_.start(timeouts_.total);
    return send_following_redirects(
        url_, verb_, verb_ != "HEAD" && !body_.empty(), follow_redirects_,
        [this] { return perform_once(); },
        [this](const RedirectHop& hop) { return start_hop(hop); });
}

bool Transfer::State::start_hop(const RedirectHop& hop) {
    url_ = hop.url;
    if (!hop.keeps_body) {
        verb_ = hop.verb;
        body_.clear();
        if (curl_easy_setopt(handle_, CURLOPT_HTTPGET, 1L) != CURLE_OK) {
            return false;
        }
    }
    const bool credentials = has_credentials_ && !hop.leaves_origin;
    const char* user = credentials ? user_.c_str() : nullptr;
    const char* password = credentials ? password_.c_str() : nullptr;
    return curl_easy_setopt(handle_, CURLOPT_USERNAME, user) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_PASSWORD, password) == CURLE_OK &&
           apply_header_lines(hop.leaves_origin) &&
           curl_easy_setopt(handle_, CURLOPT_URL, url_.c_str()) == CURLE_OK;
}

bool Transfer::State::run_to_end(CURLcode& code) {
    code = CURLE_FAILED_INIT;
    if (curl_multi_add_handle(multi_, handle_) != CURLM_OK) {
        return true;
    }
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi_, &running) != CURLM_OK) {
            break;
        }
        int queued = 0;
        const CURLMsg* message = curl_multi_info_read(multi_, &queued);
        if (message && message->msg == CURLMSG_DONE) {
            code = message->data.result;
            break;
        }
        if (limit_.reached()) {
            // Taking the handle out of the multi handle ends the transfer in flight.
            curl_multi_remove_handle(multi_, handle_);
            return false;
        }
        process_events();
        const auto wait = limit_.next_wait(poll_interval);
        curl_multi_poll(multi_, nullptr, 0, static_cast<int>(wait.count()), nullptr);
    }
    curl_multi_remove_handle(multi_, handle_);
    return true;
}

TransferResult Transfer::State::perform_once() {
    TransferResult result;
    if (!valid()) {
        return result;
    }

    Progress progress;
    progress.handle = handle_;
    progress.timeouts = timeouts_;
    progress.body_size = static_cast<curl_off_t>(verb_ == "HEAD" ? 0 : body_.size());

    curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, &Transfer::State::on_header);
    curl_easy_setopt(handle_, CURLOPT_HEADERDATA, &progress);
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &Transfer::State::on_body);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, &progress);
    curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &Transfer::State::on_progress);
    curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, &progress);
    curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);

    CURLcode code = CURLE_OK;
    const bool ended = run_to_end(code);
    if (!progress.connected) {
        curl_off_t pretransfer = 0;
        curl_easy_getinfo(handle_, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
        progress.connected = pretransfer > 0;
    }
    curl_off_t uploaded = 0;
    curl_easy_getinfo(handle_, CURLINFO_SIZE_UPLOAD_T, &uploaded);

    if (ended && code == CURLE_OK && progress.headers_complete) {
        result.outcome = TransferOutcome::complete;
    } else if (progress.headers_complete) {
        result.outcome = TransferOutcome::read_failed;
    } else if ((ended && code == CURLE_SEND_ERROR) || !progress.request_sent(uploaded)) {
        result.outcome = TransferOutcome::send_failed;
    } else {
        result.outcome = TransferOutcome::no_response;
    }
    result.headers_complete = progress.headers_complete;
    result.header_block = std::move(progress.header_block);
    result.body = std::move(progress.body);
    return result;
}

Transfer::Transfer() : state_(std::make_unique<State>()) {}
Transfer::~Transfer() = default;

bool Transfer::valid() const {
    return state_->valid();
}
bool Transfer::set_proxy(const std::string& host_port) {
    return state_->set_proxy(host_port);
}
bool Transfer::set_timeouts(const PhaseTimeouts& timeouts) {
    return state_->set_timeouts(timeouts);
}
bool Transfer::set_url(const std::string& url) {
    return state_->set_url(url);
}
bool Transfer::set_verb(const std::string& verb) {
    return state_->set_verb(verb);
}
bool Transfer::set_server_credentials(const std::string& user, const std::string& password) {
    return state_->set_server_credentials(user, password);
}
bool Transfer::set_proxy_credentials(const std::string& user, const std::string& password) {
    return state_->set_proxy_credentials(user, password);
}
bool Transfer::set_tls_verification() {
    return state_->set_tls_verification();
}
bool Transfer::set_follow_redirects(bool follow) {
    return state_->set_follow_redirects(follow);
}
bool Transfer::set_header_lines(const std::vector<std::string>& lines) {
    return state_->set_header_lines(lines);
}
bool Transfer::set_body(Bytes body) {
    return state_->set_body(std::move(body));
}
TransferResult Transfer::perform() {
    return state_->perform();
}
void Transfer::cancel() {
    state_->cancel();
}

}  // namespace velmora
