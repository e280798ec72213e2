#include "http/request_object_class.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

#include "base/automation/automation_class.h"
#include "base/gbk.h"
#include "base/text.h"
#include "http/request_target.h"
#include "http/transfer.h"

namespace velmora {
namespace {

constexpr int option_enable_redirects = 6;
constexpr int proxy_setting_named = 2;
constexpr int credentials_for_proxy = 1;

std::chrono::milliseconds milliseconds(std::int32_t value) {
    // Zero (or less) means no limit of our own.
    return std::chrono::milliseconds(value > 0 ? value : 0);
}

struct Credentials {
    Text user;
    Text password;
};

// What Open and the setters gathered for one exchange.
struct RequestSettings {
    Text verb;
    Text url;
    Text proxy;
    // The object's defaults before SetTimeouts: no resolve limit, 60 s to connect, 30 s
    // each for sending and receiving.
    PhaseTimeouts timeouts{std::chrono::seconds(60), std::chrono::seconds(30),
                           std::chrono::seconds(30)};
    bool follow_redirects = true;
    std::optional<Credentials> server_credentials;
    std::optional<Credentials> proxy_credentials;
    std::vector<std::pair<Text, Text>> headers;
};

TransferResult exchange(const RequestSettings& request, Bytes body, Transfer& transfer) {
    const auto target = crack_url(request.url);
    std::vector<std::string> lines;
    for (const auto& [name, value] : request.headers) {
        lines.push_back(name + ": " + value);
    }
    // Each limit bounds its phase, and together they bound the whole exchange, so a
    // server that trickles cannot hold it for longer. (com_request's own wait, bounded by
    // one limit, ends sooner and aborts the exchange.)
    PhaseTimeouts timeouts = request.timeouts;
    const bool unlimited = timeouts.connect.count() == 0 || timeouts.send.count() == 0 ||
                           timeouts.receive.count() == 0;
    if (!unlimited) {
        timeouts.total = timeouts.connect + timeouts.send + timeouts.receive;
    }
    const auto& server = request.server_credentials;
    const auto& proxy = request.proxy_credentials;
    const bool configured =
        target && transfer.set_proxy(proxy_for_url(request.proxy, target->secure)) &&
        transfer.set_timeouts(timeouts) && transfer.set_url(request.url) &&
        transfer.set_verb(request.verb) && transfer.set_tls_verification() &&
        transfer.set_follow_redirects(request.follow_redirects) &&
        (!server || transfer.set_server_credentials(server->user, server->password)) &&
        (!proxy || transfer.set_proxy_credentials(proxy->user, proxy->password)) &&
        transfer.set_header_lines(lines) && transfer.set_body(std::move(body));
    return configured ? transfer.perform() : TransferResult{};
}

// An exchange of asynchronous use, on a worker thread of its own. The worker makes its
// transfer itself, since a transfer belongs to the thread that runs it.
class PendingExchange {
  public:
    PendingExchange(RequestSettings request, Bytes body)
        : worker_([this, request = std::move(request), body = std::move(body)]() mutable {
              run(request, std::move(body));
          }) {}
    ~PendingExchange() { abort(); }
    PendingExchange(const PendingExchange&) = delete;
    PendingExchange& operator=(const PendingExchange&) = delete;

    // Whether the exchange ended within `timeout` (negative: no limit).
    bool wait(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        const auto ended = [this] { return done_; };
        if (timeout.count() < 0) {
            ended_.wait(lock, ended);
            return true;
        }
        return ended_.wait_for(lock, timeout, ended);
    }

    // The result, once wait() said the exchange ended.
    TransferResult take_result() {
        worker_.join();
        return std::move(result_);
    }

    // Cuts the exchange short and waits for the worker, which then ends promptly.
    void abort() {
        {
            std::lock_guard lock(mutex_);
            aborted_ = true;
            if (transfer_) {
                transfer_->cancel();
            }
        }
        if (worker_.joinable()) {
            worker_.join();
        }
    }

  private:
    void run(const RequestSettings& request, Bytes body) {
        Transfer transfer;
        {
            std::lock_guard lock(mutex_);
            transfer_ = &transfer;
            if (aborted_) {
                transfer.cancel();
            }
        }
        TransferResult result = exchange(request, std::move(body), transfer);
        std::lock_guard lock(mutex_);
        transfer_ = nullptr;
        result_ = std::move(result);
        done_ = true;
        ended_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    bool aborted_ = false;
    Transfer* transfer_ = nullptr;  // while the worker runs it
    TransferResult result_;
    std::thread worker_;  // last: it starts once everything it uses exists
};

class WinHttpRequestObject final : public AutomationObject {
  public:
    const MemberTable& members() const override {
        using Self = WinHttpRequestObject;
        static const MemberTable table{
            MemberOf<Self>{"SetTimeouts", MemberAccess::method, 4, 4, &Self::set_timeouts},
            MemberOf<Self>{"SetProxy", MemberAccess::method, 1, 3, &Self::set_proxy},
            MemberOf<Self>{"Open", MemberAccess::method, 2, 3, &Self::open},
            MemberOf<Self>{"Option", MemberAccess::property_get, 1, 1, &Self::get_option},
            MemberOf<Self>{"Option", MemberAccess::property_put, 2, 2, &Self::put_option},
            MemberOf<Self>{"SetCredentials", MemberAccess::method, 3, 3, &Self::set_credentials},
            MemberOf<Self>{"SetRequestHeader", MemberAccess::method, 2, 2,
                           &Self::set_request_header},
            MemberOf<Self>{"Send", MemberAccess::method, 0, 1, &Self::send},
            MemberOf<Self>{"WaitForResponse", MemberAccess::method, 0, 1, &Self::wait_for_response},
            MemberOf<Self>{"Abort", MemberAccess::method, 0, 0, &Self::abort},
            MemberOf<Self>{"ResponseBody", MemberAccess::property_get, 0, 0, &Self::response_body},
            MemberOf<Self>{"GetAllResponseHeaders", MemberAccess::method, 0, 0,
                           &Self::all_response_headers},
            MemberOf<Self>{"Status", MemberAccess::property_get, 0, 0, &Self::status},
        };
        return table;
    }

