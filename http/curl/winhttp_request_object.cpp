#include "http/winhttp_request_object.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "base/automation_class.h"
#include "base/gbk.h"
#include "base/text.h"
#include "http/transfer.h"
#include "http/request_target.h"

namespace velmora {
namespace {

constexpr int option_enable_redirects = 6;
constexpr int proxy_setting_named = 2;
constexpr int credentials_for_proxy = 1;

std::chrono::milliseconds milliseconds(std::int32_t value) {
    // Zero (or less) means no limit of our own.
    return std::chrono::milliseconds(value > 0 ? value : 0);
}

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
            MemberOf<Self>{"ResponseBody", MemberAccess::property_get, 0, 0, &Self::response_body},
            MemberOf<Self>{"GetAllResponseHeaders", MemberAccess::method, 0, 0,
                           &Self::all_response_headers},
            MemberOf<Self>{"Status", MemberAccess::property_get, 0, 0, &Self::status},
        };
        return table;
    }

  private:
    struct Credentials {
        Text user;
        Text password;
    };

    void set_timeouts(MemberCall& call) {
        // Resolution and connection form one phase here; the connect limit bounds both.
        timeouts_.connect = milliseconds(call.integer(1));
        timeouts_.send = milliseconds(call.integer(2));
        timeouts_.receive = milliseconds(call.integer(3));
    }

    void set_proxy(MemberCall& call) {
        proxy_ = call.integer(0) == proxy_setting_named ? call.text(1) : Text();
    }

    void open(MemberCall& call) {
        verb_ = call.text(0);
        url_ = call.text(1);
        if (call.count() > 2 && call.boolean(2)) {
            call.fail("asynchronous requests are not supported");
            return;
        }
        headers_.clear();
        server_credentials_.reset();
        proxy_credentials_.reset();
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
            proxy_credentials_ = std::move(credentials);
        } else {
            server_credentials_ = std::move(credentials);
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
        for (auto& header : headers_) {
            if (compare_text(header.first, name, false) == 0) {
                header.second = value;
                return;
            }
        }
        headers_.emplace_back(name, value);
    }

    void send(MemberCall& call) {
        if (!opened_) {
            call.fail("Send before Open");
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
        const TransferResult result = exchange(std::move(body));
        if (result.outcome == TransferOutcome::send_failed ||
            result.outcome == TransferOutcome::no_response) {
            call.fail("the request could not be completed");
            return;
        }
        const Text& block = result.header_block;
        status_ = std::atoi(text_middle(block, 10, 3).c_str());
        const int first_line_end = find_text(block, "\r\n");
        headers_after_status_ = first_line_end == -1 ? Text() : block.substr(first_line_end + 1);
        body_ = result.body;
        if (result.outcome == TransferOutcome::read_failed) {
            call.fail("the response body could not be read completely");
        }
    }

    TransferResult exchange(Bytes body) {
        const auto target = crack_url(url_);
        Transfer transfer;
        std::vector<std::string> lines;
        for (const auto& [name, value] : headers_)
            lines.push_back(name + ": " + value);
        const bool configured =
            target && transfer.set_proxy(proxy_for_url(proxy_, target->secure)) &&
            transfer.set_timeouts(timeouts_) && transfer.set_url(url_) &&
            transfer.set_verb(verb_) && transfer.set_tls_verification() &&
            transfer.set_follow_redirects(follow_redirects()) &&
            (!server_credentials_ ||
             transfer.set_server_credentials(server_credentials_->user,
                                             server_credentials_->password)) &&
            (!proxy_credentials_ || transfer.set_proxy_credentials(proxy_credentials_->user,
                                                                   proxy_credentials_->password)) &&
            transfer.set_header_lines(lines) && transfer.set_body(std::move(body));
        return configured ? transfer.perform() : TransferResult{};
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

    // The object's defaults before SetTimeouts: no resolve limit, 60 s to connect,
    // 30 s each for sending and receiving.
    PhaseTimeouts timeouts_{std::chrono::seconds(60), std::chrono::seconds(30),
                            std::chrono::seconds(30)};
    Text proxy_;
    Text verb_;
    Text url_;
    bool opened_ = false;
    std::map<std::int32_t, std::int32_t> options_;
    std::optional<Credentials> server_credentials_;
    std::optional<Credentials> proxy_credentials_;
    std::vector<std::pair<Text, Text>> headers_;

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
