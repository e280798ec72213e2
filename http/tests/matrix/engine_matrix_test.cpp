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
#include "http/http_request.h"
#include "http/network_time.h"
#include "http/tests/matrix/fixture_host.h"
#include "http/tls_settings.h"

namespace velmora {
namespace {

enum class Engine { full, simple };

struct Request {
    std::string url{};
    int method = 0;
    Text body{};
    Text cookies{};  // sent when not empty
    Text extra_headers{};
    bool no_redirect = false;
    Text user{};
    Text password{};
    Text proxy{};
    Text proxy_user{};
    Text proxy_password{};
    int timeout_seconds = 0;
};

struct Outcome {
    Text text;
    Text status;
    Text headers;
    Text location;
    Text received_cookies;
};

Outcome run(Engine engine, Request r) {
    Outcome o;
    Text* cookies = r.cookies.empty() ? nullptr : &r.cookies;
    if (engine == Engine::full) {
        o.text =
            http_request(r.url, r.method, r.body, cookies, &o.received_cookies, r.extra_headers,
                         &o.headers, r.no_redirect, r.user, r.password, r.proxy, r.proxy_user,
                         r.proxy_password, r.timeout_seconds, &o.location, &o.status);
    } else {
        o.text = http_request_simple(r.url, r.method, r.body, cookies, &o.received_cookies,
                                     r.extra_headers, &o.headers, r.no_redirect, r.user, r.password,
                                     r.proxy, r.proxy_user, r.proxy_password, r.timeout_seconds,
                                     &o.location, &o.status);
    }
    return o;
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
                const Outcome o = run(engine, {.url = host().url(server, "/wire?q=1"),
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
            const Outcome o = run(
                engine, {.url = c.url, .method = 1, .body = "token=secret", .timeout_seconds = 1});
            EXPECT_EQ(o.text, "");
            EXPECT_EQ(o.status, c.status);
            EXPECT_EQ(o.headers, "");
            // The injected one-second limit applied, not the 30-second default.
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
        }
    }
}

// Closing the window must not wait for a silent server's 30 seconds. Under Wine, closing
// the request handle does not end a receive that blocks, so that backend stops waiting
// instead; this holds on both.
TEST_F(EngineMatrix, ShutdownEndsAnExchangeInFlight) {
    for (const Engine engine : engines) {
        SCOPED_TRACE(name(engine));
        std::thread closer([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            request_shutdown();
        });
        const auto started = std::chrono::steady_clock::now();
        const Outcome o = run(engine, {.url = host().url("silent"), .timeout_seconds = 30});
        closer.join();
        reset_shutdown();
        EXPECT_EQ(o.text, "");
        EXPECT_EQ(o.status, gbk("712 服务器未响应!"));
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    }
}

// What one redirecting response leads to: the request line the final server echoed, the
// redirect itself handed back ("moved"), or a failure ("712").
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
        // Where WinHttp under Wine differs: Windows follows 303 and 308 too, and its GET
        // after a 301/302 POST carries no Content-Length (Wine's fails with 12019). WinHttp
        // refuses https to http by failing the response instead of handing the redirect back.
        std::string wine;
    } cases[] = {
        {"plain", 301, 0, landed, false, "GET /landed HTTP/1.1", ""},
        {"plain", 302, 1, landed, false, "GET /landed HTTP/1.1", "712"},
        {"plain", 303, 0, landed, false, "GET /landed HTTP/1.1", "moved"},
        {"plain", 303, 1, landed, false, "GET /landed HTTP/1.1", "moved"},
        {"plain", 307, 1, landed, false, "POST /landed HTTP/1.1", ""},
        {"plain", 308, 0, landed, false, "GET /landed HTTP/1.1", "moved"},
        {"plain", 308, 1, landed, false, "POST /landed HTTP/1.1", "moved"},
        {"tls", 302, 0, host().url("tls", landed), false, "GET /landed HTTP/1.1", ""},
        {"tls", 307, 1, downgrade, false, "moved", "712"},
        {"plain", 302, 0, landed, true, "moved", ""},
    };
    for (const Engine engine : engines) {
        for (const auto& c : cases) {
            SCOPED_TRACE(name(engine) + " " + c.server + " " + std::to_string(c.code) + " " +
                         std::to_string(c.method) + " " + c.to);
            const std::string from =
                host().url(c.server, "/redirect?code=" + std::to_string(c.code) + "&to=" + c.to);
            const Outcome o =
                run(engine,
                    {.url = from, .method = c.method, .body = "k=v", .no_redirect = c.no_redirect});
            std::string expected = c.result;
#ifdef _WIN32  // Wine follows only 301, 302 and 307, and a 301/302 POST's GET keeps its length
            expected = c.wine.empty() ? c.result : c.wine;
#endif
            if (expected == "712") {
                EXPECT_EQ(o.status, gbk("712 服务器未响应!"));
                continue;
            }
            const bool followed = expected != "moved";
            EXPECT_EQ(o.text.substr(0, o.text.find("\r\n")), expected);
            EXPECT_EQ(o.status, followed ? "200 OK" : std::to_string(c.code) + " Moved");
            EXPECT_EQ(o.location, followed ? "" : c.to);
            // A POST turned into a GET leaves its body behind.
            if (c.method == 1) {
                EXPECT_EQ(contains(o.text, "k=v"), expected.substr(0, 4) == "POST");
            }
        }
    }
    // Nothing went from https to plain http.
    EXPECT_FALSE(
        contains(run(Engine::full, {.url = host().url("plain", "/received")}).text, "/downgraded"));
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
        const Outcome plain = run(engine, {.url = host().url("plain", path),
                                           .proxy = proxy,
                                           .proxy_user = "pu",
                                           .proxy_password = "pp"});
        EXPECT_EQ(plain.text.substr(0, plain.text.find("\r\n")), "GET " + path + " HTTP/1.1");
        const Outcome tunnelled = run(engine, {.url = host().url("tls", path), .proxy = proxy});
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
    const Outcome cut = run(Engine::full, {.url = host().url("plain", "/cut")});
    EXPECT_EQ(cut.text, "partial");
    EXPECT_EQ(cut.status, "200 OK");
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
#ifndef _WIN32  // Wine's request object hangs on a silent server despite its time-outs
    EXPECT_TRUE(com_request(host().url("silent"), 0, {}, nullptr, nullptr, {}, nullptr, &status,
                            false, {}, {}, 1)
                    .empty());
    EXPECT_EQ(status, 0);
#endif

    EXPECT_EQ(network_time(host().url("tls", "/date")), make_date_time(2026, 12, 8, 8, 30, 0));
    EXPECT_EQ(network_time(host().url("refused")),
              add_to_date_time(make_date_time(0, 0, 0, 0, 0, 0), 6, 8));
}

}  // namespace
}  // namespace velmora