  private:
    void set_timeouts(MemberCall& call) {
        // Resolution and connection form one phase here; the connect limit bounds both.
        request_.timeouts.connect = milliseconds(call.integer(1));
        request_.timeouts.send = milliseconds(call.integer(2));
        request_.timeouts.receive = milliseconds(call.integer(3));
    }

    void set_proxy(MemberCall& call) {
        request_.proxy = call.integer(0) == proxy_setting_named ? call.text(1) : Text();
    }

    void open(MemberCall& call) {
        pending_.reset();
        request_.verb = call.text(0);
        request_.url = call.text(1);
        asynchronous_ = call.count() > 2 && call.boolean(2);
        request_.headers.clear();
        request_.server_credentials.reset();
        request_.proxy_credentials.reset();
        clear_response();
        opened_ = true;
    }

    void get_option(MemberCall& call) {
        const auto found = options_.find(call.integer(0));
        call.set_result(found == options_.end() ? std::int32_t{0} : found->second);
    }

    void put_option(MemberCall& call) { options_[call.integer(0)] = call.integer(1); }

    void set_credentials(MemberCall& call) {
        Credentials credentials{call.text(0), call.text(1)};
        if (call.integer(2) == credentials_for_proxy) {
            request_.proxy_credentials = std::move(credentials);
        } else {
            request_.server_credentials = std::move(credentials);
        }
    }

    void set_request_header(MemberCall& call) {
        const Text name = call.text(0);
        const Text value = call.text(1);
        if (!opened_ || name.empty()) {
            call.fail("a request header needs an opened request and a name");
            return;
        }
        // A header set twice keeps its first place and takes the new value.
        for (auto& header : request_.headers) {
            if (compare_text(header.first, name, false) == 0) {
                header.second = value;
                return;
            }
        }
        request_.headers.emplace_back(name, value);
    }

    void send(MemberCall& call) {
        if (!opened_ || pending_) {
            call.fail("Send needs an opened request that is not in flight");
            return;
        }
        Bytes body;
        if (call.count() > 0) {
            if (std::holds_alternative<Bytes>(call.at(0))) {
                body = call.bytes(0);
            } else if (!std::holds_alternative<std::monostate>(call.at(0))) {
                const Text text = call.text(0);
                body.assign(text.begin(), text.end());
            }
        }
        clear_response();
        request_.follow_redirects = follow_redirects();
        if (asynchronous_) {
            pending_ = std::make_unique<PendingExchange>(request_, std::move(body));
            return;
        }
        Transfer transfer;
        take_response(exchange(request_, std::move(body), transfer), call);
    }

    // WaitForResponse([seconds]): true once the response is in, false when the time ran
    // out first; no argument or -1 waits as long as the exchange takes.
    void wait_for_response(MemberCall& call) {
        const std::int32_t seconds = call.count() > 0 ? call.integer(0) : -1;
        if (pending_) {
            if (!pending_->wait(std::chrono::seconds(seconds))) {
                call.set_result(false);
                return;
            }
            TransferResult result = pending_->take_result();
            pending_.reset();
            take_response(std::move(result), call);
        }
        call.set_result(true);
    }

    // Ends an asynchronous exchange in flight; the request must be opened again.
    void abort(MemberCall&) {
        pending_.reset();
        clear_response();
        opened_ = false;
    }

    void take_response(TransferResult result, MemberCall& call) {
        if (result.outcome == TransferOutcome::send_failed ||
            result.outcome == TransferOutcome::no_response) {
            call.fail("the request could not be completed");
            return;
        }
        const Text& block = result.header_block;
        status_ = std::atoi(text_middle(block, 10, 3).c_str());
        const int first_line_end = find_text(block, "\r\n");
        headers_after_status_ = first_line_end == -1 ? Text() : block.substr(first_line_end + 1);
        body_ = std::move(result.body);
        if (result.outcome == TransferOutcome::read_failed) {
            call.fail("the response body could not be read completely");
        }
    }

    bool follow_redirects() const {
        const auto found = options_.find(option_enable_redirects);
        return found == options_.end() || found->second != 0;
    }

    void clear_response() {
        status_ = 0;
        headers_after_status_.clear();
        body_.clear();
    }

    void response_body(MemberCall& call) { call.set_result(body_); }
    void all_response_headers(MemberCall& call) { call.set_result(to_wide(headers_after_status_)); }
    void status(MemberCall& call) { call.set_result(std::int32_t{status_}); }

    RequestSettings request_;
    bool opened_ = false;
    bool asynchronous_ = false;
    std::map<std::int32_t, std::int32_t> options_;
    std::unique_ptr<PendingExchange> pending_;

    std::int32_t status_ = 0;
    Text headers_after_status_;
    Bytes body_;
};

}  // namespace

void register_winhttp_request_class() {
    static const bool registered = register_automation_class(
        winhttp_request_prog_id, {}, [] { return std::make_shared<WinHttpRequestObject>(); });
    (void)registered;
}

}  // namespace velmora
