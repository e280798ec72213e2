#include "update/update_cycle.h"

#include <gtest/gtest.h>

#include "api/tests/support/scripted_provider.h"
#include "base/event_pump.h"
#include "http/tls_settings.h"
#include "http/tests/support/loopback_socket.h"
#include "update/tests/support/update_fixture.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using testing::log_line;
using testing::no_change_line;
using testing::scripted_record_list;
using testing::success_line;

class UpdatePass : public testing::UpdateTest {};

TEST_F(UpdatePass, AnUnchangedWatchedRowLogsOneNoChangeLinePerPass) {
    log_in();
    watch_row(1, 1);  // www, 198.51.100.10
    sandbox_.set_public_address("198.51.100.10");

    run_pass();
    run_pass();
    EXPECT_EQ(run_log(), no_change_line() + no_change_line());
    // Per pass: the A and the AAAA list of each named page, one discovery and one time
    // request.
    EXPECT_EQ(count("Record.List"), 12u);
    EXPECT_EQ(count("httpdns"), 2u);
    EXPECT_EQ(count("time"), 2u);
    EXPECT_EQ(count("Record.Modify"), 0u);

    // Unwatching stops the slot at the next pass, without a line.
    watch_.set_flag(1, 1, 0);
    run_pass();
    EXPECT_EQ(run_log(), no_change_line() + no_change_line());
    EXPECT_EQ(count("httpdns"), 2u);
}

TEST_F(UpdatePass, ASixPagePassUsesOneApiConnection) {
    enter_credential(testing::kEightDomainId, testing::kEightDomainToken);
    log_in();
    watch_row(1, 1);
    sandbox_.set_public_address("203.0.113.40");

    run_pass();
    EXPECT_EQ(count("Record.List"), 12u);
    EXPECT_EQ(count("Record.Modify"), 1u);
    EXPECT_EQ(sandbox_.api_connections().connections, 1u);
    EXPECT_EQ(sandbox_.api_connections().handshakes, 1u);
    EXPECT_EQ(sandbox_.api_connections().resumed, 0u);
    // The connection ends with its pass: the next pass opens one of its own, and resumes
    // the first pass's TLS session instead of verifying the server again.
    run_pass();
    EXPECT_EQ(count("Record.List"), 24u);
    EXPECT_EQ(sandbox_.api_connections().connections, 2u);
    EXPECT_EQ(sandbox_.api_connections().handshakes, 2u);
    EXPECT_EQ(sandbox_.api_connections().resumed, 1u);
    // A session verified under other trust settings is not resumed.
    set_extra_ca_file(sandbox_.ca_file());
    run_pass();
    EXPECT_EQ(sandbox_.api_connections().handshakes, 3u);
    EXPECT_EQ(sandbox_.api_connections().resumed, 1u);
}

class UpdatePassOnClosingServer : public testing::UpdateTest {
  protected:
    UpdatePassOnClosingServer() : UpdateTest(closing_options()) {}
    static sandbox::SandboxOptions closing_options() {
        sandbox::SandboxOptions options = SandboxTest::options();
        options.api_requests_per_connection = 1;
        return options;
    }
};

TEST_F(UpdatePassOnClosingServer, EveryRequestStillArrivesOverANewConnection) {
    enter_credential(testing::kEightDomainId, testing::kEightDomainToken);
    log_in();
    watch_row(1, 1);
    sandbox_.set_public_address("203.0.113.41");

    run_pass();
    EXPECT_EQ(count("Record.List"), 12u);
    EXPECT_EQ(count("Record.Modify"), 1u);
    EXPECT_EQ(sandbox_.api_connections().connections, 13u);
    EXPECT_EQ(run_log(), success_line("203.0.113.41"));
}

TEST_F(UpdatePass, NoWatchedRowMakesOnlyTheRefreshRequests) {
    log_in();
    sandbox_.set_public_address("203.0.113.77");
    sandbox_.set_record_value(5003, "192.0.2.99");
    run_pass();
    // A page nobody watches has no failure worth a line either.
    sandbox_.set_forced_reply({.account_id = "100001", .action = "Record.List", .code = "-15"});
    run_pass();
    EXPECT_EQ(run_log(), "");
    EXPECT_EQ(count("Record.List"), 12u);
    EXPECT_EQ(count("httpdns") + count("time") + count("Record.Modify"), 0u);
    // The refresh wrote the provider's current values into column 3.
    EXPECT_EQ(shown_value(1, 3), "192.0.2.99");
}

