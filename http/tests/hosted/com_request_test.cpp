// The automation-object request path and the network clock against loopback servers.
#include "http/com_request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "base/date_time.h"
#include "http/network_time.h"
#include "http/tests/support/fixture_proxy.h"
#include "http/tests/support/fixture_server.h"
#include "http/tests/support/loopback_socket.h"
#include "http/tests/support/test_certificates.h"
#include "http/request_object_class.h"

namespace velmora {
namespace {

using testing::FixtureProxy;
using testing::FixtureReply;
using testing::FixtureServer;
using testing::http_reply;
using testing::RawRequest;

std::string text_of(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class ComRequestTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { testing::trust_test_ca(); }

    std::string host_line() const {
        return "Host: 127.0.0.1:" + std::to_string(server_.port()) + "\r\n";
    }

    FixtureServer server_;
};

TEST_F(ComRequestTest, DefaultLinesAreSetOneByOne) {
    const std::string url = server_.url("/page");
    EXPECT_EQ(text_of(com_request(url)),
              "GET /page HTTP/1.1\r\n" + host_line() + "Accept: */*\r\nReferer: " + url +
                  "\r\nAccept-Language: zh-cn\r\n"
                  "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n\r\n");

    const std::string posted = text_of(com_request(url, 1, "a=1"));
    EXPECT_NE(posted.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"),
              std::string::npos);
    EXPECT_EQ(posted.substr(posted.size() - 7), "\r\n\r\na=1");
}

TEST_F(ComRequestTest, CallerHeadersCookiesAndKeepAlive) {
    Text cookies = "a=1";
    const std::string echoed = text_of(com_request(
        server_.url("/"), 0, {}, &cookies, nullptr, "x-one: 1\r\nConnection: keep-alive", nullptr,
        nullptr, false, {}, {}, 0, {}, {}, 1, {}, true, false));
    EXPECT_EQ(echoed, "GET / HTTP/1.1\r\n" + host_line() + "Cookie: a=1\r\nX-One: 1\r\n\r\n");

    // A block of a single line without CRLF is set as one header, keep-alive or not.
    const std::string single =
        text_of(com_request(server_.url("/"), 0, {}, nullptr, nullptr, "Connection: keep-alive",
                            nullptr, nullptr, false, {}, {}, 0, {}, {}, 1, {}, true, false));
    EXPECT_NE(single.find("\r\nConnection: keep-alive\r\n"), std::string::npos);

    // A cookie text written as a header line loses its "Cookie:" prefix before it is set,
    // and the merge afterwards trims what is left.
    Text cookie_line = "Cookie: b=2";
    const std::string with_line = text_of(com_request(server_.url("/"), 0, {}, &cookie_line));
    EXPECT_NE(with_line.find("\r\nCookie:  b=2\r\n"), std::string::npos);
    EXPECT_EQ(cookie_line, "b=2");
}

TEST_F(ComRequestTest, ResultFieldsAndCookies) {
    server_.route("/gone", [](const RawRequest&) {
        return FixtureReply{http_reply(404, "Not Found", "missing", {"Set-Cookie: s=9; path=/"})};
    });
    Text sent = "a=1";
    Text received;
    Text headers;
    int status = 0;
    EXPECT_EQ(
        text_of(com_request(server_.url("/gone"), 0, {}, &sent, &received, {}, &headers, &status)),
        "missing");
    EXPECT_EQ(status, 404);
    EXPECT_EQ(headers.substr(0, 22), "Set-Cookie: s=9; path=");
    EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n");
    EXPECT_EQ(received, "s=9; a=1");
    EXPECT_EQ(sent, received);
}

TEST_F(ComRequestTest, RedirectsAndObjectReuse) {
    server_.route("/from", [this](const RawRequest&) {
        return FixtureReply{http_reply(302, "Found", "moved", {"Location: " + server_.url("/to")})};
    });
    server_.route("/to",
                  [](const RawRequest&) { return FixtureReply{http_reply(200, "OK", "here")}; });

    ComObject request;
    register_winhttp_request_class();
    ASSERT_TRUE(create_object(request, winhttp_request_prog_id));
    int status = 0;
    EXPECT_EQ(text_of(com_request(server_.url("/from"), 0, {}, nullptr, nullptr, {}, nullptr,
                                  &status, false, {}, {}, 0, {}, {}, 1, request)),
              "here");
    EXPECT_EQ(status, 200);
    EXPECT_EQ(text_of(com_request(server_.url("/from"), 0, {}, nullptr, nullptr, {}, nullptr,
                                  &status, true, {}, {}, 0, {}, {}, 1, request)),
              "moved");
    EXPECT_EQ(status, 302);
}

// The object follows by the engine's rules: 308 keeps a POST, 300 is not followed, and
// nothing goes from https to plain http.
TEST_F(ComRequestTest, RedirectsFollowTheSamePolicy) {
    FixtureServer secure(FixtureServer::Tls::trusted);
    secure.route("/keep", [](const RawRequest&) {
        return FixtureReply{http_reply(308, "Permanent Redirect", {}, {"Location: /echo"})};
    });
    secure.route("/choices", [](const RawRequest&) {
        return FixtureReply{http_reply(300, "Multiple Choices", "pick", {"Location: /echo"})};
    });
    secure.route("/down", [this](const RawRequest&) {
        return FixtureReply{http_reply(307, "Temporary Redirect", "not there",
                                       {"Location: " + server_.url("/steal")})};
    });
    int status = 0;
    const std::string kept =
        text_of(com_request(secure.url("/keep"), 1, "a=1", nullptr, nullptr, {}, nullptr, &status));
    EXPECT_EQ(kept.substr(0, 20), "POST /echo HTTP/1.1\r");
    EXPECT_EQ(kept.substr(kept.size() - 3), "a=1");
    EXPECT_EQ(
        text_of(com_request(secure.url("/choices"), 0, {}, nullptr, nullptr, {}, nullptr, &status)),
        "pick");
    EXPECT_EQ(status, 300);
    Text headers;
    EXPECT_EQ(text_of(com_request(secure.url("/down"), 1, "login_token=1,t", nullptr, nullptr, {},
                                  &headers, &status)),
              "not there");
    EXPECT_EQ(status, 307);
    EXPECT_EQ(headers.substr(0, 10 + server_.url("/steal").size()),
              "Location: " + server_.url("/steal"));
    EXPECT_TRUE(server_.requests().empty());
}

TEST_F(ComRequestTest, CredentialsAreUsedOnlyWithAProxy) {
    const std::string direct =
        text_of(com_request(server_.url("/"), 0, {}, nullptr, nullptr, {}, nullptr, nullptr, false,
                            {}, {}, 0, "u", "p", 0));
    EXPECT_EQ(direct.find("Authorization"), std::string::npos);

    FixtureProxy proxy;
    const std::string proxied =
        text_of(com_request(server_.url("/via"), 0, {}, nullptr, nullptr, {}, nullptr, nullptr,
                            false, {}, proxy.address(), 0, "u", "p", 1));
    EXPECT_EQ(proxied.substr(0, 19), "GET /via HTTP/1.1\r\n");
    ASSERT_EQ(proxy.request_heads().size(), 1u);
    EXPECT_NE(proxy.request_heads()[0].find("Proxy-Authorization: Basic dTpw\r\n"),
              std::string::npos);
}

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// The object's credentials and the explicit header make one line, seen by the proxy only.
TEST_F(ComRequestTest, OneProxyAuthorizationLine) {
    FixtureProxy proxy;
    FixtureServer secure(FixtureServer::Tls::trusted);
    com_request(server_.url("/plain"), 0, {}, nullptr, nullptr, {}, nullptr, nullptr, false, {},
                proxy.address(), 0, "u", "p", 1);
    const std::string tunnelled =
        text_of(com_request(secure.url("/tunnel"), 0, {}, nullptr, nullptr, {}, nullptr, nullptr,
                            false, {}, proxy.address(), 0, "u", "p", 1));
    const auto heads = proxy.request_heads();
    ASSERT_EQ(heads.size(), 2u);
    for (const auto& head : heads) {
        EXPECT_EQ(count_of(head, "Proxy-Authorization:"), 1u) << head;
    }
    EXPECT_EQ(heads[1].substr(0, 8), "CONNECT ");
    EXPECT_EQ(tunnelled.find("Proxy-Authorization"), std::string::npos);
}

TEST_F(ComRequestTest, FailuresGiveEmptyResults) {
    server_.route("/silent", [](const RawRequest&) { return FixtureReply{{}, true}; });
    int status = -1;
    Text headers = "x";
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(com_request(server_.url("/silent"), 0, {}, nullptr, nullptr, {}, &headers, &status,
                            false, {}, {}, 1)
                    .empty());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(headers, "");

    FixtureServer untrusted(FixtureServer::Tls::untrusted);
    EXPECT_TRUE(
        com_request(untrusted.url("/"), 0, {}, nullptr, nullptr, {}, nullptr, &status).empty());
    EXPECT_EQ(status, 0);
}

class NetworkTimeTest : public ComRequestTest {
  protected:
    void serve_date(const std::string& date) {
        server_.route("/", [date](const RawRequest&) {
            return FixtureReply{http_reply(200, "OK", {}, {"Date: " + date})};
        });
    }
};

TEST_F(NetworkTimeTest, TheDateHeaderIsReadAsUtcPlusEightHours) {
    serve_date("Tue, 08 Dec 2026 00:30:00 GMT");
    EXPECT_EQ(network_time(server_.url("/")), make_date_time(2026, 12, 8, 8, 30, 0));
    EXPECT_EQ(server_.requests().back().method, "HEAD");

    serve_date("Tue, 08 Dec 2026 20:00:00 GMT");
    EXPECT_EQ(network_time(server_.url("/")), make_date_time(2026, 12, 9, 4, 0, 0));
}

// Only the line named Date counts: not a header whose name merely ends in "Date", and a
// lower-case name is the same header.
TEST_F(NetworkTimeTest, TheDateIsTheHeaderNamedDate) {
    server_.route("/", [](const RawRequest&) {
        return FixtureReply{http_reply(200, "OK", {},
                                       {"X-Last-Update-Date: Mon, 01 Jan 2024 00:00:00 GMT",
                                        "Date: Tue, 08 Dec 2026 00:30:00 GMT"})};
    });
    EXPECT_EQ(network_time(server_.url("/")), make_date_time(2026, 12, 8, 8, 30, 0));

    server_.route("/", [](const RawRequest&) {
        return FixtureReply{
            "HTTP/1.1 200 OK\r\ndate: Tue, 08 Dec 2026 20:00:00 GMT\r\n"
            "Content-Length: 0\r\nConnection: close\r\n\r\n"};
    });
    EXPECT_EQ(network_time(server_.url("/")), make_date_time(2026, 12, 9, 4, 0, 0));
}

// Without a date there is no network time: a zero date would date the log in the year
// 100.
TEST_F(NetworkTimeTest, WithoutADateThereIsNone) {
    server_.route("/", [](const RawRequest&) { return FixtureReply{http_reply(200, "OK", {})}; });
    EXPECT_EQ(network_time(server_.url("/")), std::nullopt);
    serve_date("not a date");
    EXPECT_EQ(network_time(server_.url("/")), std::nullopt);

    const std::string refused = "http://127.0.0.1:" + std::to_string(testing::refused_port()) + "/";
    EXPECT_EQ(network_time(refused), std::nullopt);
}

}  // namespace
}  // namespace velmora
