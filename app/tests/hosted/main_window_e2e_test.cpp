// The real main window against the substitute provider on loopback: log in,
// watch a record, change the public address and see the record follow it.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "api/tests/support/sandbox_fixture.h"
#include "app/qt/message_box.h"
#include "app/qt/qt_event_pump.h"
#include "app/qt/qt_text.h"
#include "app/qt/record_list_widget.h"
#include "app/qt/window_session.h"
#include "app/tests/qt/qt_test_application.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/system/atomic_file.h"
#include "base/ini_file.h"
#include "http/tests/support/loopback_socket.h"
#include "http/tests/support/fixture_server.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

class MainWindowEndToEnd : public WithQtApplication, public testing::SandboxTest {
  protected:
    void SetUp() override {
        SandboxTest::SetUp();
        reset_shutdown();
        // As in the program: the login's waits keep the window thread's events going.
        install_event_pump(&pump_);
        endpoints_.update_period = milliseconds(300);
        directory_ = fs::temp_directory_path() / ("velmora-e2e-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
        settings_path_ = (directory_ / "velmora.ini").string();
        set_message_box_presenter([this](QMessageBox& box) {
            boxes_.push_back(box.text());
            wait_cursor_over_a_box_ |= QGuiApplication::overrideCursor() != nullptr;
            return int(QMessageBox::Ok);
        });
    }
    void TearDown() override {
        set_message_box_presenter(nullptr);
        install_event_pump(nullptr);
        reset_shutdown();
        fs::remove_all(directory_);
        SandboxTest::TearDown();
    }

    template <class W>
    W* widget(const Text& name) {
        return session_->window().findChild<W*>(to_qstring(name));
    }
    QString log_text() { return widget<QPlainTextEdit>(control::run_log())->toPlainText(); }

    // Pumps the window thread until `done` holds; false after `limit`.
    static bool pump_until(const std::function<bool()>& done, milliseconds limit) {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > limit.count()) {
                return false;
            }
            QTest::qWait(20);
        }
        return true;
    }

    void start_window() {
        session_ = std::make_unique<WindowSession>(endpoints_, settings());
        session_->start();
        ASSERT_TRUE(pump_until([&] { return session_->window().windowTitle().contains("|"); },
                               milliseconds(5000)));
    }

    SettingsLocation settings() const { return {directory_.string(), settings_path_, true, {}}; }

    QtEventPump pump_;
    fs::path directory_;
    Text settings_path_;
    QStringList boxes_;
    bool wait_cursor_over_a_box_ = false;
    std::unique_ptr<WindowSession> session_;
};

TEST_F(MainWindowEndToEnd, WatchedRecordFollowsTheNewPublicAddress) {
    sandbox_.set_public_address("198.51.100.10");  // what record 5001 (www) holds
    start_window();
    EXPECT_EQ(session_->window().windowTitle(),
              QString::fromUtf8("Velmora|本机外网IP：198.51.100.10"));

    QTest::keyClicks(widget<QLineEdit>(control::id_edit()), testing::kThreeDomainId);
    QTest::keyClicks(widget<QLineEdit>(control::token_edit()), testing::kThreeDomainToken);
    // Pages 2 and 3 load after page 1's box: the wait cursor is back for them.
    bool waiting_after_the_box = false;
    QTimer watch_cursor;
    QObject::connect(&watch_cursor, &QTimer::timeout, [&] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        waiting_after_the_box |=
            !boxes_.isEmpty() && cursor != nullptr && cursor->shape() == Qt::WaitCursor;
    });
    watch_cursor.start(10);
    QTest::mouseClick(widget<QPushButton>(control::login_button()), Qt::LeftButton);
    watch_cursor.stop();
    EXPECT_TRUE(waiting_after_the_box);

    ASSERT_TRUE(pump_until([&] { return !boxes_.isEmpty(); }, milliseconds(10000)));
    EXPECT_EQ(boxes_, QStringList{QString::fromUtf8("登入成功")});
    auto* tabs = widget<QTabWidget>(control::record_tabs());
    EXPECT_EQ(tabs->tabText(0), "velmora-demo.example");
    EXPECT_EQ(tabs->tabText(1), "xn--fsq092h.example");
    EXPECT_EQ(tabs->tabText(2), "home-lab.example");
    auto* list = widget<RecordListWidget>(control::record_list(1));
    ASSERT_EQ(list->rowCount(), 23);  // 20 A records, then 2 AAAA records
    EXPECT_EQ(list->cell_text(0, 0), "1001");
    EXPECT_EQ(list->cell_text(1, 0), "5001");
    EXPECT_EQ(list->cell_text(1, 3), "198.51.100.10");

    EXPECT_FALSE(wait_cursor_over_a_box_);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Tick the www record as the user would and let the address move on.
    list->set_row_checked(1, true);
    EXPECT_EQ(list->cell_text(1, 5), QString::fromUtf8("解析中..."));
    const QString unchanged = QString::fromUtf8("]：公网IP无变化，无需更新，120秒后重新检测");
    ASSERT_TRUE(pump_until([&] { return log_text().contains(unchanged); }, milliseconds(10000)));

    sandbox_.set_public_address("203.0.113.99");
    ASSERT_TRUE(pump_until(
        [&] {
            return log_text().contains(QString::fromUtf8("]：更新记录值成功|IP为：203.0.113.99"));
        },
        milliseconds(10000)));
    EXPECT_EQ(sandbox_.records(1001)->front().value, "203.0.113.99");
    EXPECT_TRUE(log_text().contains(QString::fromUtf8("[2024年3月5日14时7分9秒]：")));

    // The next pass reads the new value back and from then on reports no change.
    ASSERT_TRUE(
        pump_until([&] { return list->cell_text(1, 3) == "203.0.113.99"; }, milliseconds(10000)));
    const int lines_before = log_text().count(unchanged);
    ASSERT_TRUE(pump_until([&] { return log_text().count(unchanged) > lines_before; },
                           milliseconds(10000)));

    EXPECT_EQ(read_ini_item(settings_path_, gbk("登入数据"), "ID"), testing::kThreeDomainId);
    EXPECT_EQ(read_ini_item(settings_path_, gbk("登入数据"), "Token"), testing::kThreeDomainToken);
    EXPECT_EQ(read_ini_item(settings_path_, gbk("选择框"), gbk("状态")), gbk("真"));

    QElapsedTimer closing;
    closing.start();
    session_->window().close();
    session_.reset();
    EXPECT_LT(closing.elapsed(), 2000);
}