TEST_F(UpdatePass, AnAcceptedChangeIsWhatTheRowShowsSoAListOutageSendsItOnce) {
    log_in();
    watch_row(1, 3);  // home, 198.51.100.11
    sandbox_.set_public_address("203.0.113.77");

    run_pass();
    EXPECT_EQ(count("Record.Modify"), 1u);
    EXPECT_EQ(bodies("Record.Modify"),
              TextList{"login_token=100001," + Text(testing::kThreeDomainToken) +
                       "&format=json&domain_id=1001&record_id=5003&sub_domain=home"
                       "&value=203.0.113.77&record_type=A&record_line_id=0&record_line="
                       "\xC4\xAC\xC8\xCF"});
    EXPECT_EQ(run_log(), success_line("203.0.113.77"));
    EXPECT_EQ(sandbox_.records(1001)->at(2).value, "203.0.113.77");
    EXPECT_EQ(shown_value(1, 3), "203.0.113.77");

    // Passes whose list fails compare with the row: the change is not sent again.
    sandbox_.set_forced_reply({.account_id = "100001", .action = "Record.List", .code = "-15"});
    run_pass();
    run_pass();
    run_pass();
    EXPECT_EQ(count("Record.Modify"), 1u);

    sandbox_.clear_forced_replies();
    run_pass();
    EXPECT_EQ(count("Record.Modify"), 1u);
    EXPECT_EQ(shown_value(1, 3), "203.0.113.77");
    EXPECT_EQ(
        run_log(),
        success_line("203.0.113.77") +
            log_line(gbk("读取记录列表失败（velmora-demo.example的A记录）：服务商返回代码-15："
                         "Domain id invalid")) +
            no_change_line() + no_change_line() + no_change_line() +
            log_line(gbk("记录列表已恢复读取（velmora-demo.example的A记录）")) + no_change_line());

    // A refused change leaves the row as the provider last listed it.
    sandbox_.set_public_address("203.0.113.78");
    sandbox_.set_forced_reply({.account_id = "100001", .action = "Record.Modify", .code = "17"});
    run_pass();
    EXPECT_EQ(shown_value(1, 3), "203.0.113.77");
}

TEST_F(UpdatePass, ARefusedChangeIsLoggedOnceAnHourUntilItWorks) {
    log_in();
    watch_row(1, 1);  // www
    sandbox_.set_public_address("203.0.113.77");
    sandbox_.set_forced_reply({.account_id = "100001", .action = "Record.Modify", .code = "17"});
    const Text refused =
        log_line(gbk("更新记录失败（www）：服务商返回代码17：Record value invalid"));

    run_pass();
    now_ += 59min;
    run_pass();
    EXPECT_EQ(count("Record.Modify"), 2u);
    EXPECT_EQ(run_log(), refused);

    now_ += 1min;  // an hour after it was logged: said again
    run_pass();
    EXPECT_EQ(run_log(), refused + refused);

    sandbox_.clear_forced_replies();
    run_pass();
    EXPECT_EQ(run_log(), refused + refused + success_line("203.0.113.77") +
                             log_line(gbk("记录已恢复正常（www）")));
}

