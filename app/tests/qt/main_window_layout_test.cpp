// The program's main window as the user sees it: where every control sits, the record
// lists' columns, the fonts that draw the captions and the colours.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRawFont>
#include <QScrollBar>
#include <QTabWidget>

#include "app/qt/main_window.h"
#include "app/qt/qt_text.h"
#include "app/qt/record_list_widget.h"
#include "app/tests/qt/qt_test_application.h"
#include "app/window/window_layout.h"
#include "base/controls/control_names.h"
#include "base/gbk.h"

namespace velmora {
namespace {

class MainWindowLayout : public testing::Test, public WithQtApplication {
  protected:
    MainWindowLayout() { window_.present(); }

    template <class W>
    W& widget(const Text& name) {
        W* found = window_.findChild<W*>(to_qstring(name));
        EXPECT_NE(found, nullptr) << name;
        return found != nullptr ? *found : *window_.findChild<W*>();
    }
    RecordListWidget& list(int page) {
        return widget<RecordListWidget>(control::record_list(page));
    }
    QLabel& label(int n) { return widget<QLabel>(control::label(n)); }

    MainWindow window_;
};

QRect rect_of(const layout::Area& area) {
    return {area.left, area.top, area.width, area.height};
}

TEST_F(MainWindowLayout, ControlsSitWhereTheLayoutTablePutsThem) {
    EXPECT_EQ(window_.size(), QSize(layout::kClientWidth, layout::kClientHeight));
    EXPECT_EQ(window_.minimumSize(), window_.maximumSize());

    for (const layout::ControlLayout& control : layout::controls()) {
        auto& found = widget<QWidget>(control.name);
        EXPECT_EQ(found.parentWidget(), &window_) << control.name;
        EXPECT_EQ(found.geometry(), rect_of(control.area)) << control.name;
        // Every control lies inside the client area.
        EXPECT_TRUE(
            QRect(0, 0, layout::kClientWidth, layout::kClientHeight).contains(found.geometry()))
            << control.name;
    }

    auto& tabs = widget<QTabWidget>(control::record_tabs());
    ASSERT_EQ(tabs.count(), control::kPageCount);
    EXPECT_EQ(tabs.currentIndex(), 0);
    for (int page = 1; page <= control::kPageCount; ++page) {
        EXPECT_EQ(tabs.widget(page - 1), &list(page));
        EXPECT_EQ(tabs.tabText(page - 1), QString());
        // Each page's list, once its page is shown, fills the area under the tab row.
        tabs.setCurrentIndex(page - 1);
        EXPECT_EQ(QRect(list(page).mapTo(&tabs, QPoint(0, 0)), list(page).size()),
                  rect_of(layout::kPageArea))
            << "page " << page;
        EXPECT_TRUE(list(page).horizontalHeader()->isVisible());
    }
}

TEST_F(MainWindowLayout, ListsHaveTheSixColumnsAndPageOneFitsWithoutScrolling) {
    for (int page = 1; page <= control::kPageCount; ++page) {
        RecordListWidget& view = list(page);
        ASSERT_EQ(view.columnCount(), control::column::kCount);
        for (int column = 0; column < control::column::kCount; ++column) {
            const layout::Column& designed = layout::record_columns(page)[column];
            const int width = designed.width;
            const Qt::Alignment alignment =
                designed.left_aligned ? Qt::AlignLeft : Qt::AlignHCenter;
            QTableWidgetItem* header = view.horizontalHeaderItem(column);
            EXPECT_EQ(header->text(), to_qstring(designed.caption));
            EXPECT_TRUE(header->icon().isNull());
            EXPECT_EQ(view.columnWidth(column), width) << page << "/" << column;
            EXPECT_EQ(Qt::Alignment(header->textAlignment()) & Qt::AlignHorizontal_Mask, alignment);
            EXPECT_LE(view.horizontalHeader()->sectionSizeHint(column), width)
                << "header " << column << " does not fit";
        }
    }
    // Page 1's columns fit inside the list's frame.
    int total = 0;
    for (const layout::Column& column : layout::record_columns(1)) {
        total += column.width;
    }
    EXPECT_FALSE(list(1).horizontalScrollBar()->isVisible());
    EXPECT_GE(list(1).viewport()->width(), total);
}

TEST_F(MainWindowLayout, CaptionsFitTheirControlsInOneInstalledFont) {
    const QStringList installed = QFontDatabase::families();
    for (int n = 1; n <= 3; ++n) {
        QLabel& caption = label(n);
        const QFontMetrics metrics(caption.font());
        EXPECT_LE(metrics.horizontalAdvance(caption.text()), caption.width())
            << caption.text().toStdString();
        EXPECT_LE(metrics.height(), caption.height());
        // No letter falls back to another font, whose metrics the layout did not allow for.
        const QRawFont font = QRawFont::fromFont(caption.font());
        EXPECT_TRUE(installed.contains(QFontInfo(caption.font()).family()));
        for (QChar letter : caption.text()) {
            EXPECT_TRUE(font.supportsCharacter(letter)) << caption.text().toStdString();
        }
    }
    EXPECT_EQ(label(2).font().pixelSize(), 16);
    EXPECT_EQ(label(2).font().weight(), QFont::Bold);
    EXPECT_EQ(label(1).font(), label(2).font());
    EXPECT_EQ(label(3).font().pixelSize(), 12);
    EXPECT_TRUE(label(3).font().underline());
    EXPECT_EQ(label(3).text(), QString::fromUtf8("注册ID\\官网"));

    auto& login = widget<QPushButton>(control::login_button());
    auto& remember = widget<QCheckBox>(control::remember_box());
    EXPECT_EQ(login.text(), QString::fromUtf8("登入"));
    EXPECT_EQ(remember.text(), QString::fromUtf8("记住数据"));
    EXPECT_LE(login.sizeHint().width(), login.width());
    EXPECT_LE(remember.sizeHint().width(), remember.width());
}

TEST_F(MainWindowLayout, ColoursFollowTheDesign) {
    EXPECT_EQ(label(1).palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(label(2).palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(label(3).palette().color(QPalette::WindowText), QColor(0, 0, 255));
    for (int n = 1; n <= 3; ++n) {
        EXPECT_TRUE(label(n).testAttribute(Qt::WA_TranslucentBackground));
        EXPECT_FALSE(label(n).autoFillBackground());
    }

    std::vector<QWidget*> text_areas = {&widget<QPlainTextEdit>(control::run_log())};
    for (int page = 1; page <= control::kPageCount; ++page) {
        text_areas.push_back(&list(page));
    }
    for (QWidget* area : text_areas) {
        const QPalette& colours = area->palette();
        EXPECT_EQ(colours.color(QPalette::Active, QPalette::Base), QColor(Qt::white));
        EXPECT_EQ(colours.color(QPalette::Active, QPalette::Text), QColor(Qt::black));
        // Without the focus a selection looks like the text around it.
        EXPECT_EQ(colours.color(QPalette::Inactive, QPalette::Highlight), QColor(Qt::white));
        EXPECT_EQ(colours.color(QPalette::Inactive, QPalette::HighlightedText), QColor(Qt::black));
        EXPECT_NE(colours.color(QPalette::Active, QPalette::Highlight), QColor(Qt::white));
    }
}

}  // namespace
}  // namespace velmora
