// No WinHttp handle is used after it is closed, nor by a thread other than the one that
// opened it: WinHttp reissues the values of closed handles, so a late use would reach
// another exchange's handle. Every call of the transfer goes through the bound function
// table, which this test wraps to keep account of each handle, while exchanges end in
// every way they can: completed, redirected, cut short by their time-out, by shutdown.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/event_pump.h"
#include "base/gbk.h"
#include "http/http_request.h"
#include "http/tests/matrix/fixture_host.h"
#include "http/winhttp/winhttp_functions.h"

namespace velmora {
namespace {

struct Ledger {
    std::mutex mutex;
    std::map<HINTERNET, std::thread::id> open;  // each open handle and its thread
    std::vector<std::string> violations;
    int opened = 0;
};

Ledger& ledger() {
    static Ledger instance;
    return instance;
}

WinHttpFunctions original;

void opened(HINTERNET handle) {
    if (!handle) {
        return;
    }
    Ledger& l = ledger();
    std::lock_guard lock(l.mutex);
    ++l.opened;
    if (!l.open.emplace(handle, std::this_thread::get_id()).second) {
        l.violations.push_back("a handle was issued twice while open");
    }
}

// `closing`: the use ends the handle's life.
void used(HINTERNET handle, const char* call, bool closing = false) {
    Ledger& l = ledger();
    std::lock_guard lock(l.mutex);
    const auto found = l.open.find(handle);
    if (found == l.open.end()) {
        l.violations.push_back(std::string(call) + " on a handle that is not open");
        return;
    }
    if (found->second != std::this_thread::get_id()) {
        l.violations.push_back(std::string(call) + " on another thread's handle");
    }
    if (closing) {
        l.open.erase(found);
    }
}

HINTERNET WINAPI audited_open(LPCWSTR agent, DWORD access, LPCWSTR proxy, LPCWSTR bypass,
                              DWORD flags) {
    const HINTERNET session = original.open(agent, access, proxy, bypass, flags);
    opened(session);
    return session;
}

// A call that uses an open handle; the name of `Entry` stands in the violation.
template <auto Entry, typename Result, typename... Args>
Result WINAPI audited_use(HINTERNET handle, Args... args) {
    used(handle, __PRETTY_FUNCTION__);
    return (original.*Entry)(handle, args...);
}

// A call that opens a handle under an open one.
template <auto Entry, typename... Args>
HINTERNET WINAPI audited_open_under(HINTERNET parent, Args... args) {
    used(parent, __PRETTY_FUNCTION__);
    const HINTERNET child = (original.*Entry)(parent, args...);
    opened(child);
    return child;
}

BOOL WINAPI audited_close_handle(HINTERNET handle) {
    used(handle, "WinHttpCloseHandle", true);
    return original.close_handle(handle);
}

// Points the table's entry at the audited form of the same call.
template <auto Entry, typename Result, typename... Args>
void audit_use(Result(WINAPI*& entry)(HINTERNET, Args...)) {
    entry = &audited_use<Entry, Result, Args...>;
}

template <auto Entry, typename... Args>
void audit_open_under(HINTERNET(WINAPI*& entry)(HINTERNET, Args...)) {
    entry = &audited_open_under<Entry, Args...>;
}

class WinHttpHandles : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        WinHttpFunctions* functions = winhttp_functions();
        ASSERT_NE(functions, nullptr);
        original = *functions;
        using F = WinHttpFunctions;
        functions->open = &audited_open;
        audit_open_under<&F::connect>(functions->connect);
        audit_open_under<&F::open_request>(functions->open_request);
        functions->close_handle = &audited_close_handle;
        audit_use<&F::set_timeouts>(functions->set_timeouts);
        audit_use<&F::set_status_callback>(functions->set_status_callback);
        audit_use<&F::set_credentials>(functions->set_credentials);
        audit_use<&F::set_option>(functions->set_option);
        audit_use<&F::add_request_headers>(functions->add_request_headers);
        audit_use<&F::send_request>(functions->send_request);
        audit_use<&F::receive_response>(functions->receive_response);
        audit_use<&F::query_data_available>(functions->query_data_available);
        audit_use<&F::read_data>(functions->read_data);
        audit_use<&F::query_headers>(functions->query_headers);
    }
    static void TearDownTestSuite() { *winhttp_functions() = original; }

    // Once every exchange has returned: nothing misused, nothing left open.
    static void expect_clean_ledger() {
        Ledger& l = ledger();
        std::lock_guard lock(l.mutex);
        EXPECT_GT(l.opened, 0);  // the audit saw the transfer's calls
        EXPECT_TRUE(l.violations.empty()) << l.violations.front();
        EXPECT_TRUE(l.open.empty()) << l.open.size() << " handles left open";
        l.violations.clear();
        l.opened = 0;
    }

    static Text status_of(const std::string& url, int timeout_seconds) {
        Text status;
        http_request(url, 1, "token=secret", nullptr, nullptr, {}, nullptr, false, "user", "pass",
                     {}, {}, {}, timeout_seconds, nullptr, &status);
        return status;
    }

    const testing::FixtureHost host_;
};

TEST_F(WinHttpHandles, CompletedAndRedirectedExchanges) {
    EXPECT_EQ(status_of(host_.url("tls", "/"), 5), "200 OK");
    // Three hops: the same origin, another origin (by address), back again.
    const std::string elsewhere = "http://127.0.0.1:" + host_.value("plain_port");
    const std::string back = host_.url("plain", "/redirect?code=302&to=/echo");
    const std::string away = elsewhere + "/redirect?code=303&to=" + back;
    EXPECT_EQ(
        status_of(host_.url("plain", "/redirect?code=307&to=/redirect?code=302&to=" + away), 5),
        "200 OK");
    expect_clean_ledger();
}

TEST_F(WinHttpHandles, ExchangesCutShortByTheirTimeOut) {
    EXPECT_EQ(status_of(host_.url("plain", "/trickle"), 1), gbk("712 服务器未响应!"));
    EXPECT_EQ(status_of(host_.url("plain", "/stalled"), 1), "200 OK");
    EXPECT_EQ(status_of(host_.url("silent"), 1), gbk("712 服务器未响应!"));
    expect_clean_ledger();
}

// Shutdown cuts every exchange short at once, on every thread; each thread closes its
// own handles, and none is closed under a thread still using it.
TEST_F(WinHttpHandles, ExchangesCutShortByShutdown) {
    std::vector<std::thread> exchanges;
    std::vector<Text> statuses(4);
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        const std::string url = i % 2 ? host_.url("silent") : host_.url("plain", "/trickle");
        exchanges.emplace_back([&statuses, i, url] { statuses[i] = status_of(url, 30); });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto started = std::chrono::steady_clock::now();
    request_shutdown();
    for (std::thread& exchange : exchanges) {
        exchange.join();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    reset_shutdown();
    for (const Text& status : statuses) {
        EXPECT_EQ(status, gbk("712 服务器未响应!"));
    }
    // After shutdown, handles whose values may be reissued to new exchanges.
    EXPECT_EQ(status_of(host_.url("plain", "/"), 5), "200 OK");
    expect_clean_ledger();
}

}  // namespace
}  // namespace velmora