TEST_F(UpdatePass, NoUsableAddressSendsNoChangeAndSaysWhyWhenTheReasonChanges) {
    log_in();
    watch_row(1, 1);
    const Text prefix = gbk("未取得可用的公网IP：");
    const Text not_ipv4 = gbk("地址服务回复的不是IPv4地址：");
    const struct {
        const char* reply;
        Text line;  // empty: the same failure as before, not logged again
    } cases[] = {
        {"", log_line(prefix + gbk("地址服务的回复中没有地址"))},
        {"203.0.113.77", {}},
        {"203.0.113.80|", {}},
        {"203.0.113.80|203.0.113.77\n", log_line(prefix + not_ipv4 + "203.0.113.77 ")},
        {"203.0.113.80|203.0.113.77 ", {}},
        {"x|unknown", log_line(prefix + not_ipv4 + "unknown")},
        {"x|203.0.113.256", log_line(prefix + not_ipv4 + "203.0.113.256")},
        {"x|192.168.1.20", log_line(prefix + gbk("地址服务回复的不是公网地址：") + "192.168.1.20")},
        {"x|100.64.0.1", log_line(prefix + gbk("地址服务回复的不是公网地址：") + "100.64.0.1")},
    };
    Text expected;
    for (const auto& [reply, line] : cases) {
        SCOPED_TRACE(reply);
        sandbox_.set_dns_reply(reply);
        EXPECT_TRUE(run_pass().address_missing);
        expected += line;
    }
    sandbox_.set_dns_reply(std::nullopt);
    const Text dns = endpoints_.httpdns_address;
    endpoints_.httpdns_address = "127.0.0.1:1";  // nothing listens there
    EXPECT_TRUE(run_pass().address_missing);
    expected += log_line(prefix + gbk("711 发送请求失败!"));
    EXPECT_EQ(count("Record.Modify"), 0u);
    EXPECT_EQ(run_log(), expected);
    EXPECT_EQ(sandbox_.records(1001)->at(0).value, "198.51.100.10");

    endpoints_.httpdns_address = dns;
    sandbox_.set_public_address("198.51.100.10");
    EXPECT_FALSE(run_pass().address_missing);
    EXPECT_EQ(run_log(),
              expected + log_line(gbk("已重新取得可用的公网IP：198.51.100.10")) + no_change_line());
}

TEST_F(UpdatePass, CaptionedPagesNotYetLoadedAreNotRefreshed) {
    lookup_domains(context());  // names pages 1 to 3
    ASSERT_TRUE(load_record_page(context(), 1));
    sandbox_.reset_counters();
    run_pass();
    const TextList refreshes = bodies("Record.List");
    ASSERT_EQ(refreshes.size(), 2u);  // its A and its AAAA records
    for (const Text& body : refreshes) {
        EXPECT_NE(body.find("&domain_id=1001&"), std::string::npos);
    }
}

class ScriptedUpdatePass : public testing::UpdateTest {
  protected:
    void SetUp() override {
        UpdateTest::SetUp();
        // Made after the sandbox, so that its certificate authority is the one trusted.
        provider_.emplace();
        endpoints_.api_host = provider_->host();
        controls_.set_tab_caption(control::record_tabs(), 1, "velmora-demo.example");
        ASSERT_TRUE(load_record_page(context(), 1));  // www 5001, home 5002, nas 5003
    }
    TextList shown() { return {shown_value(1, 1), shown_value(1, 2), shown_value(1, 3)}; }

    std::optional<testing::ScriptedProvider> provider_;
};

// Records added, deleted or moved at the provider since the login shift the reply's
// lists: each value must still reach the row of its own record, or a watched row would be
// compared with another record's value and rewritten every pass.
TEST_F(ScriptedUpdatePass, ValuesGoToTheRowOfTheirRecordId) {
    watch_row(1, 2);  // home, 198.51.100.11
    sandbox_.set_public_address("198.51.100.11");
    // A new record first, www deleted, home and nas swapped.
    provider_->set_record_list(scripted_record_list(
        R"({"id":"5001","name":"www","type":"A","value":"198.51.100.10","ttl":"600","status":"enable"},)"
        R"({"id":"5002","name":"home","type":"A","value":"198.51.100.11","ttl":"600","status":"enable"},)"
        R"({"id":"5003","name":"nas","type":"A","value":"198.51.100.12",)",
        R"({"id":"5009","name":"new","type":"A","value":"203.0.113.1","ttl":"600","status":"enable"},)"
        R"({"id":"5003","name":"nas","type":"A","value":"198.51.100.13","ttl":"600","status":"enable"},)"
        R"({"id":"5002","name":"home","type":"A","value":"198.51.100.11",)"));
    run_pass();
    EXPECT_EQ(shown(), (TextList{"198.51.100.10", "198.51.100.11", "198.51.100.13"}));
    EXPECT_EQ(run_log(), no_change_line());

    // The deleted record's row keeps its value and is not checked; one line says so.
    watch_row(1, 1);
    run_pass();
    run_pass();
    const Text gone = log_line(gbk("记录已不存在，不再检测（www）"));
    EXPECT_EQ(run_log(), no_change_line() + gone + no_change_line() + no_change_line());
    EXPECT_EQ(shown_value(1, 1), "198.51.100.10");
    EXPECT_TRUE(provider_->bodies("Record.Modify").empty());
}