// Paint events reaching the window, counted from another thread's point of view.
class PaintWatcher : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
    std::atomic<bool> painted{false};
};

TEST_F(MainWindowEndToEnd, TheWindowIsPaintedBeforeTheStartUpLookupBlocksIt) {
    PaintWatcher watcher;
    std::atomic<bool> painted_at_lookup{false};
    testing::FixtureServer dns;
    dns.route("/d", [&](const testing::RawRequest&) {
        painted_at_lookup = watcher.painted.load();
        return testing::FixtureReply{testing::http_reply(200, "OK", "10.0.0.1|198.51.100.5")};
    });
    endpoints_.httpdns_address = "127.0.0.1:" + std::to_string(dns.port());

    session_ = std::make_unique<WindowSession>(endpoints_, settings());
    session_->window().installEventFilter(&watcher);
    session_->start();
    ASSERT_TRUE(pump_until([&] { return session_->window().windowTitle().contains("|"); },
                           milliseconds(5000)));
    EXPECT_TRUE(painted_at_lookup);
    session_->window().removeEventFilter(&watcher);
}

TEST_F(MainWindowEndToEnd, RememberedSettingsFillTheFieldsAtStart) {
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("登入数据"), "ID", "100001"));
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("选择框"), gbk("状态"), gbk("真")));
    start_window();
    EXPECT_EQ(widget<QLineEdit>(control::id_edit())->text(), "100001");
    EXPECT_TRUE(widget<QCheckBox>(control::remember_box())->isChecked());
}

TEST_F(MainWindowEndToEnd, ClosingDuringTheLoopsRequestEndsPromptly) {
    start_window();
    session_->controls().set_edit_text(control::id_edit(), testing::kThreeDomainId);
    session_->controls().set_edit_text(control::token_edit(), testing::kThreeDomainToken);
    QTest::mouseClick(widget<QPushButton>(control::login_button()), Qt::LeftButton);
    ASSERT_TRUE(pump_until([&] { return !boxes_.isEmpty(); }, milliseconds(10000)));
    widget<RecordListWidget>(control::record_list(1))->set_row_checked(2, true);
    QTest::qWait(150);  // the loop is now somewhere inside a pass or its pause

    QElapsedTimer closing;
    closing.start();
    session_->window().close();
    session_.reset();
    EXPECT_LT(closing.elapsed(), 2000);
}

