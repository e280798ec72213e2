// The replies read the way the program reads them: by literal markers, not as JSON.
#include "sandbox/provider_api.h"

#include <gtest/gtest.h>

#include "sandbox/tests/test_support.h"

namespace velmora::sandbox {
namespace {

using testing::all_texts_between;
using testing::text_between;

const std::string credential = "login_token=100001,5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24";
// The record-list body the program sends for one domain.
std::string record_list_body(const std::string& domain_id) {
    return credential + "&format=json&domain_id=" + domain_id +
           "&sub_domain=www&record_type=A&offset=0&length=20&sub_domain";
}

std::string modify_body(const std::string& record_id, const std::string& value,
                        const std::string& type = "A") {
    return credential + "&format=json&domain_id=1003&record_id=" + record_id +
           "&sub_domain=vpn&value=" + value + "&record_type=" + type +
           "&record_line_id=0&record_line=\xC4\xAC\xC8\xCF";
}

class ProviderApi : public ::testing::Test {
  protected:
    std::string post(std::string_view action, const std::string& body) {
        return answer_api_action(store, action, decode_form(body));
    }
    static std::string code(const std::string& reply) {
        return text_between(reply, "\"code\":\"", "\",");
    }
    ProviderStore store{demo_seed()};
};

TEST_F(ProviderApi, DomainListGivesPunycodeNamesAndUnquotedIdsInOrder) {
    const std::string reply = post(action_domain_list, credential + "&format=json");
    EXPECT_EQ(code(reply), "1");
    EXPECT_EQ(all_texts_between(reply, "\"punycode\":\"", "\","),
              (std::vector<std::string>{"velmora-demo.example", "xn--fsq092h.example",
                                        "home-lab.example"}));
    EXPECT_EQ(all_texts_between(reply, "\"id\":", ","),
              (std::vector<std::string>{"1001", "1002", "1003"}));
}

TEST_F(ProviderApi, RecordListLinesUpDomainRowAndTwentyRecords) {
    const std::string reply = post(action_record_list, record_list_body("1001"));
    EXPECT_EQ(code(reply), "1");
    const auto domain_ids = all_texts_between(reply, "\"id\":", ",");
    const auto record_ids = all_texts_between(reply, "\"id\":\"", "\",");
    const auto names = all_texts_between(reply, "\"name\":\"", "\",");
    const auto types = all_texts_between(reply, "\"type\":\"", "\",");
    const auto values = all_texts_between(reply, "\"value\":\"", "\",");
    const auto ttls = all_texts_between(reply, "\"ttl\":\"", "\",");
    ASSERT_FALSE(domain_ids.empty());
    EXPECT_EQ(domain_ids.front(), "1001");  // the domain object's own id comes first
    // The bare trailing sub_domain lifts the www filter: all 25 A records match and
    // length=20 keeps the first 20.
    ASSERT_EQ(record_ids.size(), 20u);
    ASSERT_EQ(names.size(), 21u);
    EXPECT_EQ(names.front(), "velmora-demo.example");
    EXPECT_EQ(types, std::vector<std::string>(20, "A"));
    EXPECT_EQ(values.size(), 20u);
    EXPECT_EQ(ttls.size(), 20u);
    EXPECT_EQ(record_ids.front(), "5001");
    EXPECT_EQ(names[1], "www");
    EXPECT_EQ(values.front(), "198.51.100.10");
    EXPECT_EQ(record_ids.back(), "5020");
}

TEST_F(ProviderApi, RecordListFiltersAndPages) {
    const auto names_of = [&](const std::string& tail) {
        return all_texts_between(post(action_record_list, credential + "&domain_id=1003" + tail),
                                 "\"name\":\"", "\",");
    };
    EXPECT_EQ(names_of(""),
              (std::vector<std::string>{"home-lab.example", "www", "vpn", "ftp", "vpn", "@"}));
    EXPECT_EQ(names_of("&sub_domain=www"), (std::vector<std::string>{"home-lab.example", "www"}));
    EXPECT_EQ(names_of("&record_type=CNAME"),
              (std::vector<std::string>{"home-lab.example", "ftp"}));
    EXPECT_EQ(names_of("&record_type=aaaa"), (std::vector<std::string>{"home-lab.example", "vpn"}));
    EXPECT_EQ(names_of("&offset=1&length=1"),
              (std::vector<std::string>{"home-lab.example", "vpn"}));
    EXPECT_EQ(names_of("&offset=9"), (std::vector<std::string>{"home-lab.example"}));
    EXPECT_EQ(code(post(action_record_list, credential + "&domain_id=2001")), "-15");  // not ours
    EXPECT_EQ(code(post(action_record_list, credential + "&domain_id=x")), "-15");
}

TEST_F(ProviderApi, RecordListCanBeMadeToIgnoreTheTypeAsked) {
    const auto types_of = [&](const std::string& domain_id) {
        return all_texts_between(post(action_record_list, record_list_body(domain_id)),
                                 "\"type\":\"", "\",");
    };
    EXPECT_EQ(types_of("1003"), (std::vector<std::string>{"A", "A"}));
    store.set_record_type_ignored(true);
    EXPECT_EQ(types_of("1003"), (std::vector<std::string>{"A", "A", "CNAME", "AAAA", "TXT"}));
    // The domain row and the lists still line up.
    const std::string reply = post(action_record_list, record_list_body("1003"));
    EXPECT_EQ(all_texts_between(reply, "\"id\":\"", "\",").size(), 5u);
    EXPECT_EQ(all_texts_between(reply, "\"value\":\"", "\",")[2], "www.home-lab.example.");
    store.set_record_type_ignored(false);
    EXPECT_EQ(types_of("1003"), (std::vector<std::string>{"A", "A"}));
}

TEST_F(ProviderApi, ModifyChecksTheAddressFamilyAgainstTheType) {
    const auto modify = [&](const std::string& record_id, const std::string& value,
                            const std::string& type) {
        return code(post(action_record_modify, modify_body(record_id, value, type)));
    };
    EXPECT_EQ(modify("7002", "2001:db8::7", "A"), "17");
    EXPECT_EQ(modify("7004", "192.0.2.7", "AAAA"), "17");
    EXPECT_EQ(modify("7004", "2001:db8::7%25eth0", "AAAA"), "17");  // a zone is no address
    EXPECT_EQ(modify("7004", "[2001:db8::7]", "AAAA"), "17");
    EXPECT_EQ(modify("7004", "2001:db8::7%00junk", "AAAA"), "17");
    EXPECT_EQ(modify("7004", "2001:db8::7%0A", "AAAA"), "17");
    EXPECT_EQ((*store.records(1003))[3].value, "2001:db8:0:1::2");  // nothing was applied
    EXPECT_EQ(modify("7004", "2001:DB8:0:0:0:0:0:7", "AAAA"), "1");
    EXPECT_EQ((*store.records(1003))[3].value, "2001:DB8:0:0:0:0:0:7");  // stored as sent
    EXPECT_EQ(modify("7002", "198.51.100.7", "A"), "1");
}

TEST_F(ProviderApi, CredentialsAreChecked) {
    EXPECT_EQ(code(post(action_domain_list, "login_token=100001,wrong&format=json")), "-1");
    EXPECT_EQ(code(post(action_domain_list, "login_token=999,x&format=json")), "10001");
    EXPECT_EQ(code(post(action_domain_list, "login_token=100001&format=json")), "10001");
    EXPECT_EQ(code(post(action_domain_list, "format=json")), "10001");
    // A token holding "&x=1" only reaches the provider whole when it is encoded.
    EXPECT_EQ(code(post(action_domain_list, "login_token=100001,5f0c&x=1")), "-1");
    const std::string refused = post(action_record_list, "login_token=100001,wrong");
    EXPECT_TRUE(all_texts_between(refused, "\"name\":\"", "\",").empty());
    EXPECT_TRUE(all_texts_between(refused, "\"id\":", ",").empty());
}

TEST_F(ProviderApi, ModifyChangesTheStoredRecord) {
    const std::string reply = post(action_record_modify, modify_body("7002", "203.0.113.9"));
    EXPECT_EQ(code(reply), "1");
    const auto records = store.records(1003);
    ASSERT_TRUE(records);
    EXPECT_EQ((*records)[1].value, "203.0.113.9");
    EXPECT_EQ((*records)[1].name, "vpn");
    const std::string listed = post(action_record_list, record_list_body("1003"));
    EXPECT_EQ(all_texts_between(listed, "\"value\":\"", "\",")[1], "203.0.113.9");
}

TEST_F(ProviderApi, ModifyValidatesEveryField) {
    EXPECT_EQ(code(post(action_record_modify, modify_body("7002", ""))), "17");
    EXPECT_EQ(code(post(action_record_modify, modify_body("7002", "1.2.3.4%0D%0A"))), "17");
    EXPECT_EQ(code(post(action_record_modify, modify_body("7002", "1.2.3.4", "SRV"))), "22");
    EXPECT_EQ(code(post(action_record_modify, modify_body("9999", "1.2.3.4"))), "8");
    EXPECT_EQ(code(post(action_record_modify, modify_body("5001", "1.2.3.4"))),
              "8");  // other domain
    EXPECT_EQ(code(post(action_record_modify, modify_body("7002", "1.2.3.4") + "&record_line=x")),
              "26");
    EXPECT_EQ(code(post(action_record_modify,
                        credential + "&domain_id=1003&record_id=7002&sub_domain=a%26b&value=1.2.3.4"
                                     "&record_type=A")),
              "21");
    EXPECT_EQ(code(post(action_record_modify, modify_body("7002", "1.2.3.4") + "&domain_id=2001")),
              "-15");
    EXPECT_EQ((*store.records(1003))[1].value, "192.0.2.2");  // nothing was applied
}

TEST_F(ProviderApi, ForcedCodesReplaceTheOutcome) {
    store.set_forced_reply({.account_id = "100001", .action = "Record.List", .code = "85"});
    EXPECT_EQ(code(post(action_record_list, record_list_body("1001"))), "85");
    EXPECT_EQ(code(post(action_domain_list, credential)), "1");  // other actions untouched
    const std::string bare = post(action_record_list, record_list_body("1001"));
    EXPECT_TRUE(all_texts_between(bare, "\"name\":\"", "\",").empty());

    store.set_forced_reply({.account_id = "100001", .code = "10003", .with_data = true});
    const std::string with_data = post(action_domain_list, credential);
    EXPECT_EQ(code(with_data), "10003");
    EXPECT_EQ(all_texts_between(with_data, "\"punycode\":\"", "\",").size(), 3u);
    EXPECT_EQ(code(post(action_record_list, record_list_body("1001"))), "85");  // exact action wins

    store.set_forced_reply({.account_id = "100001", .action = "Record.List", .code = ""});
    EXPECT_EQ(code(post(action_record_list, record_list_body("1001"))), "10003");
    store.clear_forced_replies();
    EXPECT_EQ(code(post(action_record_list, record_list_body("1001"))), "1");
    // Forced codes never bypass the credential check.
    store.set_forced_reply({.account_id = "100001", .code = "1"});
    EXPECT_EQ(code(post(action_domain_list, "login_token=100001,wrong")), "-1");
}

}  // namespace
}  // namespace velmora::sandbox
