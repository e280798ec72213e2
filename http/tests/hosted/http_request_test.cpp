// The request engine against real loopback servers: what goes out on the wire, what
// comes back into the out-parameters, and how failures are reported.
#include "http/http_request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/text.h"
#include "http/tests/support/fixture_proxy.h"
#include "http/tests/support/fixture_server.h"
#include "http/tests/support/loopback_socket.h"
#include "http/tests/support/test_certificates.h"
#include "http/tls_settings.h"
#include "http/transfer.h"

namespace velmora {
namespace {

using testing::FixtureProxy;
using testing::FixtureReply;
using testing::FixtureServer;
using testing::http_reply;
using testing::RawRequest;

const std::string default_lines =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n";
const std::string cache_line = "Cache-Control: no-cache\r\n";
const std::string form_line = "Content-Type: application/x-www-form-urlencoded\r\n";

std::string header_of(const RawRequest& request, const std::string& name) {
    return testing::header_value(request.head, name);
}

std::string host_line(const FixtureServer& server) {
    return "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
}

class HttpRequestTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { testing::trust_test_ca(); }

    // The raw request the echo route received, as the response text.
    Text echo(const std::string& path, int method = 0, const Text& body = {},
              Text* send_cookies = nullptr, const Text& extra_headers = {},
              bool add_default_headers = true, bool normalize = true) {
        return http_request(server_.url(path), method, body, send_cookies, nullptr, extra_headers,
                            nullptr, false, {}, {}, {}, {}, {}, 0, nullptr, &status_, nullptr, true,
                            add_default_headers, {}, normalize);
    }

