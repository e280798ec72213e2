// What only the Qt side has: real message boxes, the desktop seam, the user's ticks, the
// run log's caret, and the event pump that delay runs on the window thread.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include "app/qt/message_box.h"
#include "app/qt/qt_controls.h"
#include "app/qt/qt_event_pump.h"
#include "app/qt/qt_platform_hooks.h"
#include "app/qt/qt_text.h"
#include "app/qt/record_list_widget.h"
#include "app/tests/qt/qt_test_application.h"
#include "base/controls/control_names.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/controls/log_view_limit.h"

namespace velmora {
namespace {

class QtControlsTest : public testing::Test, public QtTestWindow {
  protected:
    ~QtControlsTest() override { set_message_box_presenter(nullptr); }

    template <class W>
    W& widget(const Text& name) {
        return *window_.findChild<W*>(to_qstring(name));
    }
};

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    Qt::WindowModality modality = Qt::NonModal;
    QWidget* owner = nullptr;
};

TEST_F(QtControlsTest, MessageBoxIsATaskModalOkBoxCaptionedByDefault) {
    std::vector<SeenBox> seen;
    set_message_box_presenter([&](QMessageBox& box) {
        seen.push_back({box.windowTitle(), box.text(), box.standardButtons(), box.windowModality(),
                        box.parentWidget()});
        return int(QMessageBox::Ok);
    });
    EXPECT_EQ(controls_->message_box(gbk("登入成功")), 0);
    EXPECT_EQ(controls_->message_box("x", 0, gbk("提示")), 0);

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].title, QString::fromUtf8("信息："));
    EXPECT_EQ(seen[0].text, QString::fromUtf8("登入成功"));
    EXPECT_EQ(seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(seen[0].modality, Qt::WindowModal);
    EXPECT_EQ(seen[0].owner, &window_);
    EXPECT_EQ(seen[1].title, QString::fromUtf8("提示"));
}

TEST_F(QtControlsTest, MessageBoxAnswersMapToThePlatformCodes) {
    int answer = QMessageBox::Ok;
    QMessageBox::StandardButtons buttons;
    set_message_box_presenter([&](QMessageBox& box) {
        buttons = box.standardButtons();
        return answer;
    });
    const int yes_no = 4;
    answer = QMessageBox::Yes;
    EXPECT_EQ(controls_->message_box("?", yes_no), 5);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
    answer = QMessageBox::No;
    EXPECT_EQ(controls_->message_box("?", yes_no), 6);
    const int abort_retry_ignore = 2;
    answer = QMessageBox::Retry;
    EXPECT_EQ(controls_->message_box("?", abort_retry_ignore), 3);
    answer = QMessageBox::Ignore;
    EXPECT_EQ(controls_->message_box("?", abort_retry_ignore), 4);
    answer = QMessageBox::Abort;
    EXPECT_EQ(controls_->message_box("?", abort_retry_ignore), 2);
    answer = QMessageBox::Cancel;
    EXPECT_EQ(controls_->message_box("?", 1), 1);
    answer = QMessageBox::Help;  // not one the platform knows
    EXPECT_EQ(controls_->message_box("?"), 0);
}

TEST_F(QtControlsTest, OpenWebAddressHandsTheAddressToTheDesktop) {
    std::vector<QUrl> opened;
    controls_->set_address_opener(
        [&](const Text& url) { opened.push_back(QUrl(to_qstring(url))); });
    controls_->open_web_address("https://console.velmora.example/account/token");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl("https://console.velmora.example/account/token"));
}

TEST_F(QtControlsTest, DestroyingTheWindowReleasesWorkers) {
    auto window = std::make_unique<MainWindow>();
    QtControls controls(window.get());
    window.reset();
    auto worker =
        std::async(std::launch::async, [&] { return controls.edit_text(control::id_edit()); });
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(worker.get(), "");
}

TEST_F(QtControlsTest, TheUsersTickIsReportedOnceAndTextChangesNever) {
    std::vector<std::tuple<int, int, int>> events;
    controls_->set_row_check_handler([&](int page, int row, int state) {
        events.emplace_back(page, row, state);
        // As the page handler does: mark the row, which must not come back as an event.
        controls_->set_list_cell_text(control::record_list(page), row, 5, gbk("解析中..."));
    });
    const Text& list = control::record_list(4);
    controls_->insert_list_row(list);
    controls_->insert_list_row(list);
    auto& view = widget<RecordListWidget>(list);

    // What a click on the check indicator does to the model.
    QModelIndex cell = view.model()->index(1, 0);
    view.model()->setData(cell, Qt::Checked, Qt::CheckStateRole);
    view.model()->setData(cell, Qt::Checked, Qt::CheckStateRole);
    view.model()->setData(cell, QStringLiteral("text"), Qt::DisplayRole);
    view.model()->setData(cell, Qt::Unchecked, Qt::CheckStateRole);

    std::vector<std::tuple<int, int, int>> expected = {{4, 1, 1}, {4, 1, 0}};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(controls_->list_cell_text(list, 1, 5), gbk("解析中..."));
}

