// The request engine and the request object against the native fixture host, from one
// source on both platforms: libcurl on Linux, WinHttp and its automation object under Wine.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "base/date_time.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "http/com_request.h"
#include "http/connection_pool.h"
#include "http/http_request.h"
#include "http/network_time.h"
#include "http/tests/matrix/fixture_host.h"
#include "http/tls_settings.h"
#include "http/transfer.h"

namespace velmora {
namespace {

enum class Engine { full, simple };

HttpOutcome run(Engine engine, HttpRequest r) {
    return engine == Engine::full ? http_request(r) : http_request_simple(r);
}

std::string name(Engine engine) {
    return engine == Engine::full ? "http_request" : "http_request_simple";
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class EngineMatrix : public ::testing::Test {
  protected:
    // The extra bundle is what libcurl trusts; WinHttp trusts the Root store, where the
    // fixture's set-up put the same CA.
    static void SetUpTestSuite() { set_extra_ca_file(host().value("ca_file")); }

    static const testing::FixtureHost& host() {
        static const testing::FixtureHost fixture_host;
        return fixture_host;
    }

    static constexpr Engine engines[] = {Engine::full, Engine::simple};
};

TEST_F(EngineMatrix, ExchangesPutTheirHeadersAndBodyOnTheWire) {
    for (const Engine engine : engines) {
        for (const char* server : {"plain", "tls"}) {
            for (const int method : {0, 1}) {
                SCOPED_TRACE(name(engine) + " " + server + " " + std::to_string(method));
                const HttpOutcome o = run(engine, {.url = host().url(server, "/wire?q=1"),
                                                   .method = method,
                                                   .body = "k=v",
                                                   .cookies = "a=1",
                                                   .extra_headers = "X-Probe: 1",
                                                   .user = "user",
                                                   .password = "pass"});
                EXPECT_EQ(o.status, "200 OK");
                EXPECT_EQ(o.headers.substr(0, 17), "HTTP/1.1 200 OK\r\n");
                EXPECT_EQ(o.text.substr(0, o.text.find("\r\n")),
                          std::string(method == 1 ? "POST" : "GET") + " /wire?q=1 HTTP/1.1");
                for (const std::string& line :
                     {"Host: " + host().authority(server), std::string("X-Probe: 1"),
                      std::string("Cookie: a=1"), std::string("Accept-Language: zh-cn"),
                      std::string("Authorization: Basic dXNlcjpwYXNz")}) {
                    EXPECT_TRUE(contains(o.text, "\r\n" + line + "\r\n")) << line;
                }
                if (method == 1) {
                    EXPECT_TRUE(contains(
                        o.text, "\r\nContent-Type: application/x-www-form-urlencoded\r\n"));
                    EXPECT_EQ(o.text.substr(o.text.size() - 7), "\r\n\r\nk=v");
                }
            }
        }
    }
}

// The fixture's servers close the connection after each reply: every request of a pool
// then goes out on a new connection, byte for byte as it does without a pool.
TEST_F(EngineMatrix, APoolChangesNothingOnTheWireWhenTheServerClosesEachConnection) {
    for (const char* server : {"plain", "tls"}) {
        const HttpRequest request{.url = host().url(server, "/wire?q=1"),
                                  .method = 1,
                                  .body = "k=v",
                                  .cookies = "a=1",
                                  .extra_headers = "X-Probe: 1"};
        const Text alone[] = {run(Engine::full, request).text, run(Engine::simple, request).text};
        const ConnectionPool pool;
        for (int round = 0; round < 2; ++round) {
            for (const Engine engine : engines) {
                SCOPED_TRACE(name(engine) + " " + server + " " + std::to_string(round));
                const HttpOutcome o = run(engine, request);
                EXPECT_EQ(o.status, "200 OK");
                EXPECT_EQ(o.text, alone[engine == Engine::full ? 0 : 1]);
            }
        }
    }
}

TEST_F(EngineMatrix, FailuresBeforeAResponseAreNumbered) {
    const Text send_failed = gbk("711 发送请求失败!");
    const struct {
        std::string url;
        Text status;
    } cases[] = {
        {host().url("refused"), send_failed},
        {host().url("untrusted"), send_failed},  // never accepted, never ignored
        {host().url("silent"), gbk("712 服务器未响应!")},
        {"not a url", gbk("701 解析URL地址失败!")},
    };
    for (const Engine engine : engines) {
        for (const auto& c : cases) {
            SCOPED_TRACE(name(engine) + " " + c.url);
            const auto started = std::chrono::steady_clock::now();
            const HttpOutcome o = run(
                engine, {.url = c.url, .method = 1, .body = "token=secret", .timeout_seconds = 1});
            EXPECT_EQ(o.text, "");
            EXPECT_EQ(o.status, c.status);
            EXPECT_EQ(o.headers, "");
            // The injected one-second limit applied, not the 30-second default.
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
        }
    }
}

// Every exchange ends within its time-out as a whole, however the server behaves: one
// that trickles its reply a byte at a time, one that stops after the head and the start of
// the body. The injected one-second limit holds on both request paths.
TEST_F(EngineMatrix, TheTimeOutBoundsTheWholeExchange) {
    constexpr auto bound = std::chrono::seconds(4);
    for (const Engine engine : engines) {
        SCOPED_TRACE(name(engine));
        auto started = std::chrono::steady_clock::now();
        const HttpOutcome trickled =
            run(engine, {.url = host().url("plain", "/trickle"), .timeout_seconds = 1});
        EXPECT_LT(std::chrono::steady_clock::now() - started, bound);
        EXPECT_EQ(trickled.status, gbk("712 服务器未响应!"));
        EXPECT_EQ(trickled.text, "");

        // The head came: the call goes on with what was read, under the head's status.
        started = std::chrono::steady_clock::now();
        const HttpOutcome stalled =
            run(engine, {.url = host().url("plain", "/stalled"), .timeout_seconds = 1});
        EXPECT_LT(std::chrono::steady_clock::now() - started, bound);
        EXPECT_EQ(stalled.status, "200 OK");
        EXPECT_EQ(stalled.text, "partial");
    }
    int status = -1;
    Text headers = "before";
    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(com_request(host().url("plain", "/trickle"), 0, {}, nullptr, nullptr, {}, &headers,
                            &status, false, {}, {}, 1)
                    .empty());
    EXPECT_LT(std::chrono::steady_clock::now() - started, bound);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(headers, "");
    // The object may report its failed read with what it read, unless the wait aborted
    // the exchange first.
    started = std::chrono::steady_clock::now();
    const Bytes stalled = com_request(host().url("plain", "/stalled"), 0, {}, nullptr, nullptr, {},
                                      nullptr, nullptr, false, {}, {}, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, bound);
    EXPECT_TRUE(stalled.empty() || std::string(stalled.begin(), stalled.end()) == "partial");
}

// Closing the window must not wait for a server's time-out: shutdown ends an exchange
// at once, whatever it is waiting for, on both request paths.
TEST_F(EngineMatrix, ShutdownEndsAnExchangeInFlight) {
    const auto after_shutdown = [](const auto& exchange) {
        std::thread closer([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            request_shutdown();
        });
        const auto started = std::chrono::steady_clock::now();
        exchange();
        const auto took = std::chrono::steady_clock::now() - started;
        closer.join();
        reset_shutdown();
        return took;
    };
    constexpr auto bound = std::chrono::milliseconds(1500);
    const std::string urls[] = {host().url("silent"), host().url("plain", "/trickle")};
    for (const Engine engine : engines) {
        for (const std::string& url : urls) {
            SCOPED_TRACE(name(engine) + " " + url);
            HttpOutcome o;
            EXPECT_LT(after_shutdown([&] { o = run(engine, {.url = url, .timeout_seconds = 30}); }),
                      bound);
            EXPECT_EQ(o.text, "");
            EXPECT_EQ(o.status, gbk("712 服务器未响应!"));
        }
    }
    for (const std::string& url : urls) {
        SCOPED_TRACE("com_request " + url);
        int status = -1;
        EXPECT_LT(after_shutdown([&] {
                      EXPECT_TRUE(com_request(url, 0, {}, nullptr, nullptr, {}, nullptr, &status,
                                              false, {}, {}, 30)
                                      .empty());
                  }),
                  bound);
        EXPECT_EQ(status, 0);
    }
    // The network clock's request goes the same way.
    EXPECT_LT(after_shutdown([&] { network_time(host().url("silent")); }), bound);
}

// cancel() cuts one exchange short from another thread, as shutdown does for all.
TEST_F(EngineMatrix, ATransferCanBeCancelled) {
    const auto configured = [](Transfer& transfer, const std::string& url) {
        return transfer.set_proxy({}) && transfer.set_timeouts({}) && transfer.set_url(url) &&
               transfer.set_verb("GET") && transfer.set_tls_verification() &&
               transfer.set_follow_redirects(true) && transfer.set_header_lines({}) &&
               transfer.set_body({});
    };
    Transfer transfer;
    ASSERT_TRUE(configured(transfer, host().url("silent")));
    std::thread canceller([&transfer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        transfer.cancel();
    });
    auto started = std::chrono::steady_clock::now();
    const TransferResult cut = transfer.perform();
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1500));
    EXPECT_EQ(cut.outcome, TransferOutcome::no_response);

