// The tab control 选择夹1: a row of page tabs and, under it, the page area the layout
// gives (app/window/window_layout.h), which each record list fills exactly, whatever frame
// and tab sizes the widget style would otherwise reserve.
#pragma once

#include <QTabWidget>
#include <memory>

class QStyle;

namespace velmora {

class RecordTabs : public QTabWidget {
    Q_OBJECT

  public:
    explicit RecordTabs(QWidget* parent = nullptr);
    ~RecordTabs() override;

  private:
    std::unique_ptr<QStyle> style_;
};

}  // namespace velmora