TEST_F(QtControlsTest, RunLogKeepsTheCaretAtTheEndAndNoUndoHistory) {
    auto& log = widget<QPlainTextEdit>(control::run_log());
    log.insertPlainText(QStringLiteral("typed"));
    ASSERT_TRUE(log.document()->isUndoAvailable());
    log.moveCursor(QTextCursor::Start);
    controls_->append_to_edit(control::run_log(), {"\r\nline 1\r\n", "line 2\r\n"});

    EXPECT_EQ(log.toPlainText(), QStringLiteral("typed\nline 1\nline 2\n"));
    EXPECT_EQ(log.textCursor().position(), log.document()->characterCount() - 1);
    EXPECT_FALSE(log.document()->isUndoAvailable());
    EXPECT_TRUE(log.document()->isUndoRedoEnabled());
}

// Months of running must not grow the window: the log keeps its newest lines. A user who
// scrolled up to read keeps seeing the same lines while new ones arrive.
TEST_F(QtControlsTest, RunLogFollowsItsEndAndKeepsAScrolledUpView) {
    auto& log = widget<QPlainTextEdit>(control::run_log());
    window_.show();
    QCoreApplication::processEvents();
    for (int n = 1; n <= 5000; ++n) {
        controls_->append_to_edit(control::run_log(), {"line " + std::to_string(n) + "\r\n"});
    }
    // What it keeps is the contract test's; here, what the user sees of it.
    EXPECT_EQ(log.document()->lastBlock().previous().text(), QStringLiteral("line 5000"));

    QScrollBar& scroll = *log.verticalScrollBar();
    EXPECT_EQ(scroll.value(), scroll.maximum());  // following the newest line
    scroll.setValue(scroll.maximum() / 2);
    const QString shown = log.cursorForPosition(QPoint(1, 1)).block().text();
    // Enough lines that the oldest are dropped on the way.
    for (int n = 5001; n <= 5000 + kLogLinesDroppedAtOnce * 2; ++n) {
        controls_->append_to_edit(control::run_log(), {"line " + std::to_string(n) + "\r\n"});
        ASSERT_EQ(log.cursorForPosition(QPoint(1, 1)).block().text(), shown) << n;
    }
    EXPECT_LT(scroll.value(), scroll.maximum());
}

class QtPlatformHooksTest : public QtControlsTest {
  protected:
    ~QtPlatformHooksTest() override { reset_shutdown(); }
    static constexpr std::chrono::seconds kPickUpLimit{2};
    QtPlatformHooks hooks_{kPickUpLimit};
};

TEST_F(QtPlatformHooksTest, DelayOnTheWindowThreadServesWorkersAndEndsOnShutdown) {
    std::thread worker([&] {
        controls_->set_window_title("served during the delay");
        request_shutdown();
    });
    // A long delay: only the shutdown ends it, and only a pumping delay lets the worker's
    // call through to get there.
    EXPECT_FALSE(delay(1, 3));
    worker.join();
    EXPECT_EQ(controls_->window_title(), "served during the delay");
}

TEST_F(QtPlatformHooksTest, DelayRunsItsFullTimeWithoutShutdown) {
    EXPECT_TRUE(delay(20, 0));
}

// A nudge from another thread ends a nudged delay in the window thread's pump, also one
// that came after the waiter's last look but before the pump's wait began.
TEST_F(QtPlatformHooksTest, ANudgeEndsANudgedDelayOnTheWindowThread) {
    std::thread nudger([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        nudge_delays();
    });
    EXPECT_TRUE(delay_unless_nudged(std::chrono::hours(1), nudge_count()));
    nudger.join();

    QtEventPump pump;
    pump.interrupt();  // as a nudge that found no wait running
    const auto start = std::chrono::steady_clock::now();
    pump.wait(std::chrono::seconds(30));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_F(QtPlatformHooksTest, InternalErrorsFromAWorkerAreShownInABoxOnTheWindowThread) {
    QString shown;
    bool on_window_thread = false;
    set_message_box_presenter([&](QMessageBox& box) {
        shown = box.text();
        on_window_thread = QThread::currentThread() == window_.thread();
        return int(QMessageBox::Ok);
    });
    run_on_worker_while_pumping([&] {
        hooks_.report_internal_error(gbk("运行时出错!") + "\r\n\r\n" + gbk("错误代码：") + "1");
    });
    EXPECT_EQ(shown, QString::fromUtf8("运行时出错!\n\n错误代码：1"));
    EXPECT_TRUE(on_window_thread);
}

// The window thread joins the reporting thread without pumping, as when it closes
// down: the report must neither wait for it forever nor come up later.
TEST_F(QtPlatformHooksTest, AReportTheWindowThreadCannotServeIsWrittenOutNeverShown) {
    bool shown = false;
    set_message_box_presenter([&](QMessageBox&) {
        shown = true;
        return int(QMessageBox::Ok);
    });
    const auto report_from_worker = [this] {
        testing::internal::CaptureStderr();
        const auto start = std::chrono::steady_clock::now();
        std::thread([this] { hooks_.report_internal_error("oom"); }).join();
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "oom");
        QCoreApplication::processEvents();
        return waited;
    };
    EXPECT_GE(report_from_worker(), kPickUpLimit);
    EXPECT_FALSE(shown);

    // Once the event loop has ended nothing waits at all.
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
    EXPECT_LT(report_from_worker(), kPickUpLimit / 2);
    EXPECT_FALSE(shown);
}

}  // namespace
}  // namespace velmora