    Transfer cancelled_first;
    ASSERT_TRUE(configured(cancelled_first, host().url("plain", "/")));
    cancelled_first.cancel();
    started = std::chrono::steady_clock::now();
    EXPECT_EQ(cancelled_first.perform().outcome, TransferOutcome::send_failed);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
}

// What one redirecting response leads to: the request line the final server echoed, or
// the redirect itself handed back ("moved"). Both transfers follow hop by hop under one
// policy, so the table holds on both platforms.
TEST_F(EngineMatrix, RedirectPolicy) {
    const std::string landed = "/landed";
    const std::string downgrade = host().url("plain", "/downgraded");
    const struct {
        std::string server;
        int code;
        int method;
        std::string to;
        bool no_redirect;
        std::string result;
    } cases[] = {
        {"plain", 301, 0, landed, false, "GET /landed HTTP/1.1"},
        {"plain", 302, 1, landed, false, "GET /landed HTTP/1.1"},
        {"plain", 303, 0, landed, false, "GET /landed HTTP/1.1"},
        {"plain", 303, 1, landed, false, "GET /landed HTTP/1.1"},
        {"plain", 307, 1, landed, false, "POST /landed HTTP/1.1"},
        {"plain", 308, 0, landed, false, "GET /landed HTTP/1.1"},
        {"plain", 308, 1, landed, false, "POST /landed HTTP/1.1"},
        {"tls", 302, 0, host().url("tls", landed), false, "GET /landed HTTP/1.1"},
        {"tls", 307, 1, downgrade, false, "moved"},
        {"tls", 302, 0, downgrade, false, "moved"},
        {"plain", 302, 0, landed, true, "moved"},
    };
    for (const Engine engine : engines) {
        for (const auto& c : cases) {
            SCOPED_TRACE(name(engine) + " " + c.server + " " + std::to_string(c.code) + " " +
                         std::to_string(c.method) + " " + c.to);
            const std::string from =
                host().url(c.server, "/redirect?code=" + std::to_string(c.code) + "&to=" + c.to);
            const HttpOutcome o =
                run(engine,
                    {.url = from, .method = c.method, .body = "k=v", .no_redirect = c.no_redirect});
            const bool followed = c.result != "moved";
            EXPECT_EQ(o.text.substr(0, o.text.find("\r\n")), c.result);
            EXPECT_EQ(o.status, followed ? "200 OK" : std::to_string(c.code) + " Moved");
            EXPECT_EQ(o.location.value_or(""), followed ? "" : c.to);
            // A POST turned into a GET leaves its body behind.
            if (c.method == 1) {
                EXPECT_EQ(contains(o.text, "k=v"), c.result.substr(0, 4) == "POST");
            }
        }
    }
    // Nothing went from https to plain http.
    EXPECT_FALSE(
        contains(run(Engine::full, {.url = host().url("plain", "/received")}).text, "/downgraded"));
}

// Another origin (here the plain server by address instead of by name) gets neither the
// server credentials nor the caller's Cookie and Authorization lines, and never a body:
// the body carries the API credential, so a redirect that would keep it is handed back.
TEST_F(EngineMatrix, RedirectsToAnotherOrigin) {
    const std::string elsewhere = "http://127.0.0.1:" + host().value("plain_port");
    const std::string tag =
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    const auto redirect = [&](int code, const std::string& to) {
        return host().url("plain", "/redirect?code=" + std::to_string(code) + "&to=" + to);
    };
    for (const Engine engine : engines) {
        SCOPED_TRACE(name(engine));
        for (const bool same : {true, false}) {
            const HttpOutcome o =
                run(engine, {.url = redirect(302, (same ? "" : elsewhere) + "/echo"),
                             .cookies = "sid=1",
                             .extra_headers = "X-Probe: 1",
                             .user = "user",
                             .password = "pass"});
            EXPECT_EQ(o.text.substr(0, o.text.find("\r\n")), "GET /echo HTTP/1.1");
            EXPECT_EQ(contains(o.text, "\r\nCookie: sid=1\r\n"), same) << same;
            EXPECT_EQ(contains(o.text, "\r\nAuthorization: Basic"), same) << same;
            EXPECT_TRUE(contains(o.text, "\r\nX-Probe: 1\r\n"));
        }
        for (const int code : {307, 308}) {
            const std::string kept = elsewhere + "/kept-" + tag;
            const HttpOutcome o =
                run(engine, {.url = redirect(code, kept), .method = 1, .body = "token=secret"});
            EXPECT_EQ(o.status, std::to_string(code) + " Moved") << code;
            EXPECT_EQ(o.text, "moved");
            EXPECT_EQ(o.location, kept);
        }
        // A POST that a 302 turns into a GET goes without its body, so it may go.
        const HttpOutcome turned = run(engine, {.url = redirect(302, elsewhere + "/turned-" + tag),
                                                .method = 1,
                                                .body = "token=secret"});
        EXPECT_EQ(turned.text.substr(0, turned.text.find(' ')), "GET");
        EXPECT_FALSE(contains(turned.text, "token=secret"));
    }
    EXPECT_FALSE(contains(run(Engine::full, {.url = host().url("plain", "/received")}).text,
                          " /kept-" + tag + " HTTP"));
}

TEST_F(EngineMatrix, CookiesGoOutAndComeBack) {
    for (const Engine engine : engines) {
        EXPECT_EQ(
            run(engine, {.url = host().url("tls", "/cookies"), .cookies = "a=1"}).received_cookies,
            "sid=abc; b=3; a=1")
            << name(engine);
    }
    // Without cookies to send there is nothing to merge, and the platform stores none.
    EXPECT_EQ(run(Engine::full, {.url = host().url("plain", "/cookies")}).received_cookies,
              "sid=abc; b=3");
    EXPECT_FALSE(contains(run(Engine::full, {.url = host().url("plain", "/")}).text, "Cookie"));
}

TEST_F(EngineMatrix, PlainRequestsGoThroughTheProxyAndTlsIsTunnelled) {
    const std::string tag =
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    // By address: Wine takes a proxy with the target's host name for the server itself and
    // sends it origin-form requests.
    const std::string proxy = "127.0.0.1:" + host().value("proxy_port");
    for (const Engine engine : engines) {
        SCOPED_TRACE(name(engine));
        const std::string path = "/via-" + name(engine) + "-" + tag;
        const HttpOutcome plain = run(engine, {.url = host().url("plain", path),
                                               .proxy = proxy,
                                               .proxy_user = "pu",
                                               .proxy_password = "pp"});
        EXPECT_EQ(plain.text.substr(0, plain.text.find("\r\n")), "GET " + path + " HTTP/1.1");
        const HttpOutcome tunnelled = run(engine, {.url = host().url("tls", path), .proxy = proxy});
        EXPECT_EQ(tunnelled.status, "200 OK");

        const std::string heads =
            run(Engine::full, {.url = host().url("plain", "/proxy-heads")}).text;
        const auto at = heads.find("GET " + host().url("plain", path) + " HTTP/1.1\r\n");
        ASSERT_NE(at, std::string::npos) << heads;
        EXPECT_TRUE(contains(heads.substr(at, heads.find("\r\n\r\n", at) - at),
                             "\r\nProxy-Authorization: Basic cHU6cHA="));
        EXPECT_TRUE(contains(heads.substr(at), "CONNECT " + host().authority("tls") + " HTTP/1.1"));
    }
}

TEST_F(EngineMatrix, BodiesAsTheServerSentThem) {
    EXPECT_EQ(run(Engine::full, {.url = host().url("plain", "/gb2312")}).text,
              gbk("<meta charset=\"GB2312\"><p>堃喆镕</p>"));
    // A body cut short returns what was read, with the status of the response.
    const HttpOutcome cut = run(Engine::full, {.url = host().url("plain", "/cut")});
    EXPECT_EQ(cut.text, "partial");
    EXPECT_EQ(cut.status, "200 OK");
    // A HEAD reply has its head and no body.
    const HttpOutcome head = run(Engine::full, {.url = host().url("plain", "/date"), .method = 2});
    EXPECT_EQ(head.status, "200 OK");
    EXPECT_EQ(head.text, "");
    EXPECT_TRUE(contains(head.headers, "\r\nDate: Tue, 08 Dec 2026 00:30:00 GMT\r\n"));
}

TEST_F(EngineMatrix, TheRequestObjectAndTheNetworkClock) {
    const auto text_of = [](const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); };
    int status = -1;
    const std::string echoed = text_of(com_request(host().url("tls", "/object"), 1, "a=1", nullptr,
                                                   nullptr, {}, nullptr, &status));
    EXPECT_EQ(status, 200);
    EXPECT_EQ(echoed.substr(0, echoed.find("\r\n")), "POST /object HTTP/1.1");
    EXPECT_TRUE(contains(echoed, "\r\nHost: " + host().authority("tls") + "\r\n"));
    EXPECT_EQ(echoed.substr(echoed.size() - 7), "\r\n\r\na=1");

    const std::string redirect = host().url("plain", "/redirect?code=302&to=/landed");
    EXPECT_EQ(
        text_of(com_request(redirect, 0, {}, nullptr, nullptr, {}, nullptr, &status)).substr(0, 12),
        "GET /landed ");
    EXPECT_EQ(text_of(com_request(redirect, 0, {}, nullptr, nullptr, {}, nullptr, &status, true)),
              "moved");
    EXPECT_EQ(status, 302);

    EXPECT_TRUE(com_request(host().url("untrusted"), 0, {}, nullptr, nullptr, {}, nullptr, &status)
                    .empty());
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(com_request(host().url("silent"), 0, {}, nullptr, nullptr, {}, nullptr, &status,
                            false, {}, {}, 1)
                    .empty());
    EXPECT_EQ(status, 0);

    EXPECT_EQ(network_time(host().url("tls", "/date")), make_date_time(2026, 12, 8, 8, 30, 0));
    EXPECT_EQ(network_time(host().url("refused")), std::nullopt);
}

}  // namespace
}  // namespace velmora
