#include "update/update_cycle.h"

#include <gtest/gtest.h>

#include "api/tests/support/scripted_provider.h"
#include "update/tests/support/update_fixture.h"

namespace velmora {
namespace {

using testing::no_change_line;
using testing::scripted_record_list;
using testing::success_line;

class UpdatePass : public testing::UpdateTest {};

TEST_F(UpdatePass, AnUnchangedWatchedRowLogsOneNoChangeLinePerPass) {
    log_in();
    watch_row(1, 1);  // www, 198.51.100.10
    sandbox_.set_public_address("198.51.100.10");

    run_update_pass(context(), watch_);
    run_update_pass(context(), watch_);
    EXPECT_EQ(run_log(), no_change_line() + no_change_line());
    // Per pass: one refresh per named page, one discovery and one time request.
    EXPECT_EQ(count("Record.List"), 6u);
    EXPECT_EQ(count("httpdns"), 2u);
    EXPECT_EQ(count("time"), 2u);
    EXPECT_EQ(count("Record.Modify"), 0u);

    // Unwatching stops the slot at the next pass, without a line.
    watch_.set_flag(1, 1, 0);
    run_update_pass(context(), watch_);
    EXPECT_EQ(run_log(), no_change_line() + no_change_line());
    EXPECT_EQ(count("httpdns"), 2u);
}

TEST_F(UpdatePass, NoWatchedRowMakesOnlyTheRefreshRequests) {
    log_in();
    sandbox_.set_public_address("203.0.113.77");
    sandbox_.set_record_value(5003, "192.0.2.99");
    run_update_pass(context(), watch_);
    EXPECT_EQ(run_log(), "");
    EXPECT_EQ(count("Record.List"), 3u);
    EXPECT_EQ(count("httpdns") + count("time") + count("Record.Modify"), 0u);
    // The refresh wrote the provider's current values into column 3.
    EXPECT_EQ(shown_value(1, 3), "192.0.2.99");
}

TEST_F(UpdatePass, AChangedAddressIsWrittenEveryPassUntilTheRefreshShowsIt) {
    log_in();
    watch_row(1, 3);  // home, 198.51.100.11
    sandbox_.set_public_address("203.0.113.77");

    run_update_pass(context(), watch_);
    EXPECT_EQ(count("Record.Modify"), 1u);
    EXPECT_EQ(bodies("Record.Modify"),
              TextList{"login_token=100001," + Text(testing::kThreeDomainToken) +
                       "&format=json&domain_id=1001&record_id=5003&sub_domain=home"
                       "&value=203.0.113.77&record_type=A&record_line_id=0&record_line="
                       "\xC4\xAC\xC8\xCF"});
    EXPECT_EQ(run_log(), success_line("203.0.113.77"));
    EXPECT_EQ(sandbox_.records(1001)->at(2).value, "203.0.113.77");
    // The list learns the new value only from a later refresh.
    EXPECT_EQ(shown_value(1, 3), "198.51.100.11");

    // A refresh that fails leaves the old value shown, so the change is sent again.
    sandbox_.set_forced_reply({.account_id = "100001", .action = "Record.List", .code = "-1"});
    run_update_pass(context(), watch_);
    EXPECT_EQ(count("Record.Modify"), 2u);

    sandbox_.clear_forced_replies();
    run_update_pass(context(), watch_);
    run_update_pass(context(), watch_);
    EXPECT_EQ(count("Record.Modify"), 2u);
    EXPECT_EQ(shown_value(1, 3), "203.0.113.77");
    EXPECT_EQ(run_log(), success_line("203.0.113.77") + success_line("203.0.113.77") +
                             no_change_line() + no_change_line());
}

TEST_F(UpdatePass, ARefusedChangeLogsNothing) {
    log_in();
    watch_row(1, 1);
    watch_.set_text(1, 1, WatchField::recordId, "999999");
    sandbox_.set_public_address("203.0.113.77");
    run_update_pass(context(), watch_);
    EXPECT_EQ(count("Record.Modify"), 1u);
    EXPECT_EQ(run_log(), "");
    EXPECT_EQ(count("time"), 0u);
}

TEST_F(UpdatePass, AFailedOrOddDiscoverySendsNoChange) {
    log_in();
    watch_row(1, 1);
    sandbox_.set_public_address("203.0.113.77");
    for (const char* reply : {"", "203.0.113.77", "203.0.113.80|", "203.0.113.80|203.0.113.77\n",
                              "203.0.113.80|203.0.113.77 ", "x|unknown", "x|203.0.113.256"}) {
        SCOPED_TRACE(reply);
        sandbox_.set_dns_reply(reply);
        run_update_pass(context(), watch_);
    }
    sandbox_.set_dns_reply(std::nullopt);
    endpoints_.httpdns_address = "127.0.0.1:1";  // nothing listens there
    run_update_pass(context(), watch_);
    EXPECT_EQ(count("Record.Modify"), 0u);
    EXPECT_EQ(run_log(), "");
    EXPECT_EQ(sandbox_.records(1001)->at(0).value, "198.51.100.10");
}

TEST_F(UpdatePass, CaptionedPagesNotYetLoadedAreNotRefreshed) {
    lookup_domains(context());  // names pages 1 to 3
    ASSERT_TRUE(load_record_page(context(), 1));
    sandbox_.reset_counters();
    run_update_pass(context(), watch_);
    const TextList refreshes = bodies("Record.List");
    ASSERT_EQ(refreshes.size(), 1u);
    EXPECT_NE(refreshes[0].find("&domain_id=1001&"), std::string::npos);
}

// A refresh whose values would land in other records' rows makes a watched row compare
// another record's value with the address, and sends changes nobody asked for.
TEST_F(UpdatePass, ARefreshWhoseValuesDoNotLineUpLeavesTheShownValues) {
    testing::ScriptedProvider provider;
    endpoints_.api_host = provider.host();
    controls_.set_tab_caption(control::record_tabs(), 1, "velmora-demo.example");
    ASSERT_TRUE(load_record_page(context(), 1));
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
    for (const auto& [label, reply, shown] : cases) {
        provider.set_record_list(reply);
        run_update_pass(context(), watch_);
        EXPECT_EQ((TextList{shown_value(1, 1), shown_value(1, 2), shown_value(1, 3)}), shown)
            << label;
    }
    EXPECT_EQ(run_log(), no_change_line() + no_change_line() + no_change_line());
    EXPECT_EQ(provider.bodies("Record.List").size(), 1 + std::size(cases));
    EXPECT_TRUE(provider.bodies("Record.Modify").empty());
}

// Records the reads of the value column and the appends to the run log, in order.
class RecordingControls : public MemoryControls {
  public:
    Text list_cell_text(const Text& list, int row, int column) override {
        if (column == 3) {
            events.push_back(list + " row " + std::to_string(row));
        }
        return MemoryControls::list_cell_text(list, row, column);
    }
    void append_to_edit(const Text& edit, const TextList& texts) override {
        events.push_back("log");
        MemoryControls::append_to_edit(edit, texts);
    }
    TextList events;
};

TEST_F(UpdatePass, WatchedRowsAreCheckedInPageThenRowOrder) {
    for (const std::uint64_t record : {5002, 5005, 6003}) {
        sandbox_.set_record_value(record, "203.0.113.9");
    }
    sandbox_.set_public_address("203.0.113.9");
    log_in();
    watch_row(2, 3);
    watch_row(1, 5);
    watch_row(1, 2);

    RecordingControls recording;
    for (int page = 1; page <= 2; ++page) {
        recording.set_tab_caption(control::record_tabs(), page, "named");
        for (int row = 0; row <= 5; ++row) {
            recording.insert_list_row(control::record_list(page));
        }
    }
    recording.set_edit_text(control::id_edit(), testing::kThreeDomainId);
    recording.set_edit_text(control::token_edit(), testing::kThreeDomainToken);
    for (int page = 1; page <= 2; ++page) {
        recording.set_list_cell_text(control::record_list(page), 0, 0,
                                     controls_.list_cell_text(control::record_list(page), 0, 0));
    }

    run_update_pass({recording, endpoints_}, watch_);
    const Text page1 = control::record_list(1);
    const Text page2 = control::record_list(2);
    EXPECT_EQ(recording.events, (TextList{page1 + " row 2", "log", page1 + " row 5", "log",
                                          page2 + " row 3", "log"}));
    EXPECT_EQ(recording.edit_text(control::run_log()),
              no_change_line() + no_change_line() + no_change_line());
    EXPECT_EQ(count("Record.Modify"), 0u);
}

}  // namespace
}  // namespace velmora