    FixtureServer server_;
    Text status_;
};

TEST_F(HttpRequestTest, GetCarriesTheDefaultLinesAndNothingElse) {
    EXPECT_EQ(echo("/path?q=1"), "GET /path?q=1 HTTP/1.1\r\n" + host_line(server_) + default_lines +
                                     cache_line + "\r\n");
    EXPECT_EQ(status_, "200 OK");
}

TEST_F(HttpRequestTest, PostCarriesTheFormTypeExtraLinesCookiesAndTheBody) {
    Text cookies = "a=1";
    EXPECT_EQ(echo("/form", 1, "x=1&y=2", &cookies, "x-trace-id: 7"),
              "POST /form HTTP/1.1\r\n" + host_line(server_) + "X-Trace-Id: 7\r\n" + default_lines +
                  form_line + cache_line + "Cookie: a=1\r\n" + "Content-Length: 7\r\n\r\nx=1&y=2");

    // A cookie text that already is a header line goes in as it stands.
    Text cookie_line = "Cookie: b=2";
    EXPECT_EQ(echo("/", 0, {}, &cookie_line, {}, false),
              "GET / HTTP/1.1\r\n" + host_line(server_) + "Cookie: b=2\r\n\r\n");
}

TEST_F(HttpRequestTest, CallerLinesDecideWhichDefaultsAreAdded) {
    // A lower-case user-agent line keeps its value and suppresses the default one.
    const Text own_agent = echo("/", 0, {}, nullptr, "user-agent: probe/1");
    EXPECT_NE(own_agent.find("User-Agent: probe/1\r\n"), std::string::npos);
    EXPECT_EQ(own_agent.find("MSIE"), std::string::npos);

    // A GET never gets the form Content-Type; a POST with its own type keeps that one.
    EXPECT_EQ(echo("/").find("Content-Type"), std::string::npos);
    const Text own_type = echo("/", 1, "{}", nullptr, "Content-Type: application/json");
    EXPECT_NE(own_type.find("Content-Type: application/json\r\n"), std::string::npos);
    EXPECT_EQ(own_type.find("x-www-form-urlencoded"), std::string::npos);
}

TEST_F(HttpRequestTest, KeepAliveLinesAreNormalisedAndDroppedWhenNotLast) {
    const Text dropped = echo("/", 0, {}, nullptr, "connection: keep-alive\r\nX-A: 1");
    EXPECT_EQ(dropped, "GET / HTTP/1.1\r\n" + host_line(server_) + "X-A: 1\r\n" + default_lines +
                           cache_line + "\r\n");

    // As the last line of the block nothing follows it, so it stays.
    const Text kept = echo("/", 0, {}, nullptr, "connection: keep-alive", false);
    EXPECT_EQ(kept, "GET / HTTP/1.1\r\n" + host_line(server_) + "Connection: keep-alive\r\n\r\n");

    // Without normalisation names go out as written.
    const Text raw = echo("/", 0, {}, nullptr, "x-lower: 1", false, false);
    EXPECT_NE(raw.find("\r\nx-lower: 1\r\n"), std::string::npos);
}

TEST_F(HttpRequestTest, APageDeclaringGb2312KeepsItsGbkOnlyCharacters) {
    const Text page = gbk("<meta charset=\"GB2312\"><p>堃喆镕</p>");
    server_.route("/page", [&](const RawRequest&) {
        return FixtureReply{http_reply(200, "OK", page, {"Content-Type: text/html"})};
    });
    EXPECT_EQ(http_request(server_.url("/page")), page);
}

TEST_F(HttpRequestTest, NoConnectionOrCookieOutlivesACall) {
    // The server keeps each connection open after its reply: a call that reused one would
    // wait on it for an answer that never comes.
    server_.route("/kept", [](const RawRequest&) {
        FixtureReply reply{http_reply(200, "OK", "ok", {"Set-Cookie: session=1"})};
        reply.bytes = replace_text(reply.bytes, "Connection: close\r\n", "");
        reply.keep_open = true;
        return reply;
    });
    constexpr int kTimeoutSeconds = 2;
    for (int call = 1; call <= 3; ++call) {
        Text status;
        http_request(server_.url("/kept"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {},
                     {}, {}, kTimeoutSeconds, nullptr, &status);
        EXPECT_EQ(status, "200 OK") << "call " << call;
    }
    EXPECT_EQ(echo("/").find("Cookie"), std::string::npos);
}

TEST_F(HttpRequestTest, RequestTargetAndVerb) {
    const std::string base = "http://127.0.0.1:" + std::to_string(server_.port());
    EXPECT_EQ(http_request(base).substr(0, 16), "GET / HTTP/1.1\r\n");
    // With no path the query is not sent either.
    EXPECT_EQ(http_request(base + "?q=1").substr(0, 16), "GET / HTTP/1.1\r\n");
    EXPECT_EQ(http_request(base + "/p#frag").substr(0, 17), "GET /p HTTP/1.1\r\n");

    EXPECT_EQ(http_request(server_.url("/"), 9).substr(0, 4), "GET ");
    EXPECT_EQ(http_request(server_.url("/"), -1).substr(0, 4), "GET ");
    EXPECT_EQ(http_request(server_.url("/"), 5).substr(0, 7), "DELETE ");
    // The simple variant knows only the first four verbs.
    EXPECT_EQ(http_request_simple(server_.url("/"), 3).substr(0, 4), "PUT ");
    EXPECT_EQ(http_request_simple(server_.url("/"), 4).substr(0, 4), "GET ");

    Text headers;
    http_request(server_.url("/"), 2, {}, nullptr, nullptr, {}, &headers);
    EXPECT_EQ(headers.substr(0, 17), "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(server_.requests().back().method, "HEAD");
}

TEST_F(HttpRequestTest, SimpleVariantBuildsItsOwnBlock) {
    Text cookies = "a=1";
    Text status;
    const Text echoed =
        http_request_simple(server_.url("/"), 0, {}, &cookies, nullptr, "content-type: text/plain",
                            nullptr, false, {}, {}, {}, {}, {}, 0, nullptr, &status);
    // No normalisation, and the probe for the form type is letter-case significant.
    EXPECT_EQ(echoed, "GET / HTTP/1.1\r\n" + host_line(server_) + "content-type: text/plain\r\n" +
                          default_lines + form_line + cache_line + "Cookie: a=1\r\n\r\n");
    EXPECT_EQ(status, "200 OK");
}

TEST_F(HttpRequestTest, ErrorStatusesReturnTheirBodiesLikeSuccess) {
    server_.route("/missing", [](const RawRequest&) {
        return FixtureReply{http_reply(404, "Not Found", "no such page")};
    });
    server_.route("/broken", [](const RawRequest&) {
        return FixtureReply{http_reply(500, "Internal Server Error", "it broke")};
    });
    EXPECT_EQ(echo("/missing"), "no such page");
    EXPECT_EQ(status_, "404 Not Found");
    EXPECT_EQ(echo("/broken"), "it broke");
    EXPECT_EQ(status_, "500 Internal Server Error");
}

TEST_F(HttpRequestTest, ChunkedBodiesAreJoined) {
    server_.route("/chunked", [](const RawRequest&) {
        return FixtureReply{
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
            "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n"};
    });
    Bytes bytes;
    EXPECT_EQ(http_request(server_.url("/chunked"), 0, {}, nullptr, nullptr, {}, nullptr, false, {},
                           {}, {}, {}, {}, 0, nullptr, nullptr, &bytes),
              "hello world");
    EXPECT_EQ(bytes.size(), 11u);
}

TEST_F(HttpRequestTest, RedirectsAreFollowedUnlessSwitchedOff) {
    for (const int code : {301, 302, 303, 307}) {
        server_.route("/from", [this, code](const RawRequest&) {
            return FixtureReply{http_reply(code, "Moved", "moved",
                                           {"Location: " + server_.url("/to"), "X-Hop: first"})};
        });
        server_.route("/to", [](const RawRequest& request) {
            return FixtureReply{
                http_reply(200, "OK", request.method + " " + request.body, {"X-Hop: final"})};
        });
        Text headers;
        Text location = "untouched";
        Text status;
        const Text text = http_request(server_.url("/from"), 1, "k=v", nullptr, nullptr, {},
                                       &headers, false, {}, {}, {}, {}, {}, 0, &location, &status);
        // 307 keeps the verb and body; the others turn a POST into a GET.
        EXPECT_EQ(text, code == 307 ? "POST k=v" : "GET ") << code;
        EXPECT_EQ(status, "200 OK") << code;
        EXPECT_EQ(location, "untouched") << code;
        EXPECT_EQ(headers.substr(0, 17), "HTTP/1.1 200 OK\r\n") << code;
        EXPECT_NE(headers.find("X-Hop: final\r\n"), std::string::npos) << code;
        EXPECT_EQ(headers.find("first"), std::string::npos) << code;
        EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n") << code;

        Text not_followed_location;
        const Text not_followed =
            http_request(server_.url("/from"), 0, {}, nullptr, nullptr, {}, nullptr, true, {}, {},
                         {}, {}, {}, 0, &not_followed_location, &status);
        EXPECT_EQ(not_followed, "moved") << code;
        EXPECT_EQ(status, std::to_string(code) + " Moved");
        EXPECT_EQ(not_followed_location, server_.url("/to"));
    }
}

// What one redirecting response leads to, for each status and verb.
TEST_F(HttpRequestTest, RedirectPolicyMatrix) {
    struct Case {
        int code;
        int method;  // 0 GET, 1 POST
        std::string location;
        std::string text;  // the result: the final echo, or the redirect's own body
    };
    // A GET keeps the body the caller gave it; only a POST turns into a bodiless GET.
    const std::vector<Case> cases = {
        {301, 0, "/to", "GET k=v"}, {301, 1, "/to", "GET "},     {302, 0, "/to", "GET k=v"},
        {302, 1, "to", "GET "},     {303, 0, "/to", "GET k=v"},  {303, 1, "/to", "GET "},
        {307, 0, "/to", "GET k=v"}, {307, 1, "/to", "POST k=v"}, {308, 0, "/to", "GET k=v"},
        {308, 1, "to", "POST k=v"}, {300, 0, "/to", "moved"},    {304, 0, "/to", ""},
        {305, 1, "/to", "moved"},   {302, 1, "", "moved"},       {307, 0, " ", "moved"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " method " + std::to_string(c.method) + " '" +
                     c.location + "'");
        FixtureServer server;
        server.route("/from", [&c](const RawRequest&) {
            return FixtureReply{http_reply(c.code, "Hop", "moved",
                                           {"Location: " + c.location, "Set-Cookie: hop=1"})};
        });
        server.route("/to", [](const RawRequest& request) {
            return FixtureReply{http_reply(200, "OK", request.method + " " + request.body,
                                           {"Set-Cookie: final=2", "X-Final: yes"})};
        });
        const bool followed = c.text != "moved" && c.code != 304;
        Text headers;
        Text received;
        Text location = "untouched";
        Text status;
        EXPECT_EQ(http_request(server.url("/from"), c.method, "k=v", nullptr, &received, {},
                               &headers, false, {}, {}, {}, {}, {}, 0, &location, &status),
                  c.text);
        // Everything the caller sees is of the last response.
        EXPECT_EQ(status, followed ? "200 OK" : std::to_string(c.code) + " Hop");
        EXPECT_EQ(received, followed ? "final=2" : "hop=1");
        EXPECT_EQ(location, followed ? "untouched" : c.location);
        EXPECT_EQ(headers.find("X-Final") != std::string::npos, followed);
        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), followed ? 2u : 1u);
        if (c.text == "GET ") {
            EXPECT_EQ(header_of(requests[1], "Content-Length"), "");
        }
    }
}

TEST_F(HttpRequestTest, TenRedirectsAreFollowedAndAnEleventhIsNoResponse) {
    server_.route("/chain", [](const RawRequest& request) {
        const int left = std::stoi(request.target.substr(request.target.find('=') + 1));
        if (left == 0) {
            return FixtureReply{http_reply(200, "OK", "end")};
        }
        return FixtureReply{
            http_reply(302, "Found", {}, {"Location: chain?left=" + std::to_string(left - 1)})};
    });
    Text status;
    EXPECT_EQ(http_request(server_.url("/chain?left=10"), 0, {}, nullptr, nullptr, {}, nullptr,
                           false, {}, {}, {}, {}, {}, 0, nullptr, &status),
              "end");
    EXPECT_EQ(server_.requests().size(), 11u);

    Text headers = "before";
    EXPECT_EQ(http_request(server_.url("/chain?left=11"), 0, {}, nullptr, nullptr, {}, &headers,
                           false, {}, {}, {}, {}, {}, 0, nullptr, &status),
              "");
    EXPECT_EQ(status, gbk("712 服务器未响应!"));
    EXPECT_EQ(headers, "before");
    EXPECT_EQ(server_.requests().size(), 22u);
}

TEST_F(HttpRequestTest, FailuresOfAFollowedRequestAreThoseOfTheLastRequest) {
    FixtureServer silent;
    silent.route("/", [](const RawRequest&) { return FixtureReply{{}, true}; });
    const std::string refused = "http://127.0.0.1:" + std::to_string(testing::refused_port()) + "/";
    for (const auto& [to, message] : {std::pair{silent.url("/"), gbk("712 服务器未响应!")},
                                      std::pair{refused, gbk("711 发送请求失败!")}}) {
        const std::string target = to;
        server_.route("/from", [target](const RawRequest&) {
            return FixtureReply{http_reply(303, "See Other", {}, {"Location: " + target})};
        });
        Text status;
        EXPECT_EQ(http_request(server_.url("/from"), 1, "k=v", nullptr, nullptr, {}, nullptr, false,
                               {}, {}, {}, {}, {}, 1, nullptr, &status),
                  "");
        EXPECT_EQ(status, message);
    }
}

TEST_F(HttpRequestTest, NothingGoesFromHttpsToPlainHttp) {
    FixtureServer secure(FixtureServer::Tls::trusted);
    secure.route("/login", [this](const RawRequest&) {
        return FixtureReply{http_reply(307, "Temporary Redirect", "stay secure",
                                       {"Location: " + server_.url("/steal"), "Set-Cookie: s=1"})};
    });
    secure.route("/hop", [](const RawRequest&) {
        return FixtureReply{http_reply(308, "Permanent Redirect", {}, {"Location: /login2"})};
    });
    Text status;
    Text location;
    Text received;
    EXPECT_EQ(http_request(secure.url("/login"), 1, "login_token=secret", nullptr, &received, {},
                           nullptr, false, {}, {}, {}, {}, {}, 0, &location, &status),
              "stay secure");
    EXPECT_EQ(status, "307 Temporary Redirect");
    EXPECT_EQ(location, server_.url("/steal"));
    EXPECT_EQ(received, "s=1");
    EXPECT_TRUE(server_.requests().empty());

    // https to https is followed, body and all.
    const Text echoed = http_request(secure.url("/hop"), 1, "login_token=secret");
    EXPECT_EQ(echoed.substr(0, 24), "POST /login2 HTTP/1.1\r\nH");
    EXPECT_EQ(echoed.substr(echoed.size() - 18), "login_token=secret");
}

TEST_F(HttpRequestTest, CredentialsAndCookiesStayWithTheFirstOrigin) {
    FixtureServer elsewhere;
    server_.route("/same", [](const RawRequest&) {
        return FixtureReply{http_reply(302, "Found", {}, {"Location: /echo"})};
    });
    server_.route("/away", [&elsewhere](const RawRequest&) {
        return FixtureReply{http_reply(302, "Found", {}, {"Location: " + elsewhere.url("/echo")})};
    });
    for (const char* path : {"/same", "/away"}) {
        Text cookies = "sid=1";
        const Text echoed = http_request(server_.url(path), 0, {}, &cookies, nullptr, {}, nullptr,
                                         false, "user", "pass");
        const bool kept = std::string(path) == "/same";
        EXPECT_EQ(echoed.find("\r\nCookie: sid=1\r\n") != std::string::npos, kept) << path;
        EXPECT_EQ(echoed.find("\r\nAuthorization: Basic") != std::string::npos, kept) << path;
    }
}

TEST_F(HttpRequestTest, SetCookieLinesAreCollectedAndMerged) {
    server_.route("/login", [](const RawRequest&) {
        return FixtureReply{http_reply(200, "OK", "ok",
                                       {"Set-Cookie: sid=abc; path=/; HttpOnly", "Set-Cookie: b=3",
                                        "set-cookie: lower=1; path=/"})};
    });
    Text sent = "a=1; b=2";
    Text received = "old=0; ";
    http_request(server_.url("/login"), 0, {}, &sent, &received);
    EXPECT_EQ(received, "old=0; sid=abc; b=3; a=1");
    EXPECT_EQ(sent, received);

    // Without cookies to send there is nothing to merge with.
    Text only_received;
    http_request(server_.url("/login"), 0, {}, nullptr, &only_received);
    EXPECT_EQ(only_received, "sid=abc; b=3");

    // The simple variant rewrites every case variant first, so it sees the third line,
    // and shows the caller the rewritten block.
    Text simple_received;
    Text simple_headers;
    http_request_simple(server_.url("/login"), 0, {}, nullptr, &simple_received, {},
                        &simple_headers);
    EXPECT_EQ(simple_received, "sid=abc; b=3; lower=1");
    EXPECT_NE(simple_headers.find("\r\nSet-Cookie: lower=1"), std::string::npos);
}

TEST_F(HttpRequestTest, PagesAreDecodedByTheirDeclaredCharset) {
    const std::string utf8_page = "<meta charset=\"utf-8\"><p>中文</p>";
    const Text gbk_page = "<meta charset=gbk><p>" + gbk("中文") + "</p>";
    const std::string late_page = std::string(1100, ' ') + utf8_page;
    server_.route(
        "/utf8", [&](const RawRequest&) { return FixtureReply{http_reply(200, "OK", utf8_page)}; });
    server_.route("/gbk",
                  [&](const RawRequest&) { return FixtureReply{http_reply(200, "OK", gbk_page)}; });
    server_.route(
        "/late", [&](const RawRequest&) { return FixtureReply{http_reply(200, "OK", late_page)}; });
    Bytes raw;
    EXPECT_EQ(http_request(server_.url("/utf8"), 0, {}, nullptr, nullptr, {}, nullptr, false, {},
                           {}, {}, {}, {}, 0, nullptr, nullptr, &raw),
              "<meta charset=\"utf-8\"><p>" + gbk("中文") + "</p>");
    EXPECT_EQ(std::string(raw.begin(), raw.end()), utf8_page);
    EXPECT_EQ(http_request(server_.url("/gbk")), gbk_page);
    EXPECT_EQ(http_request(server_.url("/late")), late_page);
}

TEST_F(HttpRequestTest, FailuresBeforeAnyResponseAreNumbered) {
    Text status = "before";
    Text headers = "before";
    EXPECT_EQ(http_request("not a url", 0, {}, nullptr, nullptr, {}, &headers, false, {}, {}, {},
                           {}, {}, 0, nullptr, &status),
              "");
    EXPECT_EQ(status, gbk("701 解析URL地址失败!"));
    EXPECT_EQ(headers, "before");

    const std::string refused = "http://127.0.0.1:" + std::to_string(testing::refused_port()) + "/";
    EXPECT_EQ(http_request(refused, 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {}, {},
                           0, nullptr, &status),
              "");
    EXPECT_EQ(status, gbk("711 发送请求失败!"));

    // A certificate from an unknown CA is a failed send, never ignored.
    FixtureServer untrusted(FixtureServer::Tls::untrusted);
    EXPECT_EQ(http_request(untrusted.url("/"), 1, "token=secret", nullptr, nullptr, {}, nullptr,
                           false, {}, {}, {}, {}, {}, 0, nullptr, &status),
              "");
    EXPECT_EQ(status, gbk("711 发送请求失败!"));
    EXPECT_TRUE(untrusted.requests().empty());
}

TEST_F(HttpRequestTest, TheTrustStoreFollowsTheExtraCaFile) {
    // The store is built once, but a change of the extra bundle reaches the next call on
    // the same thread, in both directions.
    FixtureServer secure(FixtureServer::Tls::trusted);
    const auto status_of_call = [&] {
        Text status;
        http_request(secure.url("/"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {},
                     {}, 0, nullptr, &status);
        return status;
    };
    EXPECT_EQ(status_of_call(), "200 OK");
    set_extra_ca_file("");
    EXPECT_EQ(status_of_call(), gbk("711 发送请求失败!"));
    set_extra_ca_file(testing::trust_test_ca());
    EXPECT_EQ(status_of_call(), "200 OK");
}

TEST_F(HttpRequestTest, ASilentServerTimesOutAsNoResponse) {
    server_.route("/silent", [](const RawRequest&) { return FixtureReply{{}, true}; });
    Text status;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(http_request(server_.url("/silent"), 0, {}, nullptr, nullptr, {}, nullptr, false, {},
                           {}, {}, {}, {}, 1, nullptr, &status),
              "");
    EXPECT_EQ(status, gbk("712 服务器未响应!"));
    // The injected one-second limit applied, not the 30-second default.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
}

TEST_F(HttpRequestTest, ABodyCutShortReturnsWhatWasRead) {
    server_.route("/cut", [](const RawRequest&) {
        return FixtureReply{
            "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\npartial"};
    });
    Text status;
    Bytes bytes;
    EXPECT_EQ(http_request(server_.url("/cut"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {},
                           {}, {}, {}, 0, nullptr, &status, &bytes),
              "partial");
    // The read failure is overwritten by the status text once the headers are read.
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(bytes.size(), 7u);
}

TEST_F(HttpRequestTest, BodiesStopAtTheSizeLimit) {
    const std::string huge(max_response_body + 4096, 'x');
    server_.route("/huge",
                  [&](const RawRequest&) { return FixtureReply{http_reply(200, "OK", huge)}; });
    Bytes bytes;
    const Text text = http_request(server_.url("/huge"), 0, {}, nullptr, nullptr, {}, nullptr,
                                   false, {}, {}, {}, {}, {}, 0, nullptr, nullptr, &bytes);
    EXPECT_EQ(bytes.size(), max_response_body);
    EXPECT_EQ(text.size(), max_response_body);
}

TEST_F(HttpRequestTest, HttpsToTheTrustedServerWorks) {
    FixtureServer secure(FixtureServer::Tls::trusted);
    Text status;
    const Text echoed = http_request(secure.url("/api"), 1, "a=b", nullptr, nullptr, {}, nullptr,
                                     false, {}, {}, {}, {}, {}, 0, nullptr, &status);
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(echoed.substr(0, 22), "POST /api HTTP/1.1\r\nHo");
    EXPECT_EQ(echoed.substr(echoed.size() - 7), "\r\n\r\na=b");
}

TEST_F(HttpRequestTest, ServerCredentialsGoOutAsBasic) {
    const Text echoed =
        http_request(server_.url("/"), 0, {}, nullptr, nullptr, {}, nullptr, false, "user", "pass");
    EXPECT_NE(echoed.find("Authorization: Basic dXNlcjpwYXNz\r\n"), std::string::npos);
    // Both halves are needed.
    EXPECT_EQ(http_request(server_.url("/"), 0, {}, nullptr, nullptr, {}, nullptr, false, "user")
                  .find("Authorization"),
              std::string::npos);
}

TEST_F(HttpRequestTest, RequestsReallyGoThroughTheProxy) {
    FixtureProxy proxy;
    const Text plain = http_request(server_.url("/via"), 0, {}, nullptr, nullptr, {}, nullptr,
                                    false, {}, {}, proxy.address(), "pu", "pp");
    EXPECT_EQ(plain.substr(0, 19), "GET /via HTTP/1.1\r\n");
    ASSERT_EQ(proxy.request_heads().size(), 1u);
    const std::string head = proxy.request_heads()[0];
    EXPECT_EQ(head.substr(0, head.find("\r\n")), "GET " + server_.url("/via") + " HTTP/1.1");
    EXPECT_NE(head.find("Proxy-Authorization: Basic cHU6cHA=\r\n"), std::string::npos);

    FixtureServer secure(FixtureServer::Tls::trusted);
    Text status;
    http_request(secure.url("/tunnel"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {},
                 proxy.address(), {}, {}, 0, nullptr, &status);
    EXPECT_EQ(status, "200 OK");
    ASSERT_EQ(proxy.request_heads().size(), 2u);
    EXPECT_EQ(proxy.request_heads()[1].substr(0, 8 + 16),
              "CONNECT 127.0.0.1:" + std::to_string(secure.port()) + " ");
}

// Counts how often the engine lets the window handle its events.
class CountingPump final : public EventPump {
  public:
    void process_events() override { ++calls; }
    void wait(std::chrono::milliseconds) override {}
    void interrupt() override {}
    int calls = 0;
};

TEST_F(HttpRequestTest, TheWindowKeepsHandlingEventsDuringARequest) {
    CountingPump pump;
    install_event_pump(&pump);
    http_request(server_.url("/"));
    install_event_pump(nullptr);
    // At least once per received header line (status line, three headers, empty line).
    EXPECT_GE(pump.calls, 5);
}

}  // namespace
}  // namespace velmora
