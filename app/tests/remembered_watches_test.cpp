#include "app/settings/remembered_watches.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/settings/run_options.h"
#include "base/controls/control_names.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/controls/memory_controls.h"
#include "update/run_log.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class RememberedWatchesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("velmora-watches-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
        path_ = (directory_ / "velmora.ini").string();
        endpoints_.time_url = "http://127.0.0.1:1/";  // log lines take the local clock
        controls_.set_row_check_handler([this](int page, int row, int state) {
            ticks_.push_back({page, row, state});
            const Text& list = control::record_list(page);
            remember_watch(path_, controls_.list_cell_text(list, 0, 0),
                           controls_.list_cell_text(list, row, 0), state == 1);
        });
    }
    void TearDown() override {
        reset_shutdown();
        fs::remove_all(directory_);
    }

    Text stored(const Text& domain_id) { return read_ini_item(path_, gbk("监控记录"), domain_id); }

    // A loaded page: the domain row, then one row per record id.
    void load_page(int page, const Text& domain_id, const TextList& record_ids) {
        const Text& list = control::record_list(page);
        controls_.set_list_cell_text(list, controls_.insert_list_row(list), 0, domain_id);
        for (const Text& id : record_ids) {
            controls_.set_list_cell_text(list, controls_.insert_list_row(list), 0, id);
        }
    }

    struct Tick {
        int page, row, state;
        bool operator==(const Tick&) const = default;
    };

    fs::path directory_;
    Text path_;
    Endpoints endpoints_;
    MemoryControls controls_;
    RunLog log_{controls_, endpoints_};
    std::vector<Tick> ticks_;
};

TEST_F(RememberedWatchesTest, TicksAndUnticksAreKeptPerDomainBesideTheOtherSettings) {
    ASSERT_TRUE(write_ini_item(path_, gbk("登入数据"), "ID", "100001"));
    EXPECT_TRUE(remember_watch(path_, "1001", "5003", true));
    EXPECT_TRUE(remember_watch(path_, "1001", "5001", true));
    EXPECT_TRUE(remember_watch(path_, "1002", "6001", true));
    EXPECT_TRUE(remember_watch(path_, "1001", "5003", true));  // again: no change
    EXPECT_EQ(stored("1001"), "5001,5003");
    EXPECT_EQ(stored("1002"), "6001");
    EXPECT_TRUE(remember_watch(path_, "1001", "5001", false));
    EXPECT_EQ(stored("1001"), "5003");
    EXPECT_EQ(remembered_records(path_, "1002"), std::set<Text>{"6001"});
    EXPECT_EQ(read_ini_item(path_, gbk("登入数据"), "ID"), "100001");
    // Ids that are not the provider's digit ids are never stored.
    EXPECT_TRUE(remember_watch(path_, "", "5009", true));
    EXPECT_TRUE(remember_watch(path_, "1001", "", true));
    EXPECT_EQ(stored("1001"), "5003");
}

TEST_F(RememberedWatchesTest, AMalformedValueLoadsWhatItCanAndTheRestOfTheFileStill) {
    ASSERT_TRUE(write_ini_item(path_, gbk("监控记录"), "1001", "5001,abc,,5003 , -4,5\xC4\xAC"));
    ASSERT_TRUE(write_ini_item(path_, gbk("监控记录"), "not-a-domain", "5001"));
    ASSERT_TRUE(write_ini_item(path_, gbk("登入数据"), "ID", "100001"));
    EXPECT_EQ(remembered_records(path_, "1001"), (std::set<Text>{"5001", "5003"}));
    EXPECT_TRUE(remembered_records(path_, "not-a-domain").empty());
    EXPECT_EQ(read_ini_item(path_, gbk("登入数据"), "ID"), "100001");
}

TEST_F(RememberedWatchesTest, ALoadedPageTicksItsRememberedRowsAndForgetsVanishedOnes) {
    ASSERT_TRUE(write_ini_item(path_, gbk("监控记录"), "1001", "5002,5404,5003"));
    ASSERT_TRUE(write_ini_item(path_, gbk("监控记录"), "1002", "6001"));
    load_page(1, "1001", {"5001", "5002", "5003"});
    restore_remembered_watches(controls_, path_, 1, log_);

    EXPECT_EQ(ticks_, (std::vector<Tick>{{1, 2, 1}, {1, 3, 1}}));
    EXPECT_EQ(stored("1001"), "5002,5003");
    EXPECT_EQ(stored("1002"), "6001");  // another domain's page was not loaded
    const Text log = controls_.edit_text(control::run_log());
    EXPECT_NE(log.find(gbk("记录已不存在，不再监控：记录ID 5404")), Text::npos);

    // A page whose load failed (no domain id) forgets nothing.
    controls_.clear_list(control::record_list(2));
    restore_remembered_watches(controls_, path_, 2, log_);
    EXPECT_EQ(stored("1002"), "6001");
}

TEST_F(RememberedWatchesTest, NothingIsWrittenOnceShutdownHasBegun) {
    ASSERT_TRUE(remember_watch(path_, "1001", "5001", true));
    request_shutdown();
    EXPECT_TRUE(remember_watch(path_, "1001", "5001", false));
    EXPECT_FALSE(set_run_option(path_, RunOption::minimise_to_tray, true));
    EXPECT_EQ(stored("1001"), "5001");
}

TEST_F(RememberedWatchesTest, AnUnwritableFileSaysSo) {
    const Text missing = (directory_ / "missing" / "velmora.ini").string();
    EXPECT_FALSE(remember_watch(missing, "1001", "5001", true));
    EXPECT_FALSE(set_run_option(missing, RunOption::log_in_at_start, true));
}

TEST_F(RememberedWatchesTest, RunOptionsAreOnOnlyWhenTrue) {
    EXPECT_FALSE(run_option(path_, RunOption::log_in_at_start));
    ASSERT_TRUE(set_run_option(path_, RunOption::log_in_at_start, true));
    EXPECT_EQ(read_ini_item(path_, gbk("运行选项"), gbk("启动时登入")), gbk("真"));
    EXPECT_TRUE(run_option(path_, RunOption::log_in_at_start));
    EXPECT_FALSE(run_option(path_, RunOption::minimise_to_tray));
    for (const Text& value : {Text("1"), Text("true"), gbk("假"), Text(" ")}) {
        ASSERT_TRUE(write_ini_item(path_, gbk("运行选项"), gbk("最小化到托盘"), value));
        EXPECT_FALSE(run_option(path_, RunOption::minimise_to_tray)) << value;
    }
    ASSERT_TRUE(set_run_option(path_, RunOption::log_in_at_start, false));
    EXPECT_FALSE(run_option(path_, RunOption::log_in_at_start));
}

}  // namespace
}  // namespace velmora
