#include "api/request_bodies.h"

#include <gtest/gtest.h>

#include "api/form_encoding.h"
#include "base/gbk.h"

namespace velmora {
namespace {

TEST(FormValue, KeepsOrdinaryValuesAsTheyAre) {
    EXPECT_EQ(form_value("10086,5f3a9c0e2b7d4e1f"), "10086,5f3a9c0e2b7d4e1f");
    EXPECT_EQ(form_value("203.0.113.7"), "203.0.113.7");
    EXPECT_EQ(form_value(gbk("默认")), gbk("默认"));
    EXPECT_EQ(form_value(""), "");
}

TEST(FormValue, EncodesTheBytesThatShapeAForm) {
    EXPECT_EQ(form_value("a%b&c+d=e#f g"), "a%25b%26c%2Bd%3De%23f%20g");
    EXPECT_EQ(form_value("1.2.3.4\r\n"), "1.2.3.4%0D%0A");
    EXPECT_EQ(form_value(Text("\x01\x1F\x7F", 3)), "%01%1F%7F");
    EXPECT_EQ(form_value("a?b/c:d;e,f"), "a?b/c:d;e,f");
}

TEST(RequestBodies, DomainListCarriesOnlyTheCredential) {
    EXPECT_EQ(domain_list_body("abc,"), "login_token=abc,&format=json");
    EXPECT_EQ(domain_list_body("10086,tok"), "login_token=10086,tok&format=json");
}

TEST(RequestBodies, RecordListEndsWithTheBareSubDomainKey) {
    EXPECT_EQ(record_list_body("10086,tok", "7001"),
              "login_token=10086,tok&format=json&domain_id=7001"
              "&sub_domain=www&record_type=A&offset=0&length=20&sub_domain");
    EXPECT_EQ(record_list_body("10086,tok", ""),
              "login_token=10086,tok&format=json&domain_id="
              "&sub_domain=www&record_type=A&offset=0&length=20&sub_domain");
}

TEST(RequestBodies, RecordModifyUsesTheDefaultLineInGbk) {
    const Text body = record_modify_body("10086,tok", "7001", "91", "home", "203.0.113.7", "A");
    EXPECT_EQ(body,
              "login_token=10086,tok&format=json&domain_id=7001&record_id=91&sub_domain=home"
              "&value=203.0.113.7&record_type=A&record_line_id=0&record_line=\xC4\xAC\xC8\xCF");
    EXPECT_EQ(record_modify_body("1,t", "7", "9", "@", "1.2.3.4", "AAAA"),
              "login_token=1,t&format=json&domain_id=7&record_id=9&sub_domain=@"
              "&value=1.2.3.4&record_type=AAAA&record_line_id=0&record_line=" +
                  gbk("默认"));
}

TEST(RequestBodies, AnAmpersandInTheTokenAddsNoField) {
    EXPECT_EQ(domain_list_body("12,&x=1"), "login_token=12,%26x%3D1&format=json");
    EXPECT_EQ(
        record_modify_body("12,a b", "7&8", "9", gbk("主机&"), "1.2.3.4", "A"),
        "login_token=12,a%20b&format=json&domain_id=7%268&record_id=9&sub_domain=" + gbk("主机") +
            "%26&value=1.2.3.4&record_type=A&record_line_id=0&record_line=" + gbk("默认"));
}

}  // namespace
}  // namespace velmora
