// The one redirect policy both transfers follow: how a Location resolves, which hops are
// taken, and what a hop keeps.
#include "http/redirect_policy.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

std::string head(int code, const std::string& location) {
    return "HTTP/1.1 " + std::to_string(code) + " Moved\r\nLocation: " + location + "\r\n\r\n";
}

TEST(RedirectPolicy, LocationsResolveAsABrowserResolvesLinks) {
    const std::string base = "http://a.example:8080/b/c/d?q=1";
    const struct {
        std::string reference;
        std::string resolved;
    } cases[] = {
        {"g", "http://a.example:8080/b/c/g"},
        {"./g", "http://a.example:8080/b/c/g"},
        {"../g", "http://a.example:8080/b/g"},
        {"../../../g", "http://a.example:8080/g"},
        {"/g/./h/../i", "http://a.example:8080/g/i"},
        {"?y", "http://a.example:8080/b/c/d?y"},
        {"", "http://a.example:8080/b/c/d?q=1"},
        {"#frag", "http://a.example:8080/b/c/d?q=1"},
        {"//other.example/x", "http://other.example/x"},
        {"HTTPS://Other.example:443/x?k=v", "https://Other.example:443/x?k=v"},
        {"g/", "http://a.example:8080/b/c/g/"},
        {"..", "http://a.example:8080/b/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(resolve_url(base, c.reference), c.resolved) << c.reference;
    }
    // Nothing that is not an absolute http(s) URL comes out.
    EXPECT_EQ(resolve_url(base, "ftp://a.example/x"), "");
    EXPECT_EQ(resolve_url(base, "http:no-authority"), "");
    EXPECT_EQ(resolve_url(base, "http://host:99999/"), "");
}

TEST(RedirectPolicy, OriginsAreSchemeHostAndPort) {
    EXPECT_TRUE(same_origin("http://a.example/x", "http://A.EXAMPLE:80/y"));
    EXPECT_TRUE(same_origin("https://a.example/x", "https://a.example:443/"));
    EXPECT_FALSE(same_origin("http://a.example/", "https://a.example/"));
    EXPECT_FALSE(same_origin("http://a.example/", "http://a.example:8080/"));
    EXPECT_FALSE(same_origin("http://a.example/", "http://b.example/"));
    EXPECT_FALSE(same_origin("http://localhost/", "http://127.0.0.1/"));
    EXPECT_TRUE(carries_origin_credentials("authorization"));
    EXPECT_TRUE(carries_origin_credentials("Cookie"));
    EXPECT_FALSE(carries_origin_credentials("Proxy-Authorization"));
    EXPECT_FALSE(carries_origin_credentials("Cookie2"));
}

TEST(RedirectPolicy, WhichResponsesAreFollowed) {
    for (const int code : {301, 302, 303, 307, 308}) {
        RedirectChain chain("http://a.example/", "GET", false);
        EXPECT_TRUE(chain.follow(head(code, "/next"))) << code;
    }
    for (const int code : {200, 300, 304, 305, 404}) {
        RedirectChain chain("http://a.example/", "GET", false);
        EXPECT_FALSE(chain.follow(head(code, "/next"))) << code;
    }
    RedirectChain chain("http://a.example/", "GET", false);
    EXPECT_FALSE(chain.follow("HTTP/1.1 302 Found\r\n\r\n"));
    EXPECT_FALSE(chain.follow(head(302, " ")));
    EXPECT_FALSE(chain.follow(head(302, "mailto:someone@a.example")));
}

TEST(RedirectPolicy, WhatAHopKeeps) {
    // A POST answered by 301, 302 or 303 goes on as a GET without its body; 307 and 308
    // keep verb and body, to the same origin.
    for (const int code : {301, 302, 303}) {
        RedirectChain chain("http://a.example/form", "POST", true);
        const auto hop = chain.follow(head(code, "/done"));
        ASSERT_TRUE(hop) << code;
        EXPECT_EQ(hop->verb, "GET");
        EXPECT_FALSE(hop->keeps_body);
        EXPECT_EQ(hop->url, "http://a.example/done");
    }
    for (const int code : {307, 308}) {
        RedirectChain chain("http://a.example/form", "POST", true);
        const auto hop = chain.follow(head(code, "/done"));
        ASSERT_TRUE(hop) << code;
        EXPECT_EQ(hop->verb, "POST");
        EXPECT_TRUE(hop->keeps_body);
        EXPECT_FALSE(hop->leaves_origin);
    }
}

TEST(RedirectPolicy, NothingSecretLeavesItsPlace) {
    // Never from https to http.
    RedirectChain secure("https://a.example/", "GET", false);
    EXPECT_FALSE(secure.follow(head(302, "http://a.example/")));
    EXPECT_TRUE(secure.follow(head(302, "https://b.example/")));

    // A body never goes to another origin; without one, the hop goes and knows it left.
    RedirectChain with_body("http://a.example/", "POST", true);
    EXPECT_FALSE(with_body.follow(head(307, "http://b.example/")));
    RedirectChain get_with_body("http://a.example/", "GET", true);
    EXPECT_FALSE(get_with_body.follow(head(302, "http://b.example/")));
    RedirectChain turned("http://a.example/", "POST", true);
    const auto away = turned.follow(head(302, "http://b.example/"));
    ASSERT_TRUE(away);
    EXPECT_TRUE(away->leaves_origin);
    // Back at the first origin, the hop is at home again.
    const auto back = turned.follow(head(302, "http://a.example/again"));
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->leaves_origin);
}

TEST(RedirectPolicy, TenHopsAndNoMore) {
    RedirectChain chain("http://a.example/", "GET", false);
    for (int hop = 1; hop <= max_redirect_hops; ++hop) {
        ASSERT_TRUE(chain.follow(head(302, "/" + std::to_string(hop))));
        EXPECT_FALSE(chain.too_many()) << hop;
    }
    ASSERT_TRUE(chain.follow(head(302, "/eleventh")));
    EXPECT_TRUE(chain.too_many());
}

}  // namespace
}  // namespace velmora
