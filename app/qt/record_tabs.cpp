#include "app/qt/record_tabs.h"

#include <QProxyStyle>
#include <QStyleOption>

#include "app/window/window_layout.h"

namespace velmora {

namespace {

// Places the tab row and the page area of the tab control; everything else is drawn by
// the application's style.
class FixedPageAreaStyle : public QProxyStyle {
  public:
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override {
        QRect rect = QProxyStyle::subElementRect(element, option, widget);
        switch (element) {
            case SE_TabWidgetTabBar:
                return {rect.left(), 0, rect.width(), layout::kTabRowHeight};
            case SE_TabWidgetTabPane:
            case SE_TabWidgetTabContents:
                return {layout::kPageArea.left, layout::kPageArea.top, layout::kPageArea.width,
                        layout::kPageArea.height};
            default:
                return rect;
        }
    }
};

}  // namespace

RecordTabs::RecordTabs(QWidget* parent)
    : QTabWidget(parent), style_(std::make_unique<FixedPageAreaStyle>()) {
    setStyle(style_.get());
}

RecordTabs::~RecordTabs() = default;

}  // namespace velmora