// A refresh whose values would land in other records' rows makes a watched row compare
// another record's value with the address, and sends changes nobody asked for.
TEST_F(ScriptedUpdatePass, ARefreshWhoseValuesDoNotLineUpLeavesTheShownValues) {
    watch_row(1, 2);  // home, 198.51.100.11
    sandbox_.set_public_address("198.51.100.11");

    const struct {
        const char* label;
        std::string reply;
        TextList shown;  // rows 1 to 3 after the pass
    } cases[] = {
        {"a record without a value",
         scripted_record_list(R"("value":"198.51.100.10",)", ""),
         {"198.51.100.10", "198.51.100.11", "198.51.100.12"}},
        {"a value outside the records",
         scripted_record_list(R"("info":{)", R"("info":{"value":"3",)"),
         {"198.51.100.10", "198.51.100.11", "198.51.100.12"}},
        {"values that line up",
         scripted_record_list("198.51.100.12", "198.51.100.99"),
         {"198.51.100.10", "198.51.100.11", "198.51.100.99"}},
    };
    for (const auto& [label, reply, expected] : cases) {
        provider_->set_record_list(reply);
        run_pass();
        EXPECT_EQ(shown(), expected) << label;
    }
    EXPECT_EQ(run_log(), log_line(gbk("读取记录列表失败（velmora-demo.example的A记录）：回复中的"
                                      "记录与记录值不成对")) +
                             no_change_line() + no_change_line() +
                             log_line(gbk("记录列表已恢复读取（velmora-demo.example的A记录）")) +
                             no_change_line());
    // The load and each pass: the A list and the AAAA list.
    EXPECT_EQ(provider_->bodies("Record.List").size(), 2 * (1 + std::size(cases)));
    EXPECT_TRUE(provider_->bodies("Record.Modify").empty());
}

TEST_F(UpdatePass, WatchedRowsAreCheckedInPageThenRowOrder) {
    log_in();
    watch_row(2, 3);
    watch_row(1, 5);
    watch_row(1, 2);
    sandbox_.set_public_address("203.0.113.9");
    run_pass();
    TextList changed;
    for (const Text& body : bodies("Record.Modify")) {
        changed.push_back(body.substr(body.find("&record_id="), 16));
    }
    EXPECT_EQ(changed, (TextList{"&record_id=5002&", "&record_id=5005&", "&record_id=6003&"}));
}

// A record added at the provider after the login goes before the watched one in every
// reply; the watched row still compares its own record's value.
TEST_F(UpdatePass, ARecordAddedAtTheProviderAfterTheLoginChangesNothing) {
    log_in();
    watch_row(1, 2);  // @ 5002
    sandbox_.set_public_address(sandbox_.records(1001)->at(1).value);
    sandbox::Record added;
    added.id = 5900;
    added.name = "added";
    added.type = "A";
    added.value = "203.0.113.200";
    ASSERT_TRUE(sandbox_.store().insert_record(1001, 0, added));
    ASSERT_TRUE(sandbox_.store().delete_record(5001));
    run_pass();
    run_pass();
    EXPECT_EQ(count("Record.Modify"), 0u);
    EXPECT_EQ(run_log(), no_change_line() + no_change_line());
}

