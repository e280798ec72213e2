// The set-up from a shell against the substitute provider: --login, --list, --watch,
// --unwatch and --status on a settings file of the test's own, and a window session
// started on that file afterwards.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "api/tests/support/sandbox_fixture.h"
#include "app/program/command_line.h"
#include "app/session/session_core.h"
#include "app/shell/shell_task.h"
#include "base/system/atomic_file.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/ini_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Lines given in advance, as piped into standard input; what is printed, kept.
class ScriptedConsole : public ShellConsole {
  public:
    explicit ScriptedConsole(std::deque<InputLine> lines = {}) : lines_(std::move(lines)) {}
    void print(const Text& text) override { out += text; }
    void print_local(const std::string& text) override { out += text; }
    void complain(const Text& line) override { err += line + "\n"; }
    bool interactive() override { return false; }
    InputLine read_line(const Text&, bool hidden) override {
        hidden_reads += hidden ? 1 : 0;
        if (lines_.empty()) {
            return {};
        }
        InputLine line = lines_.front();
        lines_.pop_front();
        return line;
    }

    Text out;
    Text err;
    int hidden_reads = 0;

  private:
    std::deque<InputLine> lines_;
};

InputLine typed(const Text& text) {
    return {InputEnd::line, text};
}

class ShellSetup : public testing::SandboxTest {
  protected:
    void SetUp() override {
        SandboxTest::SetUp();
        reset_shutdown();
        directory_ = fs::temp_directory_path() / ("velmora-shell-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
        settings_ = {directory_.string(), (directory_ / "velmora.ini").string(), true, {}};
    }
    void TearDown() override {
        reset_shutdown();
        fs::remove_all(directory_);
        SandboxTest::TearDown();
    }

    // Runs the task the words name, as the program would; its status.
    int run(const TextList& words, ScriptedConsole& console) {
        const CommandLine command_line = parse_command_line(words, HeadlessMode::only);
        EXPECT_EQ(command_line.action, CommandLineAction::run) << command_line.problem;
        return run_shell_task(console, command_line, endpoints_, settings_);
    }
    int run(const TextList& words) {
        last_ = ScriptedConsole();
        return run(words, last_);
    }
    void log_in() {
        ScriptedConsole console(
            {typed(testing::kThreeDomainId), typed(testing::kThreeDomainToken)});
        ASSERT_EQ(run({"--login"}, console), 0) << console.err;
    }
    Text watched(const Text& domain_id) const {
        return read_ini_item(settings_.settings_file, gbk("监控记录"), domain_id);
    }
    bool settings_exist() const { return fs::exists(settings_.settings_file); }

    fs::path directory_;
    SettingsLocation settings_;
    ScriptedConsole last_;
};

TEST_F(ShellSetup, LoginSavesTheCredentialOnlyWhenTheProviderAcceptsIt) {
    ScriptedConsole refused({typed(testing::kThreeDomainId), typed("wrong")});
    EXPECT_EQ(run({"--login"}, refused), 1);
    EXPECT_EQ(refused.err, gbk("登入失败（没有保存任何设置）\n"));
    EXPECT_FALSE(settings_exist());

    ScriptedConsole accepted({typed(testing::kThreeDomainId), typed(testing::kThreeDomainToken)});
    EXPECT_EQ(run({"--login"}, accepted), 0) << accepted.err;
    EXPECT_EQ(accepted.hidden_reads, 1);  // the token, never the ID
    EXPECT_EQ(read_ini_item(settings_.settings_file, gbk("登入数据"), "ID"), "100001");
    EXPECT_EQ(read_ini_item(settings_.settings_file, gbk("登入数据"), "Token"),
              testing::kThreeDomainToken);
    EXPECT_EQ(read_ini_item(settings_.settings_file, gbk("选择框"), gbk("状态")), gbk("真"));
    EXPECT_EQ(bodies("Domain.List").back(),
              "login_token=100001," + Text(testing::kThreeDomainToken) + "&format=json");
}

TEST_F(ShellSetup, LoginWithoutUsableInputSavesNothing) {
    const struct {
        const char* label;
        std::deque<InputLine> lines;
        Text said;
    } cases[] = {
        {"no input", {}, gbk("标准输入中要有两行")},
        {"only the ID", {typed("100001")}, gbk("标准输入中要有两行")},
        {"an empty ID", {typed(""), typed(testing::kThreeDomainToken)}, gbk("不能为空")},
        {"an empty token", {typed("100001"), typed("")}, gbk("不能为空")},
        {"interrupted", {typed("100001"), {InputEnd::interrupted, {}}}, gbk("已中断")},
    };
    for (const auto& [label, lines, said] : cases) {
        SCOPED_TRACE(label);
        ScriptedConsole console(lines);
        EXPECT_EQ(run({"--login"}, console), 1);
        EXPECT_NE(console.err.find(said), Text::npos) << console.err;
        EXPECT_EQ(console.out, "");
    }
    EXPECT_FALSE(settings_exist());
    EXPECT_EQ(count("Domain.List"), 0u);  // nothing worth asking the provider
}

TEST_F(ShellSetup, ListShowsEveryPageAlignedWithWhatIsWatched) {
    // So the domain's TXT and CNAME records are listed among its A rows.
    sandbox_.set_record_type_ignored(true);
    log_in();
    ASSERT_EQ(run({"--watch", "vpn.home-lab.example", "--type", "AAAA"}), 0) << last_.err;

    ASSERT_EQ(run({"--list"}), 0) << last_.err;
    const Text& out = last_.out;
    EXPECT_EQ(out.rfind(gbk("域名 velmora-demo.example（域名ID 1001）\n"
                            "  主机记录  类型  记录值         记录ID  监控\n"
                            "  www       A     198.51.100.10  5001\n"),
                        0),
              0u)
        << out;
    EXPECT_TRUE(
        out.ends_with(gbk("域名 home-lab.example（域名ID 1003）\n"
                          "  主机记录  类型   记录值                 记录ID  监控\n"
                          "  www       A      192.0.2.1              7001\n"
                          "  vpn       A      192.0.2.2              7002\n"
                          "  ftp       CNAME  www.home-lab.example.  7003    不可监控\n"
                          "  vpn       AAAA   2001:db8:0:1::2        7004    监控中\n"
                          "  @         TXT    v=spf1 mx -all         7005    不可监控\n")))
        << out;
    EXPECT_NE(out.find(gbk("域名 xn--fsq092h.example（域名ID 1002）\n")), Text::npos);
    EXPECT_FALSE(fs::exists(directory_ / "velmora.log"));  // a listing is no run
}

TEST_F(ShellSetup, WatchAndUnwatchByNameWriteWhatATickWrites) {
    log_in();
    EXPECT_EQ(run({"--watch", "www.velmora-demo.example"}), 0) << last_.err;  // A and AAAA
    EXPECT_EQ(watched("1001"), "5001,5029");
    EXPECT_EQ(run({"--unwatch", "WWW.Velmora-Demo.example."}), 0) << last_.err;
    EXPECT_EQ(watched("1001"), "");
    EXPECT_EQ(run({"--watch", "velmora-demo.example", "--type", "a"}), 0);  // the @ record
    EXPECT_EQ(watched("1001"), "5002");
    EXPECT_EQ(last_.out, gbk("开始监控：velmora-demo.example A 198.51.100.10（记录ID 5002）\n"));
    EXPECT_EQ(run({"--watch", "www.velmora-demo.example", "--type", "AAAA"}), 0);
    EXPECT_EQ(watched("1001"), "5002,5029");
    EXPECT_EQ(run({"--watch", "vpn.home-lab.example"}), 0);
    EXPECT_EQ(watched("1003"), "7002,7004");

    // A window started on the same settings ticks the same rows.
    MemoryControls window;
    SessionCore core(window, endpoints_, settings_);
    core.window_created();
    ASSERT_TRUE(core.log_in_by_itself(false));
    const Text& page1 = control::record_list(1);
    std::vector<Text> ticked;
    for (int row = 1; row < window.list_row_count(page1); ++row) {
        if (window.list_row_checked(page1, row)) {
            ticked.push_back(window.list_cell_text(page1, row, 0));
        }
    }
    EXPECT_EQ(ticked, (std::vector<Text>{"5002", "5029"}));
    core.close_down();
}

TEST_F(ShellSetup, ANameThatCannotBeWatchedIsSaidAndNothingIsWritten) {
    // Before any login: nothing to ask the provider with.
    EXPECT_EQ(run({"--watch", "www.velmora-demo.example"}), 1);
    EXPECT_NE(last_.err.find(gbk("请先用 --login 登入")), Text::npos) << last_.err;

    sandbox_.set_record_type_ignored(true);  // home-lab.example's TXT and CNAME are listed
    log_in();
    const Text before = read_whole_file(settings_.settings_file).value_or("");
    const struct {
        TextList words;
        Text said;
    } cases[] = {
        {{"--watch", "nosuch.velmora-demo.example"},
         gbk("没有名为 nosuch.velmora-demo.example 的记录")},
        {{"--watch", "home-lab.example"}, gbk("只有TXT记录；只有A和AAAA记录可以跟随公网IP")},
        {{"--watch", "ftp.home-lab.example"}, gbk("只有CNAME记录")},
        {{"--watch", "home.velmora-demo.example", "--type", "AAAA"},
         gbk("没有可以监控的AAAA记录，只有：A")},
        {{"--unwatch", "nosuch.example"}, gbk("没有名为 nosuch.example 的记录")},
    };
    for (const auto& [words, said] : cases) {
        SCOPED_TRACE(words[1]);
        EXPECT_EQ(run(words), 1);
        EXPECT_NE(last_.err.find(said), Text::npos) << last_.err;
    }
    EXPECT_EQ(read_whole_file(settings_.settings_file).value_or(""), before);
}

TEST_F(ShellSetup, StatusShowsTheWatchedValuesTheAddressesAndTheHistory) {
    log_in();
    ASSERT_EQ(run({"--watch", "www.velmora-demo.example", "--type", "A"}), 0);
    ASSERT_EQ(run({"--watch", "home.velmora-demo.example"}), 0);
    sandbox_.set_public_address("198.51.100.10");
    ASSERT_TRUE(replace_file_atomically((directory_ / "velmora.log").string(),
                                        "line 1\nline 2\nline 3\nline 4\nline 5\nline 6\n"
                                        "line 7\nline 8\nline 9\nline 10\nline 11\nline 12\n"));
    ASSERT_EQ(run({"--status"}), 0) << last_.err;
    const Text& out = last_.out;
    EXPECT_NE(out.find(gbk("公网IPv4：198.51.100.10\n")), Text::npos) << out;
    EXPECT_NE(out.find(gbk("公网IPv6：")), Text::npos) << out;
    EXPECT_NE(out.find(gbk("  www.velmora-demo.example A 198.51.100.10（与公网IP一致）\n"
                           "  home.velmora-demo.example A 198.51.100.11（下一遍更新为 "
                           "198.51.100.10）\n")),
              Text::npos)
        << out;
    EXPECT_TRUE(
        out.ends_with("\nline 3\nline 4\nline 5\nline 6\nline 7\nline 8\nline 9\n"
                      "line 10\nline 11\nline 12\n"))
        << out;
    EXPECT_EQ(count("Record.Modify"), 0u);  // a look, never a change
}

}  // namespace
}  // namespace velmora
