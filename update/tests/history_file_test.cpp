#include "update/history_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/system/atomic_file.h"
#include "base/gbk.h"
#include "base/system/local_text.h"
#include "base/controls/memory_controls.h"
#include "base/controls/control_names.h"
#include "update/run_log.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class HistoryFileTest : public ::testing::Test {
  protected:
    HistoryFileTest() {
        directory_ = fs::temp_directory_path() /
                     ("velmora-history-" +
                      std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        path_ = (directory_ / "velmora.log").string();
    }
    ~HistoryFileTest() override { fs::remove_all(directory_); }

    std::string content(const std::string& suffix = {}) {
        return read_whole_file(path_ + suffix).value_or("<missing>");
    }

    fs::path directory_;
    Text path_;
};

TEST_F(HistoryFileTest, LinesAreAppendedInThePlatformsTextForm) {
    HistoryFile history(path_);
    ASSERT_TRUE(history.append(gbk("[2024年3月5日14时7分9秒]：公网IP无变化")));
    ASSERT_TRUE(history.append("second"));
    EXPECT_EQ(content(), local_text_line(gbk("[2024年3月5日14时7分9秒]：公网IP无变化")) +
                             local_text_line("second"));
    // Another run appends to what the last one wrote.
    HistoryFile again(path_);
    ASSERT_TRUE(again.append("third"));
    EXPECT_EQ(content().substr(content().size() - local_text_line("third").size()),
              local_text_line("third"));
}

TEST_F(HistoryFileTest, RotatesAtItsSizeKeepingThreeOldFiles) {
    const std::string line(9, 'x');  // ten or eleven bytes with the line break
    const std::size_t line_bytes = local_text_line(line).size();
    HistoryFile history(path_, 3 * line_bytes);
    for (char c = 'a'; c <= 'o'; ++c) {
        ASSERT_TRUE(history.append(std::string(9, c)));
    }
    // Three lines a file, newest in velmora.log; a, b, c were dropped with the fourth
    // rotation.
    const auto lines = [](const std::string& letters) {
        std::string text;
        for (char c : letters) {
            text += local_text_line(std::string(9, c));
        }
        return text;
    };
    EXPECT_EQ(content(), lines("mno"));
    EXPECT_EQ(content(".1"), lines("jkl"));
    EXPECT_EQ(content(".2"), lines("ghi"));
    EXPECT_EQ(content(".3"), lines("def"));
    EXPECT_FALSE(fs::exists(path_ + ".4"));
}

TEST_F(HistoryFileTest, AnUnwritablePlaceCostsOneLineInTheWindowAndNothingElse) {
    HistoryFile history((directory_ / "missing" / "velmora.log").string());
    MemoryControls controls;
    Endpoints endpoints;
    RunLog log(controls, endpoints, &history);
    log.write_at("T", "one");
    log.write_at("T", "two");
    const Text failure =
        "[T" + gbk("]：运行记录无法写入文件，只显示在窗口中：") + history.path() + "\r\n";
    EXPECT_EQ(controls.edit_text(control::run_log()),
              "[T" + gbk("]：") + "one\r\n" + failure + "[T" + gbk("]：") + "two\r\n");

    // Once the file can be written, a later failure is told again.
    fs::create_directories(directory_ / "missing");
    log.write_at("T", "three");
    fs::remove_all(directory_ / "missing");
    log.write_at("T", "four");
    const Text shown = controls.edit_text(control::run_log());
    EXPECT_EQ(shown.substr(shown.size() - failure.size()), failure);
}

TEST(HistoryPath, LiesBesideTheSettingsFile) {
    EXPECT_EQ(history_path_beside("/home/u/.config/velmora/velmora.ini"),
              "/home/u/.config/velmora/velmora.log");
    EXPECT_EQ(history_path_beside("C:\\Tools\\velmora.ini"), "C:\\Tools\\velmora.log");
    EXPECT_EQ(history_path_beside("velmora.ini"), "velmora.log");
    // "\x95\x5C" is one GBK character whose second byte is a backslash.
    EXPECT_EQ(history_path_beside("C:\\\x95\x5C\\velmora.ini"), "C:\\\x95\x5C\\velmora.log");
    EXPECT_EQ(history_path_beside("C:\\a\x95\x5Cvelmora.ini"), "C:\\velmora.log");
}

}  // namespace
}  // namespace velmora