// AAAA records follow the public IPv6 address, learned from the endpoint reached over
// IPv6 ([::1] here), beside A records that follow the IPv4 address as before.
TEST_F(UpdatePass, AnAaaaRowFollowsTheIpv6AddressBesideAnARow) {
    ASSERT_FALSE(endpoints_.httpdns6_address.empty()) << "no IPv6 loopback";
    log_in();
    ASSERT_EQ(controls_.list_cell_text(control::record_list(1), 21, 2), "AAAA");
    watch_row(1, 1);   // www A, 198.51.100.10
    watch_row(1, 21);  // www AAAA, 2001:db8::10
    sandbox_.set_public_address("198.51.100.10");
    sandbox_.set_public_address6("2001:db8::10");
    run_pass();
    EXPECT_EQ(run_log(), no_change_line() + no_change_line());

    sandbox_.set_public_address("203.0.113.77");
    sandbox_.set_public_address6("2001:db8::25");
    run_pass();
    const Text credential = "login_token=100001," + Text(testing::kThreeDomainToken);
    EXPECT_EQ(
        bodies("Record.Modify"),
        (TextList{credential + "&format=json&domain_id=1001&record_id=5001&sub_domain=www"
                               "&value=203.0.113.77&record_type=A&record_line_id=0&record_line="
                               "\xC4\xAC\xC8\xCF",
                  credential + "&format=json&domain_id=1001&record_id=5029&sub_domain=www"
                               "&value=2001:db8::25&record_type=AAAA&record_line_id=0&record_line="
                               "\xC4\xAC\xC8\xCF"}));
    EXPECT_EQ(run_log(), no_change_line() + no_change_line() + success_line("203.0.113.77") +
                             success_line("2001:db8::25"));

    // The same address written another way is no change.
    sandbox_.set_record_value(5029, "2001:0DB8:0:0:0:0:0:25");
    run_pass();
    EXPECT_EQ(count("Record.Modify"), 2u);
    EXPECT_EQ(shown_value(1, 21), "2001:0DB8:0:0:0:0:0:25");
}

TEST_F(UpdatePass, WithoutAnyIpv6TheAaaaRowsWaitAndTheLogSaysSoOnce) {
    log_in();
    watch_row(1, 21);
    endpoints_.httpdns6_address = "[::1]:" + std::to_string(testing::refused_port());
    run_pass();
    run_pass();
    now_ += std::chrono::hours(5);
    run_pass();
    EXPECT_EQ(count("Record.Modify"), 0u);
    // This machine's own interfaces hold no global IPv6 address either.
    EXPECT_EQ(run_log(), log_line(gbk("未取得可用的公网IPv6地址（地址服务和本机网卡都没有），"
                                      "AAAA记录本次不更新")));
}

// A provider that ignores record_type lists TXT and CNAME records among the A records.
// Whatever a watch table holds, nothing is ever written into such a record.
TEST_F(UpdatePass, NoAddressIsEverWrittenIntoAnotherTypeOfRecord) {
    sandbox_.set_record_type_ignored(true);
    log_in();
    const Text& list = control::record_list(3);
    int forced = 0;
    for (int row = 1; row < controls_.list_row_count(list); ++row) {
        const Text type = controls_.list_cell_text(list, row, 2);
        if (type != "A" && type != "AAAA") {
            watch_row(3, row);  // as no check box would let it
            ++forced;
        }
    }
    ASSERT_GE(forced, 2);
    sandbox_.set_public_address("203.0.113.77");
    run_pass();
    EXPECT_EQ(count("Record.Modify"), 0u);
    EXPECT_EQ(run_log(), "");
}

TEST(PauseAfter, BacksOffFromFifteenSecondsUpToThePeriod) {
    const std::chrono::milliseconds period = 120s;
    EXPECT_EQ(pause_after(0, period), period);
    EXPECT_EQ(pause_after(1, period), 15s);
    EXPECT_EQ(pause_after(2, period), 30s);
    EXPECT_EQ(pause_after(3, period), 60s);
    EXPECT_EQ(pause_after(4, period), 120s);
    EXPECT_EQ(pause_after(40, period), 120s);
    // A short period (tests, the demo) is never stretched by the back-off.
    EXPECT_EQ(pause_after(1, 2s), 2s);
}

}  // namespace
}  // namespace velmora
