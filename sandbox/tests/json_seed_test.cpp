#include <gtest/gtest.h>

#include "sandbox/json_reader.h"
#include "sandbox/json_writer.h"
#include "sandbox/seed.h"

namespace velmora::sandbox {
namespace {

TEST(JsonQuote, EscapesAndKeepsReplyValidUtf8) {
    EXPECT_EQ(json_quote("a\"b\\c\r\n\x01"), "\"a\\\"b\\\\c\\r\\n\\u0001\"");
    EXPECT_EQ(json_quote("默认"), "\"默认\"");
    // "默认" in GBK is not UTF-8 as a whole (although its first two bytes are):
    // every high byte becomes one \u00XX, nothing is dropped.
    EXPECT_EQ(json_quote("\xC4\xAC\xC8\xCF"), "\"\\u00C4\\u00AC\\u00C8\\u00CF\"");
    EXPECT_EQ(json_quote("\xE9\xBB"), "\"\\u00E9\\u00BB\"");  // truncated sequence
}

TEST(JsonReader, ReadsNestedValuesInOrder) {
    const auto value =
        parse_json(R"( {"b":[1,"x\u00e9\ud83d\ude00",true,null],"a":{"n":-2.5e3}} )");
    ASSERT_TRUE(value);
    ASSERT_EQ(value->keys, (std::vector<std::string>{"b", "a"}));
    const JsonValue* list = value->find("b");
    ASSERT_EQ(list->items.size(), 4u);
    EXPECT_EQ(list->items[0].text, "1");
    EXPECT_EQ(list->items[1].text, "x\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_TRUE(list->items[2].boolean);
    EXPECT_EQ(list->items[3].kind, JsonValue::Kind::null);
    EXPECT_EQ(value->find("a")->find("n")->text, "-2.5e3");
}

TEST(JsonReader, RejectsMalformedDocuments) {
    for (const char* bad : {"", "{", "[1,]", "{\"a\" 1}", "\"open", "[1] x", "\"\\ud800\"", "tru",
                            "{\"a\":\"\n\"}"}) {
        std::string error;
        EXPECT_FALSE(parse_json(bad, &error)) << bad;
        EXPECT_NE(error.find("at byte"), std::string::npos) << bad;
    }
    EXPECT_FALSE(parse_json(std::string(100, '[') + std::string(100, ']')));
}

TEST(Seed, CompletesIdsAndRejectsConflicts) {
    SeedData seed;
    ASSERT_TRUE(parse_seed(R"({"accounts":[{"id":"7","token":"t","domains":[
        {"id":40,"name":"a.example","records":[{"id":9,"name":"www","type":"A","value":"1.2.3.4"},
                                               {"name":"x","type":"A","value":"1.2.3.5"}]},
        {"name":"b.example","punycode":"b.example"}]}],
        "httpdns":{"www.velmora.example":["192.0.2.1"]}})",
                           seed));
    const Domain& first = seed.accounts[0].domains[0];
    EXPECT_EQ(first.punycode, "a.example");
    EXPECT_EQ(first.records[1].id, 10u);
    EXPECT_EQ(first.records[1].ttl, 600);
    EXPECT_EQ(seed.accounts[0].domains[1].id, 41u);
    EXPECT_EQ(seed.httpdns.at("www.velmora.example"), std::vector<std::string>{"192.0.2.1"});

    for (const char* bad : {
             R"({"accounts":[{"id":"1,2","token":"t"}]})",
             R"({"accounts":[{"id":"1","token":""}]})",
             R"({"accounts":[{"id":"1","token":"t"},{"id":"1","token":"u"}]})",
             R"({"accounts":[{"id":"1","token":"t","domains":[{"id":3},{"id":3}]}]})",
             R"({"accounts":[{"id":1,"token":"t"}]})",
             R"({"accounts":[{"id":"1","token":"t","domains":[{"id":-3}]}]})",
         }) {
        std::string error;
        EXPECT_FALSE(parse_seed(bad, seed, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(Seed, DemoAccountHasWhatTheDemoShows) {
    const SeedData seed = demo_seed();
    ASSERT_GE(seed.accounts.size(), 2u);
    const Account& demo = seed.accounts[0];
    ASSERT_EQ(demo.domains.size(), 3u);
    int large = 0;
    bool punycode = false;
    for (const Domain& domain : demo.domains) {
        large += domain.records.size() > 20 ? 1 : 0;
        punycode =
            punycode || (domain.punycode.starts_with("xn--") && domain.name != domain.punycode);
    }
    EXPECT_GE(large, 2);
    EXPECT_TRUE(punycode);
    EXPECT_EQ(seed.accounts[1].domains.size(), 8u);
    EXPECT_FALSE(seed.httpdns.empty());
}

}  // namespace
}  // namespace velmora::sandbox