// Set up once, then forgotten: the ticks survive a restart, and with 启动时登入 on the
// next start logs in and watches them again with no input and no box.
TEST_F(MainWindowEndToEnd, WatchesComeBackAtTheNextStartWhenItLogsInByItself) {
    sandbox_.set_public_address("198.51.100.10");
    start_window();
    session_->controls().set_edit_text(control::id_edit(), testing::kThreeDomainId);
    session_->controls().set_edit_text(control::token_edit(), testing::kThreeDomainToken);
    QTest::mouseClick(widget<QPushButton>(control::login_button()), Qt::LeftButton);
    ASSERT_TRUE(pump_until([&] { return !boxes_.isEmpty(); }, milliseconds(10000)));
    auto* page1 = widget<RecordListWidget>(control::record_list(1));
    auto* page3 = widget<RecordListWidget>(control::record_list(3));
    ASSERT_TRUE(pump_until([&] { return page3->rowCount() > 2; }, milliseconds(10000)));
    page1->set_row_checked(1, true);  // www 5001
    page3->set_row_checked(2, true);
    const QString record3 = page3->cell_text(2, 0);
    EXPECT_EQ(read_ini_item(settings_path_, gbk("监控记录"), "1001"), "5001");
    EXPECT_EQ(read_ini_item(settings_path_, gbk("监控记录"), "1003"), from_qstring(record3));
    ASSERT_TRUE(session_->core().set_option(RunOption::log_in_at_start, true));
    session_->window().close();
    session_.reset();
    reset_shutdown();
    boxes_.clear();
    sandbox_.reset_counters();

    start_window();
    page1 = widget<RecordListWidget>(control::record_list(1));
    page3 = widget<RecordListWidget>(control::record_list(3));
    const QString unchanged = QString::fromUtf8("]：公网IP无变化，无需更新，120秒后重新检测");
    ASSERT_TRUE(pump_until([&] { return log_text().contains(unchanged); }, milliseconds(10000)));
    ASSERT_TRUE(pump_until([&] { return page3->row_checked(2); }, milliseconds(10000)));
    EXPECT_TRUE(page1->row_checked(1));
    EXPECT_EQ(page1->cell_text(1, 5), QString::fromUtf8("解析中..."));
    EXPECT_EQ(page3->cell_text(2, 0), record3);
    EXPECT_EQ(session_->watch_list().flag(1, 1), 1);
    EXPECT_EQ(session_->watch_list().flag(3, 2), 1);
    EXPECT_TRUE(boxes_.isEmpty()) << boxes_.join(", ").toStdString();

    // Unticking forgets the record for the next start.
    page1->set_row_checked(1, false);
    EXPECT_EQ(read_ini_item(settings_path_, gbk("监控记录"), "1001"), "");
}

TEST_F(MainWindowEndToEnd, ALoginAtStartThatFailsSaysWhyAndForgetsNothing) {
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("登入数据"), "ID", testing::kThreeDomainId));
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("登入数据"), "Token", "wrong"));
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("运行选项"), gbk("启动时登入"), gbk("真")));
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("监控记录"), "1001", "5001,5003"));
    start_window();
    ASSERT_TRUE(pump_until([&] { return !boxes_.isEmpty(); }, milliseconds(10000)));
    EXPECT_EQ(boxes_, QStringList{QString::fromUtf8("登入失败")});
    EXPECT_TRUE(session_->window().isVisible());
    EXPECT_EQ(read_ini_item(settings_path_, gbk("监控记录"), "1001"), "5001,5003");
}

// The loop waits on a time site that never answers; closing must not wait for it.
TEST_F(MainWindowEndToEnd, ClosingWhileTheTimeSiteIsSilentEndsPromptly) {
    std::atomic<bool> asked{false};
    testing::LoopbackAcceptor silent([&](int) {
        asked = true;
        while (!silent.stopping()) {
            std::this_thread::sleep_for(milliseconds(5));
        }
    });
    sandbox_.set_public_address("198.51.100.10");
    start_window();
    endpoints_.time_url = "http://127.0.0.1:" + std::to_string(silent.port()) + "/";
    session_->controls().set_edit_text(control::id_edit(), testing::kThreeDomainId);
    session_->controls().set_edit_text(control::token_edit(), testing::kThreeDomainToken);
    QTest::mouseClick(widget<QPushButton>(control::login_button()), Qt::LeftButton);
    ASSERT_TRUE(pump_until([&] { return !boxes_.isEmpty(); }, milliseconds(10000)));
    widget<RecordListWidget>(control::record_list(1))->set_row_checked(1, true);
    ASSERT_TRUE(pump_until([&] { return asked.load(); }, milliseconds(10000)));

    QElapsedTimer closing;
    closing.start();
    session_->window().close();
    session_.reset();
    EXPECT_LT(closing.elapsed(), 2000);
}

// Closing the window while the login waits for its first answer: the fields read empty
// from then on, and the stored ID and token must not be overwritten with them.
TEST_F(MainWindowEndToEnd, ClosingDuringTheLoginsFirstRequestKeepsTheSettingsFile) {
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("登入数据"), "ID", "stored-id"));
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("登入数据"), "Token", "stored-token"));
    std::atomic<bool> silent_now{false};
    std::atomic<bool> asked{false};
    testing::LoopbackAcceptor dns([&](int socket) {
        if (!silent_now) {
            std::string head, rest;
            testing::read_head(testing::socket_reader(socket), head, rest);
            testing::send_all(socket, testing::http_reply(200, "OK", "x|198.51.100.10"));
            return;
        }
        asked = true;
        while (!dns.stopping()) {
            std::this_thread::sleep_for(milliseconds(5));
        }
    });
    endpoints_.httpdns_address = "127.0.0.1:" + std::to_string(dns.port());
    start_window();
    const auto before = read_whole_file(settings_path_);
    silent_now = true;
    QTimer close_when_asked;
    QObject::connect(&close_when_asked, &QTimer::timeout, [&] {
        if (asked) {
            close_when_asked.stop();
            session_->window().close();
        }
    });
    close_when_asked.start(10);
    QTest::mouseClick(widget<QPushButton>(control::login_button()), Qt::LeftButton);
    EXPECT_TRUE(asked.load());
    session_.reset();
    EXPECT_EQ(read_whole_file(settings_path_), before);
    EXPECT_TRUE(sandbox_.api_requests().empty());
}

}  // namespace
}  // namespace velmora
